#include "daterangepresets.h"

#include <QCoreApplication>

QList<DateRangePresets::Preset> DateRangePresets::all()
{
    return {
        {QCoreApplication::translate("DateRangePresets", "Today"), QStringLiteral("today")},
        {QCoreApplication::translate("DateRangePresets", "Yesterday"), QStringLiteral("yesterday")},
        {QCoreApplication::translate("DateRangePresets", "3 Days Back"), QStringLiteral("3 days back")},
        {QCoreApplication::translate("DateRangePresets", "This Week"), QStringLiteral("this week")},
        {QCoreApplication::translate("DateRangePresets", "Previous Week"), QStringLiteral("prev week")},
        {QCoreApplication::translate("DateRangePresets", "This Month"), QStringLiteral("this month")},
        {QCoreApplication::translate("DateRangePresets", "Previous Month"), QStringLiteral("prev month")},
        {QCoreApplication::translate("DateRangePresets", "Custom"), QStringLiteral("custom")},
    };
}

bool DateRangePresets::range(const QString &key, const QDate &today, QDate *from, QDate *to)
{
    const int weekday = today.dayOfWeek();
    const QDate firstOfMonth(today.year(), today.month(), 1);
    if (key == QLatin1String("today")) {
        *from = today;
        *to = today;
    } else if (key == QLatin1String("yesterday")) {
        *from = today.addDays(-1);
        *to = *from;
    } else if (key == QLatin1String("3 days back")) {
        *from = today.addDays(-3);
        *to = today;
    } else if (key == QLatin1String("this week")) {
        *from = today.addDays(-(weekday - 1));
        *to = from->addDays(6);
    } else if (key == QLatin1String("prev week")) {
        *from = today.addDays(-6 - weekday);
        *to = from->addDays(6);
    } else if (key == QLatin1String("this month")) {
        *from = firstOfMonth;
        *to = firstOfMonth.addMonths(1).addDays(-1);
    } else if (key == QLatin1String("prev month")) {
        *from = firstOfMonth.addMonths(-1);
        *to = firstOfMonth.addDays(-1);
    } else {
        return false;
    }
    return true;
}
