#include "rulecommands.h"

#include "addruledialog.h"
#include "applyrulesfordaterangedialog.h"
#include "entryreader.h"
#include "projectscatalogue.h"
#include "rulepreview.h"
#include "rulepreviewdialog.h"
#include "rulesdialog.h"
#include "rulestore.h"

#include <QDialog>
#include <QWidget>

RuleCommands::RuleCommands(RuleContext *context, LinkingService *linking, const EntryReader &entries, QWidget *window,
                           AppMetadata *metadata, Clock *clock)
    : QObject(window)
    , m_context(context)
    , m_window(window)
    , m_entries(entries)
    , m_metadata(metadata)
    , m_clock(clock)
    , m_engine(new RuleEngine(linking, this))
    , m_runDialog([](QDialog *dialog) { return dialog->exec(); })
{
    m_engine->setMessageParent(window);
}

void RuleCommands::setDialogRunner(DialogRunner runner)
{
    m_runDialog = std::move(runner);
}

void RuleCommands::showRulesDialog(int ruleId)
{
    RulesDialog dialog(m_window);
    // Direct connections: the rule is stored when the emitting call returns and the list reloads.
    connect(&dialog, &RulesDialog::signalAddRuleDialog, this, &RuleCommands::onAddRuleDialog, Qt::DirectConnection);
    connect(&dialog, &RulesDialog::signalEditRuleDialog, this, &RuleCommands::onEditRuleDialog, Qt::DirectConnection);
    connect(&dialog, &RulesDialog::signalRemoveRule, this, &RuleCommands::onRemoveRule, Qt::DirectConnection);
    connect(&dialog, &RulesDialog::signalActivateRule, this, &RuleCommands::onActivateRule, Qt::DirectConnection);
    connect(&dialog, &RulesDialog::signalMoveRule, this, &RuleCommands::onMoveRule, Qt::DirectConnection);
    connect(&dialog, &RulesDialog::signalApplyRules, this, &RuleCommands::onApplyRules, Qt::DirectConnection);
    connect(&dialog, &RulesDialog::signalDuplicateRule, this, &RuleCommands::onDuplicateRule, Qt::DirectConnection);
    connect(&dialog, &RulesDialog::signalPreviewRules, this, &RuleCommands::showRulePreview, Qt::DirectConnection);
    if (ruleId != 0) {
        dialog.selectRule(ruleId);
    }
    m_runDialog(&dialog);
}

int RuleCommands::addRule(const RuleFields &presets)
{
    AddRuleDialog dialog(m_window, ProjectsCatalogue::shared(), m_entries.applications(), m_metadata);
    dialog.isUpdate = false;
    dialog.setFields(presets);
    dialog.putData();
    offerPreview(&dialog, 0);
    if (m_runDialog(&dialog) != QDialog::Accepted) {
        return 0;
    }
    dialog.getData();
    return RuleStore::addRule(dialog.fields());
}

void RuleCommands::onAddRuleDialog()
{
    addRule(RuleStore::newRule(m_context->selectedAppIds(), m_context->filterText(), m_context->selectedDate(),
                               m_context->selectedProjectId(), m_context->selectedTaskId()));
}

void RuleCommands::onCreateRuleFromEntry(int appId, const QString &title)
{
    const int ruleId = addRule(RuleStore::newRuleFromEntry(
        appId, title, m_context->selectedDate(), m_context->selectedProjectId(), m_context->selectedTaskId()));
    if (ruleId != 0) {
        showRulesDialog(ruleId);
    }
}

void RuleCommands::onCreateRuleFromApp(int appId)
{
    const int ruleId = addRule(RuleStore::newRuleFromApp(appId, m_context->selectedDate(),
                                                         m_context->selectedProjectId(), m_context->selectedTaskId()));
    if (ruleId != 0) {
        showRulesDialog(ruleId);
    }
}

void RuleCommands::onEditRuleDialog(int ruleId)
{
    RuleFields fields;
    if (!RuleStore::loadRuleFields(ruleId, &fields)) {
        return;
    }
    AddRuleDialog dialog(m_window, ProjectsCatalogue::shared(), m_entries.applications(), m_metadata);
    dialog.isUpdate = true;
    dialog.setFields(fields);
    dialog.putData();
    offerPreview(&dialog, ruleId);
    if (m_runDialog(&dialog) != QDialog::Accepted) {
        return;
    }
    dialog.getData();
    RuleStore::updateRule(ruleId, dialog.fields());
}

void RuleCommands::onRemoveRule(int ruleId)
{
    RuleStore::removeRule(ruleId);
}

void RuleCommands::onActivateRule(int ruleId, bool active)
{
    RuleStore::activateRule(ruleId, active);
}

void RuleCommands::onMoveRule(int ruleId, int deltaPos)
{
    RuleStore::moveRule(ruleId, deltaPos);
}

void RuleCommands::onDuplicateRule(int ruleId)
{
    RuleStore::duplicateRule(ruleId);
}

void RuleCommands::onApplyRules()
{
    const QDate day = m_context->selectedDate();
    m_engine->applyRules(day, day);
}

void RuleCommands::onApplyRulesForDateRange()
{
    ApplyRulesForDateRangeDialog dialog(m_clock, m_window);
    if (m_runDialog(&dialog) != QDialog::Accepted) {
        return;
    }
    dialog.readDates();
    m_engine->applyRules(dialog.dateFrom, dialog.dateTo);
}

void RuleCommands::showRulePreview()
{
    RulePreviewDialog dialog(&RuleStore::loadActiveRules, m_entries, m_context->selectedDate(), m_clock, m_window);
    connect(&dialog, &RulePreviewDialog::applyRequested, m_engine, &RuleEngine::applyRules);
    m_runDialog(&dialog);
}

void RuleCommands::offerPreview(AddRuleDialog *editor, int ruleId)
{
    connect(editor, &AddRuleDialog::previewRequested, editor, [this, editor, ruleId] {
        const auto rules = [editor, ruleId] {
            // Reads the widgets only; the rule is stored when the editor is accepted.
            return RulePreview::withEditedRule(RuleStore::loadActiveRules(), ruleId, editor->editedFields());
        };
        auto *preview = new RulePreviewDialog(rules, m_entries, m_context->selectedDate(), m_clock, editor);
        preview->setAttribute(Qt::WA_DeleteOnClose);
        preview->setApplyOffered(false);
        connect(editor, &AddRuleDialog::fieldsEdited, preview, &RulePreviewDialog::scheduleRefresh);
        preview->show();
    });
}
