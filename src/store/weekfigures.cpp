#include "weekfigures.h"

#include "entrystore.h"
#include "entrytime.h"
#include "sqlitestatement.h"
#include "stampparser.h"
#include "windowinfo.h"

#include <QDebug>
#include <QHash>

#include <algorithm>
#include <utility>

namespace {
constexpr int DaysInWeek = 7;

void addShares(QList<DayShare> *shares, DayShare::Kind kind, const QHash<QString, qint64> &byKey)
{
    QList<DayShare> part;
    for (auto it = byKey.constBegin(); it != byKey.constEnd(); ++it) {
        part.append({kind, it.key(), it.value()});
    }
    // Ties by key, so that the bar looks the same each time it is drawn.
    std::sort(part.begin(), part.end(), [](const DayShare &a, const DayShare &b) {
        return a.seconds != b.seconds ? a.seconds > b.seconds : a.key < b.key;
    });
    *shares += part;
}

struct DayTally
{
    QHash<qint64, qint64> linkedByProject;
    QHash<qint64, qint64> unlinkedByApp;
    qint64 away = 0;
};

// A stored stamp's date and time: the stored form read in place, anything else as EntryTime reads it.
bool readStamp(const SqliteStatement &row, int column, QDate *date, QTime *time)
{
    int size = 0;
    const char *text = row.utf8(column, &size);
    if (!text) {
        return false;
    }
    return StampParser::readStoredForm(text, size, date, time) ||
           EntryTime::readStamp(QString::fromUtf8(text, size), date, time);
}
} // namespace

QList<DayFigures> WeekFigures::load(const QDate &monday, const QStringList &ignoredPaths, bool *ok)
{
    QList<DayFigures> days;
    for (int i = 0; i < DaysInWeek; ++i) {
        DayFigures day;
        day.date = monday.addDays(i);
        days.append(day);
    }
    QHash<qint64, QString> paths;
    SqliteStatement applications(QByteArrayLiteral("SELECT id, path FROM applications"));
    while (applications.next()) {
        paths.insert(applications.integer(0), applications.text(1));
    }
    // A week of heavy days is tens of thousands of rows: read through SQLite itself.
    SqliteStatement query(
        QByteArrayLiteral("SELECT id, start_time, end_time, application_id, ext_task_id IS NOT NULL, ext_project_id, "
                          "ext_entry_id IS NOT NULL FROM entries WHERE start_time >= :from AND start_time <= :to"));
    query.bind(":from", EntryStore::dayStart(monday));
    query.bind(":to", EntryStore::dayEnd(monday.addDays(DaysInWeek - 1)));
    QList<DayTally> tallies(DaysInWeek);
    EntryTime time;
    const QString awayPath = QString::fromLatin1(AwayApp::Path);
    while (query.next()) {
        QDate startDate;
        QTime startTime;
        QDate endDate;
        QTime endTime;
        const qint64 id = query.integer(0);
        const bool started = readStamp(query, 1, &startDate, &startTime);
        const qint64 index = started ? monday.daysTo(startDate) : -1;
        const QString path = paths.value(query.integer(3));
        if (index < 0 || index >= DaysInWeek || ignoredPaths.contains(path)) {
            continue;
        }
        const qint64 seconds =
            readStamp(query, 2, &endDate, &endTime)
                ? EntryTime::seconds(time.startInstant(id, startDate, startTime), time.endInstant(id, endDate, endTime))
                : 0;
        DayFigures &day = days[index];
        DayTally &tally = tallies[index];
        day.recorded += seconds;
        if (query.integer(4) != 0) {
            day.linked += seconds;
            tally.linkedByProject[query.integer(5)] += seconds;
            if (query.integer(6) == 0) {
                day.toBook += seconds;
            }
        } else if (path == awayPath) {
            day.away += seconds;
            tally.away += seconds;
        } else {
            day.unlinked += seconds;
            day.toBook += seconds;
            tally.unlinkedByApp[query.integer(3)] += seconds;
        }
    }
    const bool done = query.isValid() && applications.isValid() && !query.failed() && !applications.failed();
    if (ok) {
        *ok = done;
    }
    if (!done) {
        qDebug() << "week figures query error: " << query.error() << applications.error();
        for (DayFigures &day : days) {
            const QDate date = day.date;
            day = DayFigures();
            day.date = date;
        }
        return days;
    }
    for (int i = 0; i < DaysInWeek; ++i) {
        QHash<QString, qint64> linked;
        for (auto it = tallies.at(i).linkedByProject.constBegin(); it != tallies.at(i).linkedByProject.constEnd();
             ++it) {
            linked.insert(QString::number(it.key()), it.value());
        }
        QHash<QString, qint64> unlinked;
        for (auto it = tallies.at(i).unlinkedByApp.constBegin(); it != tallies.at(i).unlinkedByApp.constEnd(); ++it) {
            unlinked[paths.value(it.key())] += it.value();
        }
        addShares(&days[i].shares, DayShare::Kind::Linked, linked);
        addShares(&days[i].shares, DayShare::Kind::Unlinked, unlinked);
        if (tallies.at(i).away > 0) {
            days[i].shares.append({DayShare::Kind::Away, QString(), tallies.at(i).away});
        }
    }
    return days;
}
