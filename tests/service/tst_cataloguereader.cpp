#include "cataloguereader.h"

#include <QTest>

namespace {

// "P10 Name [C1 Client] | L100 Name{tasks} | T1000 Name open" in document order.
QString outline(const QList<ProjectsCatalogue::Project> &projects)
{
    static const char *const states[] = {"open", "complete", "other"};
    QStringList parts;
    for (const ProjectsCatalogue::Project &project : projects) {
        parts << QStringLiteral("P%1 %2 [C%3 %4]")
                     .arg(project.id)
                     .arg(project.name)
                     .arg(project.clientId)
                     .arg(project.clientName);
        for (const ProjectsCatalogue::TaskList &taskList : project.taskLists) {
            parts << QStringLiteral("L%1 %2%3")
                         .arg(taskList.id)
                         .arg(taskList.name, taskList.hasTasks ? QStringLiteral("{tasks}") : QString());
            for (const ProjectsCatalogue::Task &task : taskList.tasks) {
                parts
                    << QStringLiteral("T%1 %2 %3").arg(task.id).arg(task.name, QLatin1String(states[int(task.state)]));
            }
        }
    }
    return parts.join(QStringLiteral(" | "));
}

QString reply(const QString &body)
{
    return QStringLiteral("<?xml version=\"1.0\"?><rsp status=\"ok\">") + body + QStringLiteral("</rsp>");
}

// A reply far longer than the slices the reader is given, names with characters of two bytes on the wire
// falling across their edges; and its outline.
constexpr int LongListTasks = 4000;
QString longReply()
{
    QString tasks;
    for (int t = 1; t <= LongListTasks; ++t) {
        tasks += QStringLiteral("<task id=\"%1\" name=\"T\u00c3\u00a2che %1\" complete=\"0\"/>").arg(t);
    }
    return reply(QStringLiteral("<projects><project id=\"9\" name=\"P\"><task_lists><task_list id=\"8\" name=\"L\">"
                                "<tasks>") +
                 tasks + QStringLiteral("</tasks></task_list></task_lists></project></projects>"));
}

QString longOutline()
{
    QStringList parts{QStringLiteral("P9 P [C0 ]"), QStringLiteral("L8 L{tasks}")};
    for (int t = 1; t <= LongListTasks; ++t) {
        parts << QString::fromUtf8("T%1 T\u00e2che %1 open").arg(t);
    }
    return parts.join(QStringLiteral(" | "));
}

} // namespace

class TestCatalogueReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void read_data()
    {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<QString>("expected");
        QTest::newRow("complete states")
            << reply(
                   QStringLiteral("<projects><project id=\"1\" name=\"A\"><client id=\"7\" "
                                  "name=\"C\"/><task_lists><task_list id=\"2\" "
                                  "name=\"L\"><tasks><task id=\"3\" name=\"x\" complete=\"0\"/><task id=\"4\" "
                                  "name=\"y\" complete=\"1\"/>"
                                  "<task id=\"5\" name=\"z\"/></tasks></task_list></task_lists></project></projects>"))
            << QStringLiteral("P1 A [C7 C] | L2 L{tasks} | T3 x open | T4 y complete | "
                              "T5 z other");
        QTest::newRow("no client, no tasks element, client after the lists")
            << reply(
                   QStringLiteral("<projects><project id=\"1\" name=\"A\"><task_lists><task_list id=\"2\" name=\"L\"/>"
                                  "</task_lists></project><project id=\"8\" name=\"B\"><task_lists/>"
                                  "<client id=\"9\" name=\"D\"/><client id=\"10\" name=\"E\"/></project></projects>"))
            << QStringLiteral("P1 A [C0 ] | L2 L | P8 B [C9 D]");
        // Each level takes its first element of a name and whatever of the next name lies below it.
        QTest::newRow("only the first projects, task_lists and tasks count")
            << reply(QStringLiteral(
                   "<projects><project id=\"1\" name=\"A\"><task_lists><task_list id=\"2\" name=\"L\"><tasks>"
                   "<group><task id=\"3\" name=\"deep\" complete=\"0\"/></group></tasks><tasks><task id=\"4\" "
                   "name=\"second\" complete=\"0\"/></tasks></task_list></task_lists><task_lists><task_list id=\"5\" "
                   "name=\"later\"/></task_lists></project></projects><projects><project id=\"6\" name=\"B\"/>"
                   "</projects>"))
            << QStringLiteral("P1 A [C0 ] | L2 L{tasks} | T3 deep open");
        // The reply keeps one character per byte of the service's UTF-8; entities are the XML ones.
        QTest::newRow("names decoded") << reply(QString::fromLatin1(
                                              QByteArrayLiteral("<projects><project id=\"1\" name=\"Caf\xc3\xa9 &amp; "
                                                                "&lt;b&gt;\"><client id=\"2\" name=\"\xc3\x9c\"/>"
                                                                "</project></projects>")))
                                       << QStringLiteral("P1 Café & <b> [C2 Ü]");
        QTest::newRow("no projects element") << reply(QString()) << QString();
        QTest::newRow("longer than a slice") << longReply() << longOutline();
    }

    void read()
    {
        QFETCH(QString, xml);
        QFETCH(QString, expected);
        QList<ProjectsCatalogue::Project> projects;
        QString why;
        QVERIFY2(CatalogueReader::read(xml, &projects, &why), qPrintable(why));
        QCOMPARE(outline(projects), expected);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<QString>("why");
        QTest::newRow("empty") << QString() << QStringLiteral("The reply is empty.");
        QTest::newRow("error status") << QStringLiteral("<rsp status=\"error\"><projects><project id=\"1\"/></projects>"
                                                        "</rsp>")
                                      << QStringLiteral("The reply's status is not \"ok\".");
        QTest::newRow("too deep") << QStringLiteral("<rsp status=\"ok\">") + QStringLiteral("<a>").repeated(65) +
                                         QStringLiteral("</a>").repeated(65) + QStringLiteral("</rsp>")
                                  << QStringLiteral("The reply nests deeper than 64 levels.");
        QTest::newRow("document type") << QStringLiteral(
                                              "<!DOCTYPE rsp [<!ENTITY e \"x\">]><rsp status=\"ok\">&e;</rsp>")
                                       << QStringLiteral("The reply carries a document type declaration.");
        QTest::newRow("too large") << QStringLiteral("<rsp status=\"ok\">") +
                                          QString(16 * 1024 * 1024, QLatin1Char(' ')) + QStringLiteral("</rsp>")
                                   << QStringLiteral("The reply is larger than 16 MB.");
        QTest::newRow("cut short after some slices")
            << longReply().left(150 * 1024) << QStringLiteral("Premature end of document.");
    }

    // A refused reply gives nothing, not the part read before the fault.
    void refused()
    {
        QFETCH(QString, xml);
        QFETCH(QString, why);
        QList<ProjectsCatalogue::Project> projects{{1, QStringLiteral("stale"), 0, QString(), {}}};
        QString problem;
        QVERIFY(!CatalogueReader::read(xml, &projects, &problem));
        QCOMPARE(problem, why);
        QVERIFY(projects.isEmpty());
    }

    void brokenAfterTheProjectsGivesNothing()
    {
        QList<ProjectsCatalogue::Project> projects;
        QString why;
        QVERIFY(!CatalogueReader::read(
            QStringLiteral("<rsp status=\"ok\"><projects><project id=\"1\" name=\"A\"/></projects><oops></rsp>"),
            &projects, &why));
        QVERIFY(!why.isEmpty());
        QVERIFY(projects.isEmpty());
    }

    // An unusable reply leaves the names of the last usable one for entries linked meanwhile.
    void loadKeepsNamesOfTheLastUsableReply()
    {
        ProjectsCatalogue catalogue;
        QVERIFY(CatalogueReader::load(
            reply(QStringLiteral("<projects><project id=\"1\" name=\"A\"><task_lists><task_list id=\"2\" name=\"L\">"
                                 "<tasks><task id=\"3\" name=\"T\" complete=\"0\"/></tasks></task_list></task_lists>"
                                 "</project></projects>")),
            catalogue));
        QVERIFY(catalogue.isUsable());
        QVERIFY(!CatalogueReader::load(QStringLiteral("<rsp status=\"error\"/>"), catalogue));
        QVERIFY(!catalogue.isUsable());
        QCOMPARE(catalogue.taskName(3), QStringLiteral("T"));
        QCOMPARE(catalogue.taskPlace(3).projectId, 1);
    }
};

QTEST_GUILESS_MAIN(TestCatalogueReader)
#include "tst_cataloguereader.moc"
