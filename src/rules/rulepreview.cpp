#include "rulepreview.h"

#include "rulematcher.h"

RulePreview RulePreview::forRange(const QList<RuleMap> &rules, const QDate &from, const QDate &to)
{
    return compute(rules, RuleEngine::loadGroups(from, to));
}

RulePreview RulePreview::compute(const QList<RuleMap> &rules, const QList<EntryGroup> &groups,
                                 const std::function<bool(const QString &)> &taskUsable)
{
    const QList<RuleMatcher> matchers = RuleEngine::prepareRules(rules);
    const QList<int> matches = RuleEngine::matchGroups(matchers, groups);

    RulePreview preview;
    preview.batches = RuleEngine::planBatches(matchers, groups, taskUsable, &preview.notes);
    for (const RuleMap &rule : rules) {
        RuleResult result;
        result.ruleId = rule.value(QStringLiteral("id")).toInt();
        result.name = rule.value(QStringLiteral("name")).toString();
        result.taskId = rule.value(QStringLiteral("task_id")).toString();
        preview.rules << result;
    }
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const EntryGroup &group = groups.at(i);
        if (matches.at(i) < 0) {
            preview.unmatched << group;
            preview.unmatchedSeconds += group.seconds;
            continue;
        }
        RuleResult &result = preview.rules[matches.at(i)];
        if (taskUsable && !taskUsable(result.taskId)) {
            preview.skipped << group;
            preview.skippedSeconds += group.seconds;
            continue;
        }
        result.groups << group;
        result.seconds += group.seconds;
        preview.taskSeconds[result.taskId] += group.seconds;
    }
    return preview;
}

QList<RuleMap> RulePreview::withEditedRule(const QList<RuleMap> &active, int ruleId, const RuleFields &edited)
{
    RuleMap rule;
    rule.insert(QStringLiteral("id"), ruleId);
    rule.insert(QStringLiteral("name"), edited.name);
    rule.insert(QStringLiteral("title_rule"), edited.titleRule);
    rule.insert(QStringLiteral("title"), edited.title);
    rule.insert(QStringLiteral("date_rule"), edited.dateRule);
    rule.insert(QStringLiteral("date_from"), edited.dateFrom);
    rule.insert(QStringLiteral("date_to"), edited.dateTo);
    rule.insert(QStringLiteral("project_id"), edited.projectId);
    rule.insert(QStringLiteral("task_id"), edited.taskId);
    rule.insert(QStringLiteral("active"), true);
    QStringList appIds;
    for (int appId : edited.appIds) {
        appIds << QString::number(appId);
    }
    rule.insert(QStringLiteral("app_ids"), appIds);

    QList<RuleMap> rules = active;
    for (RuleMap &stored : rules) {
        if (ruleId != 0 && stored.value(QStringLiteral("id")).toInt() == ruleId) {
            stored = rule;
            return rules;
        }
    }
    rules << rule;
    return rules;
}
