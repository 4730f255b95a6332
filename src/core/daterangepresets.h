#pragma once

#include <QDate>
#include <QList>
#include <QString>

// The ranges offered wherever a range of days is chosen ("Today", "This Week", ..., "Custom"),
// worked out from the day they are chosen on.
class DateRangePresets
{
public:
    struct Preset
    {
        QString text;
        QString key;
    };

    // In the order they are offered, in the user's language; "Custom" (key "custom") last.
    static QList<Preset> all();

    // The range of the preset `key` on the day `today`; false for "custom" and unknown keys.
    static bool range(const QString &key, const QDate &today, QDate *from, QDate *to);
};
