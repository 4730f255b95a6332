#include "cataloguereader.h"
#include "devserver.h"
#include "projectstree.h"
#include "recordingpresenter.h"
#include "session.h"
#include "sessionconnection.h"
#include "settings.h"
#include "testsupport.h"

#include <QTest>
#include <QTreeWidgetItemIterator>

namespace {
// The tree as the user sees it, as one line: type initial and text of every shown item, depth first (L for
// task lists).
QString outline(const QTreeWidgetItem *parent)
{
    QStringList parts;
    for (int i = 0; i < parent->childCount(); ++i) {
        const QTreeWidgetItem *item = parent->child(i);
        if (item->isHidden()) {
            continue;
        }
        const QString type = item->data(0, ProjectsTree::TypeRole).toString();
        parts << (type == QLatin1String("tasklist") ? QStringLiteral("L") : type.left(1).toUpper()) + QLatin1Char(':') +
                     item->text(0);
        parts << outline(item);
    }
    parts.removeAll(QString());
    return parts.join(QLatin1Char('|'));
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
        Settings::instance()->restoreDefaults();
        ProjectsCatalogue &catalogue = ProjectsCatalogue::shared();
        QVERIFY(CatalogueReader::load(TestSupport::fixtureReply(QStringLiteral("projects.xml")), catalogue));
        ProjectsTree tree;
        tree.applyFilter(filter);
        QCOMPARE(::outline(tree.invisibleRootItem()), outline);
        // Names are known for every open task, whatever the filter shows, and for no completed one.
        for (qint64 open : {1000, 1002, 1100, 1200, 1300}) {
            QVERIFY(catalogue.isOpenTask(open));
        }
        for (qint64 completed : {1001, 1301, 1400}) {
            QVERIFY(!catalogue.isOpenTask(completed));
        }
    }

    // Typed one key after another, the tree shows what a tree built for each text shows, in the same
    // order: "in" puts "No client" (Internal tools) before Acme (Mobile app), unlike the full list.
    void typingShowsWhatABuildShows()
    {
        Settings::instance()->restoreDefaults();
        QVERIFY(CatalogueReader::load(TestSupport::fixtureReply(QStringLiteral("projects.xml")),
                                      ProjectsCatalogue::shared()));
        ProjectsTree typed;
        typed.showProjects();
        for (const QString &text : {QStringLiteral("i"), QStringLiteral("in"), QStringLiteral("i"), QString(),
                                    QStringLiteral("in"), QStringLiteral("in g"), QStringLiteral("z"), QString()}) {
            typed.applyFilter(text);
            ProjectsTree built;
            built.setFilterText(text);
            built.showProjects();
            QCOMPARE(outline(typed.invisibleRootItem()), outline(built.invisibleRootItem()));
            // What shows is open, as after a build.
            for (QTreeWidgetItemIterator it(&typed, QTreeWidgetItemIterator::HasChildren); *it; ++it) {
                bool shown = true;
                for (const QTreeWidgetItem *item = *it; item; item = item->parent()) {
                    shown = shown && !item->isHidden();
                }
                QVERIFY2(!shown || (*it)->isExpanded(), qPrintable(text + QLatin1Char(' ') + (*it)->text(0)));
            }
        }
        typed.applyFilter(QStringLiteral("in"));
        QVERIFY(outline(typed.invisibleRootItem())
                    .startsWith(QStringLiteral("C:No client|P:Internal tools|L:Tracker|T:Report budget|C:Acme")));
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
        connect(&session, &Session::projectsCleared, &tree, &QTreeWidget::clear);
        QVERIFY(SessionTest::connect(session));
        session.login();
        QVERIFY(SessionTest::settled(session));
        // Names arrive as UTF-8 and show decoded.
        QCOMPARE(tree.findItems(QStringLiteral("Café Ünïcode"), Qt::MatchExactly).size(), 1);

        // The fetch fails on the network: the tree stays, the catalogue has nothing more to show.
        const int shown = tree.topLevelItemCount();
        server.setFault(QStringLiteral("tavro.projects.findByUser"), DevServer::Fault::Close);
        session.loadProjects();
        QVERIFY(SessionTest::settled(session));
        QCOMPARE(boxes.lastTitle(), QStringLiteral("Network error"));
        QCOMPARE(tree.topLevelItemCount(), shown);
        QVERIFY(!catalogue.isUsable());
        tree.applyFilter(QStringLiteral("design"));
        QCOMPARE(boxes.boxes().size(), 2);
        QCOMPARE(boxes.lastText(), QStringLiteral("Could not load projects tree"));
        QCOMPARE(tree.topLevelItemCount(), 0);
        // Typing on while the catalogue is missing says it once.
        tree.applyFilter(QStringLiteral("design r"));
        QCOMPARE(boxes.boxes().size(), 2);

        // Logout empties the tree.
        server.clearFaults();
        session.loadProjects();
        QVERIFY(SessionTest::settled(session));
        QVERIFY(tree.topLevelItemCount() > 0);
        // After the catalogue loaded again, a new failure is told again.
        catalogue.markUnusable();
        tree.applyFilter(QStringLiteral("x"));
        QCOMPARE(boxes.boxes().size(), 3);
        tree.applyFilter(QStringLiteral("design"));
        session.loadProjects();
        QVERIFY(SessionTest::settled(session));
        session.logout();
        QCOMPARE(tree.topLevelItemCount(), 0);
    }
};

QTEST_MAIN(TestProjectsFilter)
#include "tst_projectsfilter.moc"
