#include "cataloguefixture.h"
#include "linktimedialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStandardItemModel>
#include <QTest>

class TestLinkTimeDialog : public QObject
{
    Q_OBJECT

private:
    static QComboBox *combo(LinkTimeDialog &dialog, const char *name)
    {
        return dialog.findChild<QComboBox *>(QLatin1String(name));
    }

    static QStringList rows(const QComboBox *box)
    {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i) {
            texts << box->itemText(i);
        }
        return texts;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(!linkingCatalogue().isEmpty()); }

    void formTexts()
    {
        LinkTimeDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Dialog"));
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("labelTime"))->text(), QStringLiteral("00:00:00"));
        QStringList captions;
        for (const QLabel *label : dialog.findChildren<QLabel *>()) {
            captions << label->text();
        }
        for (const char *caption : {"Linking worked time:", "Project", "Task", "Notes"}) {
            QVERIFY2(captions.contains(QLatin1String(caption)), caption);
        }
    }

    void tasksUnderTaskListHeadings()
    {
        LinkTimeDialog dialog;
        dialog.loadProjects(linkingCatalogue());
        QComboBox *projects = combo(dialog, "cbProjects");
        QCOMPARE(rows(projects),
                 QStringList({QStringLiteral("Website"), QStringLiteral("Mobile app"), QStringLiteral("Internal")}));
        QCOMPARE(projects->itemData(1).toInt(), 20);

        QComboBox *tasks = combo(dialog, "cbTasks");
        // Completed tasks are left out; names are decoded from the service's UTF-8.
        QCOMPARE(rows(tasks), QStringList({QStringLiteral("Design"), QStringLiteral("  Mock-ups"),
                                           QStringLiteral("  Café menu"), QStringLiteral("Empty list"),
                                           QStringLiteral("Build & ship"), QStringLiteral("  Backend")}));
        for (int heading : {0, 3, 4}) {
            QCOMPARE(tasks->itemData(heading).toInt(), 0);
            QCOMPARE(tasks->itemData(heading, Qt::BackgroundRole).value<QColor>(), QColor(221, 221, 221));
            auto *model = qobject_cast<QStandardItemModel *>(tasks->model());
            QVERIFY(!(model->item(heading)->flags() & Qt::ItemIsSelectable));
        }
        QCOMPARE(tasks->itemData(2).toInt(), 1002);
        // The first row is a heading, so its first task is preselected.
        QCOMPARE(tasks->currentIndex(), 1);
    }

    void choosingAHeadingMovesToTheNextTask_data()
    {
        QTest::addColumn<int>("project");
        QTest::addColumn<int>("chosenRow");
        QTest::addColumn<int>("expectedTask");
        QTest::newRow("heading before its task") << 10 << 0 << 1000;
        QTest::newRow("empty list falls through the next heading") << 10 << 3 << 1020;
        QTest::newRow("second list of a project") << 20 << 2 << 2010;
        QTest::newRow("heading without any open task") << 30 << 0 << 0;
    }

    void choosingAHeadingMovesToTheNextTask()
    {
        QFETCH(int, project);
        QFETCH(int, chosenRow);
        QFETCH(int, expectedTask);
        LinkTimeDialog dialog;
        dialog.loadProjects(linkingCatalogue());
        dialog.loadTasks(project);
        QComboBox *tasks = combo(dialog, "cbTasks");
        if (chosenRow != tasks->currentIndex()) {
            tasks->setCurrentIndex(chosenRow);
        }
        dialog.getData();
        QCOMPARE(dialog.taskId, expectedTask);
        if (expectedTask == 0) {
            QCOMPARE(tasks->currentIndex(), -1);
        }
    }

    void activatingAProjectPreselectsItsFirstOpenTask()
    {
        LinkTimeDialog dialog;
        dialog.loadProjects(linkingCatalogue());
        QComboBox *projects = combo(dialog, "cbProjects");
        projects->setCurrentIndex(1);
        Q_EMIT projects->activated(1);
        dialog.getData();
        QCOMPARE(dialog.projectId, 20);
        QCOMPARE(dialog.taskId, 2000);
        QCOMPARE(rows(combo(dialog, "cbTasks")).size(), 4);
    }

    void putDataPreselectsAndGetDataReadsBack()
    {
        LinkTimeDialog dialog;
        dialog.loadProjects(linkingCatalogue());
        dialog.notes = QStringLiteral("(1 m 0 s) Inbox\n(2 s) <b>Editor</b>");
        dialog.seconds = 3661;
        dialog.projectId = 20;
        dialog.taskId = 2010;
        dialog.putData();
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("labelTime"))->text(), QStringLiteral("1 h 1 m 1 s"));
        auto *notes = dialog.findChild<QPlainTextEdit *>(QStringLiteral("textNotes"));
        QCOMPARE(notes->toPlainText(), dialog.notes);

        notes->setPlainText(QStringLiteral("reviewed & done"));
        dialog.getData();
        QCOMPARE(dialog.projectId, 20);
        QCOMPARE(dialog.taskId, 2010);
        QCOMPARE(dialog.notes, QStringLiteral("reviewed & done"));
    }

    void unknownPreselectionKeepsTheFirstProjectAndTask_data()
    {
        QTest::addColumn<int>("projectId");
        QTest::addColumn<int>("taskId");
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("unknown project, task of another project") << 99 << 2000;
        QTest::newRow("unknown task") << 10 << 4242;
        QTest::newRow("completed task") << 10 << 1001;
    }

    void unknownPreselectionKeepsTheFirstProjectAndTask()
    {
        QFETCH(int, projectId);
        QFETCH(int, taskId);
        LinkTimeDialog dialog;
        dialog.loadProjects(linkingCatalogue());
        dialog.projectId = projectId;
        dialog.taskId = taskId;
        dialog.putData();
        dialog.getData();
        QCOMPARE(dialog.projectId, 10);
        QCOMPARE(dialog.taskId, 1000);
    }

    void unusableCatalogueOffersNothing_data()
    {
        QTest::addColumn<QString>("xml");
        QTest::newRow("empty") << QString();
        QTest::newRow("error reply") << QStringLiteral("<response status=\"error\"><error code=\"4\"/></response>");
        QTest::newRow("not xml") << QStringLiteral("<response status=\"ok\"><projects>");
        QTest::newRow("no status") << QStringLiteral("<response><projects><project id=\"1\" name=\"a\"/></projects>"
                                                     "</response>");
    }

    void unusableCatalogueOffersNothing()
    {
        QFETCH(QString, xml);
        LinkTimeDialog dialog;
        dialog.loadProjects(xml);
        dialog.projectId = 1;
        dialog.taskId = 1;
        dialog.putData();
        dialog.getData();
        QCOMPARE(combo(dialog, "cbProjects")->count(), 0);
        QCOMPARE(combo(dialog, "cbTasks")->count(), 0);
        QCOMPARE(dialog.projectId, 0);
        QCOMPARE(dialog.taskId, 0);
    }
};

QTEST_MAIN(TestLinkTimeDialog)
#include "tst_linktimedialog.moc"
