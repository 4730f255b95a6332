#include "fakelinking.h"
#include "recordingpresenter.h"
#include "ruleengine.h"
#include "ruletestdb.h"
#include "settings.h"

#include <QSignalSpy>
#include <QTest>

namespace {
QStringList ids(std::initializer_list<int> values)
{
    QStringList result;
    for (int value : values) {
        result << QString::number(value);
    }
    return result;
}

const QDate Day(2012, 3, 6);
} // namespace

class TestRuleEngine : public QObject
{
    Q_OBJECT

private:
    RuleTestDb m_db;
    RecordingPresenter m_presenter;
    int m_editor = 0;
    int m_mail = 0;

    static int addRule(int taskId, const QList<int> &apps, const QString &titleRule = QStringLiteral("or"),
                       const QString &title = QString())
    {
        return RuleStore::addRule(QStringLiteral("rule"), apps, titleRule, title, QStringLiteral("always"), Day, Day, 1,
                                  taskId);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_db.open()); }

    void init()
    {
        RuleTestDb::reset();
        m_presenter.boxes.clear();
        m_editor = RuleTestDb::addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        m_mail = RuleTestDb::addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"));
    }

    void firstMatchingRuleWinsEvenForAnotherTask()
    {
        const int report =
            RuleTestDb::addEntry(m_editor, QStringLiteral("report.txt"), QStringLiteral("2012-03-06 09:00:00"));
        const int notes =
            RuleTestDb::addEntry(m_editor, QStringLiteral("notes.txt"), QStringLiteral("2012-03-06 10:00:00"));
        addRule(20, {m_editor});
        const int first = addRule(30, {m_editor}, QStringLiteral("or"), QStringLiteral("report"));
        RuleStore::moveRule(first, -1);

        FakeLinking linking;
        RuleEngine engine(&linking);
        QVERIFY(engine.applyRules(Day, Day));
        QCOMPARE(linking.calls.size(), 2);
        QCOMPARE(linking.calls.at(0).taskId, QStringLiteral("20"));
        QCOMPARE(linking.calls.at(0).ids, ids({notes}));
        QCOMPARE(linking.calls.at(1).taskId, QStringLiteral("30"));
        QCOMPARE(linking.calls.at(1).ids, ids({report}));
        QVERIFY(linking.calls.at(1).notes.isEmpty());
    }

    void groupsOfOneTaskMakeOneCall()
    {
        const int a1 = RuleTestDb::addEntry(m_editor, QStringLiteral("a"), QStringLiteral("2012-03-06 09:00:00"));
        const int a2 = RuleTestDb::addEntry(m_editor, QStringLiteral("a"), QStringLiteral("2012-03-06 11:00:00"));
        const int b = RuleTestDb::addEntry(m_mail, QStringLiteral("b"), QStringLiteral("2012-03-07 09:00:00"));
        addRule(5, {m_editor});
        addRule(5, {m_mail});

        FakeLinking linking;
        RuleEngine engine(&linking);
        QVERIFY(engine.applyRules(Day, Day.addDays(1)));
        QCOMPARE(linking.calls.size(), 1);
        QCOMPARE(linking.calls.first().taskId, QStringLiteral("5"));
        QCOMPARE(linking.calls.first().ids, ids({a1, a2, b}));
    }

    void batchesGoInStringOrderOfTaskIds()
    {
        RuleTestDb::addEntry(m_editor, QStringLiteral("a"), QStringLiteral("2012-03-06 09:00:00"));
        RuleTestDb::addEntry(m_mail, QStringLiteral("b"), QStringLiteral("2012-03-06 09:00:00"));
        addRule(9, {m_editor});
        addRule(10, {m_mail});

        FakeLinking linking;
        RuleEngine engine(&linking);
        engine.applyRules(Day, Day);
        QCOMPARE(linking.calls.size(), 2);
        QCOMPARE(linking.calls.at(0).taskId, QStringLiteral("10"));
        QCOMPARE(linking.calls.at(1).taskId, QStringLiteral("9"));
    }

    void onlyUnlinkedEntriesOfTheRange()
    {
        RuleTestDb::addEntry(m_editor, QStringLiteral("a"), QStringLiteral("2012-03-05 23:59:59"));
        const int first = RuleTestDb::addEntry(m_editor, QStringLiteral("a"), QStringLiteral("2012-03-06 00:00:00"));
        RuleTestDb::addEntry(m_editor, QStringLiteral("a"), QStringLiteral("2012-03-06 12:00:00"), 777);
        const int last = RuleTestDb::addEntry(m_editor, QStringLiteral("a"), QStringLiteral("2012-03-06 23:59:59"));
        RuleTestDb::addEntry(m_editor, QStringLiteral("a"), QStringLiteral("2012-03-07 00:00:00"));
        addRule(5, {m_editor});

        FakeLinking linking;
        RuleEngine engine(&linking);
        engine.applyRules(Day, Day);
        QCOMPARE(linking.calls.size(), 1);
        QCOMPARE(linking.calls.first().ids, ids({first, last}));
    }

    void excludedApplicationsAreLinkedToo()
    {
        Settings::instance()->values.insert(QStringLiteral("IgnoredApps"),
                                            QStringList{QStringLiteral("/usr/bin/mail")});
        const int mail = RuleTestDb::addEntry(m_mail, QStringLiteral("Inbox"), QStringLiteral("2012-03-06 09:00:00"));
        addRule(5, {m_mail});

        FakeLinking linking;
        RuleEngine engine(&linking);
        engine.applyRules(Day, Day);
        Settings::instance()->values.remove(QStringLiteral("IgnoredApps"));
        QCOMPARE(linking.calls.size(), 1);
        QCOMPARE(linking.calls.first().ids, ids({mail}));
    }

    void groupsAreSplitByDayApplicationAndTitle()
    {
        RuleTestDb::addEntry(m_editor, QStringLiteral("x"), QStringLiteral("2012-03-05 09:00:00"));
        const int tue = RuleTestDb::addEntry(m_editor, QStringLiteral("x"), QStringLiteral("2012-03-06 09:00:00"));
        RuleTestDb::addEntry(m_mail, QStringLiteral("x"), QStringLiteral("2012-03-06 09:00:00"));
        bool ok = false;
        const QList<EntryGroup> groups = RuleEngine::loadGroups(QDate(2012, 3, 5), Day, &ok);
        QVERIFY(ok);
        QCOMPARE(groups.size(), 3);

        // Only the Tuesday group of the editor falls inside the rule's days.
        const QList<RuleMatcher> rules =
            RuleEngine::prepareRules({RuleMap{{QStringLiteral("app_ids"), QStringList{QString::number(m_editor)}},
                                              {QStringLiteral("date_rule"), QStringLiteral("after")},
                                              {QStringLiteral("date_from"), Day},
                                              {QStringLiteral("task_id"), 4},
                                              {QStringLiteral("active"), 1}}});
        const TaskBatches batches = RuleEngine::planBatches(rules, groups);
        QCOMPARE(batches.keys(), QStringList{QStringLiteral("4")});
        QCOMPARE(batches.value(QStringLiteral("4")), ids({tue}));
    }

    void noActiveRulesShowsABox_data()
    {
        QTest::addColumn<bool>("withRule");
        QTest::newRow("no rules at all") << false;
        QTest::newRow("only a rule without applications") << true;
    }

    void noActiveRulesShowsABox()
    {
        QFETCH(bool, withRule);
        RuleTestDb::addEntry(m_editor, QStringLiteral("a"), QStringLiteral("2012-03-06 09:00:00"));
        if (withRule) {
            addRule(5, {});
        }
        FakeLinking linking;
        QObject owner;
        RuleEngine engine(&linking, &owner);
        QSignalSpy starting(&engine, &RuleEngine::runStarting);
        QSignalSpy progress(&engine, &RuleEngine::progressStarted);
        QSignalSpy reload(&engine, &RuleEngine::reloadUnlinkedView);

        QVERIFY(!engine.applyRules(Day, Day));
        QCOMPARE(m_presenter.boxes.size(), 1);
        QCOMPARE(m_presenter.boxes.first().title, QStringLiteral("Information"));
        QCOMPARE(m_presenter.boxes.first().text, QStringLiteral("No rules to apply"));
        QCOMPARE(m_presenter.boxes.first().icon, MessageBox::Icon::Information);
        QCOMPARE(m_presenter.boxes.first().parent, &owner);
        QVERIFY(linking.calls.isEmpty());
        QCOMPARE(starting.count(), 1);
        QCOMPARE(progress.count(), 0);
        QCOMPARE(reload.count(), 0);
        QVERIFY(!engine.isRunning());
    }

    void progressCountsBatchesAndReloads()
    {
        RuleTestDb::addEntry(m_editor, QStringLiteral("a"), QStringLiteral("2012-03-06 09:00:00"));
        RuleTestDb::addEntry(m_mail, QStringLiteral("b"), QStringLiteral("2012-03-06 09:00:00"));
        addRule(1, {m_editor});
        addRule(2, {m_mail});

        FakeLinking linking;
        linking.result = false;
        RuleEngine engine(&linking);
        QStringList events;
        connect(&engine, &RuleEngine::runStarting, this, [&] { events << QStringLiteral("start"); });
        connect(&engine, &RuleEngine::progressStarted, this,
                [&](int maximum) { events << QStringLiteral("max %1").arg(maximum); });
        connect(&engine, &RuleEngine::progressChanged, this, [&](int value) { events << QString::number(value); });
        connect(&engine, &RuleEngine::reloadUnlinkedView, this, [&] { events << QStringLiteral("unlinked"); });
        connect(&engine, &RuleEngine::reloadLinkedView, this, [&] { events << QStringLiteral("linked"); });
        connect(&engine, &RuleEngine::progressFinished, this, [&] { events << QStringLiteral("hide"); });

        // A failing batch does not stop the run.
        QVERIFY(engine.applyRules(Day, Day));
        QCOMPARE(linking.calls.size(), 2);
        QCOMPARE(events.join(QLatin1Char(' ')), QStringLiteral("start max 4 0 1 2 unlinked 3 linked 4 hide"));
    }

    void failingGroupingStillReloads()
    {
        addRule(1, {m_editor});
        QVERIFY(RuleTestDb::exec(QStringLiteral("DROP TABLE entries")));
        FakeLinking linking;
        RuleEngine engine(&linking);
        QSignalSpy progress(&engine, &RuleEngine::progressStarted);
        QSignalSpy reload(&engine, &RuleEngine::reloadLinkedView);
        bool ok = true;
        QVERIFY(RuleEngine::loadGroups(Day, Day, &ok).isEmpty());
        QVERIFY(!ok);
        QVERIFY(engine.applyRules(Day, Day));
        QVERIFY(linking.calls.isEmpty());
        QCOMPARE(progress.value(0).value(0).toInt(), 2);
        QCOMPARE(reload.count(), 1);
    }

    void secondRunCannotStartInsideTheFirst()
    {
        RuleTestDb::addEntry(m_editor, QStringLiteral("a"), QStringLiteral("2012-03-06 09:00:00"));
        RuleTestDb::addEntry(m_mail, QStringLiteral("b"), QStringLiteral("2012-03-06 09:00:00"));
        addRule(1, {m_editor});
        addRule(2, {m_mail});

        FakeLinking linking;
        RuleEngine engine(&linking);
        QSignalSpy running(&engine, &RuleEngine::runningChanged);
        QList<bool> nested;
        QList<bool> runningDuringCall;
        linking.duringCall = [&] {
            runningDuringCall << engine.isRunning();
            nested << engine.applyRules(Day, Day);
        };

        QVERIFY(engine.applyRules(Day, Day));
        QCOMPARE(linking.calls.size(), 2);
        QCOMPARE(nested, (QList<bool>{false, false}));
        QCOMPARE(runningDuringCall, (QList<bool>{true, true}));
        QVERIFY(!engine.isRunning());
        QCOMPARE(running.count(), 2);
        QCOMPARE(running.at(0).at(0).toBool(), true);
        QCOMPARE(running.at(1).at(0).toBool(), false);

        // Once finished, the next run starts normally.
        linking.duringCall = nullptr;
        QVERIFY(engine.applyRules(Day, Day));
    }
};

QTEST_GUILESS_MAIN(TestRuleEngine)
#include "tst_ruleengine.moc"
