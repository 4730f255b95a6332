#include "apireply.h"
#include "projectscatalogue.h"
#include "settings.h"
#include "testsupport.h"

#include <QDomDocument>
#include <QTest>

namespace {
// The shown tree as one line: C(lient), P(roject), L(ist) and T(ask) names in order.
QString outline(const QList<ProjectsCatalogue::ShownClient> &clients)
{
    QStringList parts;
    for (const auto &client : clients) {
        parts << QStringLiteral("C:") + client.name;
        for (const auto &project : client.projects) {
            parts << QStringLiteral("P:") + project.name;
            for (const auto &taskList : project.taskLists) {
                parts << QStringLiteral("L:") + taskList.name;
                for (const auto &task : taskList.tasks) {
                    parts << QStringLiteral("T:") + task.name;
                }
            }
        }
    }
    return parts.join(QLatin1Char('|'));
}

// Everything the fixture shows without a filter.
QString fullOutline()
{
    return QStringLiteral("C:Acme & Söhne|P:Website relaunch|L:Design|T:Mock-ups|T:Budget 2012 review|L:Empty list"
                          "|P:Mobile app|L:Release|T:Store listing"
                          "|C:|P:Internal tools|L:Tracker|T:Report budget|P:Café <b>Zürich</b>|L:Menü|T:Übersetzung"
                          "|C:Beta GmbH|P:Old project|L:Archive");
}

QString projectsFixture()
{
    return TestSupport::fixtureReply(QStringLiteral("projects.xml"));
}
} // namespace

class TestProjectsCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesFixture();
    void rejectsUnusableDocuments_data();
    void rejectsUnusableDocuments();
    void mapsHoldOpenTasksOnly();
    void storeMapsReplacesPrevious();
    void shownWithoutFilter();
    void filter_data();
    void filter();
    void clientIdentityById();
    void addTaskList();
    void addTask();
    void addToUnknownParentKeepsDocument();
};

void TestProjectsCatalogue::parsesFixture()
{
    ProjectsCatalogue catalogue;
    QVERIFY(catalogue.parse(projectsFixture()));
    const auto &projects = catalogue.projects();
    QCOMPARE(projects.size(), 5);
    QCOMPARE(projects.at(0).clientName, QStringLiteral("Acme & Söhne"));
    QCOMPARE(projects.at(0).clientId, QStringLiteral("1"));
    QCOMPARE(projects.at(1).clientId, QString());
    QCOMPARE(projects.at(1).clientName, QString());
    QCOMPARE(projects.at(3).name, QStringLiteral("Café <b>Zürich</b>"));
    QCOMPARE(projects.at(0).taskLists.size(), 3);
    QVERIFY(projects.at(0).taskLists.at(1).hasTasks);
    QVERIFY(!projects.at(0).taskLists.at(2).hasTasks);
    QCOMPARE(projects.at(0).taskLists.at(0).tasks.size(), 2);
    QCOMPARE(projects.at(3).taskLists.at(0).tasks.at(0).name, QStringLiteral("Übersetzung"));
}

void TestProjectsCatalogue::rejectsUnusableDocuments_data()
{
    QTest::addColumn<QString>("xml");
    QTest::newRow("empty") << QString();
    QTest::newRow("error") << TestSupport::fixtureReply(QStringLiteral("error-reply.xml"));
    QTest::newRow("no status") << QStringLiteral("<rsp><projects><project id=\"1\" name=\"x\"/></projects></rsp>");
    QTest::newRow("cut in half") << projectsFixture().left(300);
}

void TestProjectsCatalogue::rejectsUnusableDocuments()
{
    QFETCH(QString, xml);
    ProjectsCatalogue catalogue;
    QVERIFY(catalogue.parse(projectsFixture()));
    QVERIFY(!catalogue.parse(xml));
    QVERIFY(catalogue.projects().isEmpty());
    QVERIFY(catalogue.shown(QString()).isEmpty());
}

void TestProjectsCatalogue::mapsHoldOpenTasksOnly()
{
    ProjectsCatalogue catalogue;
    QVERIFY(catalogue.parse(projectsFixture()));
    const ProjectsCatalogue::Maps maps = catalogue.maps();
    QCOMPARE(maps.projectNames.keys(), (QStringList{QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("12"),
                                                    QStringLiteral("13"), QStringLiteral("14")}));
    QCOMPARE(maps.projectNames.value(QStringLiteral("13")).toString(), QStringLiteral("Café <b>Zürich</b>"));
    QCOMPARE(maps.tasklistNames.size(), 7);
    QCOMPARE(maps.tasklistNames.value(QStringLiteral("102")).toString(), QStringLiteral("No tasks element"));
    QCOMPARE(maps.tasklistNames.value(QStringLiteral("130")).toString(), QStringLiteral("Menü"));
    QCOMPARE(maps.taskNames.keys(), (QStringList{QStringLiteral("1000"), QStringLiteral("1002"), QStringLiteral("1100"),
                                                 QStringLiteral("1200"), QStringLiteral("1300")}));
    QVERIFY(!maps.taskNames.contains(QStringLiteral("1001")));
    QVERIFY(!maps.taskParentProjects.contains(QStringLiteral("1400")));
    QCOMPARE(maps.taskNames.value(QStringLiteral("1300")).toString(), QStringLiteral("Übersetzung"));
    QCOMPARE(maps.taskParentProjects.value(QStringLiteral("1200")).toString(), QStringLiteral("12"));
    QCOMPARE(maps.taskParentTasklists.value(QStringLiteral("1200")).toString(), QStringLiteral("120"));
    QCOMPARE(maps.taskParentTasklists.value(QStringLiteral("1100")).toString(), QStringLiteral("110"));
}

void TestProjectsCatalogue::storeMapsReplacesPrevious()
{
    auto &values = Settings::instance()->values;
    values[QStringLiteral("mapTaskNames")] = QMap<QString, QVariant>{{QStringLiteral("999"), QStringLiteral("stale")}};
    ProjectsCatalogue catalogue;
    QVERIFY(catalogue.parse(projectsFixture()));
    ProjectsCatalogue::storeMaps(catalogue.maps());
    const auto taskNames = values.value(QStringLiteral("mapTaskNames")).toMap();
    QVERIFY(!taskNames.contains(QStringLiteral("999")));
    QCOMPARE(taskNames.value(QStringLiteral("1000")).toString(), QStringLiteral("Mock-ups"));
    QCOMPARE(values.value(QStringLiteral("mapProjectNames")).toMap().size(), 5);
    QCOMPARE(values.value(QStringLiteral("mapTasklistNames")).toMap().size(), 7);
    QCOMPARE(values.value(QStringLiteral("mapTaskParentProjects")).toMap().size(), 5);
    QCOMPARE(values.value(QStringLiteral("mapTaskParentTasklists")).toMap().size(), 5);
}

void TestProjectsCatalogue::shownWithoutFilter()
{
    ProjectsCatalogue catalogue;
    QVERIFY(catalogue.parse(projectsFixture()));
    // Completed tasks are absent, the empty list shows, the list without "tasks" does not, the two
    // projects without a client share one client with an empty name, and document order is kept.
    QCOMPARE(outline(catalogue.shown(QString())), fullOutline());
}

void TestProjectsCatalogue::filter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("outline");
    QTest::newRow("words across project and task")
        << QStringLiteral("mobile store") << QStringLiteral("C:Acme & Söhne|P:Mobile app|L:Release|T:Store listing");
    QTest::newRow("both words in the task") << QStringLiteral("budget review")
                                            << QStringLiteral("C:Acme & Söhne|P:Website relaunch|L:Design"
                                                              "|T:Budget 2012 review");
    QTest::newRow("words in any order and case")
        << QStringLiteral("BUDGET report") << QStringLiteral("C:|P:Internal tools|L:Tracker|T:Report budget");
    QTest::newRow("quoted phrase") << QStringLiteral("\"budget 2012\"")
                                   << QStringLiteral("C:Acme & Söhne|P:Website relaunch|L:Design"
                                                     "|T:Budget 2012 review");
    QTest::newRow("quoted phrase only as a whole") << QStringLiteral("\"budget report\"") << QString();
    QTest::newRow("phrase and word") << QStringLiteral("\"report budget\" tools")
                                     << QStringLiteral("C:|P:Internal tools|L:Tracker|T:Report budget");
    QTest::newRow("project name shows all its open tasks")
        << QStringLiteral("zürich") << QStringLiteral("C:|P:Café <b>Zürich</b>|L:Menü|T:Übersetzung");
    QTest::newRow("non-ascii ignoring case")
        << QStringLiteral("ÜBERSETZUNG") << QStringLiteral("C:|P:Café <b>Zürich</b>|L:Menü|T:Übersetzung");
    QTest::newRow("empty task list by its name")
        << QStringLiteral("empty") << QStringLiteral("C:Acme & Söhne|P:Website relaunch|L:Empty list");
    QTest::newRow("list of completed tasks by its name")
        << QStringLiteral("archive") << QStringLiteral("C:Beta GmbH|P:Old project|L:Archive");
    QTest::newRow("completed task never matches") << QStringLiteral("closed") << QString();
    QTest::newRow("list without tasks element never") << QStringLiteral("element") << QString();
    QTest::newRow("client name is not searched") << QStringLiteral("acme") << QString();
    QTest::newRow("blanks only") << QStringLiteral("   ") << fullOutline();
    QTest::newRow("lone quote") << QStringLiteral("\"") << fullOutline();
}

void TestProjectsCatalogue::filter()
{
    QFETCH(QString, filter);
    QFETCH(QString, outline);
    ProjectsCatalogue catalogue;
    QVERIFY(catalogue.parse(projectsFixture()));
    QCOMPARE(::outline(catalogue.shown(filter)), outline);
}

void TestProjectsCatalogue::clientIdentityById()
{
    const QString xml = QStringLiteral(
        "<rsp status=\"ok\"><projects>"
        "<project id=\"1\" name=\"A\"><client id=\"7\" name=\"Seven\"/><task_lists><task_list id=\"1\" name=\"L\">"
        "<tasks><task id=\"1\" name=\"t\" complete=\"0\"/></tasks></task_list></task_lists></project>"
        "<project id=\"2\" name=\"B\"><client id=\"8\" name=\"Eight\"/><task_lists><task_list id=\"2\" name=\"L\">"
        "<tasks><task id=\"2\" name=\"t\" complete=\"0\"/></tasks></task_list></task_lists></project>"
        "<project id=\"3\" name=\"C\"><client id=\"7\" name=\"Seven\"/><task_lists><task_list id=\"3\" name=\"L\">"
        "<tasks><task id=\"3\" name=\"t\" complete=\"00\"/></tasks></task_list></task_lists></project>"
        "</projects></rsp>");
    ProjectsCatalogue catalogue;
    QVERIFY(catalogue.parse(xml));
    // Project C comes back to client Seven; its task with complete "00" is not open, so its list shows empty.
    QCOMPARE(outline(catalogue.shown(QString())), QStringLiteral("C:Seven|P:A|L:L|T:t|P:C|L:L|C:Eight|P:B|L:L|T:t"));
    QVERIFY(!catalogue.maps().taskNames.contains(QStringLiteral("3")));
}

void TestProjectsCatalogue::addTaskList()
{
    const QString xml = ProjectsCatalogue::addTaskListToXml(
        projectsFixture(), 11,
        {{QStringLiteral("id"), 111}, {QStringLiteral("name"), QStringLiteral("Neue & Liste ü")}});
    // The text keeps one character per byte: the name went in as UTF-8.
    QVERIFY(xml.contains(QString::fromLatin1(QByteArray("Neue &amp; Liste \xc3\xbc"))));
    ProjectsCatalogue catalogue;
    QVERIFY(catalogue.parse(xml));
    const auto &taskLists = catalogue.projects().at(1).taskLists;
    QCOMPARE(taskLists.size(), 2);
    QCOMPARE(taskLists.last().id, QStringLiteral("111"));
    QCOMPARE(taskLists.last().name, QStringLiteral("Neue & Liste ü"));
    QVERIFY(taskLists.last().hasTasks);
    QVERIFY(taskLists.last().tasks.isEmpty());
    QCOMPARE(catalogue.maps().tasklistNames.value(QStringLiteral("111")).toString(), QStringLiteral("Neue & Liste ü"));
}

void TestProjectsCatalogue::addTask()
{
    const QMap<QString, QVariant> task{
        {QStringLiteral("id"), 1201},
        {QStringLiteral("name"), QStringLiteral("Größe <prüfen>")},
        {QStringLiteral("complete"), 0},
        {QStringLiteral("billable"), true},
        {QStringLiteral("description"), QStringLiteral("Zeile & mehr")},
        {QStringLiteral("price_per_hour"), 0},
        {QStringLiteral("due_date"), QString()},
    };
    const QString xml = ProjectsCatalogue::addTaskToXml(projectsFixture(), 12, 120, task);

    const QDomDocument document = ApiReply::parse(xml);
    const QDomElement added = document.elementsByTagName(QStringLiteral("task")).at(5).toElement();
    QCOMPARE(added.attribute(QStringLiteral("id")), QStringLiteral("1201"));
    QCOMPARE(ApiReply::fromWire(added.attribute(QStringLiteral("name"))), QStringLiteral("Größe <prüfen>"));
    QCOMPARE(added.attribute(QStringLiteral("tasklist_id")), QStringLiteral("120"));
    QCOMPARE(added.attribute(QStringLiteral("complete")), QStringLiteral("0"));
    QCOMPARE(added.attribute(QStringLiteral("billable")), QStringLiteral("1"));
    QStringList childNames;
    for (QDomElement child = added.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        childNames << child.tagName();
    }
    QCOMPARE(childNames, (QStringList{QStringLiteral("description"), QStringLiteral("price_per_hour"),
                                      QStringLiteral("due_date")}));
    QCOMPARE(ApiReply::fromWire(added.firstChildElement(QStringLiteral("description")).text()),
             QStringLiteral("Zeile & mehr"));
    QCOMPARE(added.firstChildElement(QStringLiteral("price_per_hour")).text(), QStringLiteral("0"));

    ProjectsCatalogue catalogue;
    QVERIFY(catalogue.parse(xml));
    const auto maps = catalogue.maps();
    QCOMPARE(maps.taskNames.value(QStringLiteral("1201")).toString(), QStringLiteral("Größe <prüfen>"));
    QCOMPARE(maps.taskParentProjects.value(QStringLiteral("1201")).toString(), QStringLiteral("12"));
    QCOMPARE(maps.taskParentTasklists.value(QStringLiteral("1201")).toString(), QStringLiteral("120"));
}

void TestProjectsCatalogue::addToUnknownParentKeepsDocument()
{
    ProjectsCatalogue before;
    QVERIFY(before.parse(projectsFixture()));
    const QMap<QString, QVariant> item{{QStringLiteral("id"), 5}, {QStringLiteral("name"), QStringLiteral("x")}};
    const QStringList results{
        ProjectsCatalogue::addTaskListToXml(projectsFixture(), 99, item),
        ProjectsCatalogue::addTaskToXml(projectsFixture(), 99, 100, item),
        // A task list that exists, but in another project.
        ProjectsCatalogue::addTaskToXml(projectsFixture(), 11, 100, item),
    };
    for (const QString &xml : results) {
        ProjectsCatalogue after;
        QVERIFY(after.parse(xml));
        QCOMPARE(outline(after.shown(QString())), outline(before.shown(QString())));
        QCOMPARE(after.maps().tasklistNames, before.maps().tasklistNames);
        QCOMPARE(after.maps().taskNames, before.maps().taskNames);
    }
    // A cached text that is no document is not thrown away.
    QCOMPARE(ProjectsCatalogue::addTaskListToXml(QString(), 10, item), QString());
    QCOMPARE(ProjectsCatalogue::addTaskToXml(QStringLiteral("<broken"), 10, 100, item), QStringLiteral("<broken"));
}

QTEST_GUILESS_MAIN(TestProjectsCatalogue)
#include "tst_projectscatalogue.moc"
