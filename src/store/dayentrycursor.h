#pragma once

#include "entrystore.h"
#include "sqlitestatement.h"

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>

// Walks the rows of the day query forward, reading each column only when asked: building a day's
// tree needs the texts of a few new nodes, not of every row.
class DayEntryCursor
{
public:
    DayEntryCursor(const QDate &day, EntryStore::Link link, const QString &filter, int hideUnder);

    // False at the end or on failure; error() tells which.
    bool next();
    QString error() const { return m_statement.error(); }

    qint64 id() const { return m_statement.integer(m_id); }
    qint64 applicationId() const { return m_statement.integer(m_applicationId); }
    QString appPath() const { return m_statement.text(m_appPath); }
    QString appName() const { return m_statement.text(m_appName); }
    QString title() const { return m_statement.text(m_title); }
    // The title's bytes, valid until the next row: telling titles apart needs no decoding.
    QByteArrayView titleUtf8() const;
    // Accepted by the service: `ext_entry_id` holds something.
    bool hasRemoteEntry() const;
    // Linked entries' task, task list and project ids as text (empty for NULL) and stored names.
    QString extTaskId() const { return m_statement.text(m_extTaskId); }
    QString extTasklistId() const { return m_statement.text(m_extTasklistId); }
    QString extProjectId() const { return m_statement.text(m_extProjectId); }
    QString extTaskName() const { return m_statement.text(m_extTaskName); }
    QString extTasklistName() const { return m_statement.text(m_extTasklistName); }
    QString extProjectName() const { return m_statement.text(m_extProjectName); }
    // The task, task list and project ids when each is an integer or NULL (given as -1); false
    // for any other value, which the text forms then tell apart.
    bool extIds(qint64 *task, qint64 *tasklist, qint64 *project) const;
    QVariant extEntryId() const;
    QVariant extTaskIdValue() const;
    QVariant extTasklistIdValue() const;
    QVariant extProjectIdValue() const;

    // Start and end are read once per row. Unreadable ones are null, count 0 seconds and hour 0.
    QDateTime start() const;
    QDateTime end() const;
    int startHour() const { return m_start.valid ? m_start.time.hour() : 0; }
    qint64 seconds() const { return m_start.valid && m_end.valid ? m_end.utcSeconds - m_start.utcSeconds : 0; }

private:
    // A stored time stamp, with the local UTC offset of its hour.
    struct Stamp
    {
        bool valid = false;
        QDate date;
        QTime time;
        int offset = 0;
        qint64 utcSeconds = 0;
    };
    Stamp readStamp(int column);
    QVariant value(int column) const;

    SqliteStatement m_statement;
    int m_appPath = -1;
    int m_appName = -1;
    int m_id = -1;
    int m_title = -1;
    int m_applicationId = -1;
    int m_startTime = -1;
    int m_endTime = -1;
    int m_extEntryId = -1;
    int m_extTaskId = -1;
    int m_extTasklistId = -1;
    int m_extProjectId = -1;
    int m_extTaskName = -1;
    int m_extTasklistName = -1;
    int m_extProjectName = -1;
    Stamp m_start;
    Stamp m_end;
    // The local UTC offset by hour: looking it up is a time-zone check, once per hour is enough.
    QHash<qint64, int> m_offsets;
};
