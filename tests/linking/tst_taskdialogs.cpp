#include "addtaskdialog.h"
#include "addtasklistdialog.h"
#include "cataloguefixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {
const QString pink = QStringLiteral("background-color: #F5BACE;");
const QString plain = QStringLiteral("background-color:;");

QStringList rows(const QComboBox *box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i) {
        texts << box->itemText(i);
    }
    return texts;
}

void clickOk(QDialog &dialog)
{
    dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Ok)->click();
}
} // namespace

class TestTaskDialogs : public QObject
{
    Q_OBJECT

private:
    // Both dialogs guard their name field the same way; run one check against each.
    template <typename Dialog> void checkNameField(const char *fieldName, const QString &defaultText)
    {
        Dialog dialog;
        dialog.loadProjects(linkingCatalogue());
        dialog.projectId = 10;
        dialog.putData();
        auto *field = dialog.template findChild<QLineEdit *>(QLatin1String(fieldName));
        QVERIFY(field);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(field->text(), defaultText);
        QCOMPARE(field->selectedText(), defaultText);
        QTRY_VERIFY(field->hasFocus());

        QTest::keyClicks(field, QStringLiteral("   "));
        QCOMPARE(field->text(), QStringLiteral("   "));
        clickOk(dialog);
        QVERIFY(dialog.isVisible());
        QCOMPARE(field->styleSheet(), pink);
        QVERIFY(field->hasFocus());

        // More blanks keep the mark; a letter clears it, and then the dialog closes.
        QTest::keyClicks(field, QStringLiteral(" "));
        QCOMPARE(field->styleSheet(), pink);
        QTest::keyClicks(field, QStringLiteral("Q"));
        QCOMPARE(field->styleSheet(), plain);
        clickOk(dialog);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(!linkingCatalogue().isEmpty()); }

    void taskNameFieldGuardsBlankNames() { checkNameField<AddTaskDialog>("editTaskName", QStringLiteral("Task Name")); }

    void taskListNameFieldGuardsBlankNames()
    {
        checkNameField<AddTaskListDialog>("editTaskListName", QStringLiteral("Task List Name"));
    }

    void givenNameIsNotReplacedByTheDefault()
    {
        AddTaskDialog dialog;
        dialog.name = QStringLiteral("Write tests");
        dialog.putData();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("editTaskName"))->text(), dialog.name);
    }

    void cancelWithBlankNameCloses()
    {
        AddTaskListDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.findChild<QLineEdit *>(QStringLiteral("editTaskListName"))->clear();
        dialog.reject();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void addTaskPresetAndReadBack()
    {
        AddTaskDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add Task"));
        dialog.loadProjects(linkingCatalogue());
        dialog.projectId = 10;
        dialog.tasklistId = 102;
        dialog.billable = true;
        dialog.putData();
        auto *taskLists = dialog.findChild<QComboBox *>(QStringLiteral("cbTaskLists"));
        QCOMPARE(rows(taskLists),
                 QStringList({QStringLiteral("Design"), QStringLiteral("Empty list"), QStringLiteral("Build & ship")}));
        QCOMPARE(taskLists->currentIndex(), 2);
        QVERIFY(dialog.findChild<QCheckBox *>(QStringLiteral("checkBillable"))->isChecked());

        dialog.findChild<QLineEdit *>(QStringLiteral("editTaskName"))->setText(QStringLiteral("Déploy"));
        dialog.findChild<QPlainTextEdit *>(QStringLiteral("textTaskDescription"))
            ->setPlainText(QStringLiteral("a=1&b=2"));
        dialog.findChild<QCheckBox *>(QStringLiteral("checkBillable"))->setChecked(false);
        dialog.getData();
        QCOMPARE(dialog.name, QStringLiteral("Déploy"));
        QCOMPARE(dialog.description, QStringLiteral("a=1&b=2"));
        QVERIFY(!dialog.billable);
        QCOMPARE(dialog.projectId, 10);
        QCOMPARE(dialog.tasklistId, 102);
    }

    void addTaskOtherProjectLoadsItsTaskLists()
    {
        AddTaskDialog dialog;
        dialog.loadProjects(linkingCatalogue());
        dialog.projectId = 10;
        dialog.tasklistId = 100;
        dialog.putData();
        auto *projects = dialog.findChild<QComboBox *>(QStringLiteral("cbProjects"));
        projects->setCurrentIndex(1);
        Q_EMIT projects->activated(1);
        auto *taskLists = dialog.findChild<QComboBox *>(QStringLiteral("cbTaskLists"));
        QCOMPARE(rows(taskLists), QStringList({QStringLiteral("Sprint 1"), QStringLiteral("Sprint 2")}));
        taskLists->setCurrentIndex(1);
        dialog.getData();
        QCOMPARE(dialog.projectId, 20);
        QCOMPARE(dialog.tasklistId, 201);
    }

    void addTaskUnknownPreselectionKeepsFirstRows()
    {
        AddTaskDialog dialog;
        dialog.loadProjects(linkingCatalogue());
        dialog.projectId = 77;
        dialog.tasklistId = 777;
        dialog.putData();
        dialog.getData();
        QCOMPARE(dialog.projectId, 10);
        QCOMPARE(dialog.tasklistId, 100);
    }

    void addTaskListPresetAndReadBack()
    {
        AddTaskListDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add Task List"));
        dialog.loadProjects(linkingCatalogue());
        dialog.projectId = 30;
        dialog.name = QStringLiteral("Q3 plans");
        dialog.putData();
        dialog.getData();
        QCOMPARE(dialog.projectId, 30);
        QCOMPARE(dialog.name, QStringLiteral("Q3 plans"));

        dialog.projectId = 31;
        dialog.putData();
        dialog.getData();
        QCOMPARE(dialog.projectId, 30);
    }

    void unusableCatalogueLeavesListsEmpty()
    {
        AddTaskDialog taskDialog;
        taskDialog.loadProjects(QStringLiteral("<response status=\"error\"/>"));
        taskDialog.getData();
        QCOMPARE(taskDialog.projectId, 0);
        QCOMPARE(taskDialog.tasklistId, 0);
        AddTaskListDialog listDialog;
        listDialog.loadProjects(QStringLiteral("garbage"));
        listDialog.getData();
        QCOMPARE(listDialog.projectId, 0);
    }
};

QTEST_MAIN(TestTaskDialogs)
#include "tst_taskdialogs.moc"
