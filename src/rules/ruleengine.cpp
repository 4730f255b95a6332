#include "ruleengine.h"

#include "linkingservice.h"
#include "messagebox.h"
#include "timetext.h"

#include <QDebug>
#include <QHash>
#include <QScopeGuard>
#include <algorithm>

RuleEngine::RuleEngine(LinkingService *linking, QObject *parent)
    : QObject(parent)
    , m_linking(linking)
    , m_messageParent(parent)
{}

bool RuleEngine::applyRules(const QDate &from, const QDate &to)
{
    if (m_running) {
        qDebug() << "apply rules: a run is already under way";
        return false;
    }
    m_running = true;
    Q_EMIT runningChanged(true);
    const auto stopRunning = qScopeGuard([this] {
        m_running = false;
        Q_EMIT runningChanged(false);
    });

    Q_EMIT runStarting();

    const QList<RuleMatcher> rules = prepareRules(RuleStore::loadActiveRules());
    const bool anyActive =
        std::any_of(rules.cbegin(), rules.cend(), [](const RuleMatcher &rule) { return rule.isActive(); });
    if (!anyActive) {
        MessageBox::information(m_messageParent, QStringLiteral("Information"), QStringLiteral("No rules to apply"));
        return false;
    }

    const TaskBatches batches = planBatches(rules, loadGroups(from, to));

    int progress = 0;
    Q_EMIT progressStarted(int(batches.size()) + 2);
    Q_EMIT progressChanged(progress);
    for (auto batch = batches.cbegin(); batch != batches.cend(); ++batch) {
        if (!m_linking->connectEntriesWithTask(batch.value(), batch.key(), QString())) {
            qDebug() << "apply rules: linking failed for task" << batch.key();
        }
        Q_EMIT progressChanged(++progress);
    }

    Q_EMIT reloadUnlinkedView();
    Q_EMIT progressChanged(++progress);
    Q_EMIT reloadLinkedView();
    Q_EMIT progressChanged(++progress);
    Q_EMIT progressFinished();
    return true;
}

QList<EntryGroup> RuleEngine::loadGroups(const QDate &from, const QDate &to, bool *ok)
{
    QList<EntryGroup> groups;
    const StoreResult loaded = EntryGroups::load(from, to, &groups);
    if (ok) {
        *ok = loaded.ok();
    }
    if (!loaded.ok()) {
        qDebug() << "apply rules: grouping failed: " << loaded.error();
    }
    return groups;
}

QList<RuleMatcher> RuleEngine::prepareRules(const QList<RuleMap> &rules)
{
    QList<RuleMatcher> prepared;
    prepared.reserve(rules.size());
    for (const RuleMap &rule : rules) {
        prepared << RuleMatcher(rule);
    }
    return prepared;
}

QList<int> RuleEngine::matchGroups(const QList<RuleMatcher> &rules, const QList<EntryGroup> &groups)
{
    // Each group is only tested against the rules of its application, still in rule order, so the
    // first match is the same as when walking through all rules.
    QHash<QString, QList<int>> rulesByApp;
    for (int index = 0; index < rules.size(); ++index) {
        for (const QString &appId : rules.at(index).appIds()) {
            rulesByApp[appId] << index;
        }
    }

    QList<int> matches;
    matches.reserve(groups.size());
    for (const EntryGroup &group : groups) {
        int match = -1;
        const auto candidates = rulesByApp.constFind(group.applicationId);
        if (candidates != rulesByApp.cend()) {
            for (int index : candidates.value()) {
                if (rules.at(index).matchesDayAndTitle(group.title, group.day)) {
                    match = index;
                    break;
                }
            }
        }
        matches << match;
    }
    return matches;
}

TaskBatches RuleEngine::planBatches(const QList<RuleMatcher> &rules, const QList<EntryGroup> &groups)
{
    const QList<int> matches = matchGroups(rules, groups);
    TaskBatches batches;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        if (matches.at(i) >= 0) {
            batches[rules.at(matches.at(i)).taskId()] << groups.at(i).entryIds;
        }
    }
    return batches;
}
