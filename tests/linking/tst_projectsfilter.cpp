#include "cataloguereader.h"
#include "devserver.h"
#include "projectstree.h"
#include "recordingpresenter.h"
#include "session.h"
#include "sessionconnection.h"
#include "settings.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QTest>

namespace {
// The tree as the user sees it, as one line: type initial and text of every shown row, depth first (L for
// task lists).
QString outline(const QAbstractItemModel *model, const QModelIndex &parent = QModelIndex())
{
    QStringList parts;
    for (int i = 0; i < model->rowCount(parent); ++i) {
        const QModelIndex row = model->index(i, 0, parent);
        const QString type = row.data(ProjectsTreeModel::TypeRole).toString();
        parts << (type == QLatin1String("tasklist") ? QStringLiteral("L") : type.left(1).toUpper()) + QLatin1Char(':') +
                     row.data().toString();
        parts << outline(model, row);
    }
    parts.removeAll(QString());
    return parts.join(QLatin1Char('|'));
}

// The shown rows that hold others and are closed, by name.
QStringList closedRows(const QTreeView &tree, const QModelIndex &parent = QModelIndex())
{
    QStringList closed;
    for (int i = 0; i < tree.model()->rowCount(parent); ++i) {
        const QModelIndex row = tree.model()->index(i, 0, parent);
        if (tree.model()->hasChildren(row) && !tree.isExpanded(row)) {
            closed << row.data().toString();
        }
        closed << closedRows(tree, row);
    }
    return closed;
}

QModelIndex rowNamed(const QTreeView &tree, const QString &name)
{
    const QModelIndexList found = tree.model()->match(tree.model()->index(0, 0), Qt::DisplayRole, name, -1,
                                                      Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.first() : QModelIndex();
}

bool loadFixture()
{
    Settings::instance()->restoreDefaults();
    return CatalogueReader::load(TestSupport::fixtureReply(QStringLiteral("projects.xml")),
                                 ProjectsCatalogue::shared());
}
} // namespace

class TestProjectsFilter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filter_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("outline");
        // Completed tasks are absent, the empty list shows, the list without "tasks" does not, and the two
        // projects without a client share one client item named "No client".
        QTest::newRow("none") << QString()
                              << QStringLiteral(
                                     "C:Acme & Söhne|P:Website relaunch|L:Design|T:Mock-ups|T:Budget 2012 review"
                                     "|L:Empty list|P:Mobile app|L:Release|T:Store listing|C:No client|P:Internal tools"
                                     "|L:Tracker|T:Report budget|P:Café <b>Zürich</b>|L:Menü|T:Übersetzung"
                                     "|C:Beta GmbH|P:Old project|L:Archive");
        QTest::newRow("words across project and task")
            << QStringLiteral("mobile store")
            << QStringLiteral("C:Acme & Söhne|P:Mobile app|L:Release|T:Store listing");
        QTest::newRow("quoted phrase") << QStringLiteral("\"budget 2012\"")
                                       << QStringLiteral(
                                              "C:Acme & Söhne|P:Website relaunch|L:Design|T:Budget 2012 review");
        QTest::newRow("quoted phrase only as a whole") << QStringLiteral("\"budget report\"") << QString();
        QTest::newRow("non-ascii ignoring case")
            << QStringLiteral("ÜBERSETZUNG") << QStringLiteral("C:No client|P:Café <b>Zürich</b>|L:Menü|T:Übersetzung");
        QTest::newRow("completed task never matches") << QStringLiteral("closed") << QString();
        QTest::newRow("a word in names of two clients")
            << QStringLiteral("BUDGET")
            << QStringLiteral("C:Acme & Söhne|P:Website relaunch|L:Design|T:Budget 2012 review|C:No client"
                              "|P:Internal tools|L:Tracker|T:Report budget");
        // "Empty list" is followed by "Mobile app": names never run into each other.
        QTest::newRow("a word across two names never matches") << QStringLiteral("listmobile") << QString();
    }

    void filter()
    {
        QFETCH(QString, filter);
        QFETCH(QString, outline);
        QVERIFY(loadFixture());
        const ProjectsCatalogue &catalogue = ProjectsCatalogue::shared();
        ProjectsTree tree;
        QAbstractItemModelTester tester(tree.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        tree.applyFilter(filter);
        QCOMPARE(::outline(tree.model()), outline);
        // Names are known for every open task, whatever the filter shows, and for no completed one.
        for (qint64 open : {1000, 1002, 1100, 1200, 1300}) {
            QVERIFY(catalogue.isOpenTask(open));
        }
        for (qint64 completed : {1001, 1301, 1400}) {
            QVERIFY(!catalogue.isOpenTask(completed));
        }
    }

    // Typed one key after another, the tree shows what a tree built for each text shows, in the same
    // order and opened all the way: "in" puts "No client" (Internal tools) before Acme (Mobile app),
    // unlike the full list. What the user closed opens again with the next keystroke.
    void typingShowsWhatABuildShows()
    {
        QVERIFY(loadFixture());
        ProjectsTree typed;
        QAbstractItemModelTester tester(typed.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        typed.showProjects();
        // "in " and "in in" keep the rows of "in": only what the user closed changes.
        for (const QString &text :
             {QStringLiteral("i"), QStringLiteral("in"), QStringLiteral("i"), QString(), QStringLiteral("in"),
              QStringLiteral("in "), QStringLiteral("in in"), QStringLiteral("in g"), QStringLiteral("z"), QString()}) {
            typed.collapseAllAction()->trigger();
            typed.applyFilter(text);
            ProjectsTree built;
            built.setFilterText(text);
            built.showProjects();
            QCOMPARE(outline(typed.model()), outline(built.model()));
            QCOMPARE(closedRows(typed), QStringList());
        }
        typed.applyFilter(QStringLiteral("in"));
        QVERIFY(outline(typed.model())
                    .startsWith(QStringLiteral("C:No client|P:Internal tools|L:Tracker|T:Report budget|C:Acme")));
    }

    // The selected row stays selected while the filter shows it; once the filter hides it, nothing hidden
    // is acted on.
    void typingKeepsTheSelectionWhileItShows()
    {
        QVERIFY(loadFixture());
        ProjectsTree tree;
        tree.showProjects();
        const int budgetReview = 1002;
        tree.setCurrentIndex(rowNamed(tree, QStringLiteral("Budget 2012 review")));
        QCOMPARE(tree.selectedId(QStringLiteral("task")), budgetReview);
        for (const QString &text : {QStringLiteral("b"), QStringLiteral("bu"), QStringLiteral("budget"),
                                    QStringLiteral("budget 2"), QStringLiteral("budget"), QString()}) {
            tree.applyFilter(text);
            QCOMPARE(tree.selectedId(QStringLiteral("task")), budgetReview);
            QCOMPARE(tree.currentIndex(), rowNamed(tree, QStringLiteral("Budget 2012 review")));
            QVERIFY(tree.selectionModel()->isSelected(tree.currentIndex()));
        }
        tree.applyFilter(QStringLiteral("report budget"));
        QCOMPARE(tree.selectedId(QStringLiteral("task")), 0);
        QVERIFY(!tree.currentIndex().isValid());
        // A task list chosen stays chosen too.
        tree.setCurrentIndex(rowNamed(tree, QStringLiteral("Tracker")));
        tree.applyFilter(QStringLiteral("report"));
        QCOMPARE(tree.currentIndex(), rowNamed(tree, QStringLiteral("Tracker")));
    }

    void emptyReplyThenFilterShowsBox()
    {
        RecordingPresenter boxes;
        DevServer server;
        QVERIFY(server.listen());
        Settings *settings = Settings::instance();
        settings->restoreDefaults();
        ProjectsCatalogue::shared().clear();
        settings->setServiceUrl(server.url().toString());
        settings->setValue(Setting::Username, QStringLiteral("demo@tavro.test"));
        settings->setValue(Setting::Password, QStringLiteral("demo"));
        ProjectsTree tree;
        Session session(nullptr);
        connect(&session, &Session::projectsReceived, &tree, &ProjectsTree::showProjects);
        ProjectsCatalogue &catalogue = ProjectsCatalogue::shared();
        connect(&session, &Session::projectsCleared, &tree, &ProjectsTree::clearProjects);
        QVERIFY(SessionTest::connect(session));
        session.login();
        QVERIFY(SessionTest::settled(session));
        // Names arrive as UTF-8 and show decoded.
        QVERIFY(rowNamed(tree, QStringLiteral("Café Ünïcode")).isValid());

        // The fetch fails on the network: the tree stays, the catalogue has nothing more to show.
        const int shown = tree.model()->rowCount();
        server.setFault(QStringLiteral("tavro.projects.findByUser"), DevServer::Fault::Close);
        session.loadProjects();
        QVERIFY(SessionTest::settled(session));
        QCOMPARE(boxes.lastTitle(), QStringLiteral("Network error"));
        QCOMPARE(tree.model()->rowCount(), shown);
        QVERIFY(!catalogue.isUsable());
        tree.applyFilter(QStringLiteral("design"));
        QCOMPARE(boxes.boxes().size(), 2);
        QCOMPARE(boxes.lastText(), QStringLiteral("Could not load projects tree"));
        QCOMPARE(tree.model()->rowCount(), 0);
        // Typing on while the catalogue is missing says it once.
        tree.applyFilter(QStringLiteral("design r"));
        QCOMPARE(boxes.boxes().size(), 2);

        // Logout empties the tree.
        server.clearFaults();
        session.loadProjects();
        QVERIFY(SessionTest::settled(session));
        QVERIFY(tree.model()->rowCount() > 0);
        // After the catalogue loaded again, a new failure is told again.
        catalogue.markUnusable();
        tree.applyFilter(QStringLiteral("x"));
        QCOMPARE(boxes.boxes().size(), 3);
        tree.applyFilter(QStringLiteral("design"));
        session.loadProjects();
        QVERIFY(SessionTest::settled(session));
        session.logout();
        QCOMPARE(tree.model()->rowCount(), 0);
    }
};

QTEST_MAIN(TestProjectsFilter)
#include "tst_projectsfilter.moc"
