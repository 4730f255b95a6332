#include "addruledialog.h"
#include "recordingpresenter.h"
#include "rulecommands.h"
#include "rulefakes.h"
#include "rulesdialog.h"
#include "ruletestdb.h"
#include "settings.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

namespace {
class FakeContext final : public RuleContext
{
public:
    QDate selectedDate() const override { return QDate(2012, 3, 6); }
    QString filterText() const override { return QStringLiteral("budget"); }
    QList<int> selectedAppIds() const override { return appIds; }
    int selectedProjectId() const override { return 0; }
    int selectedTaskId() const override { return 0; }

    QList<int> appIds;
};

template <typename T> T *child(QDialog *dialog, const char *name)
{
    return dialog->findChild<T *>(QLatin1String(name));
}

QString names(QDialog *list)
{
    QStringList result;
    for (int row = 0; row < child<QListWidget>(list, "rules")->count(); ++row) {
        result << child<QListWidget>(list, "rules")->item(row)->text();
    }
    return result.join(u',');
}

} // namespace

// The rule commands with the dialogs they run: rule list, editor and date range.
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

    // Commands whose dialogs run `answer` instead of being shown.
    std::unique_ptr<RuleCommands> commands(std::function<int(QDialog *)> answer)
    {
        auto result = std::make_unique<RuleCommands>(&m_context, &m_linking, nullptr, nullptr, &m_clock);
        result->setDialogRunner(std::move(answer));
        return result;
    }

    // Runs `body` on the rule list as the window shows it.
    void withList(int ruleId, const std::function<void(QDialog *)> &body)
    {
        int runs = 0;
        commands([&](QDialog *dialog) {
            ++runs;
            body(dialog);
            return QDialog::Rejected;
        })->showRulesDialog(ruleId);
        QCOMPARE(runs, 1);
    }

    int addRule(const char *name)
    {
        return RuleTestDb::addRule({m_app}, 4, QStringLiteral("or"), {}, QLatin1String(name));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_db.open()); }

    void init()
    {
        RuleTestDb::reset();
        m_presenter.clear();
        m_linking = FakeLinking();
        Settings::instance()->values.remove(QStringLiteral("mapProjectNames"));
        Settings::instance()->values.remove(QStringLiteral("mapTaskNames"));
        m_app = RuleTestDb::addApp(QCoreApplication::applicationFilePath(), QStringLiteral("Tester"));
        m_context.appIds = {m_app};
    }

    void description()
    {
        const int mail = RuleTestDb::addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"));
        const int id = RuleStore::addRule(QStringLiteral("r"), {mail, m_app}, QStringLiteral("and"),
                                          QStringLiteral("report \"Q3 plan\""), QStringLiteral("between"),
                                          QDate(2012, 3, 5), QDate(2012, 3, 7), 3, 4);
        const auto longDate = [](int day) {
            return QDate(2012, 3, day).toString(QLocale::system().dateFormat(QLocale::LongFormat)).toHtmlEscaped();
        };
        QCOMPARE(
            RulesDialog::describeRule(id),
            QStringLiteral("Apply this rule for time entries<br/>Where Application is <a href='#'>'Mail' or "
                           "'Tester'</a><br/>&nbsp;&nbsp;and Where the window title <a href='#'>contains 'report' "
                           "and 'Q3 plan'</a><br/>&nbsp;&nbsp;and Where entry date is <a href='#'>between '%1' and "
                           "'%2'</a><br/>Link with task <a href='#'>'#4'</a> from project <a href='#'>'#3'</a><br/>")
                .arg(longDate(5), longDate(7)));
    }

    void hostileTextsAreShownAsText()
    {
        const QString hostile = QStringLiteral("<b>x</b><img src=\"file:///etc/passwd\">");
        const int app = RuleTestDb::addApp(QStringLiteral("/opt/evil"), QStringLiteral("<i>Evil</i> & co"));
        const int id = RuleTestDb::addRule({app}, 4, QStringLiteral("exact"), hostile, hostile);
        RuleTestDb::addRule({app}, 4, QStringLiteral("and"), QStringLiteral("<script>alert(1)</script> \"<u>y</u>\""));
        RuleStore::activateRule(id, false);
        Settings::instance()->values.insert(QStringLiteral("mapProjectNames"),
                                            QVariantMap{{QStringLiteral("3"), QStringLiteral("<h1>Project</h1>")}});
        // The catalogue may keep its maps with string values.
        Settings::instance()->values.insert(
            QStringLiteral("mapTaskNames"),
            QVariant::fromValue(QMap<QString, QString>{{QStringLiteral("4"), QStringLiteral("<a href='x'>Task</a>")}}));
        withList(id, [&](QDialog *list) {
            auto *description = child<QTextBrowser>(list, "description");
            const QString text = description->toPlainText();
            QVERIFY2(text.startsWith(QStringLiteral("This rule is currently turned off.")), qPrintable(text));
            QVERIFY(text.contains(QStringLiteral("is '") + hostile + QLatin1Char('\'')));
            QVERIFY(text.contains(QStringLiteral("'<i>Evil</i> & co'")));
            QVERIFY(text.contains(QStringLiteral("task '<a href='x'>Task</a>' from project '<h1>Project</h1>'")));
            QVERIFY(!description->toHtml().contains(QStringLiteral("<img")));
            QCOMPARE(names(list).section(u',', 0, 0), hostile);
            child<QListWidget>(list, "rules")->setCurrentRow(1);
            QVERIFY(description->toPlainText().contains(QStringLiteral("'<script>alert(1)</script>' and '<u>y</u>'")));
        });
        QVERIFY(RulesDialog::describeRule(99).isEmpty());
    }

    void removeAsksFirst()
    {
        const int a = addRule("A");
        const int b = addRule("B");
        withList(b, [this](QDialog *list) {
            m_presenter.answerNext(MessageBox::No);
            child<QPushButton>(list, "btnRemove")->click();
            QCOMPARE(m_presenter.boxes().size(), 1);
            QCOMPARE(m_presenter.boxes().first().text, QStringLiteral("Are you sure you want to remove this rule?"));
            QCOMPARE(names(list), QStringLiteral("A,B"));
            m_presenter.answerNext(MessageBox::Yes);
            child<QPushButton>(list, "btnRemove")->click();
            QCOMPARE(names(list), QStringLiteral("A"));
        });
        QVERIFY(RuleStore::loadRule(b).isEmpty());
        QVERIFY(!RuleStore::loadRule(a).isEmpty());
    }

    void newRuleUsesTheWindowsSelection()
    {
        commands([](QDialog *) { return QDialog::Rejected; })->onCreateRuleFromApp(m_app);
        QCOMPARE(RuleTestDb::scalar(QStringLiteral("SELECT COUNT(*) FROM rules")).toInt(), 0);
        commands([](QDialog *dialog) {
            return qobject_cast<AddRuleDialog *>(dialog) ? QDialog::Accepted : QDialog::Rejected;
        })->onAddRuleDialog();
        RuleFields stored;
        QVERIFY(RuleStore::loadRuleFields(1, &stored));
        const QDate day = m_context.selectedDate();
        QCOMPARE(stored, ruleFields(QStringLiteral("Rule #1"), {m_app}, "and", QStringLiteral("budget"), "after", day,
                                    day, 0, 0));
    }

    void applyForTheDayOrARange()
    {
        RuleTestDb::addRule({m_app}, 8);
        const int monday = RuleTestDb::addEntry(m_app, QStringLiteral("x"), QStringLiteral("2012-03-05 10:00:00"));
        const int tuesday = RuleTestDb::addEntry(m_app, QStringLiteral("x"), QStringLiteral("2012-03-06 10:00:00"));
        commands([](QDialog *) { return QDialog::Rejected; })->onApplyRulesForDateRange();
        QVERIFY(m_linking.calls.isEmpty());
        commands([](QDialog *) { return QDialog::Rejected; })->onApplyRules();
        QCOMPARE(m_linking.summary(), QStringLiteral("8:%1").arg(tuesday));
        // The clock says Wednesday 7 March: "3 days back" starts on the Sunday.
        commands([](QDialog *dialog) {
            auto *presets = child<QComboBox>(dialog, "cbPresets");
            presets->setCurrentIndex(presets->findData(QStringLiteral("3 days back")));
            return QDialog::Accepted;
        })->onApplyRulesForDateRange();
        QCOMPARE(m_linking.summary(), QStringLiteral("8:%2 8:%1,%2").arg(monday).arg(tuesday));
    }
};

QTEST_MAIN(TestRuleCommands)
#include "tst_rulecommands.moc"
