#include "cataloguechoices.h"

#include "apireply.h"
#include "logging.h"

#include <QColor>
#include <QComboBox>
#include <QDebug>
#include <QDomDocument>
#include <QDomElement>
#include <QStandardItemModel>

namespace {

QString decoded(const QDomElement &element)
{
    return ApiReply::fromWire(element.attribute(QStringLiteral("name")));
}

QList<CatalogueChoices::Task> readTasks(const QDomElement &taskListElement)
{
    QList<CatalogueChoices::Task> tasks;
    const QDomElement tasksElement = ApiReply::firstElement(taskListElement, QStringLiteral("tasks"));
    if (tasksElement.isNull()) {
        return tasks;
    }
    const QDomNodeList nodes = tasksElement.elementsByTagName(QStringLiteral("task"));
    for (int i = 0; i < nodes.count(); ++i) {
        const QDomElement element = nodes.item(i).toElement();
        tasks.append({element.attribute(QStringLiteral("id")).toInt(), decoded(element),
                      element.attribute(QStringLiteral("complete"))});
    }
    return tasks;
}

QList<CatalogueChoices::TaskList> readTaskLists(const QDomElement &projectElement)
{
    QList<CatalogueChoices::TaskList> taskLists;
    const QDomElement listsElement = ApiReply::firstElement(projectElement, QStringLiteral("task_lists"));
    if (listsElement.isNull()) {
        return taskLists;
    }
    const QDomNodeList nodes = listsElement.elementsByTagName(QStringLiteral("task_list"));
    for (int i = 0; i < nodes.count(); ++i) {
        const QDomElement element = nodes.item(i).toElement();
        taskLists.append({element.attribute(QStringLiteral("id")).toInt(), decoded(element), readTasks(element)});
    }
    return taskLists;
}

} // namespace

bool CatalogueChoices::read(const QString &xml, QList<Project> &projects)
{
    projects.clear();
    const QDomDocument document = ApiReply::parse(xml);
    if (!ApiReply::isOk(document)) {
        return false;
    }
    const QDomElement projectsElement = ApiReply::firstElement(document, QStringLiteral("projects"));
    const QDomNodeList nodes = projectsElement.elementsByTagName(QStringLiteral("project"));
    for (int i = 0; i < nodes.count(); ++i) {
        const QDomElement element = nodes.item(i).toElement();
        projects.append({element.attribute(QStringLiteral("id")).toInt(), decoded(element), readTaskLists(element)});
    }
    return true;
}

const CatalogueChoices::Project *CatalogueChoices::findProject(const QList<Project> &projects, int projectId)
{
    for (const Project &project : projects) {
        if (project.id == projectId) {
            return &project;
        }
    }
    return nullptr;
}

bool CatalogueChoices::readProject(const QString &xml, int projectId, Project &project)
{
    QList<Project> projects;
    if (!read(xml, projects)) {
        qCDebug(lcLinking) << "xml not good to load";
        return false;
    }
    const Project *found = findProject(projects, projectId);
    project = found ? *found : Project();
    return true;
}

bool CatalogueChoices::fillProjects(QComboBox *combo, const QString &xml)
{
    QList<Project> projects;
    if (!read(xml, projects)) {
        qCDebug(lcLinking) << "xml not good to load";
        return false;
    }
    combo->clear();
    for (const Project &project : projects) {
        combo->addItem(project.name, project.id);
    }
    return true;
}

void CatalogueChoices::fillTasks(QComboBox *combo, const Project &project)
{
    static const QColor headingBackground(221, 221, 221);
    combo->clear();
    auto *model = qobject_cast<QStandardItemModel *>(combo->model());
    for (const TaskList &taskList : project.taskLists) {
        combo->addItem(taskList.name, 0);
        const int headingRow = combo->count() - 1;
        combo->setItemData(headingRow, headingBackground, Qt::BackgroundRole);
        if (model) {
            model->item(headingRow)->setFlags(Qt::ItemIsEnabled);
        }
        for (const Task &task : taskList.tasks) {
            if (task.complete != QLatin1String("1")) {
                combo->addItem(QStringLiteral("  ") + task.name, task.id);
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
