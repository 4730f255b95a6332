#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <qnamespace.h>

#include <vector>

class QTreeWidgetItem;

// The projects tree's items beside the names they show, so a filter keystroke hides and shows items
// instead of building the tree again: a large account's tree holds over a hundred thousand items, and
// building them takes a second. Only items whose visibility changes are touched.
class ProjectsFilterIndex
{
public:
    // Remembers the items of a tree built for an empty filter, in the tree's order. `position` is the
    // project's place in the catalogue.
    void addClient(QTreeWidgetItem *item);
    void addProject(QTreeWidgetItem *item, const QString &name, int position);
    void addTaskList(QTreeWidgetItem *item, const QString &name);
    void addTask(QTreeWidgetItem *item, const QString &name);

    // Where a client item goes among the others: the catalogue place of its first shown project.
    static constexpr int ClientOrderRole = Qt::UserRole + 3;

    // Hides what the words do not match, as building the tree for them would leave it out, and gives
    // each client item its place under ClientOrderRole. True when the places changed: the caller sorts
    // the clients then, as a build for the words would order them.
    bool apply(const QStringList &words);

private:
    struct Row
    {
        QTreeWidgetItem *item = nullptr;
        bool shown = true;
        bool wanted = true;
    };
    struct TaskListRow : Row
    {
        QList<Row> tasks;
    };
    struct ProjectRow : Row
    {
        int position = 0;
        QList<TaskListRow> taskLists;
    };
    struct ClientRow : Row
    {
        QList<ProjectRow> projects;
        int place = 0;
    };

    void addName(const QString &name);
    // Per named row, in the order the rows were added: whether its name holds the folded word.
    std::vector<char> rowsHolding(const QString &foldedWord) const;
    void match(const QStringList &words);
    bool placeClients();
    void show();

    QList<ClientRow> m_clients;
    // The case-folded names of the projects, task lists and tasks one after another, each closed by a
    // character no name holds: a word is looked for once in the whole text instead of once per name.
    QString m_names;
    // Where each name starts in m_names.
    std::vector<qsizetype> m_nameStarts;
};
