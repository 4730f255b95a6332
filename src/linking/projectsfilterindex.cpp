#include "projectsfilterindex.h"

#include <QTreeWidgetItem>

#include <algorithm>
#include <limits>

namespace {

// Names come as XML, which cannot carry it: no word matches across two names.
constexpr QChar nameEnd = QChar(0);

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
    addName(name);
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
    addName(name);
    m_clients.last().projects.last().taskLists.append(taskList);
}

void ProjectsFilterIndex::addTask(QTreeWidgetItem *item, const QString &name)
{
    addName(name);
    m_clients.last().projects.last().taskLists.last().tasks.append({item});
}

void ProjectsFilterIndex::addName(const QString &name)
{
    m_nameStarts.push_back(m_names.size());
    // Folding is per character, as a case-insensitive search compares.
    m_names += name.toCaseFolded();
    m_names += nameEnd;
}

std::vector<char> ProjectsFilterIndex::rowsHolding(const QString &foldedWord) const
{
    std::vector<char> holding(m_nameStarts.size());
    auto row = m_nameStarts.cbegin();
    for (qsizetype at = m_nameStarts.empty() ? -1 : m_names.indexOf(foldedWord); at >= 0;) {
        row = std::upper_bound(row, m_nameStarts.cend(), at) - 1;
        holding[row - m_nameStarts.cbegin()] = true;
        // One hit is enough for a name: go on with the next one.
        const auto next = row + 1;
        at = next == m_nameStarts.cend() ? -1 : m_names.indexOf(foldedWord, *next);
    }
    return holding;
}

bool ProjectsFilterIndex::apply(const QStringList &words)
{
    match(words);
    show();
    return placeClients();
}

// The rule of the catalogue's filter: a task is shown when every word is in its project's, its task list's
// or its own name; a task list without a shown task when every word is in its project's or its own name.
// A named row is covered by a word when its name or an ancestor's holds it; it is wanted when covered by all.
void ProjectsFilterIndex::match(const QStringList &words)
{
    std::vector<char> covered(m_nameStarts.size(), true);
    for (const QString &word : words) {
        const std::vector<char> holding = rowsHolding(word.toCaseFolded());
        std::size_t row = 0;
        for (const ClientRow &client : std::as_const(m_clients)) {
            for (const ProjectRow &project : client.projects) {
                const bool inProject = holding[row++];
                for (const TaskListRow &taskList : project.taskLists) {
                    const bool inTaskList = inProject || holding[row];
                    covered[row] = covered[row] && inTaskList;
                    ++row;
                    for (qsizetype task = 0; task < taskList.tasks.size(); ++task, ++row) {
                        covered[row] = covered[row] && (inTaskList || holding[row]);
                    }
                }
            }
        }
    }
    std::size_t row = 0;
    for (ClientRow &client : m_clients) {
        client.wanted = false;
        for (ProjectRow &project : client.projects) {
            project.wanted = false;
            ++row;
            for (TaskListRow &taskList : project.taskLists) {
                const bool all = covered[row++];
                bool anyTask = false;
                for (Row &task : taskList.tasks) {
                    task.wanted = covered[row++];
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
