#pragma once

#include <QtGlobal>

class IdleSource;

// Reads the idle source only on the ticks where the idle time could have reached a limit. Idle time
// grows by at most a second a second, so the last reading plus the time since bounds it; below the
// limit a tick needs no round trip to the display or the session bus.
class IdleReader
{
public:
    // Covers the whole-second rounding of both the reading and the tick stamps.
    static constexpr int MarginSecs = 2;

    // Not owned; must outlive the reader.
    explicit IdleReader(IdleSource *source);

    // The idle seconds at `now` (seconds since the epoch): read from the source, or, while the bound
    // stays under `limit`, the bound itself. A clock that went back reads again.
    qint64 idleSeconds(qint64 now, qint64 limit);

private:
    IdleSource *m_source;
    bool m_hasRead = false;
    // Seconds since the epoch.
    qint64 m_readAt = 0;
    qint64 m_read = 0;
};
