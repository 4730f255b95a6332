#pragma once

#include "projectscatalogue.h"

#include <QTreeWidget>

#include <memory>

class ProjectsFilterIndex;
class QAction;
class QMenu;

// The user's clients, projects, task lists and open tasks as one tree. Items carry the remote id
// under IdRole and the type text ("client", "project", "tasklist", "task") under TypeRole.
// Entries dragged from the unlinked view are linked with the task they are dropped on (with Ctrl, after
// the link dialog); the context menu creates task lists and tasks and completes tasks on the service.
class ProjectsTree : public QTreeWidget
{
    Q_OBJECT

public:
    static constexpr int IdRole = Qt::UserRole + 1;
    static constexpr int TypeRole = Qt::UserRole + 2;

    explicit ProjectsTree(QWidget *parent = nullptr);
    ~ProjectsTree() override;

    QString filterText() const { return m_filterText; }
    void setFilterText(const QString &text) { m_filterText = text; }

    // Rebuilds the items from the shared catalogue for the current filter. An unusable catalogue leaves
    // the tree empty and says so in a box.
    void populate();

    // "&Refresh": the main window reloads the projects from the service when it is triggered.
    QAction *refreshAction() const { return m_refreshAction; }
    QAction *addTaskAction() const { return m_addTaskAction; }
    QAction *addTaskListAction() const { return m_addTaskListAction; }
    QAction *completeAction() const { return m_completeAction; }
    QAction *expandAllAction() const { return m_expandAllAction; }
    QAction *collapseAllAction() const { return m_collapseAllAction; }

    // The shown project item with this id below any client, and the shown task list with this id below it.
    QTreeWidgetItem *findProjectItem(int projectId) const;
    QTreeWidgetItem *findTasklistItem(int projectId, int tasklistId) const;

    // The id of the first selected item of `type` ("project", "task", ...), or 0.
    int selectedId(const QString &type) const;

    // The context menu for an item (null: empty space); the caller owns it.
    QMenu *createContextMenu(QTreeWidgetItem *item);

    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;

public Q_SLOTS:
    void onMenuAddTask();
    void onMenuAddTaskList();
    void onMenuComplete();
    // populate() and expand everything: for a freshly fetched catalogue.
    void showProjects();
    // Sets the filter and shows the catalogue again.
    void applyFilter(const QString &text);
    // Adding task lists and tasks and completing tasks are offered only while signed in.
    void setSignedIn(bool signedIn) { m_signedIn = signedIn; }

Q_SIGNALS:
    void refreshRequested();
    // Link these entries with this task.
    void signalConnectEntriesWithTask(const QStringList &entries, const QString &task_id, const QString &notes);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool dropMimeData(QTreeWidgetItem *parent, int index, const QMimeData *mimeData, Qt::DropAction action) override;
    // A name the column cuts shows whole in a tool tip.
    bool viewportEvent(QEvent *event) override;

private:
    enum Level { Client, Project, TaskList, Task };

    static QString typeOf(const QTreeWidgetItem *item);
    static int idOf(const QTreeWidgetItem *item);
    QTreeWidgetItem *firstSelectedOfType(const QString &type) const;
    QAction *addTreeAction(const QString &text, const QKeySequence &shortcut);
    // Asks the link dialog about a Ctrl drop on a task; false when it was cancelled or chose no task.
    bool askDropTask(const QDropEvent *event, const QTreeWidgetItem *taskItem);
    // An item below `parent`; without one, a detached item the caller hands to the tree.
    QTreeWidgetItem *addItem(QTreeWidgetItem *parent, Level level, qint64 id, const QString &name);
    static QString levelType(Level level);
    // A task list or task the service created (`id` as it answered): shown, and known to the catalogue.
    void addTaskList(qint64 projectId, const QString &id, const QString &name);
    void addTask(qint64 projectId, qint64 tasklistId, const QString &id, const QString &name);
    // Adds the clients' items; `index` learns them.
    void build(const QList<ProjectsCatalogue::ShownClient> &clients, ProjectsFilterIndex &index);
    // Applies the filter to the items built for the whole catalogue.
    void filterBuiltItems(const QString &text);

    // One icon per level, shared by every item.
    QIcon m_levelIcons[4];
    QString m_filterText;
    // Present while the items are those of the whole catalogue, built for an empty filter.
    std::unique_ptr<ProjectsFilterIndex> m_filterIndex;
    // The catalogue's generation the items were built from.
    quint64 m_indexGeneration = 0;
    bool m_collapsedSinceExpand = false;
    bool m_signedIn = false;
    // The last catalogue could not be read and the user was told.
    bool m_loadFailed = false;
    QAction *m_refreshAction;
    QAction *m_addTaskAction;
    QAction *m_addTaskListAction;
    QAction *m_completeAction;
    QAction *m_expandAllAction;
    QAction *m_collapseAllAction;
    // A Ctrl drop's choice in the link dialog, consumed by dropMimeData().
    int m_dropProjectId = 0;
    int m_dropTaskId = 0;
    QString m_dropNotes;
};
