#include "addtaskdialog.h"
#include "addtasklistdialog.h"
#include "devservicestore.h"
#include "linkingfixture.h"
#include "projectstree.h"
#include "recordingpresenter.h"
#include "settings.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>

namespace {

QString cachedCatalogue()
{
    return Settings::instance()->value(QStringLiteral("XmlProjectsList")).toString();
}

QMap<QString, QVariant> map(const char *key)
{
    return Settings::instance()->value(QLatin1String(key)).toMap();
}

int itemCount(const QTreeWidget &tree)
{
    int count = 0;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget *>(&tree)); *it; ++it) {
        ++count;
    }
    return count;
}

} // namespace

class TestProjectsTreeEditing : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkingFixture> m_fixture;
    std::unique_ptr<RecordingPresenter> m_presenter;
    std::unique_ptr<ProjectsTree> m_tree;

    QTreeWidgetItem *item(const QString &text) const { return findItem(*m_tree, text); }

    void select(const QString &text)
    {
        QTreeWidgetItem *target = item(text);
        QVERIFY2(target, qPrintable(text));
        m_tree->setCurrentItem(target);
    }

    QList<DevServerRequest> requests(const char *method) const { return m_fixture->requests(QLatin1String(method)); }

private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<LinkingFixture>();
        QVERIFY(m_fixture->start());
        m_presenter = std::make_unique<RecordingPresenter>();
        m_tree = std::make_unique<ProjectsTree>();
        m_tree->showProjects(cachedCatalogue());
        m_fixture->server.clearRequests();
    }

    void cleanup()
    {
        m_tree.reset();
        m_presenter.reset();
        m_fixture.reset();
    }

    void contextMenuPerItemKind_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<QStringList>("texts");
        const QStringList always{QStringLiteral("&Refresh"), QStringLiteral("Ex&pand All"),
                                 QStringLiteral("&Collapse All")};
        const QString separator = QStringLiteral("-");
        QTest::newRow("client") << QStringLiteral("Testing Ltd") << true << always;
        QTest::newRow("empty space") << QString() << true << always;
        QTest::newRow("project") << QStringLiteral("Linking") << true
                                 << QStringList{QStringLiteral("Add Task&list"), separator} + always;
        QTest::newRow("task list") << QStringLiteral("Alpha") << true
                                   << QStringList{QStringLiteral("Add &Task"), separator} + always;
        QTest::newRow("task") << QStringLiteral("Write") << true
                              << QStringList{QStringLiteral("Mark as &complete"), separator} + always;
        QTest::newRow("task, signed out")
            << QStringLiteral("Write") << false << QStringList{QStringLiteral("Mark as &complete"), separator} + always;
    }

    void contextMenuPerItemKind()
    {
        QFETCH(QString, target);
        QFETCH(bool, loggedIn);
        QFETCH(QStringList, texts);
        Settings::instance()->values.insert(QStringLiteral("isLoggedIn"), loggedIn);
        const std::unique_ptr<QMenu> menu(m_tree->createContextMenu(target.isEmpty() ? nullptr : item(target)));
        QStringList shown;
        for (const QAction *action : menu->actions()) {
            shown << (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        QCOMPARE(shown, texts);
        if (texts.size() > 3) {
            QCOMPARE(menu->actions().first()->isEnabled(), loggedIn);
        }
        QVERIFY(menu->actions().last()->isEnabled());
    }

    void expandAndCollapseShortcuts()
    {
        QVERIFY(m_tree->actions().contains(m_tree->expandAllAction()));
        QVERIFY(m_tree->actions().contains(m_tree->collapseAllAction()));
        QCOMPARE(m_tree->expandAllAction()->shortcut(), QKeySequence(QKeySequence::ZoomIn));
        QCOMPARE(m_tree->collapseAllAction()->shortcut(), QKeySequence(QKeySequence::ZoomOut));
        QCOMPARE(m_tree->expandAllAction()->shortcutContext(), Qt::WidgetShortcut);
        m_tree->collapseAllAction()->trigger();
        QVERIFY(!item(QStringLiteral("Testing Ltd"))->isExpanded());
        m_tree->expandAllAction()->trigger();
        QVERIFY(item(QStringLiteral("Alpha"))->isExpanded());
    }

    void itemLookups()
    {
        QCOMPARE(m_tree->findProjectItem(m_fixture->projectId), item(QStringLiteral("Linking")));
        QCOMPARE(m_tree->findTasklistItem(m_fixture->projectId, m_fixture->betaId), item(QStringLiteral("Beta")));
        QVERIFY(!m_tree->findProjectItem(987654));
        QVERIFY(!m_tree->findTasklistItem(m_fixture->dormantId, m_fixture->betaId));
        QVERIFY(!m_tree->findTasklistItem(m_fixture->projectId, 987654));
    }

    void completeStrikesOutThenRemovesTheTask()
    {
        select(QStringLiteral("Review"));
        bool struckOutDuringCall = false;
        connect(&m_fixture->server, &DevServer::requestReceived, this, [&](const DevServerRequest &) {
            QTreeWidgetItem *review = item(QStringLiteral("Review"));
            struckOutDuringCall = review && review->font(0).strikeOut();
        });
        m_tree->onMenuComplete();
        QCOMPARE(m_presenter->boxes().size(), 1);
        QCOMPARE(m_presenter->lastTitle(), QStringLiteral("Confirm complete"));
        QCOMPARE(m_presenter->lastText(), QStringLiteral("Are you sure you want to mark task \"Review\" as complete?"));
        QVERIFY(struckOutDuringCall);
        QCOMPARE(requests("tavro.tasks.update").size(), 1);
        QCOMPARE(requests("tavro.tasks.update").first().value(QStringLiteral("task_id")),
                 QString::number(m_fixture->reviewId));
        QCOMPARE(requests("tavro.tasks.update").first().value(QStringLiteral("complete")), QStringLiteral("1"));
        QVERIFY(m_fixture->store()->task(m_fixture->reviewId)->complete);
        QVERIFY(!item(QStringLiteral("Review")));
        // The cache still holds it until the catalogue is fetched again.
        m_tree->applyFilter(QString());
        QVERIFY(item(QStringLiteral("Review")));
    }

    void completeRefusedKeepsTheStruckOutTask()
    {
        m_fixture->server.setErrorFault(QStringLiteral("tavro.tasks.update"), 21, QStringLiteral("Not allowed"));
        select(QStringLiteral("Review"));
        m_tree->onMenuComplete();
        QTreeWidgetItem *review = item(QStringLiteral("Review"));
        QVERIFY(review);
        QVERIFY(review->font(0).strikeOut());
        QCOMPARE(m_presenter->lastTitle(), QStringLiteral("Tavro API Error"));
        QVERIFY(!m_fixture->store()->task(m_fixture->reviewId)->complete);
    }

    void answeringNoLeavesTheTaskAlone()
    {
        select(QStringLiteral("Review"));
        m_presenter->answerNext(MessageBox::No);
        m_tree->onMenuComplete();
        QVERIFY(requests("tavro.tasks.update").isEmpty());
        QVERIFY(!item(QStringLiteral("Review"))->font(0).strikeOut());
    }

    void completeOnlyActsOnTasks()
    {
        select(QStringLiteral("Alpha"));
        m_tree->onMenuComplete();
        QVERIFY(m_presenter->boxes().isEmpty());
        QVERIFY(requests("tavro.tasks.update").isEmpty());
    }

    void treeRebuiltDuringCompletionIsLeftAlone()
    {
        select(QStringLiteral("Review"));
        connect(&m_fixture->server, &DevServer::requestReceived, this,
                [&](const DevServerRequest &) { m_tree->applyFilter(QString()); });
        const int before = itemCount(*m_tree);
        m_tree->onMenuComplete();
        // The struck-out item went with the rebuild; the new one is not touched.
        QCOMPARE(itemCount(*m_tree), before);
        QVERIFY(!item(QStringLiteral("Review"))->font(0).strikeOut());
    }

    void addedTaskListLandsInTreeAndCache()
    {
        const QString name = QStringLiteral("Sprint Ünï & co");
        select(QStringLiteral("Linking"));
        whenModal<AddTaskListDialog>([&](AddTaskListDialog *dialog) {
            dialog->findChild<QLineEdit *>(QStringLiteral("editTaskListName"))->setText(name);
            dialog->accept();
        });
        m_tree->onMenuAddTaskList();
        const QList<DevServerRequest> adds = requests("tavro.tasklists.add");
        QCOMPARE(adds.size(), 1);
        QCOMPARE(adds.first().value(QStringLiteral("name")), name);
        QCOMPARE(adds.first().value(QStringLiteral("project_id")), QString::number(m_fixture->projectId));

        QTreeWidgetItem *added = item(name);
        QVERIFY(added);
        QCOMPARE(added->parent(), item(QStringLiteral("Linking")));
        QVERIFY(added->parent()->isExpanded());
        QCOMPARE(added->data(0, ProjectsTree::TypeRole).toString(), QStringLiteral("tasklist"));
        const QString id = added->data(0, ProjectsTree::IdRole).toString();
        QCOMPARE(m_fixture->store()->taskList(id.toInt())->name, name);
        QCOMPARE(map("mapTasklistNames").value(id).toString(), name);

        m_tree->applyFilter(QStringLiteral("Sprint"));
        QVERIFY(item(name));
        QCOMPARE(item(name)->parent(), item(QStringLiteral("Linking")));
    }

    void addedTaskGoesToTheTaskListChosenInTheDialog()
    {
        const QString name = QStringLiteral("Deploy & test = done");
        const QString description = QStringLiteral("first line\nsecond ü");
        select(QStringLiteral("Alpha"));
        bool preset = false;
        whenModal<AddTaskDialog>([&](AddTaskDialog *dialog) {
            auto *taskLists = dialog->findChild<QComboBox *>(QStringLiteral("cbTaskLists"));
            auto *billable = dialog->findChild<QCheckBox *>(QStringLiteral("checkBillable"));
            preset = taskLists->currentData().toInt() == m_fixture->alphaId && billable->isChecked();
            taskLists->setCurrentIndex(taskLists->findData(m_fixture->betaId));
            dialog->findChild<QLineEdit *>(QStringLiteral("editTaskName"))->setText(name);
            dialog->findChild<QPlainTextEdit *>(QStringLiteral("textTaskDescription"))->setPlainText(description);
            billable->setChecked(false);
            dialog->accept();
        });
        m_tree->onMenuAddTask();
        QVERIFY(preset);
        const QList<DevServerRequest> adds = requests("tavro.tasks.add");
        QCOMPARE(adds.size(), 1);
        QCOMPARE(adds.first().value(QStringLiteral("name")), name);
        QCOMPARE(adds.first().value(QStringLiteral("description")), description);
        QCOMPARE(adds.first().value(QStringLiteral("project_id")), QString::number(m_fixture->projectId));
        QCOMPARE(adds.first().value(QStringLiteral("tasklist_id")), QString::number(m_fixture->betaId));
        QCOMPARE(adds.first().value(QStringLiteral("billable")), QStringLiteral("0"));

        QTreeWidgetItem *added = item(name);
        QVERIFY(added);
        QCOMPARE(added->parent(), item(QStringLiteral("Beta")));
        QCOMPARE(added->data(0, ProjectsTree::TypeRole).toString(), QStringLiteral("task"));
        const QString id = added->data(0, ProjectsTree::IdRole).toString();
        const auto stored = m_fixture->store()->task(id.toInt());
        QVERIFY(stored.has_value());
        QVERIFY(!stored->billable);
        QCOMPARE(stored->description, description);
        QCOMPARE(map("mapTaskNames").value(id).toString(), name);
        QCOMPARE(map("mapTaskParentProjects").value(id).toString(), QString::number(m_fixture->projectId));
        QCOMPARE(map("mapTaskParentTasklists").value(id).toString(), QString::number(m_fixture->betaId));

        m_tree->applyFilter(QStringLiteral("deploy"));
        QVERIFY(item(name));
        QCOMPARE(item(name)->parent(), item(QStringLiteral("Beta")));
    }

    void taskCreatedUnderAFilteredOutTaskListReachesTheCache()
    {
        m_tree->applyFilter(QStringLiteral("Write"));
        QVERIFY(!item(QStringLiteral("Beta")));
        select(QStringLiteral("Alpha"));
        whenModal<AddTaskDialog>([&](AddTaskDialog *dialog) {
            auto *taskLists = dialog->findChild<QComboBox *>(QStringLiteral("cbTaskLists"));
            taskLists->setCurrentIndex(taskLists->findData(m_fixture->betaId));
            dialog->findChild<QLineEdit *>(QStringLiteral("editTaskName"))->setText(QStringLiteral("Hidden"));
            dialog->accept();
        });
        m_tree->onMenuAddTask();
        QVERIFY(!item(QStringLiteral("Hidden")));
        m_tree->applyFilter(QString());
        QVERIFY(item(QStringLiteral("Hidden")));
        QCOMPARE(item(QStringLiteral("Hidden"))->parent(), item(QStringLiteral("Beta")));
    }

    void refusedCreationChangesNothing_data()
    {
        QTest::addColumn<bool>("taskList");
        QTest::newRow("task list") << true;
        QTest::newRow("task") << false;
    }

    void refusedCreationChangesNothing()
    {
        QFETCH(bool, taskList);
        m_fixture->server.setErrorFault(taskList ? QStringLiteral("tavro.tasklists.add")
                                                 : QStringLiteral("tavro.tasks.add"),
                                        21, QStringLiteral("Not allowed"));
        const QString catalogue = cachedCatalogue();
        const QMap<QString, QVariant> names = map(taskList ? "mapTasklistNames" : "mapTaskNames");
        const int items = itemCount(*m_tree);
        if (taskList) {
            select(QStringLiteral("Linking"));
            whenModal<AddTaskListDialog>([](AddTaskListDialog *dialog) {
                dialog->findChild<QLineEdit *>(QStringLiteral("editTaskListName"))->setText(QStringLiteral("No"));
                dialog->accept();
            });
            m_tree->onMenuAddTaskList();
        } else {
            select(QStringLiteral("Alpha"));
            whenModal<AddTaskDialog>([](AddTaskDialog *dialog) {
                dialog->findChild<QLineEdit *>(QStringLiteral("editTaskName"))->setText(QStringLiteral("No"));
                dialog->accept();
            });
            m_tree->onMenuAddTask();
        }
        QCOMPARE(m_presenter->lastTitle(), QStringLiteral("Tavro API Error"));
        QCOMPARE(itemCount(*m_tree), items);
        QCOMPARE(cachedCatalogue(), catalogue);
        QCOMPARE(map(taskList ? "mapTasklistNames" : "mapTaskNames"), names);
    }

    void cancelledDialogsSendNothing()
    {
        select(QStringLiteral("Linking"));
        whenModal<AddTaskListDialog>([](AddTaskListDialog *dialog) { dialog->reject(); });
        m_tree->onMenuAddTaskList();
        select(QStringLiteral("Alpha"));
        whenModal<AddTaskDialog>([](AddTaskDialog *dialog) { dialog->reject(); });
        m_tree->onMenuAddTask();
        QVERIFY(m_fixture->server.requests().isEmpty());
    }
};

QTEST_MAIN(TestProjectsTreeEditing)
#include "tst_projectstreeediting.moc"
