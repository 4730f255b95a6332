#pragma once

#include <QList>
#include <QString>
#include <QStringList>

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

    // Hides what the words do not match, as building the tree for them would leave it out. False, with
    // nothing changed, when such a build would order the clients differently: the caller builds then.
    bool apply(const QStringList &words);

private:
    struct Row
    {
        QTreeWidgetItem *item = nullptr;
        QString name;
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
    };

    void match(const QStringList &words);
    bool keepsClientOrder() const;
    void show();

    QList<ClientRow> m_clients;
};
