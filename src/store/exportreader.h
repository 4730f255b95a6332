#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

// One entry as it leaves the program: its times, application, title and link.
struct ExportRecord
{
    qint64 id = 0;
    // The day the entry belongs to: the day it starts.
    QDate date;
    // Local times carrying their UTC offset, so that the hour repeated at the end of summer time
    // stays unambiguous.
    QDateTime start;
    QDateTime end;
    qint64 seconds = 0;
    QString appName;
    QString appPath;
    QString title;
    bool away = false;
    // Null while the entry is unlinked (the ids) or the service has not accepted it (remote id).
    QVariant taskId;
    QString taskName;
    QVariant tasklistId;
    QString tasklistName;
    QVariant projectId;
    QString projectName;
    // Not stored locally: filled from the projects catalogue when one is at hand.
    QString clientId;
    QString clientName;
    QVariant remoteEntryId;
};

// Reads every entry that starts in a range of days, linked or not, in start order.
class ExportReader
{
public:
    // Days `from` to `to`, both included. `ok` tells a failed query from an empty range.
    static QList<ExportRecord> read(const QDate &from, const QDate &to, bool *ok = nullptr);
};
