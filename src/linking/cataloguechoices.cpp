#include "cataloguechoices.h"

#include "logging.h"

#include <QColor>
#include <QComboBox>
#include <QDebug>
#include <QStandardItemModel>

bool CatalogueChoices::readProject(const ProjectsCatalogue &catalogue, qint64 projectId,
                                   ProjectsCatalogue::Project &project)
{
    if (!catalogue.isUsable()) {
        qCDebug(lcLinking) << "xml not good to load";
        return false;
    }
    const ProjectsCatalogue::Project *found = catalogue.findProject(projectId);
    project = found ? *found : ProjectsCatalogue::Project();
    return true;
}

bool CatalogueChoices::fillProjects(QComboBox *combo, const ProjectsCatalogue &catalogue)
{
    if (!catalogue.isUsable()) {
        qCDebug(lcLinking) << "xml not good to load";
        return false;
    }
    combo->clear();
    for (const ProjectsCatalogue::Project &project : catalogue.projects()) {
        combo->addItem(project.name, int(project.id));
    }
    return true;
}

void CatalogueChoices::fillTasks(QComboBox *combo, const ProjectsCatalogue::Project &project)
{
    static const QColor headingBackground(221, 221, 221);
    combo->clear();
    auto *model = qobject_cast<QStandardItemModel *>(combo->model());
    for (const ProjectsCatalogue::TaskList &taskList : project.taskLists) {
        combo->addItem(taskList.name, 0);
        const int headingRow = combo->count() - 1;
        combo->setItemData(headingRow, headingBackground, Qt::BackgroundRole);
        if (model) {
            model->item(headingRow)->setFlags(Qt::ItemIsEnabled);
        }
        for (const ProjectsCatalogue::Task &task : taskList.tasks) {
            if (task.state != ProjectsCatalogue::TaskState::Complete) {
                combo->addItem(QStringLiteral("  ") + task.name, int(task.id));
            }
        }
    }
    if (combo->count() > 0) {
        combo->setCurrentIndex(0);
    }
}

bool CatalogueChoices::selectId(QComboBox *combo, int id)
{
    const int row = combo->findData(id, Qt::UserRole);
    if (row < 0) {
        return false;
    }
    combo->setCurrentIndex(row);
    return true;
}

int CatalogueChoices::currentId(const QComboBox *combo)
{
    return combo->currentIndex() < 0 ? 0 : combo->currentData(Qt::UserRole).toInt();
}
