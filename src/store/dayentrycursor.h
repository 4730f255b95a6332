#pragma once

#include "dayrows.h"
#include "entrystore.h"
#include "entrytime.h"
#include "sqlitestatement.h"
#include "stampparser.h"

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>

#include <array>
#include <optional>

// The day query's rows, read forward.
//
// The entries are read without joining their applications: a day names a few hundred of them,
// each looked up once, and the join cost SQLite more than reading the entries themselves. Rows
// whose application is missing are left out, as the join would. With a hide-under threshold the
// day is read once to sum each application's titles, and the rows of the titles that reach it
// are then read again one by one: those are few when the threshold means anything.
class DayEntryCursor final : public DayRows
{
public:
    DayEntryCursor(const QDate &day, EntryStore::Link link, const EntryFilter &filter, int hideUnder);

    bool next() override;
    QString error() const override;

    qint64 id() const override { return m_row->integer(m_id); }
    qint64 applicationId() const override { return m_row->integer(m_applicationId); }
    QString appPath() const override { return m_application->path; }
    QString appName() const override { return m_application->name; }
    int applicationNumber() const override { return m_application->number; }
    QString title() const override { return m_row->text(m_title); }
    QByteArrayView titleUtf8() const override;
    // Accepted by the service: `ext_entry_id` holds something.
    bool hasRemoteEntry() const override;
    bool isUnconfirmed() const override { return m_unconfirmed.contains(id()); }
    QString extTaskId() const override { return m_row->text(m_extTaskId); }
    QString extTasklistId() const override { return m_row->text(m_extTasklistId); }
    QString extProjectId() const override { return m_row->text(m_extProjectId); }
    // Only a new group needs them, so they are read apart, once for a row asked.
    QString extTaskName() const override { return storedName(0); }
    QString extTasklistName() const override { return storedName(1); }
    QString extProjectName() const override { return storedName(2); }
    bool extIds(qint64 *task, qint64 *tasklist, qint64 *project) const override;
    QVariant extEntryId() const;
    QVariant extTaskIdValue() const;
    QVariant extTasklistIdValue() const;
    QVariant extProjectIdValue() const;

    // Start and end are read once per row. Unreadable ones are null, count 0 seconds and hour 0.
    QDateTime start() const;
    QDateTime end() const;
    int startHour() const override { return m_start.valid ? m_start.time.hour() : 0; }
    qint64 seconds() const override { return seconds(m_start, m_end); }

private:
    struct Application
    {
        QString path;
        QString name;
        bool exists = false;
        int number = -1;
    };
    // An application's titles are told apart by their bytes; a NULL title is a group of its own.
    struct TitleGroup
    {
        qint64 application = 0;
        QByteArrayView title;
        bool null = false;
        bool operator==(const TitleGroup &other) const
        {
            return application == other.application && null == other.null && title == other.title;
        }
        friend size_t qHash(const TitleGroup &group, size_t seed = 0)
        {
            return qHashMulti(seed, group.application, group.title, group.null);
        }
    };

    // The row's application, or null when its id names none.
    const Application *readApplication();
    // The rows of the day's groups whose real time reaches `hideUnder`, counted as the trees count it.
    void keepRowsReaching(int hideUnder);
    // Moves to the next row of the day, or of the rows kept.
    bool step();
    TitleGroup currentGroup() const;
    QString storedName(int column) const;
    // Both stamps of the current row, at the instants they were recorded.
    void readStamps();

    // A stored time stamp, with the local UTC offset of its hour.
    struct Stamp
    {
        bool valid = false;
        // "yyyy-MM-dd hh:mm:ss", the form SQLite's date functions read as this program does.
        bool storedForm = false;
        QDate date;
        QTime time;
        int offset = 0;
        qint64 utcSeconds = 0;
    };
    Stamp readStamp(int column);
    static qint64 seconds(const Stamp &start, const Stamp &end)
    {
        return start.valid && end.valid ? EntryTime::seconds(start.utcSeconds, end.utcSeconds) : 0;
    }
    // Nearly every stamp of a day starts with the same date: its text is compared, not read.
    bool readDay(const char *text, QDate *date);
    QVariant value(int column) const;

    SqliteStatement m_statement;
    // The current row: of the day statement, or of the entry read by id.
    SqliteStatement *m_row = &m_statement;
    SqliteStatement m_entryQuery;
    SqliteStatement m_applicationQuery;
    mutable SqliteStatement m_namesQuery;
    // The entry the names query stands on.
    mutable qint64 m_namesEntry = -1;
    QHash<qint64, Application> m_applications;
    const Application *m_application = nullptr;
    int m_applicationCount = 0;
    // Set with a threshold: the ids of the rows to hand out, in the day's order.
    std::optional<QList<qint64>> m_shownIds;
    qsizetype m_nextShown = 0;
    mutable QString m_error;
    int m_id = -1;
    int m_title = -1;
    int m_applicationId = -1;
    int m_startTime = -1;
    int m_endTime = -1;
    int m_extEntryId = -1;
    int m_extTaskId = -1;
    int m_extTasklistId = -1;
    int m_extProjectId = -1;
    Stamp m_start;
    Stamp m_end;
    // The local UTC offset by hour: looking it up is a time-zone check, once per hour is enough.
    StampParser m_offsets;
    // The few stamps whose text alone does not tell their instant.
    EntryTime m_time;
    QSet<qint64> m_unconfirmed;
    struct
    {
        std::array<char, 10> text{};
        QDate date;
    } m_lastDay;
};
