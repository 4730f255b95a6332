#include "addtaskdialog.h"
#include "addtasklistdialog.h"
#include "cataloguereader.h"
#include "linktimedialog.h"
#include "testsupport.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>

class TestTaskDialogs : public QObject
{
    Q_OBJECT

private:
    ProjectsCatalogue m_catalogue;

    // Both dialogs guard their name field the same way: it opens empty (a placeholder says what goes
    // there), and neither OK nor Enter creates anything on the service until a name is typed.
    template <typename Dialog> void checkNameField(const char *fieldName)
    {
        Dialog dialog;
        dialog.loadProjects(m_catalogue);
        dialog.putData();
        auto *field = dialog.template findChild<QLineEdit *>(QLatin1String(fieldName));
        QPushButton *ok = dialog.template findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QVERIFY(field->text().isEmpty());
        QVERIFY(!field->placeholderText().isEmpty());
        QVERIFY(!ok->isEnabled());
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QTest::keyClicks(field, QStringLiteral("   "));
        QVERIFY(!ok->isEnabled());
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QTest::keyClicks(field, QStringLiteral("Q"));
        QVERIFY(ok->isEnabled());
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(field->text().trimmed(), QStringLiteral("Q"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(CatalogueReader::load(TestSupport::fixtureReply(QStringLiteral("linking-catalogue.xml")), m_catalogue));
    }

    void taskNameFieldGuardsBlankNames() { checkNameField<AddTaskDialog>("editTaskName"); }
    void taskListNameFieldGuardsBlankNames() { checkNameField<AddTaskListDialog>("editTaskListName"); }

    // Task-list headings are not selectable, completed tasks are left out, names decoded from UTF-8.
    void tasksUnderTaskListHeadings()
    {
        LinkTimeDialog dialog;
        dialog.loadProjects(m_catalogue);
        auto *tasks = dialog.findChild<QComboBox *>(QStringLiteral("cbTasks"));
        QStringList rows;
        for (int i = 0; i < tasks->count(); ++i) {
            const bool selectable =
                qobject_cast<QStandardItemModel *>(tasks->model())->item(i)->flags() & Qt::ItemIsSelectable;
            rows << (selectable ? QStringLiteral("  ") : QString()) + tasks->itemText(i).trimmed();
        }
        QCOMPARE(rows, QStringList({QStringLiteral("Design"), QStringLiteral("  Mock-ups"),
                                    QStringLiteral("  Café menu"), QStringLiteral("Empty list"),
                                    QStringLiteral("Build & ship"), QStringLiteral("  Backend")}));
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
        dialog.loadProjects(m_catalogue);
        dialog.loadTasks(project);
        auto *tasks = dialog.findChild<QComboBox *>(QStringLiteral("cbTasks"));
        if (chosenRow != tasks->currentIndex()) {
            tasks->setCurrentIndex(chosenRow);
        }
        dialog.getData();
        QCOMPARE(dialog.taskId, expectedTask);
    }
};

QTEST_MAIN(TestTaskDialogs)
#include "tst_taskdialogs.moc"
