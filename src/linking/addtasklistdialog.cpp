#include "addtasklistdialog.h"

#include "cataloguechoices.h"
#include "logging.h"
#include "ui_addtasklistdialog.h"

#include <QDebug>

AddTaskListDialog::AddTaskListDialog(QWidget *parent)
    : NameRequiredDialog(parent)
    , m_ui(std::make_unique<Ui::AddTaskListDialog>())
{
    m_ui->setupUi(this);
    guardNameField(m_ui->editTaskListName, QStringLiteral("Task List Name"));
}

AddTaskListDialog::~AddTaskListDialog() = default;

void AddTaskListDialog::loadProjects(const ProjectsCatalogue &catalogue)
{
    projectsCatalogue = &catalogue;
    CatalogueChoices::fillProjects(m_ui->cbProjects, catalogue);
}

void AddTaskListDialog::putData()
{
    m_ui->editTaskListName->setText(name);
    if (!CatalogueChoices::selectId(m_ui->cbProjects, projectId)) {
        qCDebug(lcLinking) << "putdata error: could not find project id: " << projectId;
    }
}

void AddTaskListDialog::getData()
{
    name = m_ui->editTaskListName->text();
    projectId = CatalogueChoices::currentId(m_ui->cbProjects);
}
