#include "projectsfilterindex.h"

#include <QTreeWidgetItem>

#include <limits>

namespace {

bool holds(const QString &text, const QString &word)
{
    return text.contains(word, Qt::CaseInsensitive);
}

// True when the row is shown: only then do its children matter.
template <typename RowType> bool showRow(RowType &row)
{
    if (row.shown != row.wanted) {
        row.item->setHidden(!row.wanted);
        row.shown = row.wanted;
    }
    return row.shown;
}

} // namespace

void ProjectsFilterIndex::addClient(QTreeWidgetItem *item)
{
    ClientRow client;
    client.item = item;
    m_clients.append(client);
}

void ProjectsFilterIndex::addProject(QTreeWidgetItem *item, const QString &name, int position)
{
    ProjectRow project;
    project.item = item;
    project.name = name;
    project.position = position;
    ClientRow &client = m_clients.last();
    // Built for no filter, a client sits where its first project does.
    if (client.projects.isEmpty()) {
        client.place = position;
        client.item->setData(0, ClientOrderRole, position);
    }
    client.projects.append(project);
}

void ProjectsFilterIndex::addTaskList(QTreeWidgetItem *item, const QString &name)
{
    TaskListRow taskList;
    taskList.item = item;
    taskList.name = name;
    m_clients.last().projects.last().taskLists.append(taskList);
}

void ProjectsFilterIndex::addTask(QTreeWidgetItem *item, const QString &name)
{
    m_clients.last().projects.last().taskLists.last().tasks.append({item, name});
}

bool ProjectsFilterIndex::apply(const QStringList &words)
{
    match(words);
    show();
    return placeClients();
}

// The rule of the catalogue's filter: a task is shown when every word is in its project's, its task list's
// or its own name; a task list without a shown task when every word is in its project's or its own name.
void ProjectsFilterIndex::match(const QStringList &words)
{
    QList<bool> inProject(words.size());
    QList<bool> inTaskList(words.size());
    for (ClientRow &client : m_clients) {
        client.wanted = false;
        for (ProjectRow &project : client.projects) {
            project.wanted = false;
            for (qsizetype i = 0; i < words.size(); ++i) {
                inProject[i] = holds(project.name, words.at(i));
            }
            for (TaskListRow &taskList : project.taskLists) {
                bool all = true;
                for (qsizetype i = 0; i < words.size(); ++i) {
                    inTaskList[i] = inProject.at(i) || holds(taskList.name, words.at(i));
                    all = all && inTaskList.at(i);
                }
                bool anyTask = false;
                for (Row &task : taskList.tasks) {
                    task.wanted = true;
                    for (qsizetype i = 0; task.wanted && i < words.size(); ++i) {
                        task.wanted = inTaskList.at(i) || holds(task.name, words.at(i));
                    }
                    anyTask = anyTask || task.wanted;
                }
                taskList.wanted = anyTask || all;
                project.wanted = project.wanted || taskList.wanted;
            }
            client.wanted = client.wanted || project.wanted;
        }
    }
}

// A build orders the clients by their first shown project; hidden clients go last.
bool ProjectsFilterIndex::placeClients()
{
    bool changed = false;
    for (ClientRow &client : m_clients) {
        int place = std::numeric_limits<int>::max();
        for (const ProjectRow &project : client.projects) {
            if (project.wanted) {
                place = project.position;
                break;
            }
        }
        if (client.place != place) {
            client.place = place;
            client.item->setData(0, ClientOrderRole, place);
            changed = true;
        }
    }
    return changed;
}

// Below a hidden item nothing is touched: a hundred thousand hidden tasks would each cost the view.
void ProjectsFilterIndex::show()
{
    for (ClientRow &client : m_clients) {
        for (ProjectRow &project : client.projects) {
            for (TaskListRow &taskList : project.taskLists) {
                for (Row &task : taskList.tasks) {
                    if (taskList.wanted) {
                        showRow(task);
                    }
                }
                if (project.wanted) {
                    showRow(taskList);
                }
            }
            if (client.wanted) {
                showRow(project);
            }
        }
        showRow(client);
    }
}
