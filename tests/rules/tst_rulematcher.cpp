#include "rulematcher.h"

#include <QTest>

namespace {
RuleMap makeRule(const QString &titleRule, const QString &title, const QString &dateRule = QStringLiteral("always"),
                 const QDate &from = QDate(), const QDate &to = QDate(),
                 const QStringList &apps = {QStringLiteral("1")})
{
    return RuleMap{{QStringLiteral("id"), 1},           {QStringLiteral("title_rule"), titleRule},
                   {QStringLiteral("title"), title},    {QStringLiteral("date_rule"), dateRule},
                   {QStringLiteral("date_from"), from}, {QStringLiteral("date_to"), to},
                   {QStringLiteral("task_id"), 10},     {QStringLiteral("active"), 1},
                   {QStringLiteral("app_ids"), apps}};
}

QDateTime midnight(const QDate &day)
{
    return QDateTime(day, QTime(0, 0));
}

const QDateTime AnyDay = midnight(QDate(2012, 3, 6));
} // namespace

class TestRuleMatcher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void title_data()
    {
        QTest::addColumn<QString>("titleRule");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("matches");

        const QString report = QStringLiteral("report \"Q3 plan\"");
        QTest::newRow("and: all words, case ignored") << "and" << report << "Weekly report - Q3 Plan.doc" << true;
        QTest::newRow("and: a word missing") << "and" << report << "Q3 Plan.doc" << false;
        QTest::newRow("and: phrase must stay whole") << "and" << report << "report Q3 - plan" << false;
        QTest::newRow("or: one word is enough") << "or"
                                                << "budget inbox"
                                                << "Mail - Inbox" << true;
        QTest::newRow("or: no word") << "or"
                                     << "budget report"
                                     << "Mail - Inbox" << false;
        QTest::newRow("or: text without words") << "or"
                                                << "\""
                                                << "anything" << false;
        QTest::newRow("and: text without words") << "and"
                                                 << "\""
                                                 << "anything" << true;
        QTest::newRow("exact: same text") << "exact"
                                          << "Inbox"
                                          << "Inbox" << true;
        QTest::newRow("exact: case counts") << "exact"
                                            << "Inbox"
                                            << "inbox" << false;
        QTest::newRow("exact: part is not enough") << "exact"
                                                   << "Inbox"
                                                   << "Inbox (3)" << false;
        QTest::newRow("regexp: anchored, case ignored") << "regexp"
                                                        << "^mail"
                                                        << "Mail - Inbox" << true;
        QTest::newRow("regexp: anchor fails") << "regexp"
                                              << "^mail"
                                              << "My mail" << false;
        QTest::newRow("regexp: anywhere") << "regexp"
                                          << "in[bg]ox"
                                          << "Mail - INBOX" << true;
        QTest::newRow("regexp: invalid never matches") << "regexp"
                                                       << "(unclosed"
                                                       << "(unclosed" << false;
        QTest::newRow("regexp: invalid, empty title") << "regexp"
                                                      << "["
                                                      << "" << false;
        QTest::newRow("empty text with or") << "or"
                                            << ""
                                            << "whatever" << true;
        QTest::newRow("empty text with exact") << "exact"
                                               << ""
                                               << "whatever" << true;
        QTest::newRow("empty text with invalid kind") << "regexp"
                                                      << ""
                                                      << "" << true;
        QTest::newRow("unknown kind always") << "fuzzy"
                                             << "zzz"
                                             << "abc" << true;
    }

    void title()
    {
        QFETCH(QString, titleRule);
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(bool, matches);
        QCOMPARE(RuleMatcher::ruleMatches(makeRule(titleRule, text), title, QStringLiteral("1"), AnyDay), matches);
    }

    void date_data()
    {
        QTest::addColumn<QString>("dateRule");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<bool>("matches");

        QTest::newRow("between: before first day") << "between" << QDate(2012, 3, 4) << false;
        QTest::newRow("between: first day") << "between" << QDate(2012, 3, 5) << true;
        QTest::newRow("between: middle") << "between" << QDate(2012, 3, 6) << true;
        QTest::newRow("between: last day") << "between" << QDate(2012, 3, 7) << true;
        QTest::newRow("between: day after") << "between" << QDate(2012, 3, 8) << false;
        QTest::newRow("before: last day") << "before" << QDate(2012, 3, 7) << true;
        QTest::newRow("before: long before") << "before" << QDate(2001, 1, 1) << true;
        QTest::newRow("before: day after") << "before" << QDate(2012, 3, 8) << false;
        QTest::newRow("after: first day") << "after" << QDate(2012, 3, 5) << true;
        QTest::newRow("after: later") << "after" << QDate(2030, 3, 5) << true;
        QTest::newRow("after: day before") << "after" << QDate(2012, 3, 4) << false;
        QTest::newRow("always") << "always" << QDate(1999, 1, 1) << true;
        QTest::newRow("unknown rule holds") << "sometimes" << QDate(1999, 1, 1) << true;
    }

    void date()
    {
        QFETCH(QString, dateRule);
        QFETCH(QDate, day);
        QFETCH(bool, matches);
        const RuleMap rule = makeRule(QStringLiteral("or"), QString(), dateRule, QDate(2012, 3, 5), QDate(2012, 3, 7));
        QCOMPARE(RuleMatcher::ruleMatches(rule, QStringLiteral("t"), QStringLiteral("1"), midnight(day)), matches);
    }

    void missingDateNeverHolds_data()
    {
        QTest::addColumn<QString>("dateRule");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::newRow("after without first day") << "after" << QDate() << QDate(2012, 3, 7);
        QTest::newRow("before without last day") << "before" << QDate(2012, 3, 5) << QDate();
        QTest::newRow("between without last day") << "between" << QDate(2012, 3, 5) << QDate();
        QTest::newRow("between without first day") << "between" << QDate() << QDate(2012, 3, 7);
    }

    void missingDateNeverHolds()
    {
        QFETCH(QString, dateRule);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        const RuleMap rule = makeRule(QStringLiteral("or"), QString(), dateRule, from, to);
        QVERIFY(!RuleMatcher::ruleMatches(rule, QStringLiteral("t"), QStringLiteral("1"), AnyDay));
    }

    void applicationMustBeListed()
    {
        const RuleMap rule = makeRule(QStringLiteral("or"), QString(), QStringLiteral("always"), QDate(), QDate(),
                                      {QStringLiteral("3"), QStringLiteral("12")});
        QVERIFY(RuleMatcher::ruleMatches(rule, QStringLiteral("t"), QStringLiteral("12"), AnyDay));
        QVERIFY(RuleMatcher::ruleMatches(rule, QStringLiteral("t"), QStringLiteral("3"), AnyDay));
        QVERIFY(!RuleMatcher::ruleMatches(rule, QStringLiteral("t"), QStringLiteral("1"), AnyDay));
        QVERIFY(!RuleMatcher::ruleMatches(rule, QStringLiteral("t"), QStringLiteral("03"), AnyDay));

        const RuleMap noApps =
            makeRule(QStringLiteral("or"), QString(), QStringLiteral("always"), QDate(), QDate(), {});
        QVERIFY(!RuleMatcher::ruleMatches(noApps, QStringLiteral("t"), QStringLiteral("1"), AnyDay));
    }

    void preparedRuleKeepsTaskAndActivity()
    {
        RuleMap rule = makeRule(QStringLiteral("and"), QStringLiteral("x"));
        QCOMPARE(RuleMatcher(rule).taskId(), QStringLiteral("10"));
        QVERIFY(RuleMatcher(rule).isActive());
        rule.insert(QStringLiteral("active"), 0);
        QVERIFY(!RuleMatcher(rule).isActive());
    }

    void regexpError()
    {
        QVERIFY(RuleMatcher::regexpError(QStringLiteral("^mail")).isEmpty());
        QVERIFY(RuleMatcher::regexpError(QString()).isEmpty());
        const QString error = RuleMatcher::regexpError(QStringLiteral("(unclosed"));
        QVERIFY(!error.isEmpty());
        QVERIFY2(error.contains(QStringLiteral("position")), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestRuleMatcher)
#include "tst_rulematcher.moc"
