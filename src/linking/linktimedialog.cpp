#include "linktimedialog.h"

#include "logging.h"
#include "timetext.h"
#include "ui_linktimedialog.h"

#include <QDebug>

LinkTimeDialog::LinkTimeDialog(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::LinkTimeDialog>())
{
    m_ui->setupUi(this);
}

LinkTimeDialog::~LinkTimeDialog() = default;

TimeTree::LinkChoice LinkTimeDialog::ask(QWidget *parent, const QString &notes, qint64 seconds)
{
    LinkTimeDialog dialog(parent);
    dialog.loadProjects(ProjectsCatalogue::shared());
    dialog.notes = notes;
    dialog.seconds = int(seconds);
    dialog.putData();
    TimeTree::LinkChoice choice;
    if (dialog.exec() == QDialog::Accepted) {
        dialog.getData();
        choice.accepted = true;
        choice.taskId = dialog.taskId;
        choice.notes = dialog.notes;
    }
    return choice;
}

void LinkTimeDialog::loadProjects(const ProjectsCatalogue &catalogue)
{
    projectsCatalogue = &catalogue;
    if (CatalogueChoices::fillProjects(m_ui->cbProjects, catalogue) && m_ui->cbProjects->count() > 0) {
        loadTasks(CatalogueChoices::currentId(m_ui->cbProjects));
    }
}

void LinkTimeDialog::loadTasks(int id)
{
    ProjectsCatalogue::Project project;
    if (projectsCatalogue && CatalogueChoices::readProject(*projectsCatalogue, id, project)) {
        CatalogueChoices::fillTasks(m_ui->cbTasks, project);
    }
}

void LinkTimeDialog::on_cbTasks_currentIndexChanged(int index)
{
    if (index < 0 || m_ui->cbTasks->itemData(index).toInt() != 0) {
        return;
    }
    // A heading was chosen: move on to the task below it (which may be the next heading, handled in turn).
    m_ui->cbTasks->setCurrentIndex(index + 1 < m_ui->cbTasks->count() ? index + 1 : -1);
}

void LinkTimeDialog::on_cbProjects_activated(int index)
{
    const int id = m_ui->cbProjects->itemData(index).toInt();
    qCDebug(lcLinking) << "on cb projects activated (" << m_ui->cbProjects->itemText(index) << "), id = " << id;
    loadTasks(id);
}

void LinkTimeDialog::putData()
{
    m_ui->labelTime->setText(formatDuration(seconds));
    m_ui->textNotes->setPlainText(notes);
    if (projectId != 0 && CatalogueChoices::selectId(m_ui->cbProjects, projectId)) {
        loadTasks(projectId);
    } else {
        qCDebug(lcLinking) << "putData error: could not find project id = " << projectId;
    }
    if (taskId == 0 || !CatalogueChoices::selectId(m_ui->cbTasks, taskId)) {
        qCDebug(lcLinking) << "putData error: could not find task id = " << taskId;
    }
}

void LinkTimeDialog::getData()
{
    notes = m_ui->textNotes->toPlainText();
    projectId = CatalogueChoices::currentId(m_ui->cbProjects);
    taskId = CatalogueChoices::currentId(m_ui->cbTasks);
}
