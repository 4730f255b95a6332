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
        RuleTestDb::addRule({2});
        QCOMPARE(seqs(), (QList<int>{1, 2}));
        QCOMPARE(appRows(first), (QList<int>{5, 2}));
    }

    void activeRulesInOrderWithApplications()
    {
        const int a = RuleTestDb::addRule({1});
        const int b = RuleTestDb::addRule({1, 2});
        const int c = RuleTestDb::addRule({2});
        const int noApps = RuleTestDb::addRule({});
        setSeq(a, 5);
        RuleStore::activateRule(c, false);
        // The rule without applications is listed (the list dialog reads `rules` alone) but never applied.
        QCOMPARE(activeIds(), (QList<int>{b, a}));
        QVERIFY(!RuleStore::loadRule(noApps).isEmpty());
    }

    void moveRule_data()
    {
        QTest::addColumn<QList<int>>("before");
        QTest::addColumn<int>("moved");
        QTest::addColumn<int>("delta");
        QTest::addColumn<QList<int>>("after");

        QTest::newRow("first up from 1 goes to 0") << QList<int>{1, 2} << 0 << -1 << QList<int>{0, 2};
        QTest::newRow("first up from 0 stays") << QList<int>{0, 2} << 0 << -1 << QList<int>{0, 2};
        QTest::newRow("up across a gap") << QList<int>{1, 4, 9} << 2 << -1 << QList<int>{1, 9, 4};
        QTest::newRow("down across a gap") << QList<int>{1, 4, 9} << 0 << 1 << QList<int>{4, 1, 9};
        QTest::newRow("onto a shared position") << QList<int>{1, 2, 2} << 0 << 1 << QList<int>{2, 1, 1};
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
        RuleStore::moveRule(ids.at(moved), delta);
        QTEST(seqs(), "after");
    }

    void duplicateIsActiveAndLast()
    {
        const int original =
            RuleTestDb::addRule({4, 6}, 4, QStringLiteral("and"), QStringLiteral("x"), QStringLiteral("Mail"));
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
