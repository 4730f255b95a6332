#include "projectscatalogue.h"

#include <QTest>

namespace {

using Catalogue = ProjectsCatalogue;

// Client 1 holds projects 10 and 12 (12 listed after a project of client 2); list 102 has no "tasks" element.
Catalogue sample()
{
    Catalogue catalogue;
    catalogue.replace({
        {10,
         QStringLiteral("Website"),
         1,
         QStringLiteral("Acme"),
         {{100,
           QStringLiteral("Design"),
           true,
           {{1000, QStringLiteral("Mock-ups")},
            {1001, QStringLiteral("Style guide"), Catalogue::TaskState::Complete},
            {1002, QStringLiteral("Review"), Catalogue::TaskState::Other}}},
          {102, QStringLiteral("No tasks element"), false, {}}}},
        {11, QStringLiteral("Tools"), 2, QStringLiteral("Beta"), {{110, QStringLiteral("Tracker"), true, {}}}},
        {12,
         QStringLiteral("Mobile"),
         1,
         QStringLiteral("Acme"),
         {{120, QStringLiteral("Release"), true, {{1000, QStringLiteral("Store listing")}}}}},
    });
    return catalogue;
}

// "Client/Project/List/Task" lines of what the tree shows.
QStringList shownPaths(const Catalogue &catalogue, const QString &filter)
{
    QStringList paths;
    for (const Catalogue::ShownClient &client : catalogue.shown(filter)) {
        for (const Catalogue::ShownProject &project : client.projects) {
            for (const Catalogue::TaskList &taskList : project.taskLists) {
                const QString path = client.name + QLatin1Char('/') + project.name + QLatin1Char('/') + taskList.name;
                paths << path;
                for (const Catalogue::Task &task : taskList.tasks) {
                    paths << path + QLatin1Char('/') + task.name;
                }
            }
        }
    }
    return paths;
}

} // namespace

class TestProjectsCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shown_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("paths");
        // Projects of one client share its entry even when another client's project lies between them.
        QTest::newRow("everything") << QString()
                                    << QStringList{QStringLiteral("Acme/Website/Design"),
                                                   QStringLiteral("Acme/Website/Design/Mock-ups"),
                                                   QStringLiteral("Acme/Mobile/Release"),
                                                   QStringLiteral("Acme/Mobile/Release/Store listing"),
                                                   QStringLiteral("Beta/Tools/Tracker")};
        QTest::newRow("words across project and task")
            << QStringLiteral("MOBILE store")
            << QStringList{QStringLiteral("Acme/Mobile/Release"), QStringLiteral("Acme/Mobile/Release/Store listing")};
        QTest::newRow("a list matching without any task")
            << QStringLiteral("tools track") << QStringList{QStringLiteral("Beta/Tools/Tracker")};
        QTest::newRow("only open tasks match") << QStringLiteral("style") << QStringList{};
        QTest::newRow("one word nowhere") << QStringLiteral("website nothing") << QStringList{};
    }

    void shown()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, paths);
        QCOMPARE(shownPaths(sample(), filter), paths);
    }

    // Names of open tasks only; a task id listed twice is placed where it was listed last.
    void names()
    {
        const Catalogue catalogue = sample();
        QCOMPARE(catalogue.projectName(12), QStringLiteral("Mobile"));
        QCOMPARE(catalogue.tasklistName(102), QStringLiteral("No tasks element"));
        QCOMPARE(catalogue.taskName(1000), QStringLiteral("Store listing"));
        QCOMPARE(catalogue.taskPlace(1000).projectId, 12);
        QCOMPARE(catalogue.taskPlace(1000).tasklistId, 120);
        QVERIFY(!catalogue.isOpenTask(1001));
        QVERIFY(!catalogue.isOpenTask(1002));
        QCOMPARE(catalogue.taskName(1001), QString());
    }

    void added_data()
    {
        QTest::addColumn<qint64>("projectId");
        QTest::addColumn<qint64>("tasklistId");
        QTest::addColumn<QStringList>("paths");
        QTest::newRow("into a shown list")
            << qint64(11) << qint64(110)
            << QStringList{QStringLiteral("Beta/Tools/Tracker"), QStringLiteral("Beta/Tools/Tracker/New")};
        // A task list without a "tasks" element takes no task, but the task is named for linking.
        QTest::newRow("into a list without tasks") << qint64(10) << qint64(102) << QStringList{};
        QTest::newRow("into an unknown project") << qint64(99) << qint64(110) << QStringList{};
    }

    void added()
    {
        QFETCH(qint64, projectId);
        QFETCH(qint64, tasklistId);
        QFETCH(QStringList, paths);
        Catalogue catalogue = sample();
        catalogue.addTask(projectId, tasklistId, 5000, QStringLiteral("New"));
        QCOMPARE(shownPaths(catalogue, QStringLiteral("new")), paths);
        QCOMPARE(catalogue.taskName(5000), QStringLiteral("New"));
        QCOMPARE(catalogue.taskPlace(5000).tasklistId, tasklistId);
    }

    void addedTaskList()
    {
        Catalogue catalogue = sample();
        catalogue.addTaskList(11, 130, QStringLiteral("Sprint"));
        catalogue.addTaskList(99, 131, QStringLiteral("Elsewhere"));
        QCOMPARE(shownPaths(catalogue, QStringLiteral("sprint")), QStringList{QStringLiteral("Beta/Tools/Sprint")});
        QCOMPARE(catalogue.tasklistName(131), QStringLiteral("Elsewhere"));
        catalogue.addTask(11, 130, 5001, QStringLiteral("First"));
        QCOMPARE(shownPaths(catalogue, QStringLiteral("first")),
                 (QStringList{QStringLiteral("Beta/Tools/Sprint"), QStringLiteral("Beta/Tools/Sprint/First")}));
    }
};

QTEST_GUILESS_MAIN(TestProjectsCatalogue)
#include "tst_projectscatalogue.moc"
