#include "ruleengine.h"

#include "linkingservice.h"
#include "logging.h"
#include "messagebox.h"
#include "projectscatalogue.h"
#include "rulepreview.h"
#include "timetext.h"

#include <QCoreApplication>
#include <QDebug>
#include <QHash>
#include <QPointer>
#include <algorithm>

RuleEngine::RuleEngine(LinkingService *linking, QObject *parent)
    : QObject(parent)
    , m_linking(linking)
    , m_messageParent(parent)
{}

// One run under way: the plan's batches, the next one to hand over and the progress so far.
struct RuleEngine::Run
{
    QList<BatchKey> keys;
    TaskBatches batches;
    // A group goes to one task as a whole: its time is counted with its first entry.
    QHash<QString, qint64> secondsByFirstId;
    int next = 0;
    int progress = 0;
};

void RuleEngine::setRunning(bool running)
{
    m_running = running;
    Q_EMIT runningChanged(running);
}

bool RuleEngine::applyRules(const QDate &from, const QDate &to)
{
    if (m_running) {
        qCDebug(lcRules) << "apply rules: a run is already under way";
        return false;
    }
    setRunning(true);
    Q_EMIT runStarting();

    const QList<RuleMatcher> rules = prepareRules(RuleStore::loadActiveRules());
    const bool anyActive =
        std::any_of(rules.cbegin(), rules.cend(), [](const RuleMatcher &rule) { return rule.isActive(); });
    if (!anyActive) {
        MessageBox::information(m_messageParent, tr("Information"), tr("No rules to apply"));
        setRunning(false);
        return false;
    }

    // The preview's plan is the run's plan: both decide every group the same way.
    const QList<EntryGroup> groups = loadGroups(from, to);
    const RulePreview plan = RulePreview::compute(RuleStore::loadActiveRules(), groups);
    m_result = RuleRunResult();
    m_result.notes = plan.notes;
    auto run = std::make_shared<Run>();
    run->batches = plan.batches;
    run->keys = plan.batches.keys();
    for (const EntryGroup &group : groups) {
        if (!group.entryIds.isEmpty()) {
            run->secondsByFirstId.insert(group.entryIds.first(), group.seconds);
        }
    }
    Q_EMIT progressStarted(int(run->keys.size()) + 2);
    Q_EMIT progressChanged(run->progress);
    linkNext(run);
    return true;
}

void RuleEngine::linkNext(const std::shared_ptr<Run> &run)
{
    if (run->next == run->keys.size()) {
        finishRun(run->progress);
        return;
    }
    const BatchKey key = run->keys.at(run->next++);
    const QStringList ids = run->batches.value(key);
    RuleRunResult::Batch done{key.taskId, key.day, int(ids.size()), 0, false};
    for (const QString &id : ids) {
        done.seconds += run->secondsByFirstId.value(id);
    }
    // The linking may outlive the engine (the window closes during a call).
    m_linking->connectEntriesWithTask(
        ids, key.taskId, QString(), [engine = QPointer<RuleEngine>(this), run, done](bool linked) mutable {
            if (!engine) {
                return;
            }
            done.linked = linked;
            if (!linked) {
                qCDebug(lcRules) << "apply rules: linking failed for task" << done.taskId << "on" << done.day;
            }
            engine->m_result.batches << done;
            Q_EMIT engine->progressChanged(++run->progress);
            engine->linkNext(run);
        });
}

void RuleEngine::finishRun(int progress)
{
    Q_EMIT reloadUnlinkedView();
    Q_EMIT progressChanged(++progress);
    Q_EMIT reloadLinkedView();
    Q_EMIT progressChanged(++progress);
    Q_EMIT progressFinished();
    MessageBox::information(m_messageParent, tr("Apply Rules"), m_result.summary(ProjectsCatalogue::shared()));
    setRunning(false);
}

namespace {
// "1 entry" or "N entries"; the plural's own forms come from the catalogue of the language.
QString entryCount(int entries)
{
    return entries == 1 ? QCoreApplication::translate("RuleRunResult", "1 entry")
                        : QCoreApplication::translate("RuleRunResult", "%n entries", nullptr, entries);
}
} // namespace

QString RuleRunResult::summary(const ProjectsCatalogue &catalogue) const
{
    int entries = 0;
    qint64 seconds = 0;
    QStringList linkedLines;
    QStringList failedLines;
    for (const Batch &batch : batches) {
        const QString name = catalogue.taskName(batch.taskId.toLongLong());
        const QString task =
            name.isEmpty() ? QCoreApplication::translate("RuleRunResult", "task %1").arg(batch.taskId) : name;
        const QString count = entryCount(int(batch.entries));
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
        parts << QCoreApplication::translate("RuleRunResult", "No entries matched the rules.");
    }
    if (!linkedLines.isEmpty()) {
        parts << QCoreApplication::translate("RuleRunResult", "Linked %1 (%2) with:\n%3")
                     .arg(entryCount(entries), formatDuration(seconds), linkedLines.join(QLatin1Char('\n')));
    }
    if (!failedLines.isEmpty()) {
        parts << QCoreApplication::translate("RuleRunResult", "Could not link:\n%1")
                     .arg(failedLines.join(QLatin1Char('\n')));
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
            const int left = int(it.value());
            const QString note = left == 1
                                     ? tr("Rule \"%1\" was skipped: its task is completed or no longer known to Tavro "
                                          "(1 entry left unlinked).")
                                     : tr("Rule \"%1\" was skipped: its task is completed or no longer known to Tavro "
                                          "(%n entries left unlinked).",
                                          nullptr, left);
            *notes << note.arg(rule.name());
        }
    }
    return batches;
}
