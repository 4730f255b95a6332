#include "projectscatalogue.h"
#include "recordingpresenter.h"
#include "ruleengine.h"
#include "rulefakes.h"
#include "ruletestdb.h"
#include "settings.h"

#include <QSqlQuery>
#include <QTest>

namespace {
const QDate Day(2012, 3, 6);
} // namespace

class TestRuleEngine : public QObject
{
    Q_OBJECT

private:
    RuleTestDb m_db;
    RecordingPresenter m_presenter;
    FakeLinking m_linking;
    int m_editor = 0;
    int m_mail = 0;

    // An unlinked entry on `Day` at 09:00 unless told otherwise; returns its id as text.
    static QString entry(int app, const char *title = "a", const char *start = "2012-03-06 09:00:00", int linked = 0)
    {
        return QString::number(RuleTestDb::addEntry(app, QLatin1String(title), QLatin1String(start), linked));
    }

    // A catalogue whose only open task is this one.
    static void openTask(qint64 id, const QString &name)
    {
        ProjectsCatalogue::shared().replace(
            {{1, QStringLiteral("Project"), 0, QString(), {{2, QStringLiteral("List"), true, {{id, name}}}}}});
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_db.open()); }

    void init()
    {
        RuleTestDb::reset();
        m_presenter.clear();
        m_linking = FakeLinking();
        m_editor = RuleTestDb::addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        m_mail = RuleTestDb::addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"));
    }

    void firstMatchingRuleWinsEvenForAnotherTask()
    {
        const QString report = entry(m_editor, "report.txt");
        const QString notes = entry(m_editor, "notes.txt");
        RuleTestDb::addRule({m_editor}, 20);
        RuleStore::moveRule(RuleTestDb::addRule({m_editor}, 30, QStringLiteral("or"), QStringLiteral("report")), -1);

        RuleEngine engine(&m_linking);
        QVERIFY(engine.applyRules(Day, Day));
        QCOMPARE(m_linking.summary(), QStringLiteral("20:%1 30:%2").arg(notes, report));
    }

    // One call per task and day: a range never books several days into one remote entry dated on
    // the first of them, while the entries of one day still travel together.
    void oneCallPerTaskAndDayInStringOrderOfTaskIds()
    {
        const int shell = RuleTestDb::addApp(QStringLiteral("/usr/bin/shell"), QStringLiteral("Shell"));
        const QStringList sixth{entry(m_editor), entry(m_editor, "a", "2012-03-06 11:00:00"),
                                entry(m_mail, "c", "2012-03-06 12:00:00")};
        const QString seventh = entry(m_mail, "b", "2012-03-07 09:00:00");
        const QString other = entry(shell);
        RuleTestDb::addRule({shell}, 9);
        RuleTestDb::addRule({m_editor}, 10);
        RuleTestDb::addRule({m_mail}, 10);
        // A failing batch does not stop the run.
        m_linking.result = false;
        RuleEngine engine(&m_linking);
        QVERIFY(engine.applyRules(Day, Day.addDays(1)));
        QCOMPARE(m_linking.summary(), QStringLiteral("10:%1 10:%2 9:%3").arg(sixth.join(u','), seventh, other));
    }

    // A rule whose task the catalogue no longer lists (completed or gone) links nothing and says so;
    // what it matched first is not handed on to a later rule either.
    void ruleOfACompletedTaskIsSkippedWithANote()
    {
        entry(m_editor, "invoice 7");
        const QString other = entry(m_editor, "letter");
        RuleTestDb::addRule({m_editor}, 30, QStringLiteral("or"), QStringLiteral("invoice"), QStringLiteral("Bills"));
        RuleTestDb::addRule({m_editor}, 20, QStringLiteral("or"), QString(), QStringLiteral("Everything"));
        openTask(20, QStringLiteral("Everything"));
        RuleEngine engine(&m_linking);
        QVERIFY(engine.applyRules(Day, Day));
        ProjectsCatalogue::shared().clear();
        QCOMPARE(m_linking.summary(), QStringLiteral("20:%1").arg(other));
        const QString note = QStringLiteral("Rule \"Bills\" was skipped: its task is completed or no longer known to "
                                            "Tavro (1 entry left unlinked).");
        QCOMPARE(engine.lastResult().notes, QStringList{note});
        QVERIFY(m_presenter.boxes().last().text.endsWith(note));
    }

    void onlyUnlinkedEntriesOfTheRangeAlsoOfExcludedApps()
    {
        Settings::instance()->setValue(Setting::IgnoredApps, QStringList{QStringLiteral("/usr/bin/mail")});
        entry(m_mail, "a", "2012-03-05 23:59:59");
        const QString first = entry(m_mail, "a", "2012-03-06 00:00:00");
        entry(m_mail, "a", "2012-03-06 12:00:00", 777);
        const QString last = entry(m_mail, "a", "2012-03-06 23:59:59");
        entry(m_mail, "a", "2012-03-07 00:00:00");
        RuleTestDb::addRule({m_mail}, 5);
        RuleEngine engine(&m_linking);
        engine.applyRules(Day, Day);
        Settings::instance()->setValue(Setting::IgnoredApps, QStringList());
        QCOMPARE(m_linking.summary(), QStringLiteral("5:%1,%2").arg(first, last));
    }

    void runEndsWithASummary()
    {
        // Two titles of the editor, 25 and 35 minutes, and one mail of 10 minutes.
        const QStringList editor{entry(m_editor, "a.txt"), entry(m_editor, "a.txt", "2012-03-06 10:00:00"),
                                 entry(m_editor, "b.txt", "2012-03-06 11:00:00")};
        entry(m_mail, "inbox", "2012-03-06 12:00:00");
        QSqlQuery query;
        QVERIFY(query.exec(QStringLiteral("UPDATE entries SET end_time = datetime(start_time, '+' || "
                                          "(CASE title WHEN 'a.txt' THEN 750 WHEN 'b.txt' THEN 2100 ELSE 600 END) "
                                          "|| ' seconds')")));
        const int editorRule = RuleTestDb::addRule({m_editor}, 20);
        openTask(20, QStringLiteral("Design"));
        RuleEngine engine(&m_linking);
        QVERIFY(engine.applyRules(Day, Day));
        QCOMPARE(m_presenter.boxes().size(), 1);
        QCOMPARE(
            m_presenter.boxes().first().text,
            QStringLiteral("Linked 3 entries (1 h 0 m 0 s) with:\n    Design, 2012-03-06: 3 entries (1 h 0 m 0 s)"));
        QCOMPARE(engine.lastResult().batches.size(), 1);

        // A batch the service refuses is told apart; without a catalogue a task shows its id.
        ProjectsCatalogue::shared().clear();
        RuleStore::removeRule(editorRule);
        RuleTestDb::addRule({m_mail}, 31);
        m_linking.result = false;
        m_presenter.clear();
        QVERIFY(engine.applyRules(Day, Day));
        QCOMPARE(m_presenter.boxes().first().text,
                 QStringLiteral("Could not link:\n    task 31, 2012-03-06: 1 entry (10 m 0 s)"));

        // Nothing left to match says so; notes of the run follow the batches.
        RuleRunResult none;
        none.notes << QStringLiteral("Rule \"r\" links with a completed task.");
        QCOMPARE(none.summary({}),
                 QStringLiteral("No entries matched the rules.\n\nRule \"r\" links with a completed task."));
    }

    void noActiveRulesShowsABox()
    {
        entry(m_editor);
        RuleTestDb::addRule({}, 5);
        RuleEngine engine(&m_linking);
        QVERIFY(!engine.applyRules(Day, Day));
        QCOMPARE(m_presenter.boxes().size(), 1);
        QCOMPARE(m_presenter.boxes().first().text, QStringLiteral("No rules to apply"));
        QVERIFY(m_linking.calls.isEmpty());
    }

    void secondRunCannotStartInsideTheFirst()
    {
        entry(m_editor);
        entry(m_mail);
        RuleTestDb::addRule({m_editor}, 1);
        RuleTestDb::addRule({m_mail}, 2);
        RuleEngine engine(&m_linking);
        QList<bool> nested;
        m_linking.duringCall = [&] { nested << engine.isRunning() << engine.applyRules(Day, Day); };
        QVERIFY(engine.applyRules(Day, Day));
        QCOMPARE(m_linking.calls.size(), 2);
        QCOMPARE(nested, (QList<bool>{true, false, true, false}));
    }
};

QTEST_GUILESS_MAIN(TestRuleEngine)
#include "tst_ruleengine.moc"
