#pragma once

#include "applicationrow.h"
#include "rulestore.h"

#include <QDate>
#include <QDialog>
#include <QList>
#include <QString>

#include <memory>

class ProjectsCatalogue;
class AppMetadata;
class QListWidget;
class QListWidgetItem;

namespace Ui {
class AddRuleDialog;
}

// Creates or edits one rule. A value holder: the caller sets the fields, calls putData(), runs
// the dialog and after acceptance calls getData() and stores the fields.
class AddRuleDialog : public QDialog
{
    Q_OBJECT

public:
    // The choices come from `catalogue`; `metadata` (not owned, may be null) gives the
    // applications' icons.
    // `applications` are the recorded ones; those that can still run are offered.
    AddRuleDialog(QWidget *parent, const ProjectsCatalogue &catalogue, const QList<ApplicationRow> &applications,
                  AppMetadata *metadata = nullptr);
    ~AddRuleDialog() override;

    void putData();
    void getData();

    // The fields as one record, and back.
    RuleFields fields() const;
    // What getData() would store, read from the widgets without changing the fields.
    RuleFields editedFields() const;
    void setFields(const RuleFields &fields);

    void fillTitleRules();
    void loadApplications(const QList<ApplicationRow> &applications);
    void loadProjects(const ProjectsCatalogue &catalogue);
    void loadTasks(int projectId);
    void selectApplication(int appId);

    void done(int result) override;

    QString name;
    QString title;
    QString dateRule = QStringLiteral("always");
    QString titleRule = QStringLiteral("or");
    QDate dateTo;
    QDate dateFrom;
    int projectId = 0;
    int taskId = 0;
    QList<int> appIds;
    bool isUpdate = false;
    // What the choices come from; not owned.
    const ProjectsCatalogue *projectsCatalogue = nullptr;

Q_SIGNALS:
    // The "Preview" button was pressed.
    void previewRequested();
    // An input that decides what the rule matches or links with changed.
    void fieldsEdited();

private Q_SLOTS:
    void on_listAppsSelected_itemDoubleClicked(QListWidgetItem *item);
    void on_listAppsAll_itemDoubleClicked(QListWidgetItem *item);
    void on_btnRemoveFromSelected_clicked();
    void on_btnMoveToSelected_clicked();
    void on_cbTasks_currentIndexChanged(int index);
    void on_cbProjects_activated(int index);
    void on_cbTitleRule_currentIndexChanged(int index);
    void on_editTitle_textChanged(const QString &text);

private:
    void connectEdits();
    static void moveItem(QListWidgetItem *item, QListWidget *target);
    static void moveSelected(QListWidget *source, QListWidget *target);
    void showTitleError();

    std::unique_ptr<Ui::AddRuleDialog> m_ui;
    AppMetadata *m_metadata;
};
