#pragma once

#include "rulestore.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>

// One rule prepared for matching: its applications as a set, its date bounds, its title words
// and its regular expression, each worked out once per run instead of once per entry group.
class RuleMatcher
{
public:
    explicit RuleMatcher(const RuleMap &rule);

    // Whether an entry group of application `appId` with window title `title` started on `day`
    // is linked by this rule. A date condition whose date is missing never holds.
    bool matches(const QString &title, const QString &appId, const QDate &day) const;
    // The same without the application test, for callers that looked the rule up by application.
    bool matchesDayAndTitle(const QString &title, const QDate &day) const;

    const QSet<QString> &appIds() const { return m_appIds; }

    // The rule's task id as text: the key of the batch its matches go to.
    const QString &taskId() const { return m_taskId; }
    const QString &name() const { return m_name; }
    bool isActive() const { return m_active; }

    // One-off test of a rule map; `day` is the group's day at midnight.
    static bool ruleMatches(const RuleMap &rule, const QString &title, const QString &appId, const QDateTime &day);

    // Empty when `pattern` compiles as a title regular expression, else the reason it does not.
    static QString regexpError(const QString &pattern);

private:
    enum class TitleRule { Anything, AllWords, AnyWord, Exact, Regexp };
    enum class DateRule { Always, After, Between, Before };

    bool dateHolds(const QDate &day) const;
    bool titleHolds(const QString &title) const;

    QSet<QString> m_appIds;
    DateRule m_dateRule = DateRule::Always;
    QDate m_dateFrom;
    QDate m_dateTo;
    TitleRule m_titleRule = TitleRule::Anything;
    QString m_text;
    QStringList m_words;
    QRegularExpression m_regexp;
    QString m_taskId;
    QString m_name;
    bool m_active = false;
};
