#pragma once

#include "projectstreemodel.h"

#include <QTreeView>

#include <memory>
#include <vector>

class EntryDragPayload;
class QAction;
class QMenu;

// The user's clients, projects, task lists and open tasks as one tree, filtered by the words typed
// above it; whatever shows is expanded. Entries dragged from the unlinked view are linked with the
// task they are dropped on (with Ctrl, after the link dialog); the context menu creates task lists and
// tasks and completes tasks on the service.
class ProjectsTree : public QTreeView
{
    Q_OBJECT

public:
    explicit ProjectsTree(QWidget *parent = nullptr);
    ~ProjectsTree() override;

    QString filterText() const { return m_filterText; }
    void setFilterText(const QString &text) { m_filterText = text; }

    // Shows the shared catalogue for the current filter. An unusable catalogue leaves the tree empty and
    // says so in a box.
    void populate();

    // "&Refresh": the main window reloads the projects from the service when it is triggered.
    QAction *refreshAction() const { return m_refreshAction; }
    QAction *addTaskAction() const { return m_addTaskAction; }
    QAction *addTaskListAction() const { return m_addTaskListAction; }
    QAction *completeAction() const { return m_completeAction; }
    QAction *expandAllAction() const { return m_expandAllAction; }
    QAction *collapseAllAction() const { return m_collapseAllAction; }

    // The id of the first selected row of `type` ("project", "task", ...), or 0.
    int selectedId(const QString &type) const;

    // The context menu for a row (invalid: empty space); the caller owns it.
    QMenu *createContextMenu(const QModelIndex &index);

public Q_SLOTS:
    void onMenuAddTask();
    void onMenuAddTaskList();
    void onMenuComplete();
    // populate() for a freshly fetched catalogue.
    void showProjects();
    // Sets the filter and shows the catalogue for it.
    void applyFilter(const QString &text);
    // Empties the tree, as on logout.
    void clearProjects();
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
    // A name the column cuts shows whole in a tool tip.
    bool viewportEvent(QEvent *event) override;

private:
    using Level = ProjectsFilterIndex::Level;

    QModelIndex firstSelected(Level level) const;
    qint64 idOf(const QModelIndex &index) const;
    bool isTask(const QModelIndex &index) const;
    QAction *addTreeAction(const QString &text, const QKeySequence &shortcut);
    // Asks the link dialog about a Ctrl drop on a task; false when it was cancelled or chose no task.
    // A choice of another task with its project replaces `taskId` and `notes`.
    bool askDropTask(const EntryDragPayload &payload, const QModelIndex &task, QString &taskId, QString &notes);
    void endDrop();
    // Shows the rows (new ones when given) the filter keeps and the pinned rows, everything expanded,
    // the selection kept where it still shows.
    void showFiltered(std::unique_ptr<ProjectsFilterIndex> newRows);
    // Takes the catalogue's changes in, keeping the filter.
    void refresh();
    // A task list or task the service created (`id` as it answered): known to the catalogue, and shown
    // until the filter changes even when the filter leaves it out.
    void addTaskList(qint64 projectId, const QString &id, const QString &name);
    void addTask(qint64 projectId, qint64 tasklistId, const QString &id, const QString &name);
    void pin(Level level, qint64 id);

    ProjectsTreeModel *m_model;
    QString m_filterText;
    // The catalogue's generation the rows were built from.
    quint64 m_rowsGeneration = 0;
    // Rows created here since the filter last changed, by level and id.
    std::vector<std::pair<Level, qint64>> m_pinned;
    // The user closed a row since everything was last opened.
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
};
