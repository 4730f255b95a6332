#pragma once

#include <QByteArrayView>

#include <memory>
#include <vector>

// Keeps copies of many short byte strings (hash keys read from database rows) in a few large
// blocks instead of an allocation each. The copies live as long as the arena.
class ByteArena
{
public:
    QByteArrayView keep(QByteArrayView bytes);

private:
    static constexpr qsizetype BlockSize = 64 * 1024;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    qsizetype m_used = 0;
};
