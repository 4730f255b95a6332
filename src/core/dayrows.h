#pragma once

#include <QByteArrayView>
#include <QString>

// A day's entries read forward one row at a time, each column read only when asked: a day's tree
// needs the texts of a few new nodes, not of every row.
class DayRows
{
public:
    virtual ~DayRows() = default;

    // False at the end or on failure; error() tells which.
    virtual bool next() = 0;
    virtual QString error() const = 0;

    virtual qint64 id() const = 0;
    virtual qint64 applicationId() const = 0;
    virtual QString appPath() const = 0;
    virtual QString appName() const = 0;
    // The row's application numbered from 0 in the order the day names them: a key for what the
    // caller keeps per application, without hashing the id.
    virtual int applicationNumber() const = 0;
    virtual QString title() const = 0;
    // The title's bytes, valid until the next row: telling titles apart needs no decoding.
    virtual QByteArrayView titleUtf8() const = 0;
    // Accepted by the service: it holds an entry for it.
    virtual bool hasRemoteEntry() const = 0;
    // Linked, but whether the service took its booking (or its unbooking) is not known yet.
    virtual bool isUnconfirmed() const = 0;
    // Linked entries' task, task list and project ids as text (empty when unset) and stored names.
    virtual QString extTaskId() const = 0;
    virtual QString extTasklistId() const = 0;
    virtual QString extProjectId() const = 0;
    virtual QString extTaskName() const = 0;
    virtual QString extTasklistName() const = 0;
    virtual QString extProjectName() const = 0;
    // The task, task list and project ids when each is an integer or unset (given as -1); false
    // for any other value, which the text forms then tell apart.
    virtual bool extIds(qint64 *task, qint64 *tasklist, qint64 *project) const = 0;
    // Unreadable stamps count 0 seconds and hour 0.
    virtual int startHour() const = 0;
    virtual qint64 seconds() const = 0;
};
