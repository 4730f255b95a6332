#include "apirequest.h"
#include "devservicestore.h"
#include "entrieslist.h"
#include "entrystore.h"
#include "linkingfixture.h"
#include "linkstore.h"
#include "linktimedialog.h"
#include "recordingpresenter.h"
#include "ruleengine.h"
#include "timetree.h"
#include "viewtestdb.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

int boxesTitled(const RecordingPresenter &presenter, const QString &title)
{
    return int(std::count_if(presenter.boxes().cbegin(), presenter.boxes().cend(),
                             [&](const MessageBox::Box &box) { return box.title == title; }));
}

} // namespace

class TestEntryLinker : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkingFixture> m_fixture;
    RecordingPresenter m_presenter;
    EntryLinker *m_linker = nullptr;
    TreeModel *m_unlinked = nullptr;
    TreeModel *m_linked = nullptr;

    // The linking asked for so far is over.
    bool settled()
    {
        QSignalSpy idle(m_linker, &EntryLinker::busyChanged);
        return !m_linker->isBusy() || idle.wait(10000);
    }

    // Links through the linker and waits for the outcome.
    BookingService::LinkResult::Status link(const QStringList &ids, int taskId)
    {
        auto status = BookingService::LinkResult::Status::NotLinked;
        m_linker->link(ids, QString::number(taskId), QString(),
                       [&status](BookingService::LinkResult::Status outcome) { status = outcome; });
        return settled() ? status : BookingService::LinkResult::Status::NotLinked;
    }

    // Links through the linker directly and shows the day afresh, as after a restart; gives the remote id.
    int linkDirectly(const QList<qint64> &entries, int taskId)
    {
        QStringList ids;
        for (qint64 entry : entries) {
            ids << QString::number(entry);
        }
        if (link(ids, taskId) != BookingService::LinkResult::Status::Linked) {
            return 0;
        }
        m_unlinked->reload();
        m_linked->reload();
        m_fixture->server.clearRequests();
        return LinkingFixture::column(entries.first(), "ext_entry_id").toInt();
    }

    // The linked view's Unlink on the entries with these titles, answered with Yes.
    void unlinkThroughView(const QStringList &titles)
    {
        EntriesList view;
        view.setModel(m_linked);
        view.expandAll();
        for (const QString &title : titles) {
            view.selectionModel()->select(ViewTest::find(*m_linked, title),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        connect(&view, &EntriesList::signalUnlinkEntries, m_linker, &EntryLinker::unlinkEntries);
        m_presenter.answerNext(MessageBox::Yes);
        view.onMenuUnlink();
        QVERIFY(settled());
    }

    // The unlinked view's Link on the entries with these titles, the dialog answering with the task.
    void linkThroughView(const QStringList &titles, int taskId)
    {
        TimeTree tree;
        tree.setModel(m_unlinked);
        tree.setLinkDialog([taskId](QWidget *, const QString &, qint64) {
            return TimeTree::LinkChoice{true, taskId, QString()};
        });
        connect(&tree, &TimeTree::signalConnectEntriesWithTask, m_linker, &EntryLinker::connectEntriesWithTask);
        tree.expandAll();
        for (const QString &title : titles) {
            tree.selectionModel()->select(ViewTest::find(*m_unlinked, title),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        tree.onMenuLink();
        QVERIFY(settled());
    }

    int remoteEntries() const { return int(m_fixture->store()->entries(m_fixture->userId).size()); }

    // Both views hold exactly what the database holds: the unlinked and linked seconds of the day.
    static bool showsTheStore(const TreeModel &unlinked, const TreeModel &linked)
    {
        const auto stored = [](const char *condition) {
            QSqlQuery query(QStringLiteral("SELECT COALESCE(SUM(strftime('%s', end_time) - strftime('%s', "
                                           "start_time)), 0) FROM entries WHERE ext_task_id ") +
                            QLatin1String(condition));
            return query.next() ? query.value(0).toLongLong() : -1;
        };
        return unlinked.totalTime() == stored("IS NULL") && linked.totalTime() == stored("NOT NULL") &&
               ViewTest::consistent(unlinked) && ViewTest::consistent(linked);
    }

    static bool anyUnconfirmed(const TreeModel &model, const QModelIndex &parent = {})
    {
        for (int row = 0; row < model.rowCount(parent); ++row) {
            const QModelIndex index = model.index(row, 0, parent);
            if (model.itemProperty(index, QStringLiteral("unconfirmed")).toBool() || anyUnconfirmed(model, index)) {
                return true;
            }
        }
        return false;
    }

    static bool linkedTo(qint64 entry, int taskId)
    {
        return LinkingFixture::column(entry, "ext_task_id").toInt() == taskId &&
               LinkingFixture::column(entry, "ext_entry_id").toInt() > 0;
    }

    static bool unlinked(qint64 entry)
    {
        return LinkingFixture::column(entry, "ext_task_id").isNull() &&
               LinkingFixture::column(entry, "ext_entry_id").isNull();
    }

private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<LinkingFixture>();
        QVERIFY(m_fixture->start());
        m_presenter.clear();
        m_linker = &m_fixture->models->linker;
        m_unlinked = &m_fixture->models->unlinked;
        m_linked = &m_fixture->models->linked;
    }

    void cleanup() { m_fixture.reset(); }

    void linkByDialogBooksOneRemoteEntry()
    {
        const QString notes = QStringLiteral("Café & co: 50% = ½\nline 2");
        TimeTree tree;
        tree.setModel(m_unlinked);
        tree.setLinkDialog(&LinkTimeDialog::ask);
        connect(&tree, &TimeTree::signalConnectEntriesWithTask, m_linker, &EntryLinker::connectEntriesWithTask);
        tree.expandAll();
        tree.selectAll();
        whenModal<LinkTimeDialog>([&](LinkTimeDialog *dialog) {
            auto *projects = dialog->findChild<QComboBox *>(QStringLiteral("cbProjects"));
            projects->setCurrentIndex(projects->findText(QStringLiteral("Linking")));
            Q_EMIT projects->activated(projects->currentIndex());
            auto *tasks = dialog->findChild<QComboBox *>(QStringLiteral("cbTasks"));
            tasks->setCurrentIndex(tasks->findData(m_fixture->reviewId));
            dialog->findChild<QPlainTextEdit *>(QStringLiteral("textNotes"))->setPlainText(notes);
            dialog->accept();
        });
        tree.onMenuLink();
        QVERIFY(settled());

        const int remoteId = LinkingFixture::column(m_fixture->report1, "ext_entry_id").toInt();
        const auto remote = m_fixture->store()->entry(remoteId);
        QVERIFY(remote.has_value());
        QCOMPARE(remote->duration, 1260);
        QCOMPARE(remote->description, notes);
        QCOMPARE(remote->date, LinkingFixture::Day);
        QCOMPARE(remote->taskId, m_fixture->reviewId);
        for (qint64 entry : {m_fixture->report1, m_fixture->inbox, m_fixture->report2, m_fixture->notes}) {
            QCOMPARE(LinkingFixture::column(entry, "ext_entry_id").toInt(), remoteId);
        }
        QCOMPARE(LinkingFixture::column(m_fixture->notes, "ext_tasklist_name").toString(), QStringLiteral("Alpha"));
        // The unlinked view gave up exactly what the linked view received, one leaf per application and title.
        QCOMPARE(m_unlinked->totalTime(), 0);
        QCOMPARE(m_linked->totalTime(), 1260);
        const QModelIndex review = ViewTest::find(*m_linked, QStringLiteral("Review"));
        QCOMPARE(m_linked->rowCount(review), 2);
        QStringList leaves;
        for (const char *title : {"Report", "Inbox", "Notes"}) {
            leaves << m_linked
                          ->itemProperty(ViewTest::find(*m_linked, QLatin1String(title), review),
                                         QStringLiteral("time"))
                          .toString();
        }
        QCOMPARE(leaves, (QStringList{QStringLiteral("900"), QStringLiteral("300"), QStringLiteral("60")}));
        QVERIFY(ViewTest::consistent(*m_linked) && ViewTest::consistent(*m_unlinked));
    }

    void remoteEntryTakesTheFirstEntrysDate()
    {
        const qint64 nextDay =
            LinkingFixture::addEntry(m_fixture->mail, "make", "2026-03-11 10:00:00", "2026-03-11 10:05:00");
        QVERIFY(linkDirectly({nextDay, m_fixture->inbox}, m_fixture->shipId) > 0);
        const auto remote = m_fixture->store()->entry(LinkingFixture::column(nextDay, "ext_entry_id").toInt());
        QCOMPARE(remote->date, LinkingFixture::Day);
        QCOMPARE(remote->duration, 600);
    }

    void taskUnknownToTheCatalogueStillLinksLocally()
    {
        const int fresh = m_fixture->store()->addTask(m_fixture->betaId, QStringLiteral("Created elsewhere"));
        QVERIFY(linkDirectly({m_fixture->notes}, fresh) > 0);
        QVERIFY(linkedTo(m_fixture->notes, fresh));
        QVERIFY(LinkingFixture::column(m_fixture->notes, "ext_task_name").isNull());
        QCOMPARE(m_linked->totalTime(), 60);
        QCOMPARE(m_unlinked->totalTime(), 1200);
    }

    // Unlinking part of a remote entry moves its end earlier by exactly that time; all of it deletes it.
    void unlinkShortensOrDeletesTheRemoteEntry_data()
    {
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<int>("kept");
        QTest::newRow("part") << QStringList{QStringLiteral("Notes")} << 900;
        QTest::newRow("all") << QStringList{QStringLiteral("Report"), QStringLiteral("Notes")} << 0;
    }

    void unlinkShortensOrDeletesTheRemoteEntry()
    {
        QFETCH(QStringList, titles);
        QFETCH(int, kept);
        const int remoteId =
            linkDirectly({m_fixture->report1, m_fixture->report2, m_fixture->notes}, m_fixture->writeId);
        const auto before = m_fixture->store()->entry(remoteId);
        unlinkThroughView(titles);
        const auto after = m_fixture->store()->entry(remoteId);
        QCOMPARE(after.has_value(), kept > 0);
        if (after) {
            QCOMPARE(after->start, before->start);
            QCOMPARE(after->end, before->end.addSecs(kept - 960));
        }
        QVERIFY(unlinked(m_fixture->notes));
        QCOMPARE(unlinked(m_fixture->report1) && unlinked(m_fixture->report2), kept == 0);
        QCOMPARE(m_unlinked->totalTime(), 1260 - kept);
        QCOMPARE(m_linked->totalTime(), qint64(kept));
        QVERIFY(ViewTest::consistent(*m_linked) && ViewTest::consistent(*m_unlinked));
    }

    void twoRemoteEntriesInAscendingOrder()
    {
        const int first = linkDirectly({m_fixture->report1}, m_fixture->writeId);
        const int second = linkDirectly({m_fixture->inbox}, m_fixture->shipId);
        QVERIFY(first > 0 && second > first);
        QSignalSpy started(m_linker, &EntryLinker::progressStarted);
        unlinkThroughView({QStringLiteral("Inbox"), QStringLiteral("Report")});
        QStringList reads;
        for (const DevServerRequest &request : m_fixture->requests("tavro.entries.getInfo")) {
            reads << request.value(QStringLiteral("entry_id"));
        }
        QCOMPARE(reads, (QStringList{QString::number(first), QString::number(second)}));
        QCOMPARE(started.first(), (QVariantList{0, 4}));
        QVERIFY(!m_fixture->store()->entry(first).has_value() && !m_fixture->store()->entry(second).has_value());
    }

    // A remote entry whose times cannot be read, or that the service will not change, keeps its links.
    void failedUnlinkKeepsTheLinks_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("fault");
        QTest::addColumn<QStringList>("titles");
        const QString read = QStringLiteral("tavro.entries.getInfo");
        const QStringList notes{QStringLiteral("Notes")};
        QTest::newRow("read error") << read << int(DevServer::Fault::Error) << notes;
        QTest::newRow("read closed") << read << int(DevServer::Fault::Close) << notes;
        QTest::newRow("read cut short") << read << int(DevServer::Fault::Malformed) << notes;
        QTest::newRow("update refused") << QStringLiteral("tavro.entries.update") << int(DevServer::Fault::Error)
                                        << notes;
        QTest::newRow("delete refused") << QStringLiteral("tavro.entries.delete") << int(DevServer::Fault::Error)
                                        << QStringList{QStringLiteral("Report"), QStringLiteral("Notes")};
    }

    void failedUnlinkKeepsTheLinks()
    {
        QFETCH(QString, method);
        QFETCH(int, fault);
        QFETCH(QStringList, titles);
        const int remoteId =
            linkDirectly({m_fixture->report1, m_fixture->report2, m_fixture->notes}, m_fixture->writeId);
        const auto before = m_fixture->store()->entry(remoteId);
        m_fixture->server.setFault(method, DevServer::Fault(fault));
        unlinkThroughView(titles);
        const auto after = m_fixture->store()->entry(remoteId);
        QVERIFY(after.has_value());
        QCOMPARE(after->end, before->end);
        for (qint64 entry : {m_fixture->report1, m_fixture->report2, m_fixture->notes}) {
            QVERIFY(linkedTo(entry, m_fixture->writeId));
        }
        QCOMPARE(m_unlinked->totalTime(), 300);
        // Back in the linked view once the view has let them go, with one message about it.
        QTRY_COMPARE(boxesTitled(m_presenter, QStringLiteral("Unlink failed")), 1);
        QCOMPARE(m_linked->totalTime(), 960);
        QVERIFY(ViewTest::consistent(*m_linked));
    }
    // A booking whose answer is lost or unusable may have been made: its entries are kept linked and
    // marked unconfirmed, never offered for a second booking, and the user settles them.
    void unknownOutcomeNeverBooksTwice_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("delay");
        QTest::addColumn<bool>("booked");
        QTest::newRow("reply cut short") << int(DevServer::Fault::Malformed) << 0 << true;
        QTest::newRow("ok without an id") << int(DevServer::Fault::NoId) << 0 << true;
        QTest::newRow("reply after the time-out") << int(DevServer::Fault::None) << 1500 << true;
        QTest::newRow("connection dropped") << int(DevServer::Fault::Close) << 0 << false;
    }

    void unknownOutcomeNeverBooksTwice()
    {
        QFETCH(int, fault);
        QFETCH(int, delay);
        QFETCH(bool, booked);
        const QString addBulk = QStringLiteral("tavro.entries.addBulk");
        const QString notesId = QString::number(m_fixture->notes);
        const int before = remoteEntries();
        m_fixture->server.setFault(addBulk, DevServer::Fault(fault));
        m_fixture->server.setDelay(delay, addBulk);
        ApiRequest::setStandardTimeout(500);
        linkThroughView({QStringLiteral("Notes")}, m_fixture->writeId);
        ApiRequest::setStandardTimeout(ApiRequest::defaultTimeout);
        m_fixture->server.clearFaults();
        QCOMPARE(remoteEntries(), before + (booked ? 1 : 0));
        const qsizetype asked = m_fixture->requests("tavro.entries.addBulk").size();
        QCOMPARE(boxesTitled(m_presenter, QStringLiteral("Booking not confirmed")), 1);
        QCOMPARE(LinkStore::unconfirmedAmong({m_fixture->notes}), EntryIds{m_fixture->notes});
        QCOMPARE(LinkingFixture::column(m_fixture->notes, "ext_task_id").toInt(), m_fixture->writeId);
        QTRY_COMPARE(m_linked->totalTime(), 60);
        QVERIFY(showsTheStore(*m_unlinked, *m_linked));

        // Neither a new link, nor a rule run, nor the timestamps list, nor an unlink takes them as unlinked.
        QCOMPARE(link({notesId}, m_fixture->shipId), BookingService::LinkResult::Status::NotLinked);
        for (const EntryGroup &group : RuleEngine::loadGroups(LinkingFixture::Day, LinkingFixture::Day)) {
            QVERIFY(!group.entryIds.contains(notesId));
        }
        for (const EntryRow &row : EntryStore::dayStretches(LinkingFixture::Day, QString(), QString())) {
            QVERIFY(row.id != m_fixture->notes);
        }
        unlinkThroughView({QStringLiteral("Notes")});
        QTRY_COMPARE(boxesTitled(m_presenter, QStringLiteral("Unlink failed")), 1);
        QVERIFY(m_fixture->requests("tavro.entries.addBulk").size() == asked &&
                m_fixture->requests("tavro.entries.getInfo").isEmpty());
        QTRY_VERIFY(showsTheStore(*m_unlinked, *m_linked) && m_linked->totalTime() == 60);

        // Settled as the service has it: kept linked when booked, free for one new link when not.
        m_presenter.answerNext(booked ? MessageBox::Yes : MessageBox::No);
        m_linker->settleEntries({notesId});
        QVERIFY(settled());
        QVERIFY(LinkStore::unconfirmedAmong({m_fixture->notes}).isEmpty());
        // Nothing shows them as unconfirmed any longer.
        QVERIFY(!anyUnconfirmed(*m_linked));
        QCOMPARE(LinkingFixture::column(m_fixture->notes, "ext_task_id").isNull(), !booked);
        if (!booked) {
            QVERIFY(linkDirectly({m_fixture->notes}, m_fixture->writeId) > 0);
        }
        QCOMPARE(remoteEntries(), before + 1);
        QTRY_VERIFY(showsTheStore(*m_unlinked, *m_linked) && m_linked->totalTime() == 60);
    }

    // What is asked while the service is still asked waits its turn: linking the same entries twice
    // books them once, and an unlink asked meanwhile takes them back after that.
    void requestsMeanwhileWaitTheirTurn()
    {
        const QStringList ids{QString::number(m_fixture->report1), QString::number(m_fixture->notes)};
        QList<BookingService::LinkResult::Status> statuses;
        const auto record = [&statuses](BookingService::LinkResult::Status status) { statuses << status; };
        m_linker->link(ids, QString::number(m_fixture->writeId), QString(), record);
        QVERIFY(m_linker->isBusy());
        m_linker->link(ids, QString::number(m_fixture->shipId), QString(), record);
        m_linker->unlinkEntries(ids);
        QVERIFY(settled());
        QCOMPARE(statuses, (QList<BookingService::LinkResult::Status>{BookingService::LinkResult::Status::Linked,
                                                                      BookingService::LinkResult::Status::NotLinked}));
        QCOMPARE(m_fixture->requests("tavro.entries.addBulk").size(), 1);
        QCOMPARE(m_fixture->requests("tavro.entries.delete").size(), 1);
        QVERIFY(unlinked(m_fixture->report1) && unlinked(m_fixture->notes));
        QVERIFY(showsTheStore(*m_unlinked, *m_linked));
    }

    // Quitting while a booking is asked for: its answer is never taken in, so the entries stay marked
    // unconfirmed, never offered for a second booking until the user settles them.
    void quitDuringBookingLeavesItToSettle()
    {
        m_linker->connectEntriesWithTask({QString::number(m_fixture->notes)}, QString::number(m_fixture->writeId),
                                         QString());
        QVERIFY(m_linker->isBusy());
        m_fixture->models.reset();
        QTest::qWait(200);
        QCOMPARE(LinkStore::unconfirmedAmong({m_fixture->notes}), EntryIds{m_fixture->notes});
        QCOMPARE(LinkingFixture::column(m_fixture->notes, "ext_task_id").toInt(), m_fixture->writeId);
    }

    // With the service out of reach nothing is booked, and both views go back to what is stored.
    void serviceDownLeavesTheViewsAsStored()
    {
        linkDirectly({m_fixture->report1, m_fixture->report2}, m_fixture->writeId);
        m_fixture->server.close();
        linkThroughView({QStringLiteral("Notes"), QStringLiteral("Inbox")}, m_fixture->shipId);
        QVERIFY(unlinked(m_fixture->notes) && unlinked(m_fixture->inbox));
        QVERIFY(LinkStore::pendingBookings().isEmpty());
        QTRY_COMPARE(m_unlinked->totalTime(), 360);
        QVERIFY(showsTheStore(*m_unlinked, *m_linked));

        unlinkThroughView({QStringLiteral("Report")});
        QTRY_COMPARE(boxesTitled(m_presenter, QStringLiteral("Unlink failed")), 1);
        QVERIFY(linkedTo(m_fixture->report1, m_fixture->writeId));
        QCOMPARE(m_linked->totalTime(), 900);
        QVERIFY(showsTheStore(*m_unlinked, *m_linked));
    }

    // A database that cannot be written is found out before the service is asked: nothing is booked
    // or taken back whose local side could not be stored.
    void unwritableDatabaseBooksNothing()
    {
        const int remoteId = linkDirectly({m_fixture->report1}, m_fixture->writeId);
        const int before = remoteEntries();
        QSqlQuery query;
        QVERIFY(query.exec(QStringLiteral("PRAGMA query_only = ON")));
        linkThroughView({QStringLiteral("Notes")}, m_fixture->writeId);
        unlinkThroughView({QStringLiteral("Report")});
        QTRY_COMPARE(boxesTitled(m_presenter, QStringLiteral("Unlink failed")), 1);
        QVERIFY(query.exec(QStringLiteral("PRAGMA query_only = OFF")));
        QCOMPARE(boxesTitled(m_presenter, QStringLiteral("Database error")), 1);
        QCOMPARE(remoteEntries(), before);
        QVERIFY(m_fixture->requests("tavro.entries.addBulk").isEmpty() &&
                m_fixture->requests("tavro.entries.getInfo").isEmpty());
        QCOMPARE(m_fixture->store()->entry(remoteId)->duration, 600);
        QVERIFY(unlinked(m_fixture->notes) && linkedTo(m_fixture->report1, m_fixture->writeId));
        QVERIFY(showsTheStore(*m_unlinked, *m_linked));
    }
};

QTEST_MAIN(TestEntryLinker)
#include "tst_entrylinker.moc"
