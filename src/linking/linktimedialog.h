#pragma once

#include "cataloguechoices.h"
#include "timetree.h"

#include <QDialog>

#include <memory>

namespace Ui {
class LinkTimeDialog;
}

// Asks which task time goes to, with notes for the remote entry. A value holder: the caller loads the
// catalogue, sets the fields, calls putData(), runs the dialog and reads the fields after getData().
// A taskId of 0 after acceptance means no task was chosen.
class LinkTimeDialog : public QDialog
{
    Q_OBJECT

public:
    explicit LinkTimeDialog(QWidget *parent = nullptr);
    ~LinkTimeDialog() override;

    // The unlinked view's "&Link Time With Task...": the dialog for the selection's description and time,
    // on the cached catalogue.
    static TimeTree::LinkChoice ask(QWidget *parent, const QString &notes, qint64 seconds);

    void loadProjects(const ProjectsCatalogue &catalogue);
    void loadTasks(int id);
    void putData();
    void getData();

    QString notes;
    int projectId = 0;
    int taskId = 0;
    int seconds = 0;
    // What the choices come from; not owned.
    const ProjectsCatalogue *projectsCatalogue = nullptr;

private Q_SLOTS:
    void on_cbTasks_currentIndexChanged(int index);
    void on_cbProjects_activated(int index);

private:
    std::unique_ptr<Ui::LinkTimeDialog> m_ui;
};
