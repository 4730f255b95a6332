#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// Text forms of time used in the database and on the wire.
namespace TimeText {
inline constexpr char DateTimeFormat[] = "yyyy-MM-dd hh:mm:ss";
inline constexpr char DateFormat[] = "yyyy-MM-dd";

QString formatDateTime(const QDateTime &dateTime);
QString formatDate(const QDate &date);
// The moment rounded to the nearest whole second, as it is stored. Every time taken from the clock
// goes through this first, so that live sums, stored rows and booked seconds agree; rounding (not
// cutting) keeps a checkpoint taken just before a second within half a second of the truth.
QDateTime wholeSeconds(const QDateTime &dateTime);
} // namespace TimeText

// Reads "yyyy-MM-dd hh:mm:ss" by splitting at the blank, "-" and ":". Empty text gives a null value.
QDateTime parseDateTime(const QString &text);
// Reads "yyyy-MM-dd" by splitting at "-". Empty text gives a null date.
QDate parseDate(const QString &text);

// "1 h 2 m 3 s", "2 m 3 s" or "3 s".
QString formatDuration(qint64 seconds);
