#include "addruledialog.h"
#include "recordingpresenter.h"
#include "rulestore.h"
#include "ruletestdb.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryFile>
#include <QTest>

namespace {
// The catalogue as the settings map caches it: one character per byte of the UTF-8 reply.
QString catalogue()
{
    QFile file(qEnvironmentVariable("TAVRO_TEST_DATA") + QStringLiteral("/projects-rules.xml"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

template <typename T> T *child(const QDialog &dialog, const char *name)
{
    return dialog.findChild<T *>(QLatin1String(name));
}

QStringList texts(const QComboBox *box)
{
    QStringList result;
    for (int i = 0; i < box->count(); ++i) {
        result << box->itemText(i);
    }
    return result;
}

QStringList texts(const QListWidget *list)
{
    QStringList result;
    for (int row = 0; row < list->count(); ++row) {
        result << list->item(row)->text();
    }
    return result;
}
} // namespace

class TestAddRuleDialog : public QObject
{
    Q_OBJECT

private:
    RuleTestDb m_db;
    RecordingPresenter m_presenter;
    QTemporaryFile m_otherExecutable;
    int m_zeta = 0;
    int m_alpha = 0;
    int m_gone = 0;
    int m_away = 0;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_db.open());
        QVERIFY(m_otherExecutable.open());
        QVERIFY(!catalogue().isEmpty());
        m_zeta = RuleTestDb::addApp(QCoreApplication::applicationFilePath(), QStringLiteral("Zeta"));
        m_gone = RuleTestDb::addApp(QStringLiteral("/no/such/program"), QStringLiteral("Gone"));
        m_away = RuleTestDb::addApp(QStringLiteral("tavro://idle"), QStringLiteral("Away Time"));
        m_alpha = RuleTestDb::addApp(m_otherExecutable.fileName(), QStringLiteral("Alpha"));
    }

    void init() { m_presenter.boxes.clear(); }

    void offersRunnableApplicationsOnly()
    {
        AddRuleDialog dialog(nullptr, catalogue());
        const auto *all = child<QListWidget>(dialog, "listAppsAll");
        QCOMPARE(texts(all), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Zeta")}));
        QCOMPARE(all->item(0)->data(Qt::UserRole).toInt(), m_alpha);
        QCOMPARE(all->item(1)->toolTip(), QCoreApplication::applicationFilePath());
        QCOMPARE(child<QListWidget>(dialog, "listAppsSelected")->count(), 0);
    }

    void titleRulesAndCatalogue()
    {
        AddRuleDialog dialog(nullptr, catalogue());
        const auto *titleRule = child<QComboBox>(dialog, "cbTitleRule");
        QCOMPARE(texts(titleRule), (QStringList{QStringLiteral("match all words"), QStringLiteral("match any word"),
                                                QStringLiteral("match exact phrase"), QStringLiteral("match regexp")}));
        QCOMPARE(titleRule->itemData(3).toString(), QStringLiteral("regexp"));

        auto *projects = child<QComboBox>(dialog, "cbProjects");
        const auto *tasks = child<QComboBox>(dialog, "cbTasks");
        QCOMPARE(texts(projects),
                 (QStringList{QStringLiteral("Website"), QString::fromUtf8("Café app"), QStringLiteral("Single")}));
        // Completed tasks are left out; the heading cannot stay chosen.
        QCOMPARE(texts(tasks),
                 (QStringList{QStringLiteral("Design"), QStringLiteral("  Mockups"), QStringLiteral("  Colours")}));
        QCOMPARE(tasks->itemData(0, Qt::BackgroundRole).value<QBrush>().color(), QColor(221, 221, 221));
        QCOMPARE(tasks->currentData().toInt(), 101);

        // A list without open tasks shows only its heading; the choice moves on to the next list.
        projects->setCurrentIndex(1);
        Q_EMIT projects->activated(1);
        QCOMPARE(texts(tasks), (QStringList{QStringLiteral("Done list"), QStringLiteral("Backend"),
                                            QString::fromUtf8("  Über API")}));
        QCOMPARE(tasks->currentData().toInt(), 202);

        // One list with exactly one open task: that task is preselected.
        projects->setCurrentIndex(2);
        Q_EMIT projects->activated(2);
        QCOMPARE(tasks->currentData().toInt(), 301);
        dialog.getData();
        QCOMPARE(dialog.projectId, 3);
        QCOMPARE(dialog.taskId, 301);
    }

    void unusableCatalogueLeavesBoxesEmpty()
    {
        AddRuleDialog dialog(nullptr, QStringLiteral("<response status=\"fail\"/>"));
        QCOMPARE(child<QComboBox>(dialog, "cbProjects")->count(), 0);
        QCOMPARE(child<QComboBox>(dialog, "cbTasks")->count(), 0);
        dialog.projectId = 1;
        dialog.taskId = 101;
        dialog.appIds = {m_alpha};
        dialog.putData();
        dialog.getData();
        QCOMPARE(dialog.projectId, 0);
        QCOMPARE(dialog.taskId, 0);
        QCOMPARE(dialog.appIds, QList<int>{m_alpha});
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("dateRule");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QDate>("expectedFrom");
        QTest::addColumn<QDate>("expectedTo");

        const QDate from(2012, 3, 5);
        const QDate to(2012, 3, 7);
        QTest::newRow("always keeps both") << "always"
                                           << "radioAnyDate" << from << to;
        QTest::newRow("after") << "after"
                               << "radioFromDate" << from << to;
        QTest::newRow("between") << "between"
                                 << "radioDateInterval" << from << to;
        QTest::newRow("before keeps the first day") << "before"
                                                    << "radioUntilDate" << from << to;
    }

    void roundTrip()
    {
        QFETCH(QString, dateRule);
        QFETCH(QString, radio);
        QFETCH(QDate, expectedFrom);
        QFETCH(QDate, expectedTo);

        const RuleFields stored{QStringLiteral("Mail rule"),
                                {m_zeta, m_alpha},
                                QStringLiteral("exact"),
                                QStringLiteral("Inbox"),
                                dateRule,
                                QDate(2012, 3, 5),
                                QDate(2012, 3, 7),
                                2,
                                202};
        AddRuleDialog dialog(nullptr, catalogue());
        dialog.setFields(stored);
        dialog.isUpdate = true;
        dialog.putData();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Update Rule"));
        QVERIFY(dialog.findChild<QRadioButton *>(radio)->isChecked());
        QCOMPARE(child<QComboBox>(dialog, "cbTitleRule")->currentText(), QStringLiteral("match exact phrase"));
        QCOMPARE(texts(child<QListWidget>(dialog, "listAppsSelected")),
                 (QStringList{QStringLiteral("Alpha"), QStringLiteral("Zeta")}));
        QCOMPARE(child<QComboBox>(dialog, "cbTasks")->currentData().toInt(), 202);
        if (dateRule == QLatin1String("before")) {
            QCOMPARE(child<QDateEdit>(dialog, "dateTo")->date(), QDate(2012, 3, 7));
            QCOMPARE(child<QDateEdit>(dialog, "dateFrom")->date(), QDate::currentDate());
            QCOMPARE(child<QDateEdit>(dialog, "dateIntervalFrom")->date(), QDate::currentDate());
        }

        dialog.setFields(RuleFields());
        dialog.getData();
        RuleFields expected = stored;
        expected.appIds = {m_alpha, m_zeta};
        expected.dateFrom = expectedFrom;
        expected.dateTo = expectedTo;
        if (dateRule == QLatin1String("always")) {
            // Dates the condition does not use keep whatever the fields held.
            expected.dateFrom = QDate();
            expected.dateTo = QDate();
        } else if (dateRule == QLatin1String("after")) {
            expected.dateTo = QDate();
        } else if (dateRule == QLatin1String("before")) {
            expected.dateFrom = QDate();
        }
        QCOMPARE(dialog.fields(), expected);
    }

    void newRuleFromEntry()
    {
        AddRuleDialog dialog(nullptr, catalogue());
        dialog.setFields(RuleStore::newRuleFromEntry(m_zeta, QStringLiteral("Inbox"), QDate(2012, 3, 6), 0, 0));
        dialog.putData();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("New Rule"));
        const auto *name = child<QLineEdit>(dialog, "editName");
        QCOMPARE(name->text(), QStringLiteral("Rule #1"));
        QCOMPARE(name->selectedText(), QStringLiteral("Rule #1"));
        QCOMPARE(child<QComboBox>(dialog, "cbTitleRule")->currentText(), QStringLiteral("match exact phrase"));
        QCOMPARE(child<QLineEdit>(dialog, "editTitle")->text(), QStringLiteral("Inbox"));
        QCOMPARE(texts(child<QListWidget>(dialog, "listAppsSelected")), QStringList{QStringLiteral("Zeta")});
        QVERIFY(child<QRadioButton>(dialog, "radioFromDate")->isChecked());
        QCOMPARE(child<QDateEdit>(dialog, "dateFrom")->date(), QDate(2012, 3, 6));
        // No project chosen in the tree: the first project and its first open task stay.
        QCOMPARE(child<QComboBox>(dialog, "cbTasks")->currentData().toInt(), 101);
    }

    void applicationThatIsGoneDropsOut()
    {
        AddRuleDialog dialog(nullptr, catalogue());
        dialog.appIds = {m_gone, m_away};
        dialog.putData();
        QCOMPARE(child<QListWidget>(dialog, "listAppsSelected")->count(), 0);
        dialog.getData();
        QVERIFY(dialog.appIds.isEmpty());
    }

    void movingApplications()
    {
        AddRuleDialog dialog(nullptr, catalogue());
        auto *all = child<QListWidget>(dialog, "listAppsAll");
        auto *selected = child<QListWidget>(dialog, "listAppsSelected");
        all->item(1)->setSelected(true);
        child<QPushButton>(dialog, "btnMoveToSelected")->click();
        QCOMPARE(texts(all), QStringList{QStringLiteral("Alpha")});
        QCOMPARE(texts(selected), QStringList{QStringLiteral("Zeta")});
        QCOMPARE(selected->item(0)->toolTip(), QCoreApplication::applicationFilePath());

        all->item(0)->setSelected(true);
        Q_EMIT all->itemDoubleClicked(all->item(0));
        QCOMPARE(texts(selected), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Zeta")}));
        QCOMPARE(all->count(), 0);

        selected->item(1)->setSelected(true);
        child<QPushButton>(dialog, "btnRemoveFromSelected")->click();
        QCOMPARE(texts(all), QStringList{QStringLiteral("Zeta")});
        dialog.getData();
        QCOMPARE(dialog.appIds, QList<int>{m_alpha});
    }

    void acceptingWithoutApplicationKeepsInput()
    {
        AddRuleDialog dialog(nullptr, catalogue());
        dialog.name = QStringLiteral("Unfinished");
        dialog.title = QStringLiteral("report");
        dialog.putData();
        dialog.show();
        dialog.accept();
        QCOMPARE(m_presenter.boxes.size(), 1);
        QCOMPARE(m_presenter.boxes.first().icon, MessageBox::Icon::Critical);
        QCOMPARE(m_presenter.boxes.first().title, QStringLiteral("Validation Error"));
        QCOMPARE(m_presenter.boxes.first().text, QStringLiteral("Select at least one application."));
        QVERIFY(dialog.isVisible());
        QCOMPARE(child<QLineEdit>(dialog, "editName")->text(), QStringLiteral("Unfinished"));
        QCOMPARE(child<QLineEdit>(dialog, "editTitle")->text(), QStringLiteral("report"));

        // Cancelling needs no application.
        dialog.reject();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(m_presenter.boxes.size(), 1);

        dialog.show();
        dialog.selectApplication(m_alpha);
        dialog.accept();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(m_presenter.boxes.size(), 1);
    }

    void regexpErrorShownWhileTyping()
    {
        AddRuleDialog dialog(nullptr, catalogue());
        dialog.titleRule = QStringLiteral("regexp");
        dialog.title = QStringLiteral("^mail");
        dialog.putData();
        const auto *error = child<QLabel>(dialog, "labelTitleError");
        QVERIFY(error->isHidden());

        auto *title = child<QLineEdit>(dialog, "editTitle");
        title->setText(QStringLiteral("^(mail"));
        QVERIFY(!error->isHidden());
        QVERIFY2(error->text().startsWith(QStringLiteral("Invalid regular expression: ")), qPrintable(error->text()));

        // Plain words are not patterns.
        child<QComboBox>(dialog, "cbTitleRule")->setCurrentIndex(1);
        QVERIFY(error->isHidden());
        child<QComboBox>(dialog, "cbTitleRule")->setCurrentIndex(3);
        QVERIFY(!error->isHidden());
        title->setText(QStringLiteral("^(mail)"));
        QVERIFY(error->isHidden());

        // The pattern can still be saved.
        title->setText(QStringLiteral("["));
        dialog.getData();
        QCOMPARE(dialog.title, QStringLiteral("["));
        QCOMPARE(dialog.titleRule, QStringLiteral("regexp"));
    }
};

QTEST_MAIN(TestAddRuleDialog)
#include "tst_addruledialog.moc"
