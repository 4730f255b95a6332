#include "entrydragpayload.h"
#include "entrylinker.h"
#include "linkingfixture.h"
#include "linktimedialog.h"
#include "projectstree.h"
#include "recordingpresenter.h"
#include "settings.h"
#include "timetree.h"
#include "treemodel.h"

#include <QComboBox>
#include <QCursor>
#include <QDataStream>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// Sends a drag over `point` of the tree and drops it there; gives what QDrag::exec would give the source.
Qt::DropAction deliverDrop(ProjectsTree *tree, const QPoint &point, const QMimeData *data,
                           Qt::KeyboardModifiers modifiers)
{
    QWidget *viewport = tree->viewport();
    QDragEnterEvent enter(point, Qt::MoveAction, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(point, Qt::MoveAction, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(viewport, &move);
    QDropEvent drop(point, Qt::MoveAction, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(viewport, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

// The unlinked view, whose drags land on the projects tree instead of going to the windowing system.
class DraggingTree : public TimeTree
{
public:
    ProjectsTree *target = nullptr;
    QPoint targetPoint;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    Qt::DropAction result = Qt::IgnoreAction;

protected:
    Qt::DropAction execDrag(QDrag *drag) override
    {
        const std::unique_ptr<QDrag> owned(drag);
        result = deliverDrop(target, targetPoint, drag->mimeData(), modifiers);
        return result;
    }
};

} // namespace

class TestProjectsTreeDrop : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkingFixture> m_fixture;
    std::unique_ptr<RecordingPresenter> m_presenter;
    std::unique_ptr<LinkingModels> m_models;
    TreeModel *m_unlinked = nullptr;
    TreeModel *m_linked = nullptr;
    std::unique_ptr<ProjectsTree> m_projects;
    std::unique_ptr<DraggingTree> m_entries;
    qint64 m_report = 0;
    qint64 m_notes = 0;

    QTreeWidgetItem *item(const QString &text) const { return findItem(*m_projects, text); }

    QPoint pointOf(const QString &text) const
    {
        QTreeWidgetItem *target = item(text);
        if (!target) {
            return {};
        }
        m_projects->scrollToItem(target);
        return m_projects->visualItemRect(target).center();
    }

    // Presses on the application row and moves far enough to start the drag of all its titles.
    void dragApplication(const QString &name, const QPoint &target, Qt::KeyboardModifiers modifiers)
    {
        m_entries->targetPoint = target;
        m_entries->modifiers = modifiers;
        QModelIndex app;
        for (int row = 0; row < m_unlinked->rowCount(); ++row) {
            if (m_unlinked->index(row, 0).data().toString() == name) {
                app = m_unlinked->index(row, 0);
            }
        }
        QVERIFY(app.isValid());
        const QPoint press = m_entries->visualRect(app).center();
        QTest::mousePress(m_entries->viewport(), Qt::LeftButton, Qt::NoModifier, press);
        const QPoint far = press + QPoint(0, QApplication::startDragDistance() + 1);
        QMouseEvent move(QEvent::MouseMove, far, m_entries->viewport()->mapToGlobal(far), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(m_entries->viewport(), &move);
        QTest::mouseRelease(m_entries->viewport(), Qt::LeftButton, Qt::NoModifier, far);
    }

    QList<DevServerRequest> adds() const { return m_fixture->requests(QStringLiteral("tavro.entries.addBulk")); }

private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<LinkingFixture>();
        QVERIFY(m_fixture->start());
        m_presenter = std::make_unique<RecordingPresenter>();
        m_report = LinkingFixture::addEntry(m_fixture->editor, QStringLiteral("Report"), QStringLiteral("09:00:00"),
                                            QStringLiteral("09:15:00"));
        m_notes = LinkingFixture::addEntry(m_fixture->editor, QStringLiteral("Notes"), QStringLiteral("09:30:00"),
                                           QStringLiteral("09:31:00"));
        LinkingFixture::addEntry(m_fixture->mail, QStringLiteral("Inbox"), QStringLiteral("10:00:00"),
                                 QStringLiteral("10:05:00"));
        m_models = std::make_unique<LinkingModels>();
        m_unlinked = &m_models->unlinked;
        m_linked = &m_models->linked;

        m_projects = std::make_unique<ProjectsTree>();
        m_projects->showProjects(Settings::instance()->value(QStringLiteral("XmlProjectsList")).toString());
        m_projects->resize(400, 900);
        m_projects->show();
        connect(m_projects.get(), &ProjectsTree::signalConnectEntriesWithTask, &m_models->linker,
                &EntryLinker::connectEntriesWithTask);
        m_entries = std::make_unique<DraggingTree>();
        m_entries->target = m_projects.get();
        m_entries->setModel(m_unlinked);
        m_entries->resize(400, 300);
        m_entries->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_projects.get()));
        QVERIFY(QTest::qWaitForWindowExposed(m_entries.get()));
        m_fixture->server.clearRequests();
    }

    void cleanup()
    {
        m_entries.reset();
        m_projects.reset();
        m_models.reset();
        m_presenter.reset();
        m_fixture.reset();
    }

    void treeIsADropOnlyTargetForEntries()
    {
        QVERIFY(m_projects->acceptDrops());
        QCOMPARE(m_projects->dragDropMode(), QAbstractItemView::DropOnly);
        QVERIFY(m_projects->dragDropOverwriteMode());
        QCOMPARE(m_projects->supportedDropActions(), Qt::DropActions(Qt::MoveAction));
        QCOMPARE(m_projects->mimeTypes(), QStringList{QStringLiteral("application/x-tavro")});
        QCOMPARE(m_projects->autoExpandDelay(), 1000);
    }

    void plainDropLinksAtOnceWithEmptyNotes()
    {
        dragApplication(QStringLiteral("Editor"), pointOf(QStringLiteral("Write")), Qt::NoModifier);
        QCOMPARE(m_entries->result, Qt::MoveAction);
        QCOMPARE(adds().size(), 1);
        QCOMPARE(adds().first().value(QStringLiteral("description")), QString());
        QVERIFY(adds().first().body.endsWith("&description="));
        QCOMPARE(adds().first().value(QStringLiteral("task_id")), QString::number(m_fixture->writeId));
        QCOMPARE(adds().first().value(QStringLiteral("duration")), QStringLiteral("960"));
        for (qint64 entry : {m_report, m_notes}) {
            QCOMPARE(LinkingFixture::column(entry, QStringLiteral("ext_task_id")).toInt(), m_fixture->writeId);
        }
        QCOMPARE(m_unlinked->totalTime(), 300);
        QCOMPARE(m_linked->totalTime(), 960);
    }

    void ctrlDropLinksToTheTaskChosenInTheDialog()
    {
        const QString notes = QStringLiteral("Reviewed: a=1 & b=2");
        bool prefilled = false;
        whenModal<LinkTimeDialog>([&](LinkTimeDialog *dialog) {
            auto *projects = dialog->findChild<QComboBox *>(QStringLiteral("cbProjects"));
            auto *tasks = dialog->findChild<QComboBox *>(QStringLiteral("cbTasks"));
            prefilled =
                projects->currentText() == QStringLiteral("Linking") &&
                tasks->currentData().toInt() == m_fixture->writeId &&
                dialog->findChild<QLabel *>(QStringLiteral("labelTime"))->text() == QStringLiteral("16 m 0 s") &&
                dialog->findChild<QPlainTextEdit *>(QStringLiteral("textNotes"))->toPlainText().isEmpty();
            tasks->setCurrentIndex(tasks->findData(m_fixture->shipId));
            dialog->findChild<QPlainTextEdit *>(QStringLiteral("textNotes"))->setPlainText(notes);
            dialog->accept();
        });
        dragApplication(QStringLiteral("Editor"), pointOf(QStringLiteral("Write")), Qt::ControlModifier);
        QVERIFY(prefilled);
        QCOMPARE(m_entries->result, Qt::MoveAction);
        QCOMPARE(adds().size(), 1);
        QCOMPARE(adds().first().value(QStringLiteral("task_id")), QString::number(m_fixture->shipId));
        QCOMPARE(adds().first().value(QStringLiteral("description")), notes);
        QCOMPARE(LinkingFixture::column(m_report, QStringLiteral("ext_task_id")).toInt(), m_fixture->shipId);
        QCOMPARE(LinkingFixture::column(m_report, QStringLiteral("ext_tasklist_name")).toString(),
                 QStringLiteral("Beta"));
        QCOMPARE(m_unlinked->totalTime(), 300);
    }

    void cancelledCtrlDropKeepsTheEntries_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("dialog cancelled") << false;
        QTest::newRow("accepted without a task") << true;
    }

    void cancelledCtrlDropKeepsTheEntries()
    {
        QFETCH(bool, accept);
        bool shown = false;
        whenModal<LinkTimeDialog>([&](LinkTimeDialog *dialog) {
            shown = true;
            if (!accept) {
                dialog->reject();
                return;
            }
            // A project whose only task list holds no open task leaves no task to choose.
            auto *projects = dialog->findChild<QComboBox *>(QStringLiteral("cbProjects"));
            const int dormant = projects->findText(QStringLiteral("Dormant"));
            projects->setCurrentIndex(dormant);
            Q_EMIT projects->activated(dormant);
            dialog->accept();
        });
        dragApplication(QStringLiteral("Editor"), pointOf(QStringLiteral("Write")), Qt::ControlModifier);
        QVERIFY(shown);
        QCOMPARE(m_entries->result, Qt::IgnoreAction);
        QVERIFY(adds().isEmpty());
        QCOMPARE(m_unlinked->totalTime(), 1260);
        QVERIFY(LinkingFixture::column(m_report, QStringLiteral("ext_task_id")).isNull());
    }

    void onlyTasksTakeEntries_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("taken");
        QTest::newRow("task") << QStringLiteral("Review") << true;
        QTest::newRow("task list") << QStringLiteral("Alpha") << false;
        QTest::newRow("project") << QStringLiteral("Linking") << false;
        QTest::newRow("client") << QStringLiteral("Testing Ltd") << false;
        QTest::newRow("empty space") << QString() << false;
    }

    void onlyTasksTakeEntries()
    {
        QFETCH(QString, target);
        QFETCH(bool, taken);
        QPoint point;
        if (target.isEmpty()) {
            m_projects->collapseAll();
            point = QPoint(10, m_projects->viewport()->height() - 5);
            QVERIFY(!m_projects->itemAt(point));
        } else {
            point = pointOf(target);
        }
        QSignalSpy links(m_projects.get(), &ProjectsTree::signalConnectEntriesWithTask);
        const std::unique_ptr<QMimeData> data(
            EntryDragPayload{{QString::number(m_report)}, QString(), 900}.toMimeData());

        // Hovering lights up tasks only.
        QDragEnterEvent enter(point, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_projects->viewport(), &enter);
        QDragMoveEvent move(point, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_projects->viewport(), &move);
        QCOMPARE(move.isAccepted(), taken);
        QCOMPARE(m_projects->showDropIndicator(), taken);

        QDropEvent drop(point, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_projects->viewport(), &drop);
        QCOMPARE(drop.isAccepted() && drop.dropAction() == Qt::MoveAction, taken);
        QCOMPARE(links.size(), taken ? 1 : 0);
        QCOMPARE(LinkingFixture::column(m_report, QStringLiteral("ext_task_id")).isNull(), !taken);

        // A refused drop through the unlinked view leaves every entry there.
        if (!taken) {
            dragApplication(QStringLiteral("Editor"), point, Qt::NoModifier);
            QCOMPARE(m_entries->result, Qt::IgnoreAction);
            QCOMPARE(m_unlinked->totalTime(), 1260);
            QVERIFY(adds().isEmpty());
        }
    }

    void payloadArrivesIntact()
    {
        disconnect(m_projects.get(), nullptr, &m_models->linker, nullptr);
        QSignalSpy links(m_projects.get(), &ProjectsTree::signalConnectEntriesWithTask);
        const EntryDragPayload payload{
            {QStringLiteral("12"), QStringLiteral("3")}, QStringLiteral("ünïcode & notes"), 75};
        const std::unique_ptr<QMimeData> data(payload.toMimeData());
        QCOMPARE(deliverDrop(m_projects.get(), pointOf(QStringLiteral("Ship")), data.get(), Qt::NoModifier),
                 Qt::MoveAction);
        QCOMPARE(links.size(), 1);
        QCOMPARE(links.first().at(0).toStringList(), payload.ids);
        QCOMPARE(links.first().at(1).toString(), QString::number(m_fixture->shipId));
        QCOMPARE(links.first().at(2).toString(), payload.notes);
    }

    void malformedPayloadsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray valid = EntryDragPayload{{QStringLiteral("7")}, QString(), 5}.encode();
        auto stream = [](const std::function<void(QDataStream &)> &write) {
            QByteArray bytes;
            QDataStream out(&bytes, QIODevice::WriteOnly);
            write(out);
            return bytes;
        };
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("truncated") << valid.left(valid.size() - 2);
        QTest::newRow("trailing bytes") << valid + QByteArray("xx");
        QTest::newRow("absurd count") << stream([](QDataStream &out) { out << qint32(0x7fffffff); });
        QTest::newRow("negative count") << stream([](QDataStream &out) { out << qint32(-1); });
        QTest::newRow("id not a number") << stream(
            [](QDataStream &out) { out << qint32(1) << QStringLiteral("1) OR (1=1") << QString() << qint32(5); });
    }

    void malformedPayloadsAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QSignalSpy links(m_projects.get(), &ProjectsTree::signalConnectEntriesWithTask);
        QMimeData data;
        data.setData(QStringLiteral("application/x-tavro"), bytes);
        QCOMPARE(deliverDrop(m_projects.get(), pointOf(QStringLiteral("Ship")), &data, Qt::NoModifier),
                 Qt::IgnoreAction);
        QCOMPARE(deliverDrop(m_projects.get(), pointOf(QStringLiteral("Ship")), &data, Qt::ControlModifier),
                 Qt::IgnoreAction);
        QCOMPARE(links.size(), 0);
        QVERIFY(adds().isEmpty());
    }

    void otherDataIsRefused()
    {
        QSignalSpy links(m_projects.get(), &ProjectsTree::signalConnectEntriesWithTask);
        QMimeData data;
        data.setText(QStringLiteral("12"));
        QCOMPARE(deliverDrop(m_projects.get(), pointOf(QStringLiteral("Ship")), &data, Qt::NoModifier),
                 Qt::IgnoreAction);
        QCOMPARE(links.size(), 0);
    }

    void hoveringExpandsACollapsedItem()
    {
        QTreeWidgetItem *alpha = item(QStringLiteral("Alpha"));
        const QPoint point = pointOf(QStringLiteral("Alpha"));
        alpha->setExpanded(false);
        const std::unique_ptr<QMimeData> data(EntryDragPayload{{QStringLiteral("1")}, QString(), 1}.toMimeData());
        QCursor::setPos(m_projects->viewport()->mapToGlobal(point));
        QDragEnterEvent enter(point, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_projects->viewport(), &enter);
        QDragMoveEvent move(point, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_projects->viewport(), &move);
        QVERIFY(!alpha->isExpanded());
        QTRY_VERIFY(alpha->isExpanded());
        QDragLeaveEvent leave;
        QApplication::sendEvent(m_projects->viewport(), &leave);
    }
};

QTEST_MAIN(TestProjectsTreeDrop)
#include "tst_projectstreedrop.moc"
