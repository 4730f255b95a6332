#include "idlereader.h"

#include "idlesource.h"

#include <QtGlobal>

IdleReader::IdleReader(IdleSource *source)
    : m_source(source)
{}

qint64 IdleReader::idleSeconds(const QDateTime &now, qint64 limit)
{
    if (m_readAt.isValid() && m_readAt <= now) {
        const qint64 bound = m_read + m_readAt.secsTo(now) + MarginSecs;
        if (bound < limit) {
            return bound;
        }
    }
    m_read = qMax(0, m_source->idleSeconds());
    m_readAt = now;
    return m_read;
}
