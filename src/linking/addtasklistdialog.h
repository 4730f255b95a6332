#pragma once

#include "namerequireddialog.h"

#include <memory>

class ProjectsCatalogue;

namespace Ui {
class AddTaskListDialog;
}

// Asks for the name of a new task list and the project it goes into. A value holder; a blank name
// keeps it open.
class AddTaskListDialog : public NameRequiredDialog
{
    Q_OBJECT

public:
    explicit AddTaskListDialog(QWidget *parent = nullptr);
    ~AddTaskListDialog() override;

    void loadProjects(const ProjectsCatalogue &catalogue);
    void putData();
    void getData();

    QString name;
    int projectId = 0;
    // What the choices come from; not owned.
    const ProjectsCatalogue *projectsCatalogue = nullptr;

private Q_SLOTS:

private:
    std::unique_ptr<Ui::AddTaskListDialog> m_ui;
};
