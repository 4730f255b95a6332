#pragma once

#include <QHash>
#include <QList>
#include <QString>

// The signed-in user's clients, projects, task lists and tasks as the service last reported them, and
// the names the linking code writes into linked entries. The session layer loads it from each
// "tavro.projects.findByUser" reply; the projects tree, the choice dialogs, the views and the rules read it.
// Names are decoded; ids are the service's integers.
class ProjectsCatalogue
{
public:
    enum class TaskState : quint8 {
        Open,     // "complete" is "0": shown in the tree, named in links
        Complete, // "1"
        Other,    // anything else: offered in the choice dialogs only
    };
    struct Task
    {
        qint64 id = 0;
        QString name;
        TaskState state = TaskState::Open;
    };
    struct TaskList
    {
        qint64 id = 0;
        QString name;
        // A task list without a "tasks" element is never shown in the tree.
        bool hasTasks = false;
        QList<Task> tasks;
    };
    struct Project
    {
        qint64 id = 0;
        QString name;
        // 0 and empty for a project without a client.
        qint64 clientId = 0;
        QString clientName;
        QList<TaskList> taskLists;
    };

    // What the tree shows for a filter: clients in order of their first shown project; open tasks only.
    struct ShownProject
    {
        qint64 id = 0;
        QString name;
        // Its place among the catalogue's projects.
        int position = 0;
        QList<TaskList> taskLists;
    };
    struct ShownClient
    {
        qint64 id = 0;
        QString name;
        QList<ShownProject> projects;
    };

    // Where an open task sits, by the names the catalogue gives.
    struct TaskPlace
    {
        QString name;
        qint64 projectId = 0;
        qint64 tasklistId = 0;
    };

    // The one catalogue of this run.
    static ProjectsCatalogue &shared();

    // A usable reply replaces projects and names.
    void replace(QList<Project> projects);
    // An unusable reply: the tree and the dialogs have nothing to offer until the next usable one, while
    // entries linked meanwhile keep being named from the last usable one.
    void markUnusable();
    // Forgets everything, names included, as at start.
    void clear();
    bool isUsable() const { return m_usable; }
    // Changes with every change of the catalogue, so a view can tell whether what it shows is current.
    quint64 generation() const { return m_generation; }

    const QList<Project> &projects() const { return m_projects; }
    const Project *findProject(qint64 projectId) const;
    QList<ShownClient> shown(const QString &filterText) const;

    // Names by id; empty for an unknown id. Task lookups know open tasks only.
    QString projectName(qint64 id) const { return m_projectNames.value(id); }
    QString tasklistName(qint64 id) const { return m_tasklistNames.value(id); }
    QString taskName(qint64 id) const { return m_openTasks.value(id).name; }
    bool hasOpenTasks() const { return !m_openTasks.isEmpty(); }
    bool isOpenTask(qint64 id) const { return m_openTasks.contains(id); }
    TaskPlace taskPlace(qint64 id) const { return m_openTasks.value(id); }

    // What the service created on the user's behalf, so it shows without fetching the catalogue again.
    // Names are known even when the project or task list is missing from the catalogue.
    void addTaskList(qint64 projectId, qint64 id, const QString &name);
    void addTask(qint64 projectId, qint64 tasklistId, qint64 id, const QString &name);
    // A task the service completed on the user's behalf leaves the tree and the names of open tasks.
    void completeTask(qint64 id);

private:
    Project *findProject(qint64 projectId);
    void indexNames();

    QList<Project> m_projects;
    bool m_usable = false;
    quint64 m_generation = 0;
    QHash<qint64, QString> m_projectNames;
    QHash<qint64, QString> m_tasklistNames;
    QHash<qint64, TaskPlace> m_openTasks;
};
