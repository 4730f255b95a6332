#include "projectscatalogue.h"

#include "apireply.h"
#include "cataloguecache.h"
#include "searchterms.h"

#include <QDomDocument>
#include <QDomNodeList>

#include <algorithm>

namespace {
QString attribute(const QDomElement &element, const char *name)
{
    return element.attribute(QLatin1String(name));
}

QString decodedName(const QDomElement &element)
{
    return ApiReply::fromWire(element.attribute(QStringLiteral("name")));
}

QList<QDomElement> children(const QDomElement &parent, const QString &tagName)
{
    QList<QDomElement> elements;
    const QDomNodeList nodes = parent.elementsByTagName(tagName);
    for (int i = 0; i < nodes.size(); ++i) {
        elements << nodes.at(i).toElement();
    }
    return elements;
}

QDomElement findById(const QDomElement &parent, const QString &tagName, int id)
{
    for (const QDomElement &element : children(parent, tagName)) {
        if (element.attribute(QStringLiteral("id")).toInt() == id) {
            return element;
        }
    }
    return QDomElement();
}

QDomElement findProject(const QDomDocument &document, int projectId)
{
    return findById(ApiReply::firstElement(document, QStringLiteral("projects")), QStringLiteral("project"), projectId);
}

QDomElement textElement(QDomDocument &document, const QString &tagName, const QString &text)
{
    QDomElement element = document.createElement(tagName);
    element.appendChild(document.createTextNode(text));
    return element;
}

// Finds or adds the shown client, project and task list for one project and task list.
ProjectsCatalogue::TaskList &shownTaskList(QList<ProjectsCatalogue::ShownClient> &clients,
                                           const ProjectsCatalogue::Project &project,
                                           const ProjectsCatalogue::TaskList &taskList)
{
    auto client = std::find_if(clients.begin(), clients.end(), [&](const ProjectsCatalogue::ShownClient &shown) {
        return shown.id == project.clientId;
    });
    if (client == clients.end()) {
        clients.append({project.clientId, project.clientName, {}});
        client = clients.end() - 1;
    }
    if (client->projects.isEmpty() || client->projects.last().id != project.id) {
        client->projects.append({project.id, project.name, {}});
    }
    QList<ProjectsCatalogue::TaskList> &taskLists = client->projects.last().taskLists;
    if (taskLists.isEmpty() || taskLists.last().id != taskList.id) {
        taskLists.append({taskList.id, taskList.name, taskList.hasTasks, {}});
    }
    return taskLists.last();
}
} // namespace

bool ProjectsCatalogue::parse(const QString &xml)
{
    m_projects.clear();
    const QDomDocument document = ApiReply::parse(xml);
    if (!ApiReply::isOk(document)) {
        return false;
    }
    const QDomElement projects = ApiReply::firstElement(document, QStringLiteral("projects"));
    for (const QDomElement &projectElement : children(projects, QStringLiteral("project"))) {
        Project project;
        project.id = attribute(projectElement, "id");
        project.name = decodedName(projectElement);
        const QDomElement client = ApiReply::firstElement(projectElement, QStringLiteral("client"));
        if (!client.isNull()) {
            project.clientId = attribute(client, "id");
            project.clientName = decodedName(client);
        }
        const QDomElement taskLists = ApiReply::firstElement(projectElement, QStringLiteral("task_lists"));
        for (const QDomElement &taskListElement : children(taskLists, QStringLiteral("task_list"))) {
            TaskList taskList;
            taskList.id = attribute(taskListElement, "id");
            taskList.name = decodedName(taskListElement);
            const QDomElement tasks = ApiReply::firstElement(taskListElement, QStringLiteral("tasks"));
            taskList.hasTasks = !tasks.isNull();
            for (const QDomElement &taskElement : children(tasks, QStringLiteral("task"))) {
                if (attribute(taskElement, "complete") == QLatin1String("0")) {
                    taskList.tasks.append({attribute(taskElement, "id"), decodedName(taskElement)});
                }
            }
            project.taskLists.append(taskList);
        }
        m_projects.append(project);
    }
    return true;
}

ProjectsCatalogue::Maps ProjectsCatalogue::maps() const
{
    Maps maps;
    for (const Project &project : m_projects) {
        maps.projectNames[project.id] = project.name;
        for (const TaskList &taskList : project.taskLists) {
            maps.tasklistNames[taskList.id] = taskList.name;
            for (const Task &task : taskList.tasks) {
                maps.taskNames[task.id] = task.name;
                maps.taskParentProjects[task.id] = project.id;
                maps.taskParentTasklists[task.id] = taskList.id;
            }
        }
    }
    return maps;
}

QList<ProjectsCatalogue::ShownClient> ProjectsCatalogue::shown(const QString &filterText) const
{
    const QStringList words = splitSearchTerms(filterText);
    QList<ShownClient> clients;
    for (const Project &project : m_projects) {
        for (const TaskList &taskList : project.taskLists) {
            if (!taskList.hasTasks) {
                continue;
            }
            bool anyShown = false;
            for (const Task &task : taskList.tasks) {
                if (matches(words, {project.name, taskList.name, task.name})) {
                    shownTaskList(clients, project, taskList).tasks.append(task);
                    anyShown = true;
                }
            }
            if (!anyShown && matches(words, {project.name, taskList.name})) {
                shownTaskList(clients, project, taskList);
            }
        }
    }
    return clients;
}

bool ProjectsCatalogue::matches(const QStringList &words, const QStringList &texts)
{
    return std::all_of(words.cbegin(), words.cend(), [&](const QString &word) {
        return std::any_of(texts.cbegin(), texts.cend(),
                           [&](const QString &text) { return text.contains(word, Qt::CaseInsensitive); });
    });
}

void ProjectsCatalogue::storeMaps(const Maps &maps)
{
    CatalogueCache::instance()->setNames(maps);
}

QString ProjectsCatalogue::addTaskListToXml(const QString &xml, int projectId, const QMap<QString, QVariant> &taskList)
{
    QDomDocument document = ApiReply::parse(xml);
    if (document.isNull()) {
        return xml;
    }
    const QDomElement project = findProject(document, projectId);
    if (!project.isNull()) {
        QDomElement taskLists = ApiReply::firstElement(project, QStringLiteral("task_lists"));
        QDomElement element = document.createElement(QStringLiteral("task_list"));
        element.setAttribute(QStringLiteral("id"), taskList.value(QStringLiteral("id")).toInt());
        element.setAttribute(QStringLiteral("name"),
                             ApiReply::toWire(taskList.value(QStringLiteral("name")).toString()));
        element.appendChild(document.createElement(QStringLiteral("tasks")));
        taskLists.appendChild(element);
    }
    return document.toString(1);
}

QString ProjectsCatalogue::addTaskToXml(const QString &xml, int projectId, int tasklistId,
                                        const QMap<QString, QVariant> &task)
{
    QDomDocument document = ApiReply::parse(xml);
    if (document.isNull()) {
        return xml;
    }
    const QDomElement project = findProject(document, projectId);
    const QDomElement taskList = findById(ApiReply::firstElement(project, QStringLiteral("task_lists")),
                                          QStringLiteral("task_list"), tasklistId);
    if (!taskList.isNull()) {
        auto value = [&](const char *key) { return task.value(QLatin1String(key)); };
        QDomElement tasks = ApiReply::firstElement(taskList, QStringLiteral("tasks"));
        QDomElement element = document.createElement(QStringLiteral("task"));
        element.setAttribute(QStringLiteral("id"), value("id").toInt());
        element.setAttribute(QStringLiteral("name"), ApiReply::toWire(value("name").toString()));
        element.setAttribute(QStringLiteral("tasklist_id"), tasklistId);
        element.setAttribute(QStringLiteral("complete"), value("complete").toInt());
        element.setAttribute(QStringLiteral("billable"), value("billable").toInt());
        element.appendChild(
            textElement(document, QStringLiteral("description"), ApiReply::toWire(value("description").toString())));
        element.appendChild(
            textElement(document, QStringLiteral("price_per_hour"), QString::number(value("price_per_hour").toInt())));
        element.appendChild(textElement(document, QStringLiteral("due_date"), value("due_date").toString()));
        tasks.appendChild(element);
    }
    return document.toString(1);
}
