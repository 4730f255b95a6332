#pragma once

#include <QTreeWidget>

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

    QString filterText() const { return m_filterText; }
    void setFilterText(const QString &text) { m_filterText = text; }

    // Rebuilds the items for the current filter and stores the five id maps. A document whose status
    // is not "ok" leaves the tree empty, the maps as they were, and says so in a box.
    void populate(const QString &xml);

    // "&Refresh": the main window reloads the projects from the service when it is triggered.
    QAction *refreshAction() const { return m_refreshAction; }
    QAction *addTaskAction() const { return m_addTaskAction; }
    QAction *addTaskListAction() const { return m_addTaskListAction; }
    QAction *completeAction() const { return m_completeAction; }
    QAction *expandAllAction() const { return m_expandAllAction; }
    QAction *collapseAllAction() const { return m_collapseAllAction; }

    // The project item with this id below any client, and the task list with this id below that project.
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
    void showProjects(const QString &xml);
    // Sets the filter and shows the cached catalogue again.
    void applyFilter(const QString &text);
    // Adding task lists and tasks and completing tasks are offered only while signed in.
    void setSignedIn(bool signedIn) { m_signedIn = signedIn; }

Q_SIGNALS:
    void refreshRequested();
    // Link these entries with this task; connected directly, so linking runs inside the drop.
    void signalConnectEntriesWithTask(const QStringList &entries, const QString &task_id, const QString &notes);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool dropMimeData(QTreeWidgetItem *parent, int index, const QMimeData *mimeData, Qt::DropAction action) override;

private:
    static QString typeOf(const QTreeWidgetItem *item);
    static int idOf(const QTreeWidgetItem *item);
    QTreeWidgetItem *firstSelectedOfType(const QString &type) const;
    QAction *addTreeAction(const QString &text, const QKeySequence &shortcut);
    // Asks the link dialog about a Ctrl drop on a task; false when it was cancelled or chose no task.
    bool askDropTask(const QDropEvent *event, const QTreeWidgetItem *taskItem);
    QTreeWidgetItem *addItem(QTreeWidgetItem *parent, const QString &type, const QString &id, const QString &name);

    QString m_filterText;
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
