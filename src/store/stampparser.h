#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

// Reads the parts of stored time stamps in place, and gives the local UTC offset of a wall-clock
// time, looked up once per hour of the day instead of once per value: that look-up (a time-zone
// check per QDateTime) dominated the cost of reading a day of many short entries.
class StampParser
{
public:
    // The local UTC offset at that time, looked up once per hour; consecutive stamps mostly fall
    // in the same hour, which is answered without a look-up. Near a clock change each stamp is
    // resolved on its own, the same way every time.
    int offsetAt(const QDate &date, const QTime &time);

    // "yyyy-MM-dd hh:mm:ss", the form the program stores, read in place from UTF-8 bytes or UTF-16
    // text; false for anything else, which then goes the general way.
    template <typename Char> static bool readStoredForm(const Char *text, qsizetype size, QDate *date, QTime *time)
    {
        return size == 19 && readStoredDay(text, 10, date) && text[10] == ' ' && readStoredTime(text + 11, 8, time);
    }
    // The time of day alone, "hh:mm:ss".
    template <typename Char> static bool readStoredTime(const Char *text, qsizetype size, QTime *time)
    {
        if (size != 8 || text[2] != ':' || text[5] != ':') {
            return false;
        }
        bool ok = true;
        const int hour = number(text, 2, &ok);
        const int minute = number(text + 3, 2, &ok);
        const int second = number(text + 6, 2, &ok);
        if (!ok || hour > 23 || minute > 59 || second > 59) {
            return false;
        }
        *time = QTime::fromMSecsSinceStartOfDay(((hour * 60 + minute) * 60 + second) * 1000);
        return true;
    }
    // The day alone, "yyyy-MM-dd".
    template <typename Char> static bool readStoredDay(const Char *text, qsizetype size, QDate *date)
    {
        if (!text || size != 10 || text[4] != '-' || text[7] != '-') {
            return false;
        }
        bool ok = true;
        *date = QDate(number(text, 4, &ok), number(text + 5, 2, &ok), number(text + 8, 2, &ok));
        return ok && date->isValid();
    }

private:
    template <typename Char> static int number(const Char *text, int length, bool *ok)
    {
        int value = 0;
        for (int i = 0; i < length; ++i) {
            const int digit = int(text[i]) - '0';
            *ok = *ok && digit >= 0 && digit <= 9;
            value = value * 10 + digit;
        }
        return value;
    }

    QHash<qint64, int> m_offsets;
    qint64 m_lastHour = -1;
    int m_lastOffset = 0;
};
