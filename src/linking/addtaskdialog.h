#pragma once

#include "namerequireddialog.h"

#include <memory>

class ProjectsCatalogue;

namespace Ui {
class AddTaskDialog;
}

// Asks for a new task: its project and task list, name, description and whether it is billable.
// A value holder; a blank name keeps it open.
class AddTaskDialog : public NameRequiredDialog
{
    Q_OBJECT

public:
    explicit AddTaskDialog(QWidget *parent = nullptr);
    ~AddTaskDialog() override;

    void loadProjects(const ProjectsCatalogue &catalogue);
    void loadTaskLists(int id);
    void putData();
    void getData();

    QString name;
    QString description;
    int projectId = 0;
    int tasklistId = 0;
    bool billable = false;
    // What the choices come from; not owned.
    const ProjectsCatalogue *projectsCatalogue = nullptr;

private Q_SLOTS:
    void on_cbProjects_activated(int index);

private:
    std::unique_ptr<Ui::AddTaskDialog> m_ui;
};
