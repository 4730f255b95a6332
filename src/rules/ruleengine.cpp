#include "ruleengine.h"

#include "linkingservice.h"
#include "logging.h"
#include "messagebox.h"
#include "projectscatalogue.h"
#include "rulepreview.h"
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
        qCDebug(lcRules) << "apply rules: a run is already under way";
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

    // The preview's plan is the run's plan: both decide every group the same way.
    const QList<EntryGroup> groups = loadGroups(from, to);
    const RulePreview plan = RulePreview::compute(RuleStore::loadActiveRules(), groups);
    m_result = RuleRunResult();
    m_result.notes = plan.notes;
    const TaskBatches &batches = plan.batches;
    // A group goes to one task as a whole: its time is counted with its first entry.
    QHash<QString, qint64> secondsByFirstId;
    for (const EntryGroup &group : groups) {
        if (!group.entryIds.isEmpty()) {
            secondsByFirstId.insert(group.entryIds.first(), group.seconds);
        }
    }

    int progress = 0;
    Q_EMIT progressStarted(int(batches.size()) + 2);
    Q_EMIT progressChanged(progress);
    for (auto batch = batches.cbegin(); batch != batches.cend(); ++batch) {
        RuleRunResult::Batch done{batch.key().taskId, batch.key().day, int(batch.value().size()), 0, false};
        for (const QString &id : batch.value()) {
            done.seconds += secondsByFirstId.value(id);
        }
        done.linked = m_linking->connectEntriesWithTask(batch.value(), batch.key().taskId, QString());
        if (!done.linked) {
            qCDebug(lcRules) << "apply rules: linking failed for task" << batch.key().taskId << "on" << batch.key().day;
        }
        m_result.batches << done;
        Q_EMIT progressChanged(++progress);
    }

    Q_EMIT reloadUnlinkedView();
    Q_EMIT progressChanged(++progress);
    Q_EMIT reloadLinkedView();
    Q_EMIT progressChanged(++progress);
    Q_EMIT progressFinished();
    MessageBox::information(m_messageParent, QStringLiteral("Apply Rules"),
                            m_result.summary(ProjectsCatalogue::shared()));
    return true;
}

QString RuleRunResult::summary(const ProjectsCatalogue &catalogue) const
{
    int entries = 0;
    qint64 seconds = 0;
    QStringList linkedLines;
    QStringList failedLines;
    for (const Batch &batch : batches) {
        const QString name = catalogue.taskName(batch.taskId.toLongLong());
        const QString task = name.isEmpty() ? QStringLiteral("task %1").arg(batch.taskId) : name;
        const QString count =
            batch.entries == 1 ? QStringLiteral("1 entry") : QStringLiteral("%1 entries").arg(batch.entries);
        if (batch.linked) {
            entries += batch.entries;
            seconds += batch.seconds;
            linkedLines << QStringLiteral("    %1, %2: %3 (%4)")
                               .arg(task, TimeText::formatDate(batch.day), count, formatDuration(batch.seconds));
        } else {
            failedLines << QStringLiteral("    %1, %2: %3 (%4)")
                               .arg(task, TimeText::formatDate(batch.day), count, formatDuration(batch.seconds));
        }
    }
    QStringList parts;
    if (batches.isEmpty()) {
        parts << QStringLiteral("No entries matched the rules.");
    }
    if (!linkedLines.isEmpty()) {
        parts << QStringLiteral("Linked %1 (%2) with:\n")
                         .arg(entries == 1 ? QStringLiteral("1 entry") : QStringLiteral("%1 entries").arg(entries),
                              formatDuration(seconds)) +
                     linkedLines.join(QLatin1Char('\n'));
    }
    if (!failedLines.isEmpty()) {
        parts << QStringLiteral("Could not link:\n") + failedLines.join(QLatin1Char('\n'));
    }
    parts << notes;
    return parts.join(QStringLiteral("\n\n"));
}

std::function<bool(const QString &)> RuleEngine::openTaskFilter()
{
    const ProjectsCatalogue &catalogue = ProjectsCatalogue::shared();
    return [&catalogue](const QString &taskId) {
        return !catalogue.hasOpenTasks() || catalogue.isOpenTask(taskId.toLongLong());
    };
}

QList<EntryGroup> RuleEngine::loadGroups(const QDate &from, const QDate &to, bool *ok)
{
    QList<EntryGroup> groups;
    const StoreResult loaded = EntryGroups::load(from, to, &groups);
    if (ok) {
        *ok = loaded.ok();
    }
    if (!loaded.ok()) {
        qCDebug(lcRules) << "apply rules: grouping failed: " << loaded.error();
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

TaskBatches RuleEngine::planBatches(const QList<RuleMatcher> &rules, const QList<EntryGroup> &groups,
                                    const std::function<bool(const QString &)> &taskUsable, QStringList *notes)
{
    const QList<int> matches = matchGroups(rules, groups);
    TaskBatches batches;
    QMap<int, qsizetype> skipped; // rule position -> entries it left unlinked
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const int match = matches.at(i);
        if (match < 0) {
            continue;
        }
        const EntryGroup &group = groups.at(i);
        const QString taskId = rules.at(match).taskId();
        if (taskUsable && !taskUsable(taskId)) {
            skipped[match] += group.entryIds.size();
        } else {
            batches[BatchKey{taskId, group.day}] << group.entryIds;
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
