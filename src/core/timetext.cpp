#include "timetext.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStringList>

QString TimeText::formatDateTime(const QDateTime &dateTime)
{
    return dateTime.toString(QLatin1String(DateTimeFormat));
}

QDateTime TimeText::wholeSeconds(const QDateTime &dateTime)
{
    if (!dateTime.isValid()) {
        return dateTime;
    }
    const int msec = dateTime.time().msec();
    return dateTime.addMSecs(msec >= 500 ? 1000 - msec : -msec);
}

QString TimeText::formatDate(const QDate &date)
{
    return date.toString(QLatin1String(DateFormat));
}

QDate parseDate(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('-'));
    if (parts.size() < 3) {
        return {};
    }
    return QDate(parts.at(0).toInt(), parts.at(1).toInt(), parts.at(2).toInt());
}

QDateTime parseDateTime(const QString &text)
{
    const QStringList halves = text.split(QLatin1Char(' '));
    const QDate date = parseDate(halves.value(0));
    if (!date.isValid()) {
        return {};
    }
    const QStringList clock = halves.value(1).split(QLatin1Char(':'));
    return QDateTime(date, QTime(clock.value(0).toInt(), clock.value(1).toInt(), clock.value(2).toInt()));
}

QString formatDuration(qint64 seconds)
{
    const QLocale locale;
    const qint64 hours = seconds / 3600;
    const qint64 minutes = (seconds % 3600) / 60;
    const qint64 rest = seconds % 60;
    if (hours > 0) {
        //: A duration: hours, minutes and seconds.
        return QCoreApplication::translate("Duration", "%1 h %2 m %3 s")
            .arg(locale.toString(hours), locale.toString(minutes), locale.toString(rest));
    }
    if (minutes > 0) {
        return QCoreApplication::translate("Duration", "%1 m %2 s")
            .arg(locale.toString(minutes), locale.toString(rest));
    }
    return QCoreApplication::translate("Duration", "%1 s").arg(locale.toString(rest));
}
