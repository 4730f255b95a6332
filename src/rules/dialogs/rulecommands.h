#pragma once

#include "ruleengine.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class AddRuleDialog;
class AppMetadata;
class Clock;
class EntryReader;
class LinkingService;
class QDialog;
class QWidget;

// What the rule commands read from the main window at the moment they run.
class RuleContext
{
public:
    virtual ~RuleContext() = default;
    // The day selected in the calendar.
    virtual QDate selectedDate() const = 0;
    // The text of the entry filter field.
    virtual QString filterText() const = 0;
    // The distinct application ids of the rows selected in the unlinked-entries view.
    virtual QList<int> selectedAppIds() const = 0;
    // Ids of the project and the task selected in the projects tree; 0 when none is.
    virtual int selectedProjectId() const = 0;
    virtual int selectedTaskId() const = 0;
};

// Every rule command of the main window: the rule list, the editor for new and existing rules,
// the storage operations behind the list's signals and rule application. The main window owns one
// and connects its menu entries, buttons and view signals to the slots.
class RuleCommands : public QObject
{
    Q_OBJECT

public:
    // Nothing is owned. `entries` names the applications in the previews; `window` parents the
    // dialogs and message boxes; `metadata` (may be null) gives application icons; `clock` (may be
    // null) dates the range presets.
    RuleCommands(RuleContext *context, LinkingService *linking, const EntryReader &entries, QWidget *window,
                 AppMetadata *metadata = nullptr, Clock *clock = nullptr);

    // The engine of the runs started here; follow its signals for progress, reloads and the
    // running state (disable the apply commands while it runs).
    RuleEngine *engine() { return m_engine; }

    // Runs a modal dialog and gives its result; tests put their own in place of QDialog::exec.
    using DialogRunner = std::function<int(QDialog *)>;
    void setDialogRunner(DialogRunner runner);

public Q_SLOTS:
    // The list of all rules; `ruleId` other than 0 is selected first.
    void showRulesDialog(int ruleId = 0);
    void onAddRuleDialog();
    void onCreateRuleFromEntry(int appId, const QString &title);
    void onCreateRuleFromApp(int appId);
    void onEditRuleDialog(int ruleId);
    void onRemoveRule(int ruleId);
    void onActivateRule(int ruleId, bool active);
    void onMoveRule(int ruleId, int deltaPos);
    void onDuplicateRule(int ruleId);
    // Applies the rules to the day selected in the calendar.
    void onApplyRules();
    // Asks for a range first; nothing happens when the dialog is cancelled.
    void onApplyRulesForDateRange();
    // What the active rules would link; its "Apply" runs the rules as the commands above do.
    void showRulePreview();

private:
    // Runs the editor on a new rule; returns the stored rule's id, 0 when cancelled or not stored.
    int addRule(const RuleFields &presets);
    // Lets the editor's "Preview" show the stored active rules with the edited rule in its place,
    // following the edits.
    void offerPreview(AddRuleDialog *editor, int ruleId);

    RuleContext *m_context;
    QWidget *m_window;
    const EntryReader &m_entries;
    AppMetadata *m_metadata;
    Clock *m_clock;
    RuleEngine *m_engine;
    DialogRunner m_runDialog;
};
