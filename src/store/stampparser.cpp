#include "stampparser.h"

#include "timetext.h"

QDateTime StampParser::operator()(const QString &text)
{
    QDate date;
    QTime time;
    if (!readStoredForm(text.utf16(), text.size(), &date, &time)) {
        const QDateTime parsed = parseDateTime(text);
        if (!parsed.isValid() || !parsed.time().isValid()) {
            return parsed;
        }
        date = parsed.date();
        time = parsed.time();
    }
    return QDateTime(date, time, Qt::OffsetFromUTC, offsetAt(date, time));
}

int StampParser::offsetAt(const QDate &date, const QTime &time)
{
    const qint64 hour = date.toJulianDay() * 24 + time.hour();
    if (hour != m_lastHour) {
        auto offset = m_offsets.constFind(hour);
        if (offset == m_offsets.constEnd()) {
            offset = m_offsets.insert(hour, QDateTime(date, time).offsetFromUtc());
        }
        m_lastHour = hour;
        m_lastOffset = *offset;
    }
    return m_lastOffset;
}
