#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

// Reads stored time stamps like parseDateTime, but looks the local UTC offset up once per hour of
// the day instead of once per value: that look-up (a time-zone check per QDateTime) dominated the
// cost of reading a day of many short entries. The values compare and subtract like local times.
class StampParser
{
public:
    QDateTime operator()(const QString &text);

private:
    QHash<qint64, int> m_offsets;
};
