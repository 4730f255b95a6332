#include "idlereader.h"

#include "idlesource.h"

#include <QtGlobal>

IdleReader::IdleReader(IdleSource *source)
    : m_source(source)
{}

qint64 IdleReader::idleSeconds(qint64 now, qint64 limit)
{
    const qint64 bound = m_read + (now - m_readAt) + MarginSecs;
    if (m_hasRead && m_readAt <= now && bound < limit) {
        return bound;
    }
    m_read = qMax(0, m_source->idleSeconds());
    m_readAt = now;
    m_hasRead = true;
    return m_read;
}
