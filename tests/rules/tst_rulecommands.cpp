#include "projectscatalogue.h"
#include "recordingpresenter.h"
#include "rulecommands.h"
#include "rulefakes.h"
#include "rulesdialog.h"
#include "ruletestdb.h"
#include "settings.h"
#include "storedentries.h"

#include <QListWidget>
#include <QTest>
#include <QTextBrowser>

namespace {
class FakeContext final : public RuleContext
{
public:
    QDate selectedDate() const override { return QDate(2012, 3, 6); }
    QString filterText() const override { return QString(); }
    QList<int> selectedAppIds() const override { return {}; }
    int selectedProjectId() const override { return 0; }
    int selectedTaskId() const override { return 0; }
};
} // namespace

// The rule list as the rule commands show it.
class TestRuleCommands : public QObject
{
    Q_OBJECT

private:
    RuleTestDb m_db;
    const StoredEntries m_entries;
    RecordingPresenter m_presenter;
    FakeContext m_context;
    FakeLinking m_linking;
    FakeClock m_clock;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_db.open()); }

    void hostileTextsAreShownAsText()
    {
        const QString hostile = QStringLiteral("<b>x</b><img src=\"file:///etc/passwd\">");
        const int app = RuleTestDb::addApp(QStringLiteral("/opt/evil"), QStringLiteral("<i>Evil</i> & co"));
        const int id = RuleTestDb::addRule({app}, 4, QStringLiteral("exact"), hostile, hostile);
        RuleTestDb::addRule({app}, 4, QStringLiteral("and"), QStringLiteral("<script>alert(1)</script> \"<u>y</u>\""));
        RuleStore::activateRule(id, false);
        ProjectsCatalogue::shared().replace(
            {{3,
              QStringLiteral("<h1>Project</h1>"),
              0,
              QString(),
              {{5, QStringLiteral("List"), true, {{4, QStringLiteral("<a href='x'>Task</a>")}}}}}});
        int runs = 0;
        RuleCommands commands(&m_context, &m_linking, m_entries, nullptr, nullptr, &m_clock);
        const auto check = [&](QDialog *list) {
            auto *description = list->findChild<QTextBrowser *>(QStringLiteral("description"));
            auto *rules = list->findChild<QListWidget *>(QStringLiteral("rules"));
            const QString text = description->toPlainText();
            QVERIFY2(text.startsWith(QStringLiteral("This rule is currently turned off.")), qPrintable(text));
            QVERIFY(text.contains(QStringLiteral("is '") + hostile + QLatin1Char('\'')));
            QVERIFY(text.contains(QStringLiteral("'<i>Evil</i> & co'")));
            QVERIFY(text.contains(QStringLiteral("task '<a href='x'>Task</a>' from project '<h1>Project</h1>'")));
            QVERIFY(!description->toHtml().contains(QStringLiteral("<img")));
            QCOMPARE(rules->item(0)->text(), hostile);
            rules->setCurrentRow(1);
            QVERIFY(description->toPlainText().contains(QStringLiteral("'<script>alert(1)</script>' and '<u>y</u>'")));
        };
        commands.setDialogRunner([&](QDialog *list) {
            ++runs;
            check(list);
            return int(QDialog::Rejected);
        });
        commands.showRulesDialog(id);
        QCOMPARE(runs, 1);
    }
};

QTEST_MAIN(TestRuleCommands)
#include "tst_rulecommands.moc"
