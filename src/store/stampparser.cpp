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
    const qint64 hourKey = date.toJulianDay() * 24 + time.hour();
    auto offset = m_offsets.constFind(hourKey);
    if (offset == m_offsets.constEnd()) {
        offset = m_offsets.insert(hourKey, QDateTime(date, time).offsetFromUtc());
    }
    return QDateTime(date, time, Qt::OffsetFromUTC, *offset);
}
