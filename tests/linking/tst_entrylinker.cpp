#include "devservicestore.h"
#include "entrieslist.h"
#include "entrylinker.h"
#include "linkingfixture.h"
#include "linktimedialog.h"
#include "recordingpresenter.h"
#include "timetree.h"
#include "treemodel.h"
#include "viewtestdb.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <memory>

namespace {

using ViewTest::consistent;

QModelIndex findNode(const TreeModel &model, const QString &text, const QModelIndex &parent = {})
{
    return ViewTest::find(model, text, parent);
}

qint64 timeOf(const TreeModel &model, const QModelIndex &index)
{
    return model.itemProperty(index, QStringLiteral("time")).toLongLong();
}

QStringList sortedIds(QStringList ids)
{
    ids.sort();
    return ids;
}

int boxesTitled(const RecordingPresenter &presenter, const QString &title)
{
    int count = 0;
    for (const MessageBox::Box &box : presenter.boxes()) {
        count += box.title == title ? 1 : 0;
    }
    return count;
}

} // namespace

class TestEntryLinker : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkingFixture> m_fixture;
    std::unique_ptr<RecordingPresenter> m_presenter;
    std::unique_ptr<LinkingModels> m_models;
    std::unique_ptr<QAbstractItemModelTester> m_unlinkedTester;
    std::unique_ptr<QAbstractItemModelTester> m_linkedTester;
    TreeModel *m_unlinked = nullptr;
    TreeModel *m_linked = nullptr;
    EntryLinker *m_linker = nullptr;
    // Editor "Report" 600 s and 300 s, Mail "Inbox" 300 s, Editor "Notes" 60 s.
    qint64 m_report1 = 0;
    qint64 m_inbox = 0;
    qint64 m_report2 = 0;
    qint64 m_notes = 0;

    QString id(qint64 entry) const { return QString::number(entry); }
    QString task(int taskId) const { return QString::number(taskId); }

    void reloadModels()
    {
        m_unlinked->reload();
        m_linked->reload();
    }

    // Links through the linker directly and shows the day afresh, as after a restart.
    int linkDirectly(const QList<qint64> &entries, int taskId)
    {
        QStringList ids;
        for (qint64 entry : entries) {
            ids << id(entry);
        }
        if (!m_linker->connectEntriesWithTask(ids, task(taskId), QString())) {
            return 0;
        }
        reloadModels();
        return LinkingFixture::column(entries.first(), QStringLiteral("ext_entry_id")).toInt();
    }

    // The linked view's Unlink on the entries with these titles, answered with Yes.
    void unlinkThroughView(const QStringList &titles)
    {
        EntriesList view;
        view.setModel(m_linked);
        view.expandAll();
        for (const QString &title : titles) {
            const QModelIndex index = findNode(*m_linked, title);
            QVERIFY2(index.isValid(), qPrintable(title));
            view.selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        connect(&view, &EntriesList::signalUnlinkEntries, m_linker, &EntryLinker::unlinkEntries);
        view.onMenuUnlink();
    }

    bool linkedTo(qint64 entry, int taskId) const
    {
        return LinkingFixture::column(entry, QStringLiteral("ext_task_id")).toInt() == taskId &&
               LinkingFixture::column(entry, QStringLiteral("ext_entry_id")).toInt() > 0;
    }

    bool unlinkedRow(qint64 entry) const
    {
        for (const char *column : {"ext_task_id", "ext_entry_id", "ext_project_id", "ext_tasklist_id", "ext_task_name",
                                   "ext_project_name", "ext_tasklist_name"}) {
            if (!LinkingFixture::column(entry, QLatin1String(column)).isNull()) {
                return false;
            }
        }
        return true;
    }

private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<LinkingFixture>();
        QVERIFY(m_fixture->start());
        m_presenter = std::make_unique<RecordingPresenter>();
        const qint64 editor = m_fixture->editor;
        const qint64 mail = m_fixture->mail;
        m_report1 = LinkingFixture::addEntry(editor, QStringLiteral("Report"), QStringLiteral("09:00:00"),
                                             QStringLiteral("09:10:00"));
        m_inbox = LinkingFixture::addEntry(mail, QStringLiteral("Inbox"), QStringLiteral("09:10:00"),
                                           QStringLiteral("09:15:00"));
        m_report2 = LinkingFixture::addEntry(editor, QStringLiteral("Report"), QStringLiteral("09:20:00"),
                                             QStringLiteral("09:25:00"));
        m_notes = LinkingFixture::addEntry(editor, QStringLiteral("Notes"), QStringLiteral("09:30:00"),
                                           QStringLiteral("09:31:00"));
        m_models = std::make_unique<LinkingModels>();
        m_unlinked = &m_models->unlinked;
        m_linked = &m_models->linked;
        m_linker = &m_models->linker;
        m_unlinkedTester = std::make_unique<QAbstractItemModelTester>(m_unlinked);
        m_linkedTester = std::make_unique<QAbstractItemModelTester>(m_linked);
        QCOMPARE(m_unlinked->totalTime(), 1260);
        m_fixture->server.clearRequests();
    }

    void cleanup()
    {
        m_linkedTester.reset();
        m_unlinkedTester.reset();
        m_models.reset();
        m_presenter.reset();
        m_fixture.reset();
    }

    void linkByDialogBooksOneRemoteEntry()
    {
        const QString notes = QStringLiteral("Café & co: 50% = ½\nline 2");
        TimeTree tree;
        tree.setModel(m_unlinked);
        tree.setLinkDialog(&LinkTimeDialog::ask);
        connect(&tree, &TimeTree::signalConnectEntriesWithTask, m_linker, &EntryLinker::connectEntriesWithTask);
        tree.expandAll();
        tree.selectAll();
        bool dialogSeen = false;
        whenModal<LinkTimeDialog>([&](LinkTimeDialog *dialog) {
            dialogSeen = true;
            auto *projects = dialog->findChild<QComboBox *>(QStringLiteral("cbProjects"));
            const int project = projects->findText(QStringLiteral("Linking"));
            projects->setCurrentIndex(project);
            Q_EMIT projects->activated(project);
            auto *tasks = dialog->findChild<QComboBox *>(QStringLiteral("cbTasks"));
            tasks->setCurrentIndex(tasks->findData(m_fixture->reviewId));
            dialog->findChild<QPlainTextEdit *>(QStringLiteral("textNotes"))->setPlainText(notes);
            dialog->accept();
        });
        const int remoteBefore = int(m_fixture->store()->entries(m_fixture->userId).size());
        tree.onMenuLink();
        QVERIFY(dialogSeen);

        const QList<DevServerRequest> adds = m_fixture->requests(QStringLiteral("tavro.entries.addBulk"));
        QCOMPARE(adds.size(), 1);
        QCOMPARE(adds.first().value(QStringLiteral("duration")), QStringLiteral("1260"));
        QCOMPARE(adds.first().value(QStringLiteral("date")), QStringLiteral("2026-03-10"));
        QCOMPARE(adds.first().value(QStringLiteral("task_id")), task(m_fixture->reviewId));
        QCOMPARE(adds.first().value(QStringLiteral("description")), notes);
        QVERIFY(adds.first().body.endsWith("&description=" + QUrl::toPercentEncoding(notes)));

        QCOMPARE(int(m_fixture->store()->entries(m_fixture->userId).size()), remoteBefore + 1);
        const int remoteId = LinkingFixture::column(m_report1, QStringLiteral("ext_entry_id")).toInt();
        const auto remote = m_fixture->store()->entry(remoteId);
        QVERIFY(remote.has_value());
        QCOMPARE(remote->duration, 1260);
        QCOMPARE(remote->description, notes);
        QCOMPARE(remote->date, LinkingFixture::Day);
        for (qint64 entry : {m_report1, m_inbox, m_report2, m_notes}) {
            QCOMPARE(LinkingFixture::column(entry, QStringLiteral("ext_entry_id")).toInt(), remoteId);
            QCOMPARE(LinkingFixture::column(entry, QStringLiteral("ext_task_id")).toInt(), m_fixture->reviewId);
            QCOMPARE(LinkingFixture::column(entry, QStringLiteral("ext_project_id")).toInt(), m_fixture->projectId);
            QCOMPARE(LinkingFixture::column(entry, QStringLiteral("ext_tasklist_id")).toInt(), m_fixture->alphaId);
            QCOMPARE(LinkingFixture::column(entry, QStringLiteral("ext_task_name")).toString(),
                     QStringLiteral("Review"));
            QCOMPARE(LinkingFixture::column(entry, QStringLiteral("ext_project_name")).toString(),
                     QStringLiteral("Linking"));
            QCOMPARE(LinkingFixture::column(entry, QStringLiteral("ext_tasklist_name")).toString(),
                     QStringLiteral("Alpha"));
        }

        // The unlinked view gave up exactly what the linked view received, one leaf per application and title.
        QCOMPARE(m_unlinked->totalTime(), 0);
        QCOMPARE(m_linked->totalTime(), 1260);
        const QModelIndex reviewNode = findNode(*m_linked, QStringLiteral("Review"));
        QVERIFY(reviewNode.isValid());
        QCOMPARE(m_linked->rowCount(reviewNode), 2);
        const QModelIndex report = findNode(*m_linked, QStringLiteral("Report"), reviewNode);
        QCOMPARE(timeOf(*m_linked, report), 900);
        QCOMPARE(sortedIds(m_linked->itemProperty(report, QStringLiteral("entries")).toStringList()),
                 sortedIds({id(m_report1), id(m_report2)}));
        QCOMPARE(timeOf(*m_linked, findNode(*m_linked, QStringLiteral("Inbox"), reviewNode)), 300);
        QCOMPARE(timeOf(*m_linked, findNode(*m_linked, QStringLiteral("Notes"), reviewNode)), 60);
        QVERIFY(consistent(*m_linked));
        QVERIFY(consistent(*m_unlinked));
        QVERIFY(m_presenter->boxes().isEmpty());
    }

    void remoteEntryTakesTheFirstEntrysDate_data()
    {
        QTest::addColumn<bool>("withEarlierEntry");
        QTest::addColumn<QString>("date");
        QTest::addColumn<qint64>("linkedTotal");
        QTest::newRow("later entry listed first") << true << QStringLiteral("2026-03-10") << qint64(300);
        QTest::newRow("only the next day") << false << QStringLiteral("2026-03-11") << qint64(0);
    }

    void remoteEntryTakesTheFirstEntrysDate()
    {
        QFETCH(bool, withEarlierEntry);
        QFETCH(QString, date);
        QFETCH(qint64, linkedTotal);
        const qint64 nextDay = LinkingFixture::addEntry(
            LinkingFixture::addApp(QStringLiteral("/usr/bin/term"), QStringLiteral("Terminal")), QStringLiteral("make"),
            QStringLiteral("2026-03-11 10:00:00"), QStringLiteral("2026-03-11 10:05:00"));
        QStringList ids{id(nextDay)};
        if (withEarlierEntry) {
            ids << id(m_inbox);
        }
        QVERIFY(m_linker->connectEntriesWithTask(ids, task(m_fixture->shipId), QString()));
        const QList<DevServerRequest> adds = m_fixture->requests(QStringLiteral("tavro.entries.addBulk"));
        QCOMPARE(adds.size(), 1);
        QCOMPARE(adds.first().value(QStringLiteral("date")), date);
        QCOMPARE(adds.first().value(QStringLiteral("duration")), QString::number(300 + (withEarlierEntry ? 300 : 0)));
        QVERIFY(linkedTo(nextDay, m_fixture->shipId));
        // The linked view shows its own day only.
        QCOMPARE(m_linked->totalTime(), linkedTotal);
        QVERIFY(consistent(*m_linked));
    }

    void taskUnknownToTheCatalogueStillLinksLocally()
    {
        const int fresh = m_fixture->store()->addTask(m_fixture->betaId, QStringLiteral("Created elsewhere"));
        QVERIFY(m_linker->connectEntriesWithTask({id(m_notes)}, task(fresh), QStringLiteral("n")));
        QVERIFY(linkedTo(m_notes, fresh));
        QCOMPARE(
            m_fixture->store()->entry(LinkingFixture::column(m_notes, QStringLiteral("ext_entry_id")).toInt())->taskId,
            fresh);
        for (const char *column :
             {"ext_project_id", "ext_tasklist_id", "ext_task_name", "ext_project_name", "ext_tasklist_name"}) {
            QVERIFY2(LinkingFixture::column(m_notes, QLatin1String(column)).isNull(), column);
        }
        QCOMPARE(m_linked->totalTime(), 60);
        // Linked means linked everywhere: the unlinked day no longer counts it after a rebuild.
        m_unlinked->reload();
        QCOMPARE(m_unlinked->totalTime(), 1200);
    }

    void refusedLinkChangesNothing_data()
    {
        QTest::addColumn<bool>("closeConnection");
        QTest::addColumn<QString>("boxTitle");
        QTest::newRow("service error") << false << QStringLiteral("Tavro API Error");
        QTest::newRow("connection closed") << true << QStringLiteral("Network error");
    }

    void refusedLinkChangesNothing()
    {
        QFETCH(bool, closeConnection);
        QFETCH(QString, boxTitle);
        if (closeConnection) {
            m_fixture->server.setFault(QStringLiteral("tavro.entries.addBulk"), DevServer::Fault::Close);
        } else {
            m_fixture->server.setErrorFault(QStringLiteral("tavro.entries.addBulk"), 20,
                                            QStringLiteral("Task not found"));
        }
        QVERIFY(!m_linker->connectEntriesWithTask({id(m_report1), id(m_inbox)}, task(m_fixture->writeId), QString()));
        QVERIFY(unlinkedRow(m_report1));
        QVERIFY(unlinkedRow(m_inbox));
        QCOMPARE(m_linked->totalTime(), 0);
        QCOMPARE(boxesTitled(*m_presenter, boxTitle), 1);
    }

    void malformedIdsAreRefused_data()
    {
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QString>("taskId");
        QTest::newRow("sql in an id") << QStringList{QStringLiteral("1) OR (1=1")} << QStringLiteral("1");
        QTest::newRow("zero") << QStringList{QStringLiteral("0")} << QStringLiteral("1");
        QTest::newRow("negative") << QStringList{QStringLiteral("-2")} << QStringLiteral("1");
        QTest::newRow("one bad among good")
            << QStringList{QStringLiteral("1"), QStringLiteral("2 ")} << QStringLiteral("1");
        QTest::newRow("line break after an id") << QStringList{QStringLiteral("1\n")} << QStringLiteral("1");
        QTest::newRow("task not a number") << QStringList{QStringLiteral("1")} << QStringLiteral("7; DROP TABLE x");
        QTest::newRow("empty task") << QStringList{QStringLiteral("1")} << QString();
        QTest::newRow("no ids") << QStringList() << QStringLiteral("1");
        QTest::newRow("ids not in the database") << QStringList{QStringLiteral("999")} << QStringLiteral("1");
    }

    void malformedIdsAreRefused()
    {
        QFETCH(QStringList, ids);
        QFETCH(QString, taskId);
        QVERIFY(!m_linker->connectEntriesWithTask(ids, taskId, QString()));
        QVERIFY(m_fixture->requests(QStringLiteral("tavro.entries.addBulk")).isEmpty());
        for (qint64 entry : {m_report1, m_inbox, m_report2, m_notes}) {
            QVERIFY(unlinkedRow(entry));
        }
    }

    void partialUnlinkShortensTheRemoteEntry()
    {
        const int remoteId = linkDirectly({m_report1, m_report2, m_notes}, m_fixture->writeId);
        QVERIFY(remoteId > 0);
        const auto before = m_fixture->store()->entry(remoteId);
        QCOMPARE(before->start.secsTo(before->end), 960);
        QCOMPARE(m_unlinked->totalTime(), 300);
        QSignalSpy started(m_linker, &EntryLinker::progressStarted);
        QSignalSpy changed(m_linker, &EntryLinker::progressChanged);
        QSignalSpy finished(m_linker, &EntryLinker::progressFinished);
        m_fixture->server.clearRequests();

        unlinkThroughView({QStringLiteral("Notes")});

        const auto after = m_fixture->store()->entry(remoteId);
        QVERIFY(after.has_value());
        QCOMPARE(after->start, before->start);
        QCOMPARE(after->end, before->end.addSecs(-60));
        QCOMPARE(m_fixture->requests(QStringLiteral("tavro.entries.update")).size(), 1);
        QVERIFY(m_fixture->requests(QStringLiteral("tavro.entries.delete")).isEmpty());
        QVERIFY(unlinkedRow(m_notes));
        QVERIFY(linkedTo(m_report1, m_fixture->writeId));
        QVERIFY(linkedTo(m_report2, m_fixture->writeId));
        QCOMPARE(m_unlinked->totalTime(), 360);
        QVERIFY(findNode(*m_unlinked, QStringLiteral("Notes")).isValid());
        QCOMPARE(m_linked->totalTime(), 900);
        QVERIFY(consistent(*m_unlinked));
        QVERIFY(consistent(*m_linked));
        // One remote entry: range 0..2 while the service is asked, then 0..1 while the entry returns.
        QCOMPARE(started.size(), 2);
        QCOMPARE(started.at(0), (QVariantList{0, 2}));
        QCOMPARE(started.at(1), (QVariantList{0, 1}));
        QCOMPARE(changed.size(), 2);
        QCOMPARE(finished.size(), 2);
        QVERIFY(m_presenter->boxes().size() == 1 && m_presenter->lastTitle() == QStringLiteral("Confirm unlink"));
    }

    void fullUnlinkDeletesTheRemoteEntry()
    {
        const int remoteId = linkDirectly({m_report1, m_report2, m_notes}, m_fixture->writeId);
        m_fixture->server.clearRequests();
        unlinkThroughView({QStringLiteral("Report"), QStringLiteral("Notes")});
        QVERIFY(!m_fixture->store()->entry(remoteId).has_value());
        QCOMPARE(m_fixture->requests(QStringLiteral("tavro.entries.delete")).size(), 1);
        QVERIFY(m_fixture->requests(QStringLiteral("tavro.entries.update")).isEmpty());
        for (qint64 entry : {m_report1, m_report2, m_notes}) {
            QVERIFY(unlinkedRow(entry));
        }
        QCOMPARE(m_unlinked->totalTime(), 1260);
        QCOMPARE(m_linked->totalTime(), 0);
        QVERIFY(consistent(*m_unlinked));
    }

    void twoRemoteEntriesInAscendingOrder()
    {
        const int first = linkDirectly({m_report1}, m_fixture->writeId);
        const int second = linkDirectly({m_inbox}, m_fixture->shipId);
        QVERIFY(first > 0 && second > first);
        QSignalSpy started(m_linker, &EntryLinker::progressStarted);
        m_fixture->server.clearRequests();
        unlinkThroughView({QStringLiteral("Inbox"), QStringLiteral("Report")});
        const QList<DevServerRequest> reads = m_fixture->requests(QStringLiteral("tavro.entries.getInfo"));
        QCOMPARE(reads.size(), 2);
        QCOMPARE(reads.at(0).value(QStringLiteral("entry_id")), QString::number(first));
        QCOMPARE(reads.at(1).value(QStringLiteral("entry_id")), QString::number(second));
        QCOMPARE(started.first(), (QVariantList{0, 4}));
        QCOMPARE(started.at(1), (QVariantList{0, 2}));
        QVERIFY(!m_fixture->store()->entry(first).has_value());
        QVERIFY(!m_fixture->store()->entry(second).has_value());
        QCOMPARE(m_unlinked->totalTime(), 1260);
    }

    void unreadableRemoteEntryIsNeverDeleted_data()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("service error") << int(DevServer::Fault::Error);
        QTest::newRow("connection closed") << int(DevServer::Fault::Close);
        QTest::newRow("reply cut short") << int(DevServer::Fault::Malformed);
    }

    void unreadableRemoteEntryIsNeverDeleted()
    {
        QFETCH(int, fault);
        const int remoteId = linkDirectly({m_report1, m_report2}, m_fixture->writeId);
        const auto before = m_fixture->store()->entry(remoteId);
        m_fixture->server.setFault(QStringLiteral("tavro.entries.getInfo"), DevServer::Fault(fault));
        m_fixture->server.clearRequests();
        m_presenter->clear();

        unlinkThroughView({QStringLiteral("Report")});

        QVERIFY(m_fixture->requests(QStringLiteral("tavro.entries.delete")).isEmpty());
        QVERIFY(m_fixture->requests(QStringLiteral("tavro.entries.update")).isEmpty());
        const auto after = m_fixture->store()->entry(remoteId);
        QVERIFY(after.has_value());
        QCOMPARE(after->end, before->end);
        QVERIFY(linkedTo(m_report1, m_fixture->writeId));
        QVERIFY(linkedTo(m_report2, m_fixture->writeId));
        QCOMPARE(m_unlinked->totalTime(), 360);
        // Back in the linked view once the view has let them go, with one message about it.
        QTRY_COMPARE(boxesTitled(*m_presenter, QStringLiteral("Unlink failed")), 1);
        QCOMPARE(m_linked->totalTime(), 900);
        QCOMPARE(timeOf(*m_linked, findNode(*m_linked, QStringLiteral("Report"))), 900);
        QVERIFY(consistent(*m_linked));
        const MessageBox::Box box = m_presenter->boxes().last();
        QVERIFY2(box.text.contains(QStringLiteral("15 m 0 s")), qPrintable(box.text));
        QVERIFY2(box.text.contains(QStringLiteral("could not be read")), qPrintable(box.text));
    }

    void failedChangeKeepsTheLinks_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("kept");
        QTest::newRow("update refused") << QStringLiteral("tavro.entries.update")
                                        << QStringList{QStringLiteral("Notes")}
                                        << QStringLiteral("could not be shortened") << QStringLiteral("1 m 0 s");
        QTest::newRow("delete refused") << QStringLiteral("tavro.entries.delete")
                                        << QStringList{QStringLiteral("Report"), QStringLiteral("Notes")}
                                        << QStringLiteral("could not be deleted") << QStringLiteral("16 m 0 s");
    }

    void failedChangeKeepsTheLinks()
    {
        QFETCH(QString, method);
        QFETCH(QStringList, titles);
        QFETCH(QString, reason);
        QFETCH(QString, kept);
        const int remoteId = linkDirectly({m_report1, m_report2, m_notes}, m_fixture->writeId);
        const auto before = m_fixture->store()->entry(remoteId);
        m_fixture->server.setErrorFault(method, 21, QStringLiteral("Not allowed"));
        m_presenter->clear();

        unlinkThroughView(titles);

        const auto after = m_fixture->store()->entry(remoteId);
        QVERIFY(after.has_value());
        QCOMPARE(after->end, before->end);
        for (qint64 entry : {m_report1, m_report2, m_notes}) {
            QVERIFY(linkedTo(entry, m_fixture->writeId));
        }
        QCOMPARE(m_unlinked->totalTime(), 300);
        QTRY_COMPARE(boxesTitled(*m_presenter, QStringLiteral("Unlink failed")), 1);
        QCOMPARE(boxesTitled(*m_presenter, QStringLiteral("Tavro API Error")), 1);
        QVERIFY(m_presenter->lastText().contains(reason));
        QVERIFY(m_presenter->lastText().startsWith(kept + QStringLiteral(" of the selected time")));
        QCOMPARE(m_linked->totalTime(), 960);
        QVERIFY(consistent(*m_linked));
    }

    void entriesWithoutRemoteEntryAreUnlinkedLocally()
    {
        QSqlQuery query;
        QVERIFY(query.exec(QStringLiteral("UPDATE entries SET ext_task_id = ") + task(m_fixture->writeId) +
                           QStringLiteral(" WHERE id = ") + id(m_inbox)));
        reloadModels();
        QCOMPARE(m_linked->totalTime(), 300);
        unlinkThroughView({QStringLiteral("Inbox")});
        QVERIFY(m_fixture->requests(QStringLiteral("tavro.entries.getInfo")).isEmpty());
        QVERIFY(unlinkedRow(m_inbox));
        QCOMPARE(m_unlinked->totalTime(), 1260);
        QCOMPARE(m_linked->totalTime(), 0);
    }

    void onlyTheFailedRemoteEntryStaysLinked()
    {
        const int first = linkDirectly({m_report1}, m_fixture->writeId);
        const int second = linkDirectly({m_inbox}, m_fixture->writeId);
        // Gone on the service behind the client's back: its times cannot be read.
        QVERIFY(m_fixture->store()->deleteEntry(first));
        m_presenter->clear();

        unlinkThroughView({QStringLiteral("Report"), QStringLiteral("Inbox")});

        QVERIFY(!m_fixture->store()->entry(second).has_value());
        QVERIFY(unlinkedRow(m_inbox));
        QVERIFY(linkedTo(m_report1, m_fixture->writeId));
        QTRY_COMPARE(boxesTitled(*m_presenter, QStringLiteral("Unlink failed")), 1);
        QVERIFY(m_presenter->lastText().startsWith(QStringLiteral("10 m 0 s ")));
        QVERIFY(m_presenter->lastText().contains(QString::number(first)));
        QCOMPARE(m_linked->totalTime(), 600);
        QCOMPARE(m_unlinked->totalTime(), 300 + 300 + 60);
        QVERIFY(consistent(*m_linked));
        QVERIFY(consistent(*m_unlinked));
    }
};

QTEST_MAIN(TestEntryLinker)
#include "tst_entrylinker.moc"
