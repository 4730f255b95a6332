#pragma once

#include "pendinglinkstore.h"
#include "treemodel.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

// Links entries with a task and takes links back. Linking books the summed time of the entries as
// one remote time entry and marks the local rows; unlinking shortens or deletes the remote entries
// and clears the local links. The main window owns one and connects the views' requests to it.
class EntryLinker : public QObject
{
    Q_OBJECT

public:
    // One entry row as the linked model takes it, plus "ext_task_id".
    using Record = TreeModel::Record;

    // Both models are not owned and must outlive the linker. The parent owns the message boxes.
    EntryLinker(TreeModel *unlinkedModel, TreeModel *linkedModel, QObject *parent = nullptr);

    // The remote entry's start and end; false when they could not be read.
    bool getEntryTimes(int extEntryId, QDateTime &start, QDateTime &end);
    bool updateRemoteEntryTimes(int extEntryId, const QDateTime &start, const QDateTime &end);
    bool deleteRemoteEntry(int extEntryId);
    // Resets the seven link columns of the rows and forgets their unconfirmed booking.
    bool clearEntryLinks(const QStringList &entries);

public Q_SLOTS:
    // Books the entries' time on the task as one remote entry and marks them as linked; false when
    // nothing was linked. May wait for the service in a nested event loop. Removing the entries from
    // the unlinked view is the caller's part.
    bool connectEntriesWithTask(const QStringList &entries, const QString &taskId, const QString &notes);
    // Takes the entries back from their remote entries and returns them to the unlinked view. The linked
    // view removes them as soon as this returns; those whose remote entry could not be changed go back
    // there afterwards, with one message saying how much time stayed linked and why.
    void unlinkEntries(const QStringList &entries);
    // Asks, for each unconfirmed booking holding any of the entries, whether its time is on the
    // service: yes keeps them linked, no unlinks them for a new link.
    void settleEntries(const QStringList &entries);

Q_SIGNALS:
    // The status-bar progress bar: shown with this range and value 0, advanced, hidden.
    void progressStarted(int minimum, int maximum);
    void progressChanged(int value);
    void progressFinished();
    // Both models are rebuilt from the database after a link or unlink that did not go through;
    // the views keep their expanded nodes across it.
    void viewsReloading();
    void viewsReloaded();

private:
    // Remote entry id (0: none) -> the ids of the given entries booked into it.
    struct RemoteGroup
    {
        qint64 seconds = 0;
        QStringList ids;
    };

    // False when one of the ids is not a positive decimal number.
    static bool validIds(const QStringList &entries);
    static bool readRecords(const QStringList &entries, QList<Record> &records);
    static bool readRemoteGroups(const QStringList &entries, QMap<qint64, RemoteGroup> &groups);
    // An application id and a window title of entries, as the database groups them.
    struct Group
    {
        QString applicationId;
        QString title;
    };

    static bool readGroups(const QStringList &entries, QList<Group> &groups);
    // Hands the records to the linked model, one batch per group in order (and per task, for records of
    // several tasks when taskId is empty).
    void addToLinkedModel(const QList<Group> &groups, const QList<Record> &records, const QString &taskId);
    void returnToUnlinkedModel(const QStringList &entries);
    // Entries whose remote time could not be taken back go back to the linked view once the event loop
    // runs again, and the user is told.
    void keepLinked(const QStringList &entries, const QStringList &failures);
    // Once the event loop runs again (after the views took out what they handed over).
    void reloadViewsLater();
    void tellUnconfirmed(const PendingLinkStore::Target &target, const QDate &day, qint64 seconds,
                         const QString &reason);
    // Removes an entry's remote time; the text says why when it fails.
    bool unbook(qint64 extEntryId, qint64 seconds, QString &failure);

    TreeModel *m_unlinkedModel;
    TreeModel *m_linkedModel;
    bool m_reloadScheduled = false;
};
