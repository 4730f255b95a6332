#include "stampparser.h"

#include "timetext.h"

namespace {

// "yyyy-MM-dd hh:mm:ss" read in place; anything else goes the general way.
bool readStoredForm(const QString &text, QDate *date, QTime *time)
{
    if (text.size() != 19 || text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-') ||
        text.at(10) != QLatin1Char(' ') || text.at(13) != QLatin1Char(':') || text.at(16) != QLatin1Char(':')) {
        return false;
    }
    const auto number = [&text](int from, int length, bool *ok) {
        int value = 0;
        for (int i = from; i < from + length; ++i) {
            const int digit = text.at(i).unicode() - '0';
            if (digit < 0 || digit > 9) {
                *ok = false;
            }
            value = value * 10 + digit;
        }
        return value;
    };
    bool ok = true;
    *date = QDate(number(0, 4, &ok), number(5, 2, &ok), number(8, 2, &ok));
    *time = QTime(number(11, 2, &ok), number(14, 2, &ok), number(17, 2, &ok));
    return ok && date->isValid() && time->isValid();
}

} // namespace

QDateTime StampParser::operator()(const QString &text)
{
    QDate date;
    QTime time;
    if (!readStoredForm(text, &date, &time)) {
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
