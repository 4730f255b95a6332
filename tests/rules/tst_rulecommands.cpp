#include "addruledialog.h"
#include "applyrulesfordaterangedialog.h"
#include "clock.h"
#include "fakelinking.h"
#include "recordingpresenter.h"
#include "rulecommands.h"
#include "rulesdialog.h"
#include "ruletestdb.h"
#include "settings.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {
class FakeContext final : public RuleContext
{
public:
    QDate selectedDate() const override { return date; }
    QString filterText() const override { return filter; }
    QList<int> selectedAppIds() const override { return appIds; }
    int selectedProjectId() const override { return projectId; }
    int selectedTaskId() const override { return taskId; }

    QDate date{2012, 3, 6};
    QString filter;
    QList<int> appIds;
    int projectId = 0;
    int taskId = 0;
};

class FakeClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime(QDate(2012, 3, 7), QTime(10, 0)); }
};

template <typename T> T *child(QDialog *dialog, const char *name)
{
    return dialog->findChild<T *>(QLatin1String(name));
}

int currentRuleId(QDialog *dialog)
{
    const QListWidgetItem *item = child<QListWidget>(dialog, "rules")->currentItem();
    return item ? item->data(Qt::UserRole).toInt() : 0;
}
} // namespace

class TestRuleCommands : public QObject
{
    Q_OBJECT

private:
    RuleTestDb m_db;
    RecordingPresenter m_presenter;
    FakeContext m_context;
    FakeLinking m_linking;
    FakeClock m_clock;
    int m_app = 0;
    // The dialogs in the order they were run, by class name.
    QStringList m_shown;

    // Commands whose dialogs are answered by `answer` instead of being shown.
    std::unique_ptr<RuleCommands> commands(std::function<int(QDialog *)> answer)
    {
        auto result = std::make_unique<RuleCommands>(&m_context, &m_linking, nullptr, nullptr, &m_clock);
        result->setDialogRunner([this, answer](QDialog *dialog) {
            m_shown << QLatin1String(dialog->metaObject()->className());
            return answer(dialog);
        });
        return result;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_db.open()); }

    void init()
    {
        RuleTestDb::reset();
        m_presenter.boxes.clear();
        m_linking.calls.clear();
        m_shown.clear();
        m_context = FakeContext();
        Settings::instance()->values.remove(QStringLiteral("XmlProjectsList"));
        m_app = RuleTestDb::addApp(QCoreApplication::applicationFilePath(), QStringLiteral("Tester"));
    }

    void newRuleUsesTheWindowsSelection()
    {
        m_context.appIds = {m_app};
        m_context.filter = QStringLiteral("budget");
        auto rules = commands([](QDialog *dialog) {
            auto *editor = qobject_cast<AddRuleDialog *>(dialog);
            return editor && dialog->windowTitle() == QLatin1String("New Rule") ? QDialog::Accepted : QDialog::Rejected;
        });
        rules->onAddRuleDialog();
        QCOMPARE(m_shown, QStringList{QStringLiteral("AddRuleDialog")});

        RuleFields stored;
        QVERIFY(RuleStore::loadRuleFields(1, &stored));
        QCOMPARE(stored, (RuleFields{QStringLiteral("Rule #1"),
                                     {m_app},
                                     QStringLiteral("and"),
                                     QStringLiteral("budget"),
                                     QStringLiteral("after"),
                                     m_context.date,
                                     m_context.date,
                                     0,
                                     0}));
    }

    void cancelledEditorStoresNothing()
    {
        auto rules = commands([](QDialog *) { return QDialog::Rejected; });
        rules->onCreateRuleFromApp(m_app);
        rules->onCreateRuleFromEntry(m_app, QStringLiteral("x"));
        QCOMPARE(m_shown, (QStringList{QStringLiteral("AddRuleDialog"), QStringLiteral("AddRuleDialog")}));
        QCOMPARE(RuleTestDb::scalar(QStringLiteral("SELECT COUNT(*) FROM rules")).toInt(), 0);
    }

    void ruleFromEntryIsShownInTheList()
    {
        RuleStore::addRule(QStringLiteral("older"), {m_app}, QStringLiteral("or"), QString(), QStringLiteral("always"),
                           QDate(), QDate(), 0, 0);
        int selected = 0;
        auto rules = commands([&selected](QDialog *dialog) {
            if (qobject_cast<RulesDialog *>(dialog)) {
                selected = currentRuleId(dialog);
                return QDialog::Rejected;
            }
            return child<QLineEdit>(dialog, "editTitle")->text() == QLatin1String("Inbox - Mail") ? QDialog::Accepted
                                                                                                  : QDialog::Rejected;
        });
        rules->onCreateRuleFromEntry(m_app, QStringLiteral("Inbox - Mail"));
        QCOMPARE(m_shown, (QStringList{QStringLiteral("AddRuleDialog"), QStringLiteral("RulesDialog")}));
        QCOMPARE(selected, 2);
        RuleFields stored;
        QVERIFY(RuleStore::loadRuleFields(2, &stored));
        QCOMPARE(stored.titleRule, QStringLiteral("exact"));
        QCOMPARE(stored.appIds, QList<int>{m_app});
    }

    void editingUpdatesTheRule()
    {
        const int id = RuleStore::addRule(QStringLiteral("old"), {m_app}, QStringLiteral("or"), QString(),
                                          QStringLiteral("before"), QDate(2012, 1, 1), QDate(2012, 2, 2), 0, 0);
        auto rules = commands([](QDialog *dialog) {
            if (dialog->windowTitle() != QLatin1String("Update Rule")) {
                return QDialog::Rejected;
            }
            child<QLineEdit>(dialog, "editName")->setText(QStringLiteral("new"));
            return QDialog::Accepted;
        });
        rules->onEditRuleDialog(id);
        RuleFields stored;
        QVERIFY(RuleStore::loadRuleFields(id, &stored));
        QCOMPARE(stored.name, QStringLiteral("new"));
        QCOMPARE(stored.dateFrom, QDate(2012, 1, 1));
        QCOMPARE(stored.dateTo, QDate(2012, 2, 2));

        rules->onEditRuleDialog(id + 1);
        QCOMPARE(m_shown.size(), 1);
    }

    void listActionsReachTheStore()
    {
        const int a = RuleStore::addRule(QStringLiteral("A"), {m_app}, QStringLiteral("or"), QString(),
                                         QStringLiteral("always"), QDate(), QDate(), 0, 0);
        const int b = RuleStore::addRule(QStringLiteral("B"), {m_app}, QStringLiteral("or"), QString(),
                                         QStringLiteral("always"), QDate(), QDate(), 0, 0);
        m_presenter.answer = MessageBox::Yes;
        QStringList afterRemove;
        int selectedFirst = 0;
        auto rules = commands([&](QDialog *dialog) {
            if (!qobject_cast<RulesDialog *>(dialog)) {
                return QDialog::Rejected;
            }
            selectedFirst = currentRuleId(dialog);
            child<QPushButton>(dialog, "btnUp")->click();
            child<QPushButton>(dialog, "btnDuplicate")->click();
            child<QListWidget>(dialog, "rules")->setCurrentRow(0);
            child<QPushButton>(dialog, "btnRemove")->click();
            auto *list = child<QListWidget>(dialog, "rules");
            for (int row = 0; row < list->count(); ++row) {
                afterRemove << list->item(row)->text();
            }
            return QDialog::Rejected;
        });
        rules->showRulesDialog(b);
        QCOMPARE(selectedFirst, b);
        QCOMPARE(afterRemove, (QStringList{QStringLiteral("A"), QStringLiteral("Copy of B")}));
        QVERIFY(RuleStore::loadRule(b).isEmpty());
        QVERIFY(!RuleStore::loadRule(a).isEmpty());
    }

    void applyNowUsesTheSelectedDay()
    {
        RuleStore::addRule(QStringLiteral("A"), {m_app}, QStringLiteral("or"), QString(), QStringLiteral("always"),
                           QDate(), QDate(), 0, 8);
        RuleTestDb::addEntry(m_app, QStringLiteral("x"), QStringLiteral("2012-03-05 10:00:00"));
        const int selectedDay = RuleTestDb::addEntry(m_app, QStringLiteral("x"), QStringLiteral("2012-03-06 10:00:00"));
        auto rules = commands([](QDialog *) { return QDialog::Rejected; });
        rules->onApplyRules();
        QCOMPARE(m_linking.calls.size(), 1);
        QCOMPARE(m_linking.calls.first().ids, QStringList{QString::number(selectedDay)});
        QCOMPARE(m_linking.calls.first().taskId, QStringLiteral("8"));
    }

    void applyForARange()
    {
        RuleStore::addRule(QStringLiteral("A"), {m_app}, QStringLiteral("or"), QString(), QStringLiteral("always"),
                           QDate(), QDate(), 0, 8);
        const int tuesday = RuleTestDb::addEntry(m_app, QStringLiteral("x"), QStringLiteral("2012-03-06 10:00:00"));
        RuleTestDb::addEntry(m_app, QStringLiteral("x"), QStringLiteral("2012-03-07 10:00:00"));

        auto cancelled = commands([](QDialog *) { return QDialog::Rejected; });
        cancelled->onApplyRulesForDateRange();
        QVERIFY(m_linking.calls.isEmpty());

        // The fake clock says Wednesday 7 March; "Yesterday" is the Tuesday.
        auto rules = commands([](QDialog *dialog) {
            auto *presets = child<QComboBox>(dialog, "cbPresets");
            presets->setCurrentIndex(presets->findData(QStringLiteral("yesterday")));
            return QDialog::Accepted;
        });
        rules->onApplyRulesForDateRange();
        QCOMPARE(m_linking.calls.size(), 1);
        QCOMPARE(m_linking.calls.first().ids, QStringList{QString::number(tuesday)});
    }

    void noRulesBoxGoesToTheWindow()
    {
        auto rules = commands([](QDialog *) { return QDialog::Rejected; });
        rules->onApplyRules();
        QCOMPARE(m_presenter.boxes.size(), 1);
        QCOMPARE(m_presenter.boxes.first().text, QStringLiteral("No rules to apply"));
    }
};

QTEST_MAIN(TestRuleCommands)
#include "tst_rulecommands.moc"
