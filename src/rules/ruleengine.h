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

class LinkingService;

// Task id (as text) -> the entry ids to link with it. Visited in string order of the ids.
using TaskBatches = QMap<QString, QStringList>;

// Applies the active rules to the unlinked entries of a date range: plans one batch per task,
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

    // One complete run over the days `from` to `to`, both included. False when it did not run:
    // no active rule, or a run is already under way (the linking waits in nested event loops).
    bool applyRules(const QDate &from, const QDate &to);
    bool isRunning() const { return m_running; }

    // The planning steps, free of any linking.
    static QList<EntryGroup> loadGroups(const QDate &from, const QDate &to, bool *ok = nullptr);
    static QList<RuleMatcher> prepareRules(const QList<RuleMap> &rules);
    // For each group, the index of the first rule (in list order) matching it; -1 when none does.
    // Applying and previewing both decide through this one function.
    static QList<int> matchGroups(const QList<RuleMatcher> &rules, const QList<EntryGroup> &groups);
    // The first rule (in list order) matching a group takes all of its ids.
    static TaskBatches planBatches(const QList<RuleMatcher> &rules, const QList<EntryGroup> &groups);

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
    LinkingService *m_linking;
    QObject *m_messageParent;
    bool m_running = false;
};
