#include "rulestore.h"
#include "ruletestdb.h"

#include <QTest>

namespace {
// The first column of every row of `sql`, as integers.
QList<int> column(const QString &sql)
{
    QList<int> result;
    QSqlQuery query(sql);
    while (query.next()) {
        result << query.value(0).toInt();
    }
    return result;
}

QList<int> seqs()
{
    return column(QStringLiteral("SELECT seq FROM rules ORDER BY id"));
}

QList<int> appRows(int ruleId)
{
    return column(QStringLiteral("SELECT app_id FROM rules_apps WHERE rule_id = %1 ORDER BY rowid").arg(ruleId));
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

void setSeq(int ruleId, int seq)
{
    QVERIFY(RuleTestDb::exec(QStringLiteral("UPDATE rules SET seq = %1 WHERE id = %2").arg(seq).arg(ruleId)));
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

    void newRulesAreNumberedAndLast()
    {
        QCOMPARE(RuleStore::proposedRuleName(), QStringLiteral("Rule #1"));
        const int first = RuleTestDb::addRule({5, 2});
        QCOMPARE(seqs(), QList<int>{1});
        const int second = RuleTestDb::addRule({2});
        QCOMPARE(seqs(), (QList<int>{1, 2}));
        QCOMPARE(appRows(first), (QList<int>{5, 2}));

        RuleStore::removeRule(first);
        QVERIFY(RuleStore::loadRule(first).isEmpty());
        QVERIFY(appRows(first).isEmpty());
        QCOMPARE(appRows(second), QList<int>{2});
        QCOMPARE(RuleStore::proposedRuleName(), QStringLiteral("Rule #3"));
    }

    void activeRulesInOrderWithApplications()
    {
        const int a = RuleTestDb::addRule({1});
        const int b = RuleTestDb::addRule({1, 2});
        const int c = RuleTestDb::addRule({2});
        const int noApps = RuleTestDb::addRule({});
        setSeq(a, 5);
        QCOMPARE(activeIds(), (QList<int>{b, c, a}));
        RuleStore::activateRule(c, false);
        QCOMPARE(activeIds(), (QList<int>{b, a}));
        // Listed (the list dialog reads `rules` alone) but never applied.
        QVERIFY(!RuleStore::loadRule(noApps).isEmpty());
        QVERIFY(!activeIds().contains(noApps));
    }

    void moveRule_data()
    {
        QTest::addColumn<QList<int>>("before");
        QTest::addColumn<int>("moved"); // -1: a rule that does not exist
        QTest::addColumn<int>("delta");
        QTest::addColumn<QList<int>>("after");

        QTest::newRow("first up from 1 goes to 0") << QList<int>{1, 2} << 0 << -1 << QList<int>{0, 2};
        QTest::newRow("first up from 0 stays") << QList<int>{0, 2} << 0 << -1 << QList<int>{0, 2};
        QTest::newRow("last down stays") << QList<int>{1, 2} << 1 << 1 << QList<int>{1, 2};
        QTest::newRow("up across a gap") << QList<int>{1, 4, 9} << 2 << -1 << QList<int>{1, 9, 4};
        QTest::newRow("down across a gap") << QList<int>{1, 4, 9} << 0 << 1 << QList<int>{4, 1, 9};
        QTest::newRow("onto a shared position") << QList<int>{1, 2, 2} << 0 << 1 << QList<int>{2, 1, 1};
        QTest::newRow("by more than one") << QList<int>{1, 2, 3} << 2 << -2 << QList<int>{3, 2, 1};
        QTest::newRow("unknown rule") << QList<int>{1, 2} << -1 << -1 << QList<int>{1, 2};
    }

    void moveRule()
    {
        QFETCH(QList<int>, before);
        QFETCH(int, moved);
        QFETCH(int, delta);
        QList<int> ids;
        for (int seq : std::as_const(before)) {
            ids << RuleTestDb::addRule({1});
            setSeq(ids.last(), seq);
        }
        RuleStore::moveRule(moved < 0 ? 99 : ids.at(moved), delta);
        QTEST(seqs(), "after");
    }

    void duplicateIsActiveAndLast_data()
    {
        QTest::addColumn<QList<int>>("apps");
        QTest::newRow("with applications") << QList<int>{4, 6};
        QTest::newRow("without applications") << QList<int>{};
    }

    void duplicateIsActiveAndLast()
    {
        QFETCH(QList<int>, apps);
        const int original =
            RuleTestDb::addRule(apps, 4, QStringLiteral("and"), QStringLiteral("x"), QStringLiteral("Mail"));
        RuleTestDb::addRule({1});
        RuleStore::activateRule(original, false);

        const int copy = RuleStore::duplicateRule(original);
        RuleFields expected;
        RuleFields stored;
        QVERIFY(RuleStore::loadRuleFields(original, &expected));
        QVERIFY(RuleStore::loadRuleFields(copy, &stored));
        expected.name = QStringLiteral("Copy of Mail");
        QCOMPARE(stored, expected);
        const RuleMap rule = RuleStore::loadRule(copy);
        QCOMPARE(rule.value(QStringLiteral("active")).toInt(), 1);
        QCOMPARE(rule.value(QStringLiteral("seq")).toInt(), 3);
        QCOMPARE(RuleStore::duplicateRule(999), 0);
    }

    void failingUpdateKeepsApplications_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::newRow("UPDATE fails") << "BEFORE UPDATE ON rules";
        QTest::newRow("DELETE fails") << "BEFORE DELETE ON rules_apps";
    }

    void failingUpdateKeepsApplications()
    {
        QFETCH(QString, trigger);
        const int a = RuleTestDb::addRule({1, 2});
        QVERIFY(RuleTestDb::exec(
            QStringLiteral("CREATE TRIGGER refuse %1 BEGIN SELECT RAISE(ABORT, 'no'); END").arg(trigger)));
        QVERIFY(!RuleStore::updateRule(a, QStringLiteral("new"), {7}, QStringLiteral("or"), QString(),
                                       QStringLiteral("always"), QDate(), QDate(), 0, 0));
        QCOMPARE(appRows(a), (QList<int>{1, 2}));
    }
};

QTEST_GUILESS_MAIN(TestRuleStore)
#include "tst_rulestore.moc"
