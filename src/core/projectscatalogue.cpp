#include "projectscatalogue.h"

#include "searchterms.h"

#include <algorithm>

namespace {

// Finds or adds the shown client, project and task list for one project and task list.
ProjectsCatalogue::TaskList &shownTaskList(QList<ProjectsCatalogue::ShownClient> &clients,
                                           const ProjectsCatalogue::Project &project, int position,
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
        client->projects.append({project.id, project.name, position, {}});
    }
    QList<ProjectsCatalogue::TaskList> &taskLists = client->projects.last().taskLists;
    if (taskLists.isEmpty() || taskLists.last().id != taskList.id) {
        taskLists.append({taskList.id, taskList.name, taskList.hasTasks, {}});
    }
    return taskLists.last();
}

bool holdsRest(const QStringList &words, const QList<bool> &alreadyHeld, const QString &text)
{
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (!alreadyHeld.at(i) && !text.contains(words.at(i), Qt::CaseInsensitive)) {
            return false;
        }
    }
    return true;
}

} // namespace

ProjectsCatalogue &ProjectsCatalogue::shared()
{
    static ProjectsCatalogue catalogue;
    return catalogue;
}

void ProjectsCatalogue::replace(QList<Project> projects)
{
    m_projects = std::move(projects);
    m_usable = true;
    ++m_generation;
    indexNames();
}

void ProjectsCatalogue::markUnusable()
{
    m_usable = false;
    ++m_generation;
}

void ProjectsCatalogue::clear()
{
    m_projects.clear();
    m_usable = false;
    ++m_generation;
    m_projectNames.clear();
    m_tasklistNames.clear();
    m_openTasks.clear();
}

void ProjectsCatalogue::indexNames()
{
    m_projectNames.clear();
    m_tasklistNames.clear();
    m_openTasks.clear();
    // Sized once: growing a hash of a large account's tasks step by step costs more than reading them.
    qsizetype taskLists = 0;
    qsizetype tasks = 0;
    for (const Project &project : std::as_const(m_projects)) {
        taskLists += project.taskLists.size();
        for (const TaskList &taskList : project.taskLists) {
            tasks += taskList.tasks.size();
        }
    }
    m_projectNames.reserve(m_projects.size());
    m_tasklistNames.reserve(taskLists);
    m_openTasks.reserve(tasks);
    for (const Project &project : std::as_const(m_projects)) {
        m_projectNames.insert(project.id, project.name);
        for (const TaskList &taskList : project.taskLists) {
            m_tasklistNames.insert(taskList.id, taskList.name);
            for (const Task &task : taskList.tasks) {
                if (task.state == TaskState::Open) {
                    m_openTasks.insert(task.id, {task.name, project.id, taskList.id});
                }
            }
        }
    }
}

const ProjectsCatalogue::Project *ProjectsCatalogue::findProject(qint64 projectId) const
{
    const auto found = std::find_if(m_projects.cbegin(), m_projects.cend(),
                                    [projectId](const Project &project) { return project.id == projectId; });
    return found == m_projects.cend() ? nullptr : &*found;
}

ProjectsCatalogue::Project *ProjectsCatalogue::findProject(qint64 projectId)
{
    const auto found = std::find_if(m_projects.begin(), m_projects.end(),
                                    [projectId](const Project &project) { return project.id == projectId; });
    return found == m_projects.end() ? nullptr : &*found;
}

QList<ProjectsCatalogue::ShownClient> ProjectsCatalogue::shown(const QString &filterText) const
{
    const QStringList words = splitSearchTerms(filterText);
    QList<ShownClient> clients;
    // Which words the project or task-list name already holds: a task's own name need only hold the rest,
    // which keeps a keystroke over a large catalogue to one search per task and word.
    QList<bool> wordInList(words.size());
    for (int position = 0; position < m_projects.size(); ++position) {
        const Project &project = m_projects.at(position);
        for (const TaskList &taskList : project.taskLists) {
            if (!taskList.hasTasks) {
                continue;
            }
            for (qsizetype i = 0; i < words.size(); ++i) {
                wordInList[i] = project.name.contains(words.at(i), Qt::CaseInsensitive) ||
                                taskList.name.contains(words.at(i), Qt::CaseInsensitive);
            }
            bool anyShown = false;
            for (const Task &task : taskList.tasks) {
                if (task.state == TaskState::Open && holdsRest(words, wordInList, task.name)) {
                    shownTaskList(clients, project, position, taskList).tasks.append(task);
                    anyShown = true;
                }
            }
            if (!anyShown && !wordInList.contains(false)) {
                shownTaskList(clients, project, position, taskList);
            }
        }
    }
    return clients;
}

void ProjectsCatalogue::addTaskList(qint64 projectId, qint64 id, const QString &name)
{
    if (Project *project = findProject(projectId)) {
        project->taskLists.append({id, name, true, {}});
    }
    m_tasklistNames.insert(id, name);
    ++m_generation;
}

void ProjectsCatalogue::addTask(qint64 projectId, qint64 tasklistId, qint64 id, const QString &name)
{
    if (Project *project = findProject(projectId)) {
        const auto taskList =
            std::find_if(project->taskLists.begin(), project->taskLists.end(),
                         [tasklistId](const TaskList &candidate) { return candidate.id == tasklistId; });
        if (taskList != project->taskLists.end() && taskList->hasTasks) {
            taskList->tasks.append({id, name, TaskState::Open});
        }
    }
    m_openTasks.insert(id, {name, projectId, tasklistId});
    ++m_generation;
}

void ProjectsCatalogue::completeTask(qint64 id)
{
    const TaskPlace place = m_openTasks.take(id);
    if (Project *project = findProject(place.projectId)) {
        for (TaskList &taskList : project->taskLists) {
            for (Task &task : taskList.tasks) {
                if (task.id == id) {
                    task.state = TaskState::Complete;
                }
            }
        }
    }
    ++m_generation;
}
