#include "addruledialog.h"
#include "daterangepicker.h"
#include "rulecommands.h"
#include "ruleengine.h"
#include "rulefakes.h"
#include "rulepreview.h"
#include "rulepreviewdialog.h"
#include "ruletestdb.h"
#include "storedentries.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {
const QDate Day(2012, 3, 6);

class FakeContext final : public RuleContext
{
public:
    QDate selectedDate() const override { return Day; }
    QString filterText() const override { return QString(); }
    QList<int> selectedAppIds() const override { return {}; }
    int selectedProjectId() const override { return 0; }
    int selectedTaskId() const override { return 0; }
};

// Every entry's link columns, to show that a preview changes nothing.
QString linkColumns()
{
    QSqlQuery query(QStringLiteral("SELECT id, ext_task_id, ext_entry_id FROM entries ORDER BY id"));
    QStringList rows;
    while (query.next()) {
        rows << query.value(0).toString() + QLatin1Char('/') + query.value(1).toString() + QLatin1Char('/') +
                    query.value(2).toString();
    }
    return rows.join(QLatin1Char(' '));
}

// The batches in the form FakeLinking records the calls, in the order a run makes them.
QString batchSummary(const TaskBatches &batches)
{
    FakeLinking linking;
    for (auto batch = batches.cbegin(); batch != batches.cend(); ++batch) {
        linking.connectEntriesWithTask(batch.value(), batch.key().taskId, QString(), [](bool) {});
    }
    return linking.summary();
}
} // namespace

class TestRulePreview : public QObject
{
    Q_OBJECT

private:
    RuleTestDb m_db;
    const StoredEntries m_entries;
    int m_editor = 0;
    int m_mail = 0;
    int m_shell = 0;
    int m_report = 0;

    static int entry(int app, const QString &title, const QString &start, int seconds, int linked = 0)
    {
        const QDateTime from = QDateTime::fromString(start, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        const QVariant ext = linked ? QVariant(linked) : QVariant();
        return int(TestDb::exec(
            QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time, "
                           "ext_entry_id, ext_task_id) VALUES (?, ?, ?, ?, ?, ?)"),
            {title, app, start, from.addSecs(seconds).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")), ext, ext}));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_db.open()); }

    void init()
    {
        RuleTestDb::reset();
        m_editor = RuleTestDb::addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        m_mail = RuleTestDb::addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"));
        m_shell = RuleTestDb::addApp(QStringLiteral("/usr/bin/shell"), QStringLiteral("Shell"));
        entry(m_editor, QStringLiteral("Q3 report.txt"), QStringLiteral("2012-03-06 09:00:00"), 600);
        entry(m_editor, QStringLiteral("Q3 report.txt"), QStringLiteral("2012-03-06 11:00:00"), 300);
        entry(m_editor, QStringLiteral("notes.txt"), QStringLiteral("2012-03-06 10:00:00"), 120);
        entry(m_mail, QStringLiteral("Inbox"), QStringLiteral("2012-03-06 08:00:00"), 60);
        entry(m_mail, QStringLiteral("Inbox"), QStringLiteral("2012-03-07 08:00:00"), 90);
        entry(m_shell, QStringLiteral("make"), QStringLiteral("2012-03-06 12:00:00"), 45);
        entry(m_editor, QStringLiteral("Q3 report.txt"), QStringLiteral("2012-03-06 13:00:00"), 999, 555);
        entry(m_editor, QStringLiteral("Q3 report.txt"), QStringLiteral("2012-03-08 09:00:00"), 30);
        m_report = RuleTestDb::addRule({m_editor}, 30, QStringLiteral("or"), QStringLiteral("report"),
                                       QStringLiteral("report"));
        RuleTestDb::addRule({m_editor}, 20, QStringLiteral("or"), QString(), QStringLiteral("editor"));
        RuleTestDb::addRule({m_mail}, 20, QStringLiteral("or"), QString(), QStringLiteral("mail"));
        RuleTestDb::addRule({m_mail}, 40, QStringLiteral("exact"), QStringLiteral("Inbox"),
                            QStringLiteral("never first"));
    }

    void previewAgreesWithApplyingAndChangesNothing()
    {
        const QString before = linkColumns();
        FakeLinking linking;
        const RulePreview preview = RulePreview::forRange(RuleStore::loadActiveRules(), Day, Day.addDays(1));
        QVERIFY(linking.calls.isEmpty());
        QCOMPARE(linkColumns(), before);

        QCOMPARE(preview.rules.size(), 4);
        QCOMPARE(preview.rules.at(0).name, QStringLiteral("report"));
        QCOMPARE(preview.rules.at(0).seconds, 900);
        QCOMPARE(preview.rules.at(1).seconds, 120);
        QCOMPARE(preview.rules.at(2).seconds, 150);
        QCOMPARE(preview.rules.at(2).groups.size(), 2);
        // A later rule never takes what an earlier one took.
        QCOMPARE(preview.rules.at(3).seconds, 0);
        QCOMPARE(preview.taskSeconds,
                 (QMap<QString, qint64>{{QStringLiteral("20"), 270}, {QStringLiteral("30"), 900}}));
        QCOMPARE(preview.unmatched.size(), 1);
        QCOMPARE(preview.unmatched.first().title, QStringLiteral("make"));
        QCOMPARE(preview.unmatchedSeconds, 45);

        RuleEngine engine(&linking);
        QVERIFY(engine.applyRules(Day, Day.addDays(1)));
        QCOMPARE(linking.summary(), batchSummary(preview.batches));
        // One batch per task and day: task 20 has entries on both days.
        QCOMPARE(linking.calls.size(), 3);
    }

    void editedRuleIsPreviewedInItsPlace()
    {
        RuleFields edited;
        edited.name = QStringLiteral("report, edited");
        edited.appIds = {m_editor};
        edited.titleRule = QStringLiteral("exact");
        edited.title = QStringLiteral("notes.txt");
        edited.taskId = 30;
        const QList<RuleMap> rules = RulePreview::withEditedRule(RuleStore::loadActiveRules(), m_report, edited);
        const RulePreview preview = RulePreview::compute(rules, RuleEngine::loadGroups(Day, Day));
        QCOMPARE(preview.rules.at(0).name, QStringLiteral("report, edited"));
        QCOMPARE(preview.rules.at(0).seconds, 120);
        // What the edited rule lets go, the next rule takes.
        QCOMPARE(preview.rules.at(1).seconds, 900);

        // A new rule comes last and takes only what no stored rule takes.
        edited.appIds = {m_editor, m_shell};
        edited.titleRule = QStringLiteral("or");
        edited.title.clear();
        edited.taskId = 50;
        const RulePreview withNew = RulePreview::compute(
            RulePreview::withEditedRule(RuleStore::loadActiveRules(), 0, edited), RuleEngine::loadGroups(Day, Day));
        QCOMPARE(withNew.rules.size(), 5);
        QCOMPARE(withNew.rules.last().seconds, 45);
        QVERIFY(withNew.unmatched.isEmpty());
        QCOMPARE(withNew.batches.value(BatchKey{QStringLiteral("50"), Day}).size(), 1);
    }

    void editorPreviewFollowsTheEditsWithoutStoring()
    {
        // The editor offers only applications whose program exists.
        RuleTestDb::exec(QStringLiteral("UPDATE applications SET path = '/bin/sh' WHERE id = %1").arg(m_editor));
        FakeContext context;
        FakeLinking linking;
        FakeClock clock;
        RuleCommands commands(&context, &linking, m_entries, nullptr, nullptr, &clock);
        QList<qint64> seconds;
        commands.setDialogRunner([&](QDialog *dialog) {
            auto *editor = qobject_cast<AddRuleDialog *>(dialog);
            if (!editor) {
                return int(QDialog::Rejected);
            }
            editor->findChild<QPushButton *>(QStringLiteral("btnPreview"))->click();
            auto *preview = editor->findChild<RulePreviewDialog *>();
            if (!preview) {
                return int(QDialog::Rejected);
            }
            seconds << preview->preview().rules.at(0).seconds;
            QSignalSpy refreshed(preview, &RulePreviewDialog::refreshed);
            editor->findChild<QLineEdit *>(QStringLiteral("editTitle"))->setText(QStringLiteral("notes"));
            if (refreshed.wait(RulePreviewDialog::RefreshDelayMs * 10)) {
                seconds << preview->preview().rules.at(0).seconds << preview->preview().rules.at(1).seconds;
            }
            return int(QDialog::Rejected);
        });
        commands.onEditRuleDialog(m_report);
        QCOMPARE(seconds, (QList<qint64>{900, 120, 900}));
        QVERIFY(linking.calls.isEmpty());
        QCOMPARE(RuleStore::loadRule(m_report).value(QStringLiteral("title")).toString(), QStringLiteral("report"));
    }

    void dialogRefreshesOnceAfterABurstAndAppliesTheRange()
    {
        int reads = 0;
        FakeClock clock;
        RulePreviewDialog dialog(
            [&reads] {
                ++reads;
                return RuleStore::loadActiveRules();
            },
            m_entries, Day, &clock);
        QCOMPARE(reads, 1);
        QCOMPARE(dialog.preview().rules.at(0).seconds, 900);
        QSignalSpy refreshed(&dialog, &RulePreviewDialog::refreshed);
        for (int i = 0; i < 5; ++i) {
            dialog.scheduleRefresh();
        }
        QVERIFY(refreshed.wait(RulePreviewDialog::RefreshDelayMs * 10));
        QTest::qWait(RulePreviewDialog::RefreshDelayMs * 2);
        QCOMPARE(reads, 2);

        // Choosing another range previews it.
        dialog.rangePicker()->toEdit()->setDate(Day.addDays(2));
        QVERIFY(refreshed.wait(RulePreviewDialog::RefreshDelayMs * 10));
        QCOMPARE(dialog.preview().rules.at(0).seconds, 930);

        QSignalSpy apply(&dialog, &RulePreviewDialog::applyRequested);
        dialog.applyButton()->click();
        QCOMPARE(apply.size(), 1);
        QCOMPARE(apply.first().at(0).toDate(), Day);
        QCOMPARE(apply.first().at(1).toDate(), Day.addDays(2));
    }
};

QTEST_MAIN(TestRulePreview)
#include "tst_rulepreview.moc"
