#pragma once

#include "ruleengine.h"
#include "rulestore.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>

// What applying a list of rules to a range of days would link: the entry groups each rule takes
// (first match wins, decided by the engine's own matching), the seconds per rule and per task, and
// the groups no rule takes. Reads the database; writes nothing and sends nothing.
class RulePreview
{
public:
    struct RuleResult
    {
        int ruleId = 0;
        QString name;
        QString taskId;
        qint64 seconds = 0;
        QList<EntryGroup> groups;
    };

    // One per rule, in rule order, also for rules that take nothing.
    QList<RuleResult> rules;
    // Task id -> seconds the run would link with it.
    QMap<QString, qint64> taskSeconds;
    // Groups a rule takes whose task is completed or unknown: the run leaves them unlinked.
    QList<EntryGroup> skipped;
    qint64 skippedSeconds = 0;
    // One line per rule so skipped, as the run's summary gives it.
    QStringList notes;
    // The entry ids per task, as the run would hand them to the linking.
    TaskBatches batches;
    QList<EntryGroup> unmatched;
    qint64 unmatchedSeconds = 0;

    // The preview of `rules` (in order) over the unlinked groups of the days `from` to `to`.
    static RulePreview forRange(const QList<RuleMap> &rules, const QDate &from, const QDate &to);
    // Tasks are judged by `taskUsable`, by default the catalogue's open tasks (as a run judges them).
    static RulePreview compute(const QList<RuleMap> &rules, const QList<EntryGroup> &groups,
                               const std::function<bool(const QString &)> &taskUsable = RuleEngine::openTaskFilter());

    // `active` with the rule being edited in place of its stored version; a new rule (id 0) or
    // one not among the active rules comes last.
    static QList<RuleMap> withEditedRule(const QList<RuleMap> &active, int ruleId, const RuleFields &edited);
};
