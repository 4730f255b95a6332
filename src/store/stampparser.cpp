#include "stampparser.h"

#include <algorithm>

namespace {

int offsetAtInstant(qint64 secondsSinceEpoch)
{
    return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch, Qt::LocalTime).offsetFromUtc();
}

} // namespace

int StampParser::offsetAt(const QDate &date, const QTime &time)
{
    const qint64 hour = date.toJulianDay() * 24 + time.hour();
    if (hour == m_lastHour) {
        return m_lastOffset;
    }
    if (const auto offset = m_offsets.constFind(hour); offset != m_offsets.constEnd()) {
        m_lastHour = hour;
        m_lastOffset = *offset;
        return m_lastOffset;
    }
    static const qint64 epochDay = QDate(1970, 1, 1).toJulianDay();
    const qint64 wall = (date.toJulianDay() - epochDay) * 86400 + time.msecsSinceStartOfDay() / 1000;
    const int before = offsetAtInstant(wall - 86400);
    const int after = offsetAtInstant(wall + 86400);
    if (before == after) {
        m_offsets.insert(hour, before);
        m_lastHour = hour;
        m_lastOffset = before;
        return before;
    }
    // A clock change is near: every stamp is resolved on its own. A time the change repeats is its
    // first occurrence, one it skips counts as if the clock had not changed yet. (The C library's
    // own guess for such times depends on what it was asked before.)
    const bool beforeHolds = offsetAtInstant(wall - before) == before;
    const bool afterHolds = offsetAtInstant(wall - after) == after;
    if (beforeHolds && afterHolds) {
        return std::max(before, after);
    }
    return afterHolds ? after : before;
}
