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

    // "yyyy-MM-dd hh:mm:ss", the form the program stores, read in place from UTF-8 bytes or UTF-16
    // text; false for anything else, which then goes the general way.
    template <typename Char> static bool readStoredForm(const Char *text, qsizetype size, QDate *date, QTime *time)
    {
        if (!text || size != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
            text[16] != ':') {
            return false;
        }
        bool ok = true;
        const auto number = [text, &ok](int from, int length) {
            int value = 0;
            for (int i = from; i < from + length; ++i) {
                const int digit = int(text[i]) - '0';
                ok = ok && digit >= 0 && digit <= 9;
                value = value * 10 + digit;
            }
            return value;
        };
        *date = QDate(number(0, 4), number(5, 2), number(8, 2));
        *time = QTime(number(11, 2), number(14, 2), number(17, 2));
        return ok && date->isValid() && time->isValid();
    }

private:
    QHash<qint64, int> m_offsets;
};
