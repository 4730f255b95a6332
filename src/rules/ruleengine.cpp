#include "ruleengine.h"

#include "linkingservice.h"
#include "messagebox.h"
#include "settings.h"
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

    // The catalogue lists open tasks only: a task missing from it is completed or gone. Without a
    // catalogue nothing can be told, and the service judges each batch.
    const QVariantMap openTasks = Settings::instance()->value(QStringLiteral("mapTaskNames")).toMap();
    m_notes.clear();
    const TaskBatches batches = planBatches(
        rules, loadGroups(from, to),
        [&openTasks](const QString &taskId) { return openTasks.isEmpty() || openTasks.contains(taskId); }, &m_notes);

    int progress = 0;
    Q_EMIT progressStarted(int(batches.size()) + 2);
    Q_EMIT progressChanged(progress);
    for (auto batch = batches.cbegin(); batch != batches.cend(); ++batch) {
        if (!m_linking->connectEntriesWithTask(batch.value(), batch.key().taskId, QString())) {
            qDebug() << "apply rules: linking failed for task" << batch.key().taskId << "on" << batch.key().day;
        }
        Q_EMIT progressChanged(++progress);
    }

    Q_EMIT reloadUnlinkedView();
    Q_EMIT progressChanged(++progress);
    Q_EMIT reloadLinkedView();
    Q_EMIT progressChanged(++progress);
    Q_EMIT progressFinished();
    if (!m_notes.isEmpty()) {
        Q_EMIT runNotesReady(m_notes);
    }
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

TaskBatches RuleEngine::planBatches(const QList<RuleMatcher> &rules, const QList<EntryGroup> &groups,
                                    const std::function<bool(const QString &)> &taskUsable, QStringList *notes)
{
    // Each group is only tested against the rules of its application, still in rule order, so the
    // first match is the same as when walking through all rules.
    QHash<QString, QList<const RuleMatcher *>> rulesByApp;
    for (const RuleMatcher &rule : rules) {
        for (const QString &appId : rule.appIds()) {
            rulesByApp[appId] << &rule;
        }
    }

    TaskBatches batches;
    QMap<int, qsizetype> skipped; // rule position -> entries it left unlinked
    for (const EntryGroup &group : groups) {
        const auto candidates = rulesByApp.constFind(group.applicationId);
        if (candidates == rulesByApp.cend()) {
            continue;
        }
        for (const RuleMatcher *rule : candidates.value()) {
            if (rule->matchesDayAndTitle(group.title, group.day)) {
                if (taskUsable && !taskUsable(rule->taskId())) {
                    skipped[int(rule - rules.constData())] += group.entryIds.size();
                } else {
                    batches[BatchKey{rule->taskId(), group.day}] << group.entryIds;
                }
                break;
            }
        }
    }
    if (notes) {
        for (auto it = skipped.cbegin(); it != skipped.cend(); ++it) {
            const RuleMatcher &rule = rules.at(it.key());
            *notes << QStringLiteral("Rule \"%1\" was skipped: its task is completed or no longer known to Tavro "
                                     "(%2 %3 left unlinked).")
                          .arg(rule.name())
                          .arg(it.value())
                          .arg(it.value() == 1 ? QStringLiteral("entry") : QStringLiteral("entries"));
        }
    }
    return batches;
}
