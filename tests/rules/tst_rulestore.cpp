#include "rulestore.h"
#include "ruletestdb.h"

#include <QSqlQuery>
#include <QTest>

namespace {
const QDate From(2012, 3, 5);
const QDate To(2012, 3, 7);

int addNamed(const QString &name, const QList<int> &apps)
{
    return RuleStore::addRule(name, apps, QStringLiteral("and"), QStringLiteral("report"), QStringLiteral("between"),
                              From, To, 3, 4);
}

void setSeq(int ruleId, int seq)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("UPDATE rules SET seq = :seq WHERE id = :id"));
    query.bindValue(QStringLiteral(":seq"), seq);
    query.bindValue(QStringLiteral(":id"), ruleId);
    QVERIFY(query.exec());
}

// The positions of all rules, by id in ascending order.
QList<int> seqs()
{
    QList<int> result;
    QSqlQuery query(QStringLiteral("SELECT seq FROM rules ORDER BY id"));
    while (query.next()) {
        result << query.value(0).toInt();
    }
    return result;
}

QList<int> appRows(int ruleId)
{
    QList<int> result;
    QSqlQuery query;
    query.prepare(QStringLiteral("SELECT app_id FROM rules_apps WHERE rule_id = :id ORDER BY rowid"));
    query.bindValue(QStringLiteral(":id"), ruleId);
    query.exec();
    while (query.next()) {
        result << query.value(0).toInt();
    }
    return result;
}

QList<int> activeIds()
{
    QList<int> ids;
    const QList<RuleMap> rules = RuleStore::loadActiveRules();
    for (const RuleMap &rule : rules) {
        ids << rule.value(QStringLiteral("id")).toInt();
    }
    return ids;
}
} // namespace

class TestRuleStore : public QObject
{
    Q_OBJECT

private:
    RuleTestDb m_db;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_db.open()); }
    void init() { RuleTestDb::reset(); }

    void firstRuleIsNumberOneAndLast()
    {
        QCOMPARE(RuleStore::proposedRuleName(), QStringLiteral("Rule #1"));
        const int first = addNamed(QStringLiteral("first"), {5, 2});
        QVERIFY(first > 0);
        QCOMPARE(seqs(), QList<int>{1});
        QCOMPARE(RuleStore::proposedRuleName(), QStringLiteral("Rule #2"));
        const int second = addNamed(QStringLiteral("second"), {2});
        QCOMPARE(seqs(), (QList<int>{1, 2}));
        QCOMPARE(appRows(first), (QList<int>{5, 2}));

        // The name is only a proposal: after removing the newest rule the number comes round
        // again although the database hands out a fresh id.
        RuleStore::removeRule(second);
        QCOMPARE(RuleStore::proposedRuleName(), QStringLiteral("Rule #2"));
        QVERIFY(addNamed(QStringLiteral("third"), {2}) > second);
    }

    void storedColumnsAndRuleMap()
    {
        const int id = RuleStore::addRule(QStringLiteral("it's \"odd\""), {7, 3}, QStringLiteral("regexp"),
                                          QStringLiteral("^mail'; DROP TABLE rules; --"), QStringLiteral("after"), From,
                                          QDate(), 11, 12);
        QCOMPARE(RuleTestDb::scalar(QStringLiteral("SELECT date_from FROM rules")).toString(),
                 QStringLiteral("2012-03-05"));
        QCOMPARE(RuleTestDb::scalar(QStringLiteral("SELECT date_to IS NOT NULL AND date_to = '' FROM rules")).toInt(),
                 1);
        QCOMPARE(RuleTestDb::scalar(QStringLiteral("SELECT active FROM rules")).toInt(), 1);

        const RuleMap rule = RuleStore::loadRule(id);
        QCOMPARE(rule.value(QStringLiteral("name")).toString(), QStringLiteral("it's \"odd\""));
        QCOMPARE(rule.value(QStringLiteral("title")).toString(), QStringLiteral("^mail'; DROP TABLE rules; --"));
        QCOMPARE(rule.value(QStringLiteral("title_rule")).toString(), QStringLiteral("regexp"));
        QCOMPARE(rule.value(QStringLiteral("date_from")).typeId(), QMetaType::QDate);
        QCOMPARE(rule.value(QStringLiteral("date_from")).toDate(), From);
        QVERIFY(rule.value(QStringLiteral("date_to")).toDate().isNull());
        QCOMPARE(rule.value(QStringLiteral("project_id")).toInt(), 11);
        QCOMPARE(rule.value(QStringLiteral("task_id")).toInt(), 12);
        QCOMPARE(rule.value(QStringLiteral("seq")).toInt(), 1);
        QCOMPARE(rule.value(QStringLiteral("active")).toInt(), 1);
        QStringList apps = rule.value(QStringLiteral("app_ids")).toStringList();
        apps.sort();
        QCOMPARE(apps, (QStringList{QStringLiteral("3"), QStringLiteral("7")}));

        QVERIFY(RuleStore::loadRule(id + 1).isEmpty());

        const QList<RuleMap> active = RuleStore::loadActiveRules();
        QCOMPARE(active.size(), 1);
        QCOMPARE(active.first().value(QStringLiteral("id")).typeId(), QMetaType::Int);
        QCOMPARE(active.first().value(QStringLiteral("id")).toInt(), id);
    }

    void activeRulesInOrderWithApplications()
    {
        const int a = addNamed(QStringLiteral("a"), {1});
        const int b = addNamed(QStringLiteral("b"), {1, 2});
        const int c = addNamed(QStringLiteral("c"), {2});
        const int noApps = addNamed(QStringLiteral("no apps"), {});
        setSeq(a, 5);
        QCOMPARE(activeIds(), (QList<int>{b, c, a}));

        RuleStore::activateRule(c, false);
        QCOMPARE(RuleTestDb::scalar(QStringLiteral("SELECT active FROM rules WHERE id = %1").arg(c)).toInt(), 0);
        QCOMPARE(activeIds(), (QList<int>{b, a}));
        RuleStore::activateRule(c, true);
        QCOMPARE(activeIds(), (QList<int>{b, c, a}));

        // Listed (the list dialog reads `rules` alone) but never applied.
        QCOMPARE(RuleTestDb::scalar(QStringLiteral("SELECT COUNT(*) FROM rules")).toInt(), 4);
        QVERIFY(!activeIds().contains(noApps));
    }

    void moveRule_data()
    {
        QTest::addColumn<QList<int>>("before");
        QTest::addColumn<int>("moved");
        QTest::addColumn<int>("delta");
        QTest::addColumn<QList<int>>("after");

        QTest::newRow("first up from 1 goes to 0") << QList<int>{1, 2} << 0 << -1 << QList<int>{0, 2};
        QTest::newRow("first up from 0 stays") << QList<int>{0, 2} << 0 << -1 << QList<int>{0, 2};
        QTest::newRow("last down stays") << QList<int>{1, 2} << 1 << 1 << QList<int>{1, 2};
        QTest::newRow("down swaps") << QList<int>{1, 2, 3} << 0 << 1 << QList<int>{2, 1, 3};
        QTest::newRow("up across a gap") << QList<int>{1, 4, 9} << 2 << -1 << QList<int>{1, 9, 4};
        QTest::newRow("down across a gap") << QList<int>{1, 4, 9} << 0 << 1 << QList<int>{4, 1, 9};
        QTest::newRow("onto a shared position") << QList<int>{1, 2, 2} << 0 << 1 << QList<int>{2, 1, 1};
        QTest::newRow("by more than one") << QList<int>{1, 2, 3} << 2 << -2 << QList<int>{3, 2, 1};
        QTest::newRow("zero delta") << QList<int>{1, 2} << 1 << 0 << QList<int>{1, 2};
    }

    void moveRule()
    {
        QFETCH(QList<int>, before);
        QFETCH(int, moved);
        QFETCH(int, delta);
        QFETCH(QList<int>, after);

        QList<int> ids;
        for (int seq : std::as_const(before)) {
            ids << addNamed(QStringLiteral("r"), {1});
            setSeq(ids.last(), seq);
        }
        RuleStore::moveRule(ids.at(moved), delta);
        QCOMPARE(seqs(), after);
    }

    void moveUnknownRuleChangesNothing()
    {
        addNamed(QStringLiteral("a"), {1});
        addNamed(QStringLiteral("b"), {1});
        RuleStore::moveRule(99, -1);
        QCOMPARE(seqs(), (QList<int>{1, 2}));
    }

    void duplicateOfInactiveRuleIsActiveAndLast()
    {
        const int original = addNamed(QStringLiteral("Mail"), {4, 6});
        addNamed(QStringLiteral("other"), {1});
        RuleStore::activateRule(original, false);

        const int copy = RuleStore::duplicateRule(original);
        QVERIFY(copy > 0);
        const RuleMap rule = RuleStore::loadRule(copy);
        QCOMPARE(rule.value(QStringLiteral("name")).toString(), QStringLiteral("Copy of Mail"));
        QCOMPARE(rule.value(QStringLiteral("active")).toInt(), 1);
        QCOMPARE(rule.value(QStringLiteral("seq")).toInt(), 3);
        QCOMPARE(rule.value(QStringLiteral("date_rule")).toString(), QStringLiteral("between"));
        QCOMPARE(rule.value(QStringLiteral("date_to")).toDate(), To);
        QCOMPARE(rule.value(QStringLiteral("task_id")).toInt(), 4);
        QList<int> apps = appRows(copy);
        std::sort(apps.begin(), apps.end());
        QCOMPARE(apps, (QList<int>{4, 6}));
        QCOMPARE(RuleStore::duplicateRule(999), 0);
    }

    void duplicateOfRuleWithoutApplicationsKeepsItsFields()
    {
        const int original = addNamed(QStringLiteral("Lonely"), {});
        const int copy = RuleStore::duplicateRule(original);
        QVERIFY(copy > 0);
        RuleFields fields;
        QVERIFY(RuleStore::loadRuleFields(copy, &fields));
        QCOMPARE(fields.name, QStringLiteral("Copy of Lonely"));
        QCOMPARE(fields.title, QStringLiteral("report"));
        QCOMPARE(fields.dateFrom, From);
        QVERIFY(fields.appIds.isEmpty());
    }

    void updateKeepsOrderAndActivity()
    {
        const int a = addNamed(QStringLiteral("a"), {1, 2});
        const int b = addNamed(QStringLiteral("b"), {3});
        RuleStore::activateRule(a, false);
        const RuleFields changed{QStringLiteral("renamed"),
                                 {9, 8},
                                 QStringLiteral("exact"),
                                 QStringLiteral("Inbox"),
                                 QStringLiteral("before"),
                                 QDate(2013, 1, 2),
                                 QDate(2013, 2, 3),
                                 21,
                                 22};
        QVERIFY(RuleStore::updateRule(a, changed));

        RuleFields stored;
        QVERIFY(RuleStore::loadRuleFields(a, &stored));
        QCOMPARE(stored, changed);
        QCOMPARE(seqs(), (QList<int>{1, 2}));
        QCOMPARE(RuleTestDb::scalar(QStringLiteral("SELECT active FROM rules WHERE id = %1").arg(a)).toInt(), 0);
        QCOMPARE(appRows(b), QList<int>{3});
        QVERIFY(!RuleStore::loadRuleFields(99, &stored));
    }

    void failingUpdateLeavesApplications()
    {
        const int a = addNamed(QStringLiteral("a"), {1, 2});
        QVERIFY(RuleTestDb::exec(
            QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON rules BEGIN SELECT RAISE(ABORT, 'refused'); END")));
        QVERIFY(!RuleStore::updateRule(a, QStringLiteral("new"), {7}, QStringLiteral("or"), QString(),
                                       QStringLiteral("always"), From, To, 0, 0));
        QCOMPARE(appRows(a), (QList<int>{1, 2}));
        QCOMPARE(RuleTestDb::scalar(QStringLiteral("SELECT name FROM rules")).toString(), QStringLiteral("a"));
    }

    void failingDeleteInsertsNoApplications()
    {
        const int a = addNamed(QStringLiteral("a"), {1, 2});
        QVERIFY(RuleTestDb::exec(QStringLiteral(
            "CREATE TRIGGER refuse BEFORE DELETE ON rules_apps BEGIN SELECT RAISE(ABORT, 'refused'); END")));
        QVERIFY(!RuleStore::updateRule(a, QStringLiteral("new"), {7}, QStringLiteral("or"), QString(),
                                       QStringLiteral("always"), From, To, 0, 0));
        QCOMPARE(appRows(a), (QList<int>{1, 2}));
    }

    void failingInsertWritesNoApplications()
    {
        QVERIFY(RuleTestDb::exec(QStringLiteral("DROP TABLE rules")));
        QCOMPARE(addNamed(QStringLiteral("a"), {1}), 0);
        QCOMPARE(RuleTestDb::scalar(QStringLiteral("SELECT COUNT(*) FROM rules_apps")).toInt(), 0);
        QCOMPARE(RuleStore::proposedRuleName(), QStringLiteral("Rule #1"));
        QVERIFY(RuleStore::loadActiveRules().isEmpty());
    }

    void removeDeletesApplicationRows()
    {
        const int a = addNamed(QStringLiteral("a"), {1, 2});
        const int b = addNamed(QStringLiteral("b"), {1});
        RuleStore::removeRule(a);
        QVERIFY(RuleStore::loadRule(a).isEmpty());
        QVERIFY(appRows(a).isEmpty());
        QCOMPARE(appRows(b), QList<int>{1});
    }

    void presetsOfTheThreeEntryPoints()
    {
        const QDate day(2012, 3, 9);
        addNamed(QStringLiteral("existing"), {1});

        const RuleFields fresh = RuleStore::newRule({4, 5}, QStringLiteral("budget \"Q3 plan\""), day, 7, 8);
        QCOMPARE(fresh, (RuleFields{QStringLiteral("Rule #2"),
                                    {4, 5},
                                    QStringLiteral("and"),
                                    QStringLiteral("budget \"Q3 plan\""),
                                    QStringLiteral("after"),
                                    day,
                                    day,
                                    7,
                                    8}));

        const RuleFields fromEntry = RuleStore::newRuleFromEntry(4, QStringLiteral("Inbox"), day, 0, 0);
        QCOMPARE(fromEntry, (RuleFields{QStringLiteral("Rule #2"),
                                        {4},
                                        QStringLiteral("exact"),
                                        QStringLiteral("Inbox"),
                                        QStringLiteral("after"),
                                        day,
                                        day,
                                        0,
                                        0}));

        const RuleFields fromApp = RuleStore::newRuleFromApp(5, day, 1, 2);
        QCOMPARE(fromApp, (RuleFields{QStringLiteral("Rule #2"),
                                      {5},
                                      QStringLiteral("or"),
                                      QString(),
                                      QStringLiteral("after"),
                                      day,
                                      day,
                                      1,
                                      2}));
    }
};

QTEST_GUILESS_MAIN(TestRuleStore)
#include "tst_rulestore.moc"
