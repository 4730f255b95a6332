#include "rulematcher.h"

#include "searchterms.h"

#include <QCoreApplication>

namespace {
QRegularExpression titleRegexp(const QString &pattern)
{
    return QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption);
}
} // namespace

RuleMatcher::RuleMatcher(const RuleMap &rule)
{
    const QStringList appIds = rule.value(QStringLiteral("app_ids")).toStringList();
    m_appIds = QSet<QString>(appIds.cbegin(), appIds.cend());
    m_taskId = rule.value(QStringLiteral("task_id")).toString();
    m_name = rule.value(QStringLiteral("name")).toString();
    m_active = rule.value(QStringLiteral("active")).toBool();

    m_dateFrom = rule.value(QStringLiteral("date_from")).toDate();
    m_dateTo = rule.value(QStringLiteral("date_to")).toDate();
    const QString dateRule = rule.value(QStringLiteral("date_rule")).toString();
    if (dateRule == QLatin1String("after")) {
        m_dateRule = DateRule::After;
    } else if (dateRule == QLatin1String("between")) {
        m_dateRule = DateRule::Between;
    } else if (dateRule == QLatin1String("before")) {
        m_dateRule = DateRule::Before;
    }

    m_text = rule.value(QStringLiteral("title")).toString();
    if (m_text.isEmpty()) {
        return;
    }
    const QString titleRule = rule.value(QStringLiteral("title_rule")).toString();
    if (titleRule == QLatin1String("and")) {
        m_titleRule = TitleRule::AllWords;
        m_words = splitSearchTerms(m_text);
    } else if (titleRule == QLatin1String("or")) {
        m_titleRule = TitleRule::AnyWord;
        m_words = splitSearchTerms(m_text);
    } else if (titleRule == QLatin1String("exact")) {
        m_titleRule = TitleRule::Exact;
    } else if (titleRule == QLatin1String("regexp")) {
        m_titleRule = TitleRule::Regexp;
        m_regexp = titleRegexp(m_text);
        m_regexp.optimize();
    }
}

bool RuleMatcher::matches(const QString &title, const QString &appId, const QDate &day) const
{
    return m_appIds.contains(appId) && matchesDayAndTitle(title, day);
}

bool RuleMatcher::matchesDayAndTitle(const QString &title, const QDate &day) const
{
    return dateHolds(day) && titleHolds(title);
}

bool RuleMatcher::dateHolds(const QDate &day) const
{
    switch (m_dateRule) {
    case DateRule::After:
        return m_dateFrom.isValid() && day >= m_dateFrom;
    case DateRule::Between:
        return m_dateFrom.isValid() && m_dateTo.isValid() && day >= m_dateFrom && day <= m_dateTo;
    case DateRule::Before:
        return m_dateTo.isValid() && day <= m_dateTo;
    case DateRule::Always:
        break;
    }
    return true;
}

bool RuleMatcher::titleHolds(const QString &title) const
{
    switch (m_titleRule) {
    case TitleRule::AllWords:
        for (const QString &word : m_words) {
            if (!title.contains(word, Qt::CaseInsensitive)) {
                return false;
            }
        }
        return true;
    case TitleRule::AnyWord:
        for (const QString &word : m_words) {
            if (title.contains(word, Qt::CaseInsensitive)) {
                return true;
            }
        }
        return false;
    case TitleRule::Exact:
        return m_text.compare(title, Qt::CaseSensitive) == 0;
    case TitleRule::Regexp:
        return m_regexp.isValid() && m_regexp.match(title).hasMatch();
    case TitleRule::Anything:
        break;
    }
    return true;
}

bool RuleMatcher::ruleMatches(const RuleMap &rule, const QString &title, const QString &appId, const QDateTime &day)
{
    return RuleMatcher(rule).matches(title, appId, day.date());
}

QString RuleMatcher::regexpError(const QString &pattern)
{
    const QRegularExpression regexp = titleRegexp(pattern);
    if (regexp.isValid()) {
        return {};
    }
    return QCoreApplication::translate("RuleMatcher", "%1 at position %2")
        .arg(regexp.errorString())
        .arg(regexp.patternErrorOffset());
}
