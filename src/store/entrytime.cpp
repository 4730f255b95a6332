#include "entrytime.h"

#include "timetext.h"

#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

EntryTime::EntryTime()
{
    QSqlQuery query;
    query.setForwardOnly(true);
    if (query.exec(QStringLiteral("SELECT entry_id, start_utc_offset, end_utc_offset FROM entry_offsets"))) {
        while (query.next()) {
            m_kept.insert(query.value(0).toLongLong(), {query.value(1).toInt(), query.value(2).toInt()});
        }
    }
}

const QStringList &EntryTime::schemaStatements()
{
    // A table of its own: files stay readable by versions that do not know it, which read those
    // few stamps in the local time zone as before.
    static const QStringList statements{
        QStringLiteral("CREATE TABLE IF NOT EXISTS `entry_offsets`( `entry_id` INTEGER PRIMARY KEY, "
                       "`start_utc_offset` INTEGER NOT NULL, `end_utc_offset` INTEGER NOT NULL )"),
    };
    return statements;
}

int EntryTime::offset(qint64 entryId, const QDate &date, const QTime &time, bool end)
{
    const auto kept = m_kept.constFind(entryId);
    return kept != m_kept.constEnd() ? (end ? kept->second : kept->first) : m_local.offsetAt(date, time);
}

std::optional<qint64> EntryTime::instant(qint64 entryId, const QDate &date, const QTime &time, bool end)
{
    if (!date.isValid() || !time.isValid()) {
        return std::nullopt;
    }
    static const qint64 epochDay = QDate(1970, 1, 1).toJulianDay();
    return (date.toJulianDay() - epochDay) * 86400 + time.msecsSinceStartOfDay() / 1000 -
           offset(entryId, date, time, end);
}

QDateTime EntryTime::dateTime(qint64 entryId, const QString &stamp, bool end)
{
    QDate date;
    QTime time;
    if (!readStamp(stamp, &date, &time)) {
        return {};
    }
    return QDateTime(date, time, Qt::OffsetFromUTC, offset(entryId, date, time, end));
}

bool EntryTime::readStamp(QStringView text, QDate *date, QTime *time)
{
    if (StampParser::readStoredForm(text.utf16(), text.size(), date, time)) {
        return true;
    }
    if (text.size() < 10 || !StampParser::readStoredDay(text.utf16(), 10, date)) {
        return readSplit(text, date, time);
    }
    if (text.size() == 10) {
        *time = QTime(0, 0);
        return true;
    }
    if (text.at(10) != QLatin1Char(' ') && text.at(10) != QLatin1Char('T')) {
        return readSplit(text, date, time);
    }
    const QStringView clock = text.mid(11);
    // "hh:mm" gains ":00"; a fraction after "hh:mm:ss" is cut, as strftime('%s') cuts it.
    if (clock.size() == 5) {
        return StampParser::readStoredTime((clock.toString() + QStringLiteral(":00")).utf16(), 8, time);
    }
    if (clock.size() > 8) {
        const QStringView fraction = clock.mid(8);
        if (fraction.size() < 2 || fraction.at(0) != QLatin1Char('.') ||
            !std::all_of(fraction.begin() + 1, fraction.end(), [](QChar c) { return c.isDigit(); })) {
            return false;
        }
    }
    return (clock.size() >= 8 && StampParser::readStoredTime(clock.utf16(), 8, time)) || readSplit(text, date, time);
}

bool EntryTime::readSplit(QStringView text, QDate *date, QTime *time)
{
    const QList<QStringView> halves = text.split(QLatin1Char(' '));
    if (halves.size() != 2) {
        return false;
    }
    const QList<QStringView> day = halves.at(0).split(QLatin1Char('-'));
    const QList<QStringView> clock = halves.at(1).split(QLatin1Char(':'));
    if (day.size() != 3 || clock.size() != 3) {
        return false;
    }
    bool ok = true;
    const auto number = [&ok](QStringView part) {
        bool read = false;
        const int value = part.toInt(&read);
        ok = ok && read;
        return value;
    };
    *date = QDate(number(day.at(0)), number(day.at(1)), number(day.at(2)));
    *time = QTime(number(clock.at(0)), number(clock.at(1)), number(clock.at(2)));
    return ok && date->isValid() && time->isValid();
}

std::optional<qint64> EntryTime::instant(qint64 entryId, const QString &stamp, bool end)
{
    QDate date;
    QTime time;
    if (!readStamp(stamp, &date, &time)) {
        return std::nullopt;
    }
    return instant(entryId, date, time, end);
}

std::optional<qint64> EntryTime::startInstant(qint64 entryId, const QString &stamp)
{
    return instant(entryId, stamp, false);
}

std::optional<qint64> EntryTime::endInstant(qint64 entryId, const QString &stamp)
{
    return instant(entryId, stamp, true);
}

std::optional<qint64> EntryTime::startInstant(qint64 entryId, const QDate &date, const QTime &time)
{
    return instant(entryId, date, time, false);
}

std::optional<qint64> EntryTime::endInstant(qint64 entryId, const QDate &date, const QTime &time)
{
    return instant(entryId, date, time, true);
}

qint64 EntryTime::seconds(qint64 entryId, const QString &start, const QString &end)
{
    return seconds(startInstant(entryId, start), endInstant(entryId, end));
}

QDateTime EntryTime::startDateTime(qint64 entryId, const QString &stamp)
{
    return dateTime(entryId, stamp, false);
}

QDateTime EntryTime::endDateTime(qint64 entryId, const QString &stamp)
{
    return dateTime(entryId, stamp, true);
}

std::optional<std::pair<int, int>> EntryTime::offsetsToKeep(const QDateTime &start, const QDateTime &end)
{
    const auto readsBack = [](const QDateTime &moment) {
        const QDateTime local = moment.toLocalTime();
        return StampParser().offsetAt(local.date(), local.time()) == local.offsetFromUtc();
    };
    if (readsBack(start) && readsBack(end)) {
        return std::nullopt;
    }
    return std::pair<int, int>(start.toLocalTime().offsetFromUtc(), end.toLocalTime().offsetFromUtc());
}

QString EntryTime::stamp(const QDateTime &moment)
{
    return TimeText::formatDateTime(moment.toLocalTime());
}
