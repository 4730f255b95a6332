#include "addtaskdialog.h"
#include "addtasklistdialog.h"
#include "apirequest.h"
#include "devservicestore.h"
#include "entrydragpayload.h"
#include "linkingfixture.h"
#include "linktimedialog.h"
#include "projectstree.h"
#include "recordingpresenter.h"
#include "settings.h"
#include "timetree.h"
#include "viewtestdb.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDrag>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolTip>
#include <QUrl>

#include <memory>

namespace {

// Sends a drag over `point` of the tree and drops it there; gives what QDrag::exec would give the source.
Qt::DropAction deliverDrop(ProjectsTree *tree, const QPoint &point, const QMimeData *data,
                           Qt::KeyboardModifiers modifiers)
{
    QDragEnterEvent enter(point, Qt::MoveAction, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(tree->viewport(), &enter);
    QDragMoveEvent move(point, Qt::MoveAction, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(tree->viewport(), &move);
    QDropEvent drop(point, Qt::MoveAction, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(tree->viewport(), &drop);
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
        return result = deliverDrop(target, targetPoint, drag->mimeData(), modifiers);
    }
};

const ProjectsCatalogue &catalogue()
{
    return ProjectsCatalogue::shared();
}

} // namespace

class TestProjectsTree : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkingFixture> m_fixture;
    RecordingPresenter m_presenter;
    LinkingModels *m_models = nullptr;
    std::unique_ptr<ProjectsTree> m_projects;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    std::unique_ptr<DraggingTree> m_entries;
    // The one shown row with this text.
    QModelIndex row(const QString &text) const
    {
        const QAbstractItemModel *model = m_projects->model();
        const QModelIndexList found =
            model->match(model->index(0, 0), Qt::DisplayRole, text, -1, Qt::MatchExactly | Qt::MatchRecursive);
        return found.size() == 1 ? found.first() : QModelIndex();
    }

    bool struckOut(const QString &text) const { return row(text).data(Qt::FontRole).value<QFont>().strikeOut(); }

    QPoint pointOf(const QString &text) const
    {
        const QModelIndex target = row(text);
        m_projects->scrollTo(target);
        return m_projects->visualRect(target).center();
    }

    // Presses on the application row (the first one, Editor) and moves far enough to drag all its titles.
    void dragEditorTo(const QString &target, Qt::KeyboardModifiers modifiers)
    {
        m_entries->targetPoint = pointOf(target);
        m_entries->modifiers = modifiers;
        const QPoint press = m_entries->visualRect(m_models->unlinked.index(0, 0)).center();
        QTest::mousePress(m_entries->viewport(), Qt::LeftButton, Qt::NoModifier, press);
        const QPoint far = press + QPoint(0, QApplication::startDragDistance() + 1);
        QMouseEvent move(QEvent::MouseMove, far, m_entries->viewport()->mapToGlobal(far), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(m_entries->viewport(), &move);
        QTest::mouseRelease(m_entries->viewport(), Qt::LeftButton, Qt::NoModifier, far);
    }

    // The tree's calls to the service are over and their answers taken in.
    bool answered() const
    {
        QElapsedTimer waited;
        waited.start();
        while (!m_projects->findChildren<ApiRequest *>().isEmpty() && waited.elapsed() < 10000) {
            QTest::qWait(10);
        }
        return m_projects->findChildren<ApiRequest *>().isEmpty();
    }

    QList<DevServerRequest> adds() const { return m_fixture->requests("tavro.entries.addBulk"); }

private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<LinkingFixture>();
        QVERIFY(m_fixture->start());
        m_models = m_fixture->models.get();
        m_projects = std::make_unique<ProjectsTree>();
        m_tester = std::make_unique<QAbstractItemModelTester>(m_projects->model(),
                                                              QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_projects->showProjects();
        m_projects->show();
        connect(m_projects.get(), &ProjectsTree::signalConnectEntriesWithTask, &m_models->linker,
                &EntryLinker::connectEntriesWithTask);
        m_entries = std::make_unique<DraggingTree>();
        m_entries->target = m_projects.get();
        m_entries->setModel(&m_models->unlinked);
        m_entries->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_projects.get()) && QTest::qWaitForWindowExposed(m_entries.get()));
    }

    void cleanup()
    {
        m_entries.reset();
        m_tester.reset();
        m_projects.reset();
        m_fixture.reset();
    }

    // A plain drop links at once with empty notes; a Ctrl drop links to the task and notes given in the dialog.
    void dropLinksTheDraggedTitles_data()
    {
        QTest::addColumn<bool>("ctrl");
        QTest::newRow("plain") << false;
        QTest::newRow("ctrl") << true;
    }

    void dropLinksTheDraggedTitles()
    {
        QFETCH(bool, ctrl);
        const QString notes = ctrl ? QStringLiteral("Reviewed: a=1 & b=2") : QString();
        const int task = ctrl ? m_fixture->shipId : m_fixture->writeId;
        if (ctrl) {
            whenModal<LinkTimeDialog>([&](LinkTimeDialog *dialog) {
                auto *tasks = dialog->findChild<QComboBox *>(QStringLiteral("cbTasks"));
                tasks->setCurrentIndex(tasks->findData(task));
                dialog->findChild<QPlainTextEdit *>(QStringLiteral("textNotes"))->setPlainText(notes);
                dialog->accept();
            });
        }
        dragEditorTo(QStringLiteral("Write"), ctrl ? Qt::ControlModifier : Qt::NoModifier);
        QCOMPARE(m_entries->result, Qt::MoveAction);
        QTRY_VERIFY(!m_models->linker.isBusy());
        QCOMPARE(adds().size(), 1);
        QVERIFY(adds().first().body.endsWith("&description=" + QUrl::toPercentEncoding(notes)));
        QCOMPARE(LinkingFixture::column(m_fixture->report1, "ext_task_id").toInt(), task);
        QCOMPARE(m_models->unlinked.totalTime(), 300);
        QCOMPARE(m_models->linked.totalTime(), 960);
    }

    void onlyTasksTakeEntries_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("task list") << QStringLiteral("Alpha");
        QTest::newRow("project") << QStringLiteral("Linking");
    }

    void onlyTasksTakeEntries()
    {
        QFETCH(QString, target);
        const std::unique_ptr<QMimeData> data(
            EntryDragPayload{{QString::number(m_fixture->report1)}, QString(), 900}.toMimeData());
        QCOMPARE(deliverDrop(m_projects.get(), pointOf(target), data.get(), Qt::NoModifier), Qt::IgnoreAction);
        QVERIFY(adds().isEmpty());
        // The same payload is taken by a task.
        QCOMPARE(deliverDrop(m_projects.get(), pointOf(QStringLiteral("Review")), data.get(), Qt::NoModifier),
                 Qt::MoveAction);
        QTRY_VERIFY(!m_models->linker.isBusy());
        QCOMPARE(LinkingFixture::column(m_fixture->report1, "ext_task_id").toInt(), m_fixture->reviewId);
    }

    // Created under a shown project, the task list shows there even when the filter leaves it out,
    // until the filter changes; the project stays chosen.
    void addedTaskListLandsInTreeAndCache_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::newRow("no filter") << QString();
        QTest::newRow("filter leaving it out") << QStringLiteral("Write");
    }

    void addedTaskListLandsInTreeAndCache()
    {
        QFETCH(QString, filter);
        const QString name = QStringLiteral("Sprint Ünï & co");
        m_projects->applyFilter(filter);
        m_projects->setCurrentIndex(row(QStringLiteral("Linking")));
        whenModal<AddTaskListDialog>([&](AddTaskListDialog *dialog) {
            dialog->findChild<QLineEdit *>(QStringLiteral("editTaskListName"))->setText(name);
            dialog->accept();
        });
        m_projects->onMenuAddTaskList();
        QVERIFY(answered());
        QCOMPARE(row(name).parent(), row(QStringLiteral("Linking")));
        QCOMPARE(m_projects->currentIndex(), row(QStringLiteral("Linking")));
        QVERIFY(m_projects->isExpanded(row(QStringLiteral("Linking"))));
        const QString id = row(name).data(ProjectsTreeModel::IdRole).toString();
        QCOMPARE(m_fixture->store()->taskList(id.toInt())->name, name);
        QCOMPARE(catalogue().tasklistName(id.toLongLong()), name);
        m_projects->applyFilter(QStringLiteral("Review"));
        QVERIFY(!row(name).isValid());
        m_projects->applyFilter(QStringLiteral("Sprint"));
        QCOMPARE(row(name).parent(), row(QStringLiteral("Linking")));
    }

    // Created under a task list the filter hides: it shows once the filter lets it.
    void addedTaskGoesToTheTaskListChosenInTheDialog()
    {
        const QString name = QStringLiteral("Deploy & test = done");
        m_projects->applyFilter(QStringLiteral("Write"));
        m_projects->setCurrentIndex(row(QStringLiteral("Alpha")));
        whenModal<AddTaskDialog>([&](AddTaskDialog *dialog) {
            auto *taskLists = dialog->findChild<QComboBox *>(QStringLiteral("cbTaskLists"));
            taskLists->setCurrentIndex(taskLists->findData(m_fixture->betaId));
            dialog->findChild<QLineEdit *>(QStringLiteral("editTaskName"))->setText(name);
            dialog->accept();
        });
        m_projects->onMenuAddTask();
        QVERIFY(answered());
        QVERIFY(!row(name).isValid());
        m_projects->applyFilter(QString());
        QCOMPARE(row(name).parent(), row(QStringLiteral("Beta")));
        const QString id = row(name).data(ProjectsTreeModel::IdRole).toString();
        QCOMPARE(catalogue().taskName(id.toLongLong()), name);
        QCOMPARE(catalogue().taskPlace(id.toLongLong()).tasklistId, qint64(m_fixture->betaId));
    }

    // A task name the column cuts shows whole in a tool tip, never read as markup; one that fits shows none.
    void cutTaskNamesShowWholeInToolTips()
    {
        const QString name =
            QStringLiteral("<b>Prepare</b> the quarterly report for the board, with every figure checked twice");
        m_projects->setCurrentIndex(row(QStringLiteral("Alpha")));
        whenModal<AddTaskDialog>([&](AddTaskDialog *dialog) {
            dialog->findChild<QLineEdit *>(QStringLiteral("editTaskName"))->setText(name);
            dialog->accept();
        });
        m_projects->onMenuAddTask();
        QVERIFY(answered());
        m_projects->resize(220, 400);
        const auto toolTipAt = [this](const QString &text) {
            const QPoint point = pointOf(text);
            QHelpEvent event(QEvent::ToolTip, point, m_projects->viewport()->mapToGlobal(point));
            QApplication::sendEvent(m_projects->viewport(), &event);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QCOMPARE(toolTipAt(QStringLiteral("Review")), QString());
        QCOMPARE(toolTipAt(name), QStringLiteral("<p>") + name.toHtmlEscaped() + QStringLiteral("</p>"));
    }

    void taskMenuKeysAreDistinct()
    {
        const std::unique_ptr<QMenu> menu(m_projects->createContextMenu(row(QStringLiteral("Review"))));
        QVERIFY(!menu->actions().isEmpty());
        QCOMPARE(ViewTest::sharedAccessKeys(menu.get()), QStringList());
    }

    // The service marks the task complete; the struck-out task stays a moment while the tree goes on
    // working, then leaves.
    void completedTaskLeavesAfterAPause()
    {
        m_projects->setCurrentIndex(row(QStringLiteral("Review")));
        m_presenter.answerNext(MessageBox::Yes);
        m_projects->onMenuComplete();
        QVERIFY(answered());
        QCOMPARE(m_presenter.lastTitle(), QStringLiteral("Confirm complete"));
        QVERIFY(m_fixture->store()->task(m_fixture->reviewId)->complete);
        QVERIFY(struckOut(QStringLiteral("Review")));
        QVERIFY(!struckOut(QStringLiteral("Write")));
        m_projects->setCurrentIndex(row(QStringLiteral("Ship")));
        QTRY_VERIFY(!row(QStringLiteral("Review")).isValid());
        QCOMPARE(m_projects->currentIndex(), row(QStringLiteral("Ship")));
        // Gone for good: filtering builds the tree from the catalogue, which no longer offers it.
        m_projects->applyFilter(QStringLiteral("Rev"));
        m_projects->applyFilter(QString());
        QVERIFY(!row(QStringLiteral("Review")).isValid());
        QVERIFY(!catalogue().isOpenTask(m_fixture->reviewId));
        QVERIFY(row(QStringLiteral("Write")).isValid());
    }

    void completeRefusedKeepsTheStruckOutTask()
    {
        m_fixture->server.setErrorFault(QStringLiteral("tavro.tasks.update"), 21, QStringLiteral("Not allowed"));
        m_projects->setCurrentIndex(row(QStringLiteral("Review")));
        m_presenter.answerNext(MessageBox::Yes);
        m_projects->onMenuComplete();
        QVERIFY(answered());
        QCOMPARE(m_fixture->requests("tavro.tasks.update").size(), 1);
        QVERIFY(struckOut(QStringLiteral("Review")));
        QCOMPARE(m_presenter.lastTitle(), QStringLiteral("Tavro API Error"));
        QVERIFY(!m_fixture->store()->task(m_fixture->reviewId)->complete);
    }
};

QTEST_MAIN(TestProjectsTree)
#include "tst_projectstree.moc"
