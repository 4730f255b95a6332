#include "devserver.h"
#include "loginprompt.h"
#include "projectstree.h"
#include "session.h"
#include "settings.h"
#include "testsupport.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>

using TestSupport::BoxRecorder;

namespace {
// The tree as one line: type initial and text of every item, depth first.
QString outline(const QTreeWidgetItem *parent)
{
    QStringList parts;
    for (int i = 0; i < parent->childCount(); ++i) {
        const QTreeWidgetItem *item = parent->child(i);
        const QString type = item->data(0, ProjectsTree::TypeRole).toString();
        parts << type.left(1).toUpper() + (type == QLatin1String("tasklist") ? QStringLiteral("L") : QString()) +
                     QLatin1Char(':') + item->text(0);
        const QString below = outline(item);
        if (!below.isEmpty()) {
            parts << below;
        }
    }
    return parts.join(QLatin1Char('|'));
}

QString outline(const QTreeWidget &tree)
{
    return outline(tree.invisibleRootItem());
}

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(16, 16).toImage();
}

QString projectsFixture()
{
    return TestSupport::fixtureReply(QStringLiteral("projects.xml"));
}
} // namespace

class TestProjectsTree : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void itemsCarryIdTypeAndIcon();
    void populateShowsOpenTasksOnly();
    void populateStoresMaps();
    void filterFromCache();
    void errorDocumentShowsBox();
    void emptyReplyThenFilterShowsBox();
    void refreshAction();
};

void TestProjectsTree::init()
{
    Settings::instance()->values.clear();
}

void TestProjectsTree::itemsCarryIdTypeAndIcon()
{
    ProjectsTree tree;
    QVERIFY(tree.isHeaderHidden());
    QCOMPARE(tree.columnCount(), 1);
    tree.populate(projectsFixture());
    QCOMPARE(tree.topLevelItemCount(), 3);
    const QTreeWidgetItem *client = tree.topLevelItem(0);
    const QTreeWidgetItem *project = client->child(0);
    const QTreeWidgetItem *taskList = project->child(0);
    const QTreeWidgetItem *task = taskList->child(1);
    const QList<std::tuple<const QTreeWidgetItem *, QString, QString, QString>> expected{
        {client, QStringLiteral("client"), QStringLiteral("1"), QStringLiteral("Acme & Söhne")},
        {project, QStringLiteral("project"), QStringLiteral("10"), QStringLiteral("Website relaunch")},
        {taskList, QStringLiteral("tasklist"), QStringLiteral("100"), QStringLiteral("Design")},
        {task, QStringLiteral("task"), QStringLiteral("1002"), QStringLiteral("Budget 2012 review")},
    };
    for (const auto &[item, type, id, name] : expected) {
        QCOMPARE(item->text(0), name);
        QCOMPARE(item->data(0, Qt::UserRole + 2).toString(), type);
        QCOMPARE(item->data(0, Qt::UserRole + 1).toString(), id);
        const QImage icon = iconImage(QIcon(QStringLiteral(":/icons/res/%1.png").arg(type)));
        QVERIFY(!icon.isNull());
        QCOMPARE(iconImage(item->icon(0)), icon);
    }
    QVERIFY(iconImage(client->icon(0)) != iconImage(task->icon(0)));
}

void TestProjectsTree::populateShowsOpenTasksOnly()
{
    ProjectsTree tree;
    tree.populate(projectsFixture());
    QCOMPARE(outline(tree),
             QStringLiteral("C:Acme & Söhne|P:Website relaunch|TL:Design|T:Mock-ups|T:Budget 2012 review|TL:Empty list"
                            "|P:Mobile app|TL:Release|T:Store listing"
                            "|C:|P:Internal tools|TL:Tracker|T:Report budget|P:Café <b>Zürich</b>|TL:Menü|T:Übersetzung"
                            "|C:Beta GmbH|P:Old project|TL:Archive"));
    // The two projects without a client sit under one client item with an empty name and id.
    const QTreeWidgetItem *noClient = tree.topLevelItem(1);
    QCOMPARE(noClient->childCount(), 2);
    QCOMPARE(noClient->data(0, ProjectsTree::IdRole).toString(), QString());
    const QList<QTreeWidgetItem *> done = tree.findItems(QStringLiteral("Style guide"), Qt::MatchRecursive);
    QVERIFY(done.isEmpty());
}

void TestProjectsTree::populateStoresMaps()
{
    auto &values = Settings::instance()->values;
    ProjectsTree tree;
    tree.setFilterText(QStringLiteral("mobile"));
    tree.populate(projectsFixture());
    // The maps hold every open task, whatever the filter shows.
    const auto taskNames = values.value(QStringLiteral("mapTaskNames")).toMap();
    QCOMPARE(taskNames.keys(), (QStringList{QStringLiteral("1000"), QStringLiteral("1002"), QStringLiteral("1100"),
                                            QStringLiteral("1200"), QStringLiteral("1300")}));
    QVERIFY(!taskNames.contains(QStringLiteral("1001")));
    QCOMPARE(values.value(QStringLiteral("mapTaskParentProjects")).toMap().value(QStringLiteral("1300")).toString(),
             QStringLiteral("13"));
    QCOMPARE(values.value(QStringLiteral("mapTaskParentTasklists")).toMap().value(QStringLiteral("1000")).toString(),
             QStringLiteral("100"));
    QCOMPARE(values.value(QStringLiteral("mapProjectNames")).toMap().size(), 5);
    QCOMPARE(values.value(QStringLiteral("mapTasklistNames")).toMap().size(), 7);
}

void TestProjectsTree::filterFromCache()
{
    Settings::instance()->values[QStringLiteral("XmlProjectsList")] = projectsFixture();
    ProjectsTree tree;
    tree.applyFilter(QStringLiteral("website \"budget 2012\""));
    QCOMPARE(tree.filterText(), QStringLiteral("website \"budget 2012\""));
    QCOMPARE(outline(tree), QStringLiteral("C:Acme & Söhne|P:Website relaunch|TL:Design|T:Budget 2012 review"));
    QVERIFY(tree.topLevelItem(0)->isExpanded());
    QVERIFY(tree.topLevelItem(0)->child(0)->child(0)->isExpanded());

    tree.applyFilter(QString());
    QCOMPARE(tree.topLevelItemCount(), 3);
}

void TestProjectsTree::errorDocumentShowsBox()
{
    BoxRecorder boxes;
    auto &values = Settings::instance()->values;
    ProjectsTree tree;
    tree.populate(projectsFixture());
    const QVariant maps = values.value(QStringLiteral("mapTaskNames"));
    tree.populate(TestSupport::fixtureReply(QStringLiteral("error-reply.xml")));
    QCOMPARE(tree.topLevelItemCount(), 0);
    QCOMPARE(values.value(QStringLiteral("mapTaskNames")), maps);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.first().icon, MessageBox::Icon::Warning);
    QCOMPARE(boxes.boxes.first().title, QStringLiteral("Error"));
    QCOMPARE(boxes.boxes.first().text, QStringLiteral("Could not load projects tree"));
    QCOMPARE(boxes.boxes.first().buttons, MessageBox::Buttons(MessageBox::Ok));
    QCOMPARE(boxes.boxes.first().parent, &tree);
}

void TestProjectsTree::emptyReplyThenFilterShowsBox()
{
    BoxRecorder boxes;
    DevServer server;
    QVERIFY(server.listen());
    auto &values = Settings::instance()->values;
    values[QStringLiteral("RealApiBaseUrl")] = server.url().toString();
    values[QStringLiteral("Username")] = QStringLiteral("demo@tavro.test");
    values[QStringLiteral("Password")] = QStringLiteral("demo");

    ProjectsTree tree;
    Session session(nullptr);
    connect(&session, &Session::projectsReceived, &tree, &ProjectsTree::showProjects);
    connect(&session, &Session::projectsCleared, &tree, &QTreeWidget::clear);
    QVERIFY(session.connectToService());
    session.login();
    QVERIFY(session.isLoggedIn());
    QVERIFY(tree.topLevelItemCount() > 0);
    // Names arrive as UTF-8 and show decoded.
    QCOMPARE(tree.findItems(QStringLiteral("Café Ünïcode"), Qt::MatchExactly).size(), 1);
    QVERIFY(tree.topLevelItem(0)->isExpanded());
    const QString before = outline(tree);

    // The fetch fails on the network: the tree stays, the cache becomes empty.
    server.setFault(QStringLiteral("tavro.projects.findByUser"), DevServer::Fault::Close);
    session.loadProjects();
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.first().title, QStringLiteral("Network error"));
    QCOMPARE(outline(tree), before);
    QCOMPARE(values.value(QStringLiteral("XmlProjectsList")).toString(), QString());

    tree.applyFilter(QStringLiteral("design"));
    QCOMPARE(boxes.boxes.size(), 2);
    QCOMPARE(boxes.boxes.last().text, QStringLiteral("Could not load projects tree"));
    QCOMPARE(tree.topLevelItemCount(), 0);

    // Logout empties the tree.
    server.clearFaults();
    session.loadProjects();
    QVERIFY(tree.topLevelItemCount() > 0);
    session.logout();
    QCOMPARE(tree.topLevelItemCount(), 0);
}

void TestProjectsTree::refreshAction()
{
    ProjectsTree tree;
    QVERIFY(tree.refreshAction());
    QCOMPARE(tree.refreshAction()->text(), QStringLiteral("&Refresh"));
    QCOMPARE(tree.refreshAction()->parent(), &tree);
    QSignalSpy refresh(&tree, &ProjectsTree::refreshRequested);
    tree.refreshAction()->trigger();
    QCOMPARE(refresh.size(), 1);
}

QTEST_MAIN(TestProjectsTree)
#include "tst_projectstree.moc"
