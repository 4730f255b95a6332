#pragma once

#include <QDialog>
#include <QUrl>

#include <memory>

class QListWidgetItem;

namespace Ui {
class RulesDialog;
}

// Lists every rule in its order with a check box for its activity, and describes the selected
// one. It only reads the database: each change is a signal the main window carries out through
// a direct connection, after which the list is reloaded.
class RulesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit RulesDialog(QWidget *parent = nullptr);
    ~RulesDialog() override;

    void loadRules();
    // Makes the rule's row current; nothing changes when it is not listed.
    void selectRule(int ruleId);
    // The id of the current row, 0 when there is none.
    int currentRuleId() const;

    // The readable description of a rule as HTML; every stored value is escaped. Empty when the
    // rule does not exist.
    static QString describeRule(int ruleId);

Q_SIGNALS:
    void signalEditRuleDialog(int ruleId);
    void signalAddRuleDialog();
    void signalRemoveRule(int ruleId);
    void signalActivateRule(int ruleId, bool active);
    void signalMoveRule(int ruleId, int deltaPos);
    void signalApplyRules();
    void signalDuplicateRule(int ruleId);
    // What the active rules would link, shown without linking anything.
    void signalPreviewRules();

private Q_SLOTS:
    void on_btnDuplicate_clicked();
    void on_rules_itemDoubleClicked(QListWidgetItem *item);
    void on_rules_itemChanged(QListWidgetItem *item);
    void on_btnPreview_clicked();
    void on_btnApplyRules_clicked();
    void on_btnDown_clicked();
    void on_btnUp_clicked();
    void on_btnRemove_clicked();
    void on_btnEdit_clicked();
    void on_btnAdd_clicked();
    void on_description_anchorClicked(const QUrl &url);
    void on_rules_currentRowChanged(int row);

private:
    // The first selected rule's id, 0 when none is selected.
    int selectedRuleId() const;
    void editRule(int ruleId);
    void moveRule(int deltaPos);
    void selectLastRow();
    void showDescription(int ruleId);

    std::unique_ptr<Ui::RulesDialog> m_ui;
    // False while the list is being filled, so that setting check states is not taken as a change.
    bool m_listReady = false;
};
