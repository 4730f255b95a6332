#include "rulematcher.h"

#include <QTest>

namespace {
const QDate From(2012, 3, 5);
const QDate To(2012, 3, 7);

RuleMap makeRule(const QString &titleRule, const QString &title, const QString &dateRule, const QDate &from = From,
                 const QDate &to = To, const QStringList &apps = {QStringLiteral("3"), QStringLiteral("12")})
{
    return RuleMap{{QStringLiteral("title_rule"), titleRule}, {QStringLiteral("title"), title},
                   {QStringLiteral("date_rule"), dateRule},   {QStringLiteral("date_from"), from},
                   {QStringLiteral("date_to"), to},           {QStringLiteral("app_ids"), apps},
                   {QStringLiteral("task_id"), 10},           {QStringLiteral("active"), 1}};
}

bool matches(const RuleMap &rule, const QString &title, const QDate &day = From, const char *app = "12")
{
    return RuleMatcher::ruleMatches(rule, title, QLatin1String(app), QDateTime(day, QTime(0, 0)));
}

void titleRow(const char *name, const char *kind, const char *text, const char *title, bool match)
{
    QTest::newRow(name) << QString::fromUtf8(kind) << QString::fromUtf8(text) << QString::fromUtf8(title) << match;
}

void dateRow(const char *name, const char *kind, const QDate &day, bool match, const QDate &from = From,
             const QDate &to = To)
{
    QTest::newRow(name) << QString::fromUtf8(kind) << day << match << from << to;
}
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
        QTest::addColumn<bool>("match");

        titleRow("and: all words, case ignored", "and", "report \"Q3 plan\"", "Weekly report - Q3 Plan.doc", true);
        titleRow("and: phrase must stay whole", "and", "report \"Q3 plan\"", "report Q3 - plan", false);
        titleRow("or: one word is enough", "or", "budget inbox", "Mail - Inbox", true);
        titleRow("exact: same text", "exact", "Inbox", "Inbox", true);
        titleRow("exact: case counts", "exact", "Inbox", "inbox", false);
        titleRow("regexp: anchored, case ignored", "regexp", "^mail", "Mail - Inbox", true);
        titleRow("regexp: invalid never matches", "regexp", "(unclosed", "(unclosed", false);
        titleRow("empty text with or", "or", "", "whatever", true);
        titleRow("empty text with exact", "exact", "", "whatever", true);
    }

    void title()
    {
        QFETCH(QString, titleRule);
        QFETCH(QString, text);
        QFETCH(QString, title);
        QTEST(matches(makeRule(titleRule, text, QStringLiteral("always")), title), "match");
    }

    void date_data()
    {
        QTest::addColumn<QString>("dateRule");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<bool>("match");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");

        dateRow("between: day before", "between", From.addDays(-1), false);
        dateRow("between: first day", "between", From, true);
        dateRow("between: last day", "between", To, true);
        dateRow("between: day after", "between", To.addDays(1), false);
        dateRow("before: last day", "before", To, true);
        dateRow("before: day after", "before", To.addDays(1), false);
        dateRow("after: first day", "after", From, true);
        dateRow("after: day before", "after", From.addDays(-1), false);
        dateRow("after without first day", "after", To, false, QDate(), To);
        dateRow("before without last day", "before", From, false, From, QDate());
    }

    void date()
    {
        QFETCH(QString, dateRule);
        QFETCH(QDate, day);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QTEST(matches(makeRule(QStringLiteral("or"), QString(), dateRule, from, to), QStringLiteral("t"), day),
              "match");
    }

    void applicationMustBeListed()
    {
        const RuleMap rule = makeRule(QStringLiteral("or"), QString(), QStringLiteral("always"));
        QVERIFY(matches(rule, QStringLiteral("t"), From, "3"));
        QVERIFY(!matches(rule, QStringLiteral("t"), From, "03"));
        QVERIFY(!matches(makeRule(QStringLiteral("or"), QString(), QStringLiteral("always"), From, To, {}),
                         QStringLiteral("t")));
    }
};

QTEST_GUILESS_MAIN(TestRuleMatcher)
#include "tst_rulematcher.moc"
