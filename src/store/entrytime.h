#pragma once

#include "entryrow.h"
#include "stampparser.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QStringList>

#include <optional>
#include <utility>

// The one rule for how long an entry lasts: the real seconds between its start and its end instant,
// never below zero. Every tree, sum, rule group, export, booking and unbooking takes its seconds
// from here.
//
// Stamps are stored as local wall-clock text. Where that text alone names another instant than the
// recorded one (the hour a clock change repeats), the stamps' UTC offsets are kept beside the entry
// in a table of their own; every other stamp is read in the local time zone, as rows of earlier
// versions always were.
class EntryTime
{
public:
    // Reads the kept offsets: a handful of rows a year.
    EntryTime();

    static const QStringList &schemaStatements();

    // Seconds since the epoch of the entry's stored start or end; nullopt when unreadable.
    std::optional<qint64> startInstant(qint64 entryId, const QString &stamp);
    std::optional<qint64> endInstant(qint64 entryId, const QString &stamp);
    // The same from a date and time already read.
    std::optional<qint64> startInstant(qint64 entryId, const QDate &date, const QTime &time);
    std::optional<qint64> endInstant(qint64 entryId, const QDate &date, const QTime &time);
    // The entry's real seconds.
    qint64 seconds(qint64 entryId, const QString &start, const QString &end);
    // The stored date and time with their UTC offset (null when unreadable).
    QDateTime startDateTime(qint64 entryId, const QString &stamp);
    QDateTime endDateTime(qint64 entryId, const QString &stamp);

    static qint64 seconds(std::optional<qint64> start, std::optional<qint64> end)
    {
        return start && end && *end > *start ? *end - *start : 0;
    }
    static qint64 seconds(const QDateTime &start, const QDateTime &end) { return stretchSeconds(start, end); }

    // The offsets to keep for a stretch: none when both stamps, read back in the local time zone,
    // name the instants they were taken at.
    static std::optional<std::pair<int, int>> offsetsToKeep(const QDateTime &start, const QDateTime &end);
    // Stored text of a moment: local wall-clock time.
    static QString stamp(const QDateTime &moment);
    // Reads a stored stamp: in the forms SQLite's date functions read ("yyyy-MM-dd", optionally
    // followed by a blank or "T" and "hh:mm", ":ss" and a fraction, cut to whole seconds), or split
    // into numbers. Anything else is unreadable and counts no time.
    static bool readStamp(QStringView text, QDate *date, QTime *time);
    // The form earlier readers took too: numbers split at the blank, "-" and ":", unpadded ones as well.
    static bool readSplit(QStringView text, QDate *date, QTime *time);
    // The day a stored start names: the day the entry belongs to.
    static QDate day(const QString &stamp)
    {
        QDate date;
        QTime time;
        return readStamp(stamp, &date, &time) ? date : QDate();
    }

    // The UTC offsets kept for the entry's start and end; null for nearly every entry, whose stamps
    // are read in the local time zone.
    const std::pair<int, int> *keptOffsets(qint64 entryId) const
    {
        const auto kept = m_kept.constFind(entryId);
        return kept == m_kept.constEnd() ? nullptr : &*kept;
    }

private:
    int offset(qint64 entryId, const QDate &date, const QTime &time, bool end);
    std::optional<qint64> instant(qint64 entryId, const QDate &date, const QTime &time, bool end);
    std::optional<qint64> instant(qint64 entryId, const QString &stamp, bool end);
    QDateTime dateTime(qint64 entryId, const QString &stamp, bool end);

    QHash<qint64, std::pair<int, int>> m_kept;
    StampParser m_local;
};
