#pragma once

#include <QDateTime>

// Source of the current local time. Recording and date presets ask a Clock instead of QDateTime
// directly so that tests can move time forward, across midnight, at will.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // The same moment without the local-time conversion, for what only counts milliseconds.
    virtual qint64 msecsSinceEpoch() const { return now().toMSecsSinceEpoch(); }
    QDate today() const { return now().date(); }
};

class SystemClock final : public Clock
{
public:
    QDateTime now() const override;
    qint64 msecsSinceEpoch() const override;

    // The process-wide clock used when no other one is injected.
    static Clock *instance();
};
