#include "projectstree.h"

#include "addtaskdialog.h"
#include "addtasklistdialog.h"
#include "cuttexttooltip.h"
#include "entrydragpayload.h"
#include "linktimedialog.h"
#include "logging.h"
#include "messagebox.h"
#include "searchterms.h"
#include "servicecall.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDebug>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

#include <memory>

namespace {

constexpr int completedTaskPause = 500;

bool isPositiveId(const QString &id)
{
    bool ok = false;
    return id.toLongLong(&ok) > 0 && ok;
}

} // namespace

ProjectsTree::ProjectsTree(QWidget *parent)
    : QTreeView(parent)
    , m_model(new ProjectsTreeModel(this))
    , m_refreshAction(new QAction(tr("&Refresh"), this))
{
    setModel(m_model);
    setHeaderHidden(true);
    setSortingEnabled(false);
    // Every row is one line of the same font: the view need not ask each row for its height.
    setUniformRowHeights(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropOverwriteMode(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setAutoExpandDelay(1000);
    setContextMenuPolicy(Qt::DefaultContextMenu);

    m_addTaskAction = new QAction(tr("Add &Task"), this);
    connect(m_addTaskAction, &QAction::triggered, this, &ProjectsTree::onMenuAddTask);
    m_addTaskListAction = new QAction(tr("Add Task&list"), this);
    connect(m_addTaskListAction, &QAction::triggered, this, &ProjectsTree::onMenuAddTaskList);
    m_completeAction = new QAction(tr("&Mark as complete"), this);
    connect(m_completeAction, &QAction::triggered, this, &ProjectsTree::onMenuComplete);
    connect(m_refreshAction, &QAction::triggered, this, &ProjectsTree::refreshRequested);
    m_expandAllAction = addTreeAction(tr("Ex&pand All"), QKeySequence::ZoomIn);
    connect(m_expandAllAction, &QAction::triggered, this, &QTreeView::expandAll);
    m_collapseAllAction = addTreeAction(tr("&Collapse All"), QKeySequence::ZoomOut);
    connect(m_collapseAllAction, &QAction::triggered, this, &QTreeView::collapseAll);
    connect(m_collapseAllAction, &QAction::triggered, this, [this] { m_collapsedSinceExpand = true; });
    connect(this, &QTreeView::collapsed, this, [this] { m_collapsedSinceExpand = true; });
}

ProjectsTree::~ProjectsTree() = default;

QAction *ProjectsTree::addTreeAction(const QString &text, const QKeySequence &shortcut)
{
    auto *action = new QAction(text, this);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WidgetShortcut);
    addAction(action);
    return action;
}

void ProjectsTree::populate()
{
    const ProjectsCatalogue &catalogue = ProjectsCatalogue::shared();
    if (!catalogue.isUsable()) {
        m_model->setRows(nullptr);
        // Once until the catalogue loads again: filtering offline must not repeat the box per keystroke.
        if (!m_loadFailed) {
            MessageBox::warning(this, tr("Error"), tr("Could not load projects tree"));
        }
        m_loadFailed = true;
        qCDebug(lcLinking) << "xml not good to load";
        return;
    }
    m_loadFailed = false;
    // Built once per catalogue: a keystroke only asks these rows which of them it keeps.
    showFiltered(std::make_unique<ProjectsFilterIndex>(catalogue.shown(QString())));
    m_rowsGeneration = catalogue.generation();
}

void ProjectsTree::showProjects()
{
    m_pinned.clear();
    populate();
}

void ProjectsTree::applyFilter(const QString &text)
{
    setFilterText(text);
    m_pinned.clear();
    if (!m_model->rows() || m_rowsGeneration != ProjectsCatalogue::shared().generation()) {
        populate();
        return;
    }
    showFiltered(nullptr);
}

void ProjectsTree::refresh()
{
    if (ProjectsCatalogue::shared().isUsable() && m_rowsGeneration != ProjectsCatalogue::shared().generation()) {
        populate();
    }
}

void ProjectsTree::clearProjects()
{
    m_model->setRows(nullptr);
}

void ProjectsTree::showFiltered(std::unique_ptr<ProjectsFilterIndex> newRows)
{
    // A row of the same rows keeps its number; new rows are searched by level and id.
    struct Place
    {
        int row;
        Level level;
        qint64 id;
    };
    const bool rebuilt = newRows != nullptr;
    const auto placeOf = [this](const QModelIndex &index) {
        return Place{m_model->rowOf(index), m_model->level(index), idOf(index)};
    };
    const auto shownIndex = [this, rebuilt](const Place &place) {
        return m_model->indexOf(rebuilt ? m_model->rows()->find(place.level, place.id) : place.row);
    };
    std::vector<Place> selected;
    for (const QModelIndex &index : selectionModel()->selectedIndexes()) {
        selected.push_back(placeOf(index));
    }
    const Place current = currentIndex().isValid() ? placeOf(currentIndex()) : Place{-1, Level::Client, -1};

    if (newRows) {
        m_model->setRows(std::move(newRows));
    }
    std::vector<int> pinned;
    for (const auto &[level, id] : m_pinned) {
        // A row the catalogue did not take (its project or task list unknown) has no place to show.
        if (const int row = m_model->rows()->find(level, id); row >= 0) {
            pinned.push_back(row);
        }
    }
    if (!m_model->show(splitSearchTerms(m_filterText), pinned)) {
        // The same rows as before, still selected as they were.
        if (m_collapsedSinceExpand) {
            expandAll();
            m_collapsedSinceExpand = false;
        }
        return;
    }
    // One layout of everything shown, as opening row after row would lay out the tree once per row.
    expandAll();
    m_collapsedSinceExpand = false;

    selectionModel()->setCurrentIndex(shownIndex(current), QItemSelectionModel::NoUpdate);
    for (const Place &place : selected) {
        const QModelIndex index = shownIndex(place);
        if (index.isValid()) {
            selectionModel()->select(index, QItemSelectionModel::Select);
        }
    }
}

qint64 ProjectsTree::idOf(const QModelIndex &index) const
{
    return index.isValid() ? m_model->id(index) : 0;
}

bool ProjectsTree::isTask(const QModelIndex &index) const
{
    return index.isValid() && m_model->level(index) == Level::Task;
}

QModelIndex ProjectsTree::firstSelected(Level level) const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return !selected.isEmpty() && m_model->level(selected.first()) == level ? selected.first() : QModelIndex();
}

int ProjectsTree::selectedId(const QString &type) const
{
    for (const QModelIndex &index : selectionModel()->selectedIndexes()) {
        if (ProjectsTreeModel::typeText(m_model->level(index)) == type) {
            return int(idOf(index));
        }
    }
    return 0;
}

QMenu *ProjectsTree::createContextMenu(const QModelIndex &index)
{
    for (QAction *action : {m_addTaskAction, m_addTaskListAction, m_completeAction}) {
        action->setEnabled(m_signedIn);
    }
    auto *menu = new QMenu(this);
    if (index.isValid()) {
        switch (m_model->level(index)) {
        case Level::Project:
            menu->addAction(m_addTaskListAction);
            break;
        case Level::TaskList:
            menu->addAction(m_addTaskAction);
            break;
        case Level::Task:
            menu->addAction(m_completeAction);
            break;
        case Level::Client:
            break;
        }
    }
    if (!menu->isEmpty()) {
        menu->addSeparator();
    }
    menu->addAction(m_refreshAction);
    menu->addAction(m_expandAllAction);
    menu->addAction(m_collapseAllAction);
    return menu;
}

void ProjectsTree::contextMenuEvent(QContextMenuEvent *event)
{
    const std::unique_ptr<QMenu> menu(createContextMenu(indexAt(event->pos())));
    menu->exec(event->globalPos());
}

void ProjectsTree::dragEnterEvent(QDragEnterEvent *event)
{
    QTreeView::dragEnterEvent(event);
    event->accept();
}

void ProjectsTree::dragMoveEvent(QDragMoveEvent *event)
{
    const bool onTask = isTask(indexAt(event->answerRect().center()));
    // Only tasks take entries, so only they light up while entries hover over them.
    setDropIndicatorShown(onTask);
    QTreeView::dragMoveEvent(event);
    if (onTask) {
        event->accept();
    } else {
        event->ignore();
    }
}

void ProjectsTree::dropEvent(QDropEvent *event)
{
    const QModelIndex task = indexAt(event->position().toPoint());
    const std::optional<EntryDragPayload> payload = EntryDragPayload::fromMimeData(event->mimeData());
    if (!isTask(task) || !payload) {
        qCDebug(lcLinking) << "ignoring drop: doesn't match criteria";
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        endDrop();
        return;
    }
    QString taskId = QString::number(idOf(task));
    QString notes = payload->notes;
    if (event->modifiers() & Qt::ControlModifier) {
        qCDebug(lcLinking) << "CTRL Pressed";
        if (!askDropTask(*payload, task, taskId, notes)) {
            // Left unaccepted: the source keeps its entries.
            endDrop();
            return;
        }
    }
    Q_EMIT signalConnectEntriesWithTask(payload->ids, taskId, notes);
    event->acceptProposedAction();
    endDrop();
}

void ProjectsTree::endDrop()
{
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
}

bool ProjectsTree::askDropTask(const EntryDragPayload &payload, const QModelIndex &task, QString &taskId,
                               QString &notes)
{
    LinkTimeDialog dialog(this);
    dialog.loadProjects(ProjectsCatalogue::shared());
    dialog.notes = payload.notes;
    dialog.seconds = payload.seconds;
    dialog.taskId = int(idOf(task));
    dialog.projectId = int(idOf(task.parent().parent()));
    dialog.putData();
    if (dialog.exec() != QDialog::Accepted) {
        qCDebug(lcLinking) << "dialog CANCEL";
        return false;
    }
    dialog.getData();
    qCDebug(lcLinking) << "from dialog: notes: " << dialog.notes << ", project: " << dialog.projectId
                       << ", task: " << dialog.taskId;
    if (dialog.taskId == 0) {
        qCDebug(lcLinking) << "no task selected - CANCEL";
        return false;
    }
    if (dialog.projectId != 0) {
        taskId = QString::number(dialog.taskId);
        notes = dialog.notes;
    }
    return true;
}

bool ProjectsTree::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && CutTextToolTip::show(this, static_cast<QHelpEvent *>(event))) {
        return true;
    }
    return QTreeView::viewportEvent(event);
}

void ProjectsTree::onMenuComplete()
{
    const QModelIndex task = firstSelected(Level::Task);
    if (!task.isValid()) {
        return;
    }
    if (MessageBox::confirm(this, tr("Confirm complete"),
                            tr("Are you sure you want to mark task \"%1\" as complete?").arg(task.data().toString()),
                            tr("&Mark Complete"), tr("&Keep Open")) != MessageBox::Yes) {
        return;
    }
    const qint64 id = idOf(task);
    m_model->strikeOut(id);
    ServiceCall::post(
        this, QStringLiteral("tavro.tasks.update"),
        {{QStringLiteral("task_id"), QString::number(id)}, {QStringLiteral("complete"), QStringLiteral("1")}},
        [this, id](bool ok, const QDomDocument &) {
            if (!ok) {
                qCDebug(lcLinking) << "API call to update task id=" << id << " failed";
                return;
            }
            // Gone from the catalogue at once, so no later filter shows it again.
            ProjectsCatalogue::shared().completeTask(id);
            // The struck-out task stays a moment, so that the user sees which one went.
            QTimer::singleShot(completedTaskPause, this, &ProjectsTree::refresh);
        });
}

void ProjectsTree::pin(Level level, qint64 id)
{
    m_pinned.emplace_back(level, id);
}

void ProjectsTree::onMenuAddTaskList()
{
    const QModelIndex project = firstSelected(Level::Project);
    if (!project.isValid()) {
        return;
    }
    AddTaskListDialog dialog(this);
    dialog.loadProjects(ProjectsCatalogue::shared());
    dialog.projectId = int(idOf(project));
    dialog.putData();
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    dialog.getData();
    qCDebug(lcLinking) << "from dialog: project_id = " << dialog.projectId << ", name = " << dialog.name;
    const qint64 projectId = dialog.projectId;
    const QString name = dialog.name;
    ServiceCall::post(
        this, QStringLiteral("tavro.tasklists.add"),
        {{QStringLiteral("name"), name, true}, {QStringLiteral("project_id"), QString::number(projectId)}},
        [this, projectId, name](bool ok, const QDomDocument &reply) {
            if (!ok) {
                qCDebug(lcLinking) << "add tasklist FAILED";
                return;
            }
            addTaskList(projectId, ServiceCall::firstAttribute(reply, QStringLiteral("tasklist"), QStringLiteral("id")),
                        name);
        });
}

void ProjectsTree::addTaskList(qint64 projectId, const QString &id, const QString &name)
{
    qCDebug(lcLinking) << "API add tasklist result: id = " << id;
    if (!isPositiveId(id)) {
        return;
    }
    // The catalogue follows the service even when a filter hides the project, so the next filter shows it.
    ProjectsCatalogue::shared().addTaskList(projectId, id.toLongLong(), name);
    pin(Level::TaskList, id.toLongLong());
    refresh();
}

void ProjectsTree::onMenuAddTask()
{
    const QModelIndex taskList = firstSelected(Level::TaskList);
    if (!taskList.isValid()) {
        return;
    }
    AddTaskDialog dialog(this);
    dialog.loadProjects(ProjectsCatalogue::shared());
    dialog.projectId = int(idOf(taskList.parent()));
    dialog.tasklistId = int(idOf(taskList));
    dialog.billable = true;
    dialog.putData();
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    dialog.getData();
    qCDebug(lcLinking) << "from dialog: project_id: " << dialog.projectId << ", tasklist_id: " << dialog.tasklistId
                       << ", name: " << dialog.name << ", description: " << dialog.description
                       << ", billable: " << (dialog.billable ? "true" : "false");
    const qint64 projectId = dialog.projectId;
    const qint64 tasklistId = dialog.tasklistId;
    const QString name = dialog.name;
    ServiceCall::post(this, QStringLiteral("tavro.tasks.add"),
                      {{QStringLiteral("name"), name, true},
                       {QStringLiteral("project_id"), QString::number(projectId)},
                       {QStringLiteral("tasklist_id"), QString::number(tasklistId)},
                       {QStringLiteral("description"), dialog.description, true},
                       {QStringLiteral("billable"), dialog.billable ? QStringLiteral("1") : QStringLiteral("0")}},
                      [this, projectId, tasklistId, name](bool ok, const QDomDocument &reply) {
                          if (!ok) {
                              qCDebug(lcLinking) << "add task FAILED ";
                              return;
                          }
                          addTask(projectId, tasklistId,
                                  ServiceCall::firstAttribute(reply, QStringLiteral("task"), QStringLiteral("id")),
                                  name);
                      });
}

void ProjectsTree::addTask(qint64 projectId, qint64 tasklistId, const QString &id, const QString &name)
{
    qCDebug(lcLinking) << "API add task result: task id = " << id;
    if (!isPositiveId(id)) {
        return;
    }
    ProjectsCatalogue::shared().addTask(projectId, tasklistId, id.toLongLong(), name);
    pin(Level::Task, id.toLongLong());
    refresh();
}
