#pragma once

#include "entrygroups.h"
#include "rulematcher.h"
#include "rulestore.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class LinkingService;
class ProjectsCatalogue;

// What one run did, for the summary the user sees at its end.
struct RuleRunResult
{
    struct Batch
    {
        QString taskId;
        QDate day;
        int entries = 0;
        qint64 seconds = 0;
        bool linked = false;
    };
    QList<Batch> batches;
    // Further remarks on the run, shown under the batches.
    QStringList notes;

    // "Linked 3 entries (1 h 0 m 0 s) with:" and a line per task and day, or that nothing matched;
    // task names come from `taskNames` (task id -> name).
    QString summary(const ProjectsCatalogue &catalogue) const;
};

// One remote entry's worth of entries: a task and the day they were recorded on. The remote entry
// carries a single date, so entries of different days never share one.
struct BatchKey
{
    QString taskId;
    QDate day;

    // String order of the task ids, then the days in order.
    bool operator<(const BatchKey &other) const
    {
        return taskId != other.taskId ? taskId < other.taskId : day < other.day;
    }
};

// The entry ids to link per task and day.
using TaskBatches = QMap<BatchKey, QStringList>;

// Applies the active rules to the unlinked entries of a date range: plans one batch per task and day,
// then hands each batch to the linking service. Views and progress bar are the window's; it
// follows the run through the signals.
class RuleEngine : public QObject
{
    Q_OBJECT

public:
    // `linking` is not owned and must outlive the engine. The parent also owns the message boxes
    // unless setMessageParent() names another object.
    explicit RuleEngine(LinkingService *linking, QObject *parent = nullptr);

    void setMessageParent(QObject *messageParent) { m_messageParent = messageParent; }

    // Starts a run over the days `from` to `to`, both included, that hands the batches to the
    // linking service one after the other. False when it did not start: no active rule, or a run is
    // already under way. A run that went through ends with a box summing up what was linked with
    // which task, then runningChanged(false).
    bool applyRules(const QDate &from, const QDate &to);
    bool isRunning() const { return m_running; }
    // The outcome of the last run that went through.
    const RuleRunResult &lastResult() const { return m_result; }

    // The planning steps, free of any linking.
    static QList<EntryGroup> loadGroups(const QDate &from, const QDate &to, bool *ok = nullptr);
    static QList<RuleMatcher> prepareRules(const QList<RuleMap> &rules);
    // For each group, the index of the first rule (in list order) matching it; -1 when none does.
    // Applying and previewing both decide through this one function.
    static QList<int> matchGroups(const QList<RuleMatcher> &rules, const QList<EntryGroup> &groups);
    // The first rule (in list order) matching a group takes all of its ids. A rule whose task
    // `taskUsable` refuses (completed or unknown) links nothing; the groups it matched first stay
    // unlinked and `notes` gets one line per such rule.
    static TaskBatches planBatches(const QList<RuleMatcher> &rules, const QList<EntryGroup> &groups,
                                   const std::function<bool(const QString &)> &taskUsable = {},
                                   QStringList *notes = nullptr);
    // Whether a task can take time now: the catalogue lists open tasks only, so a task missing from
    // it is completed or gone. Without a catalogue nothing can be told, and the service judges.
    static std::function<bool(const QString &)> openTaskFilter();

Q_SIGNALS:
    void runningChanged(bool running);
    // Before anything else: the time to remember the expanded nodes of both views.
    void runStarting();
    // The progress bar: shown with range 0..maximum and value 0, then raised, then hidden.
    void progressStarted(int maximum);
    void progressChanged(int value);
    void progressFinished();
    // After the links were made, each followed by one step of progress.
    void reloadUnlinkedView();
    void reloadLinkedView();

private:
    struct Run;
    void setRunning(bool running);
    // Hands the run's next batch to the linking service, or ends the run.
    void linkNext(const std::shared_ptr<Run> &run);
    void finishRun(int progress);

    LinkingService *m_linking;
    QObject *m_messageParent;
    bool m_running = false;
    RuleRunResult m_result;
};
