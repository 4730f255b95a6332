#include "addtaskdialog.h"

#include "cataloguechoices.h"
#include "logging.h"
#include "ui_addtaskdialog.h"

#include <QDebug>

AddTaskDialog::AddTaskDialog(QWidget *parent)
    : NameRequiredDialog(parent)
    , m_ui(std::make_unique<Ui::AddTaskDialog>())
{
    m_ui->setupUi(this);
    guardNameField(m_ui->editTaskName, QStringLiteral("Task Name"));
}

AddTaskDialog::~AddTaskDialog() = default;

void AddTaskDialog::loadProjects(const ProjectsCatalogue &catalogue)
{
    projectsCatalogue = &catalogue;
    if (CatalogueChoices::fillProjects(m_ui->cbProjects, catalogue) && m_ui->cbProjects->count() > 0) {
        loadTaskLists(CatalogueChoices::currentId(m_ui->cbProjects));
    }
}

void AddTaskDialog::loadTaskLists(int id)
{
    ProjectsCatalogue::Project project;
    if (!projectsCatalogue || !CatalogueChoices::readProject(*projectsCatalogue, id, project)) {
        return;
    }
    m_ui->cbTaskLists->clear();
    for (const ProjectsCatalogue::TaskList &taskList : project.taskLists) {
        m_ui->cbTaskLists->addItem(taskList.name, int(taskList.id));
    }
    if (m_ui->cbTaskLists->count() > 0) {
        m_ui->cbTaskLists->setCurrentIndex(0);
    }
}

void AddTaskDialog::putData()
{
    m_ui->editTaskName->setText(name);
    m_ui->textTaskDescription->setPlainText(description);
    m_ui->checkBillable->setChecked(billable);
    if (CatalogueChoices::selectId(m_ui->cbProjects, projectId)) {
        loadTaskLists(projectId);
    } else {
        qCDebug(lcLinking) << "putData error: could not find project id: " << projectId;
    }
    if (!CatalogueChoices::selectId(m_ui->cbTaskLists, tasklistId)) {
        qCDebug(lcLinking) << "putData error: could not find tasklist id: " << tasklistId;
    }
}

void AddTaskDialog::getData()
{
    name = m_ui->editTaskName->text();
    description = m_ui->textTaskDescription->toPlainText();
    billable = m_ui->checkBillable->isChecked();
    projectId = CatalogueChoices::currentId(m_ui->cbProjects);
    tasklistId = CatalogueChoices::currentId(m_ui->cbTaskLists);
}

void AddTaskDialog::on_cbProjects_activated(int index)
{
    loadTaskLists(m_ui->cbProjects->itemData(index).toInt());
}
