#include "bytearena.h"

#include <algorithm>

QByteArrayView ByteArena::keep(QByteArrayView bytes)
{
    if (m_blocks.empty() || m_used + bytes.size() > BlockSize) {
        m_blocks.emplace_back(new char[size_t(std::max(BlockSize, bytes.size()))]);
        m_used = 0;
    }
    char *copy = m_blocks.back().get() + m_used;
    std::copy(bytes.begin(), bytes.end(), copy);
    m_used += bytes.size();
    return QByteArrayView(copy, bytes.size());
}
