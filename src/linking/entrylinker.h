#pragma once

#include "bookingservice.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

class TreeModel;

// Presents linking to the user: takes the views' requests, has the booking service carry them out,
// tells the user what happened and shows the result in both entry trees.
class EntryLinker : public QObject
{
    Q_OBJECT

public:
    // Both models are not owned and must outlive the linker. The parent owns the message boxes.
    EntryLinker(TreeModel *unlinkedModel, TreeModel *linkedModel, QObject *parent = nullptr);

    BookingService *service() { return &m_service; }

    // The entry ids of a view as the store takes them; false when one is not a positive number.
    static bool toEntryIds(const QStringList &texts, EntryIds *ids);

    using LinkDone = std::function<void(BookingService::LinkResult::Status)>;

    // A link, unlink or settling is under way; what is asked meanwhile waits its turn.
    bool isBusy() const { return m_busy; }

    // Books the entries' time on the task as one remote entry and marks them as linked, and tells
    // what became of them; `done` learns the status at the end.
    void link(const QStringList &entries, const QString &taskId, const QString &notes, const LinkDone &done = {});

public Q_SLOTS:
    void connectEntriesWithTask(const QStringList &entries, const QString &taskId, const QString &notes);
    // Takes the entries back from their remote entries; those that stay linked go back to the
    // linked view, with one message saying how much time stayed linked and why.
    void unlinkEntries(const QStringList &entries);
    // Settles the unconfirmed bookings and unbookings holding any of the entries: unbookings by
    // asking the service, bookings (and unbookings it cannot tell) by asking the user.
    void settleEntries(const QStringList &entries);

Q_SIGNALS:
    void progressStarted(int minimum, int maximum);
    void progressChanged(int value);
    void progressFinished();
    // The store's unlinked days may have changed: the calendar's marks are to be renewed.
    void linksChanged();
    void busyChanged(bool busy);

private:
    // Runs `flow` once those asked for before it are over; each flow ends by calling runNext(),
    // which starts the next one or ends the busy state.
    void enqueue(const std::function<void()> &flow);
    void runNext();
    void tellLinkResult(const BookingService::LinkResult &result);
    void showStored(const EntryIds &linkedIds = {});
    void tellUnlinkResult(const BookingService::UnlinkResult &result);
    static QString taskText(qint64 taskId, const QString &taskName);
    // Yes or no; nothing when the user decides later.
    std::optional<bool> askToSettle(const QString &question);
    // The settling's steps: the bookings by the user's answer, then each unbooking by the service's.
    void settleUnbookings(const QList<PendingUnbooking> &unbookings, bool failed);

    BookingService m_service;
    TreeModel *m_unlinkedModel;
    TreeModel *m_linkedModel;
    std::deque<std::function<void()>> m_queue;
    bool m_busy = false;
};
