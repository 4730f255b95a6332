#include "projectstree.h"

#include "addtaskdialog.h"
#include "addtasklistdialog.h"
#include "cuttexttooltip.h"
#include "entrydragpayload.h"
#include "linktimedialog.h"
#include "logging.h"
#include "messagebox.h"
#include "projectsfilterindex.h"
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
    : QTreeWidget(parent)
    , m_refreshAction(new QAction(tr("&Refresh"), this))
{
    setColumnCount(1);
    setHeaderHidden(true);
    setSortingEnabled(false);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropOverwriteMode(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setAutoExpandDelay(1000);
    setContextMenuPolicy(Qt::DefaultContextMenu);

    for (Level level : {Client, Project, TaskList, Task}) {
        m_levelIcons[level] = QIcon(QStringLiteral(":/icons/res/") + levelType(level) + QStringLiteral(".png"));
    }
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
    // Items added or removed behind the index's back (a created or completed task, a logout) end it.
    connect(model(), &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_filterIndex.reset(); });
    connect(model(), &QAbstractItemModel::rowsInserted, this, [this] { m_filterIndex.reset(); });
    connect(model(), &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { m_filterIndex.reset(); });
}

ProjectsTree::~ProjectsTree()
{
    // The base class clears the items after this class's members are gone.
    model()->disconnect(this);
}

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
    clear();
    const ProjectsCatalogue &catalogue = ProjectsCatalogue::shared();
    if (!catalogue.isUsable()) {
        // Once until the catalogue loads again: filtering offline must not repeat the box per keystroke.
        if (!m_loadFailed) {
            MessageBox::warning(this, tr("Error"), tr("Could not load projects tree"));
        }
        m_loadFailed = true;
        qCDebug(lcLinking) << "xml not good to load";
        return;
    }
    m_loadFailed = false;
    // Everything is built once; the filter hides what it leaves out and sorts the clients into its order.
    auto index = std::make_unique<ProjectsFilterIndex>();
    build(catalogue.shown(QString()), *index);
    // Kept once the items are in: adding items forgets any index.
    m_filterIndex = std::move(index);
    m_indexGeneration = catalogue.generation();
    filterBuiltItems(m_filterText);
}

void ProjectsTree::filterBuiltItems(const QString &text)
{
    if (m_filterIndex->apply(splitSearchTerms(text))) {
        // One layout change moves the clients: what is open or hidden below them stays as it is.
        invisibleRootItem()->sortChildren(0, Qt::AscendingOrder);
    }
}

void ProjectsTree::build(const QList<ProjectsCatalogue::ShownClient> &clients, ProjectsFilterIndex &index)
{
    // Built apart from the tree and handed over at once: attached items would each tell the view.
    QList<QTreeWidgetItem *> clientItems;
    for (const ProjectsCatalogue::ShownClient &client : clients) {
        const QString clientName = client.name.isEmpty() ? tr("No client") : client.name;
        QTreeWidgetItem *clientItem = addItem(nullptr, Client, client.id, clientName);
        index.addClient(clientItem);
        for (const ProjectsCatalogue::ShownProject &project : client.projects) {
            QTreeWidgetItem *projectItem = addItem(clientItem, Project, project.id, project.name);
            index.addProject(projectItem, project.name, project.position);
            for (const ProjectsCatalogue::TaskList &taskList : project.taskLists) {
                QTreeWidgetItem *taskListItem = addItem(projectItem, TaskList, taskList.id, taskList.name);
                index.addTaskList(taskListItem, taskList.name);
                for (const ProjectsCatalogue::Task &task : taskList.tasks) {
                    QTreeWidgetItem *taskItem = addItem(taskListItem, Task, task.id, task.name);
                    index.addTask(taskItem, task.name);
                }
            }
        }
        clientItems << clientItem;
    }
    addTopLevelItems(clientItems);
}

void ProjectsTree::showProjects()
{
    populate();
    expandAll();
    m_collapsedSinceExpand = false;
}

void ProjectsTree::applyFilter(const QString &text)
{
    setFilterText(text);
    const bool current = m_filterIndex && m_indexGeneration == ProjectsCatalogue::shared().generation();
    if (!current) {
        showProjects();
        return;
    }
    filterBuiltItems(text);
    // Hidden items keep their state: everything is still expanded unless the user collapsed something.
    if (m_collapsedSinceExpand) {
        expandAll();
        m_collapsedSinceExpand = false;
    }
}

namespace {
// A client item sorts by the place the filter gives it among the clients, not by its name.
class ClientItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem &other) const override
    {
        return data(0, ProjectsFilterIndex::ClientOrderRole).toInt() <
               other.data(0, ProjectsFilterIndex::ClientOrderRole).toInt();
    }
};
} // namespace

QTreeWidgetItem *ProjectsTree::addItem(QTreeWidgetItem *parent, Level level, qint64 id, const QString &name)
{
    auto *item = level == Client ? new ClientItem(parent) : new QTreeWidgetItem(parent);
    item->setText(0, name);
    item->setIcon(0, m_levelIcons[level]);
    item->setData(0, IdRole, QString::number(id));
    item->setData(0, TypeRole, levelType(level));
    // Tasks hold nothing: the view then lays a task out without asking whether it is expanded, which is
    // most of the work of a keystroke that shows a large part of the tree.
    if (level == Task) {
        item->setFlags(item->flags() | Qt::ItemNeverHasChildren);
    }
    return item;
}

QString ProjectsTree::levelType(Level level)
{
    static const QString types[] = {QStringLiteral("client"), QStringLiteral("project"), QStringLiteral("tasklist"),
                                    QStringLiteral("task")};
    return types[level];
}

QString ProjectsTree::typeOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, TypeRole).toString() : QString();
}

int ProjectsTree::idOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, IdRole).toInt() : 0;
}

QTreeWidgetItem *ProjectsTree::firstSelectedOfType(const QString &type) const
{
    const QList<QTreeWidgetItem *> selected = selectedItems();
    return !selected.isEmpty() && typeOf(selected.first()) == type ? selected.first() : nullptr;
}

QTreeWidgetItem *ProjectsTree::findProjectItem(int projectId) const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem *client = topLevelItem(i);
        for (int j = 0; j < client->childCount(); ++j) {
            const QTreeWidgetItem *project = client->child(j);
            if (!client->isHidden() && !project->isHidden() && typeOf(project) == QLatin1String("project") &&
                idOf(project) == projectId) {
                return client->child(j);
            }
        }
    }
    return nullptr;
}

QTreeWidgetItem *ProjectsTree::findTasklistItem(int projectId, int tasklistId) const
{
    const QTreeWidgetItem *project = findProjectItem(projectId);
    for (int i = 0; project && i < project->childCount(); ++i) {
        if (!project->child(i)->isHidden() && idOf(project->child(i)) == tasklistId) {
            return project->child(i);
        }
    }
    return nullptr;
}

int ProjectsTree::selectedId(const QString &type) const
{
    const QList<QTreeWidgetItem *> selected = selectedItems();
    for (const QTreeWidgetItem *item : selected) {
        if (item->data(0, TypeRole).toString() == type) {
            return item->data(0, IdRole).toInt();
        }
    }
    return 0;
}

QMenu *ProjectsTree::createContextMenu(QTreeWidgetItem *item)
{
    for (QAction *action : {m_addTaskAction, m_addTaskListAction, m_completeAction}) {
        action->setEnabled(m_signedIn);
    }
    auto *menu = new QMenu(this);
    const QString type = typeOf(item);
    if (type == QLatin1String("project")) {
        menu->addAction(m_addTaskListAction);
    } else if (type == QLatin1String("tasklist")) {
        menu->addAction(m_addTaskAction);
    } else if (type == QLatin1String("task")) {
        menu->addAction(m_completeAction);
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
    const std::unique_ptr<QMenu> menu(createContextMenu(itemAt(event->pos())));
    menu->exec(event->globalPos());
}

Qt::DropActions ProjectsTree::supportedDropActions() const
{
    return Qt::MoveAction;
}

QStringList ProjectsTree::mimeTypes() const
{
    return {QLatin1String(EntryDragPayload::MimeType)};
}

void ProjectsTree::dragEnterEvent(QDragEnterEvent *event)
{
    QTreeWidget::dragEnterEvent(event);
    event->accept();
}

void ProjectsTree::dragMoveEvent(QDragMoveEvent *event)
{
    const bool onTask = typeOf(itemAt(event->answerRect().center())) == QLatin1String("task");
    // Only tasks take entries, so only they light up while entries hover over them.
    setDropIndicatorShown(onTask);
    QTreeWidget::dragMoveEvent(event);
    if (onTask) {
        event->accept();
    } else {
        event->ignore();
    }
}

void ProjectsTree::dropEvent(QDropEvent *event)
{
    QTreeWidgetItem *item = itemAt(event->position().toPoint());
    if (!item || typeOf(item) != QLatin1String("task") || !EntryDragPayload::fromMimeData(event->mimeData())) {
        qCDebug(lcLinking) << "ignoring drop: doesn't match criteria";
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        stopAutoScroll();
        setState(NoState);
        viewport()->update();
        return;
    }
    m_dropProjectId = 0;
    m_dropTaskId = 0;
    m_dropNotes.clear();
    if (event->modifiers() & Qt::ControlModifier) {
        qCDebug(lcLinking) << "CTRL Pressed";
        if (!askDropTask(event, item)) {
            // The tree supports moves only, so the base class drops nothing.
            event->setDropAction(Qt::IgnoreAction);
        }
    }
    QTreeWidget::dropEvent(event);
}

bool ProjectsTree::askDropTask(const QDropEvent *event, const QTreeWidgetItem *taskItem)
{
    const std::optional<EntryDragPayload> payload = EntryDragPayload::fromMimeData(event->mimeData());
    LinkTimeDialog dialog(this);
    dialog.loadProjects(ProjectsCatalogue::shared());
    dialog.notes = payload->notes;
    dialog.seconds = payload->seconds;
    dialog.taskId = idOf(taskItem);
    const QTreeWidgetItem *taskList = taskItem->parent();
    dialog.projectId = taskList ? idOf(taskList->parent()) : 0;
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
    m_dropProjectId = dialog.projectId;
    m_dropTaskId = dialog.taskId;
    m_dropNotes = dialog.notes;
    return true;
}

bool ProjectsTree::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && CutTextToolTip::show(this, static_cast<QHelpEvent *>(event))) {
        return true;
    }
    return QTreeWidget::viewportEvent(event);
}

bool ProjectsTree::dropMimeData(QTreeWidgetItem *parent, int index, const QMimeData *mimeData, Qt::DropAction action)
{
    Q_UNUSED(index)
    if (action == Qt::IgnoreAction || !mimeData->hasFormat(QLatin1String(EntryDragPayload::MimeType)) ||
        typeOf(parent) != QLatin1String("task")) {
        return false;
    }
    const std::optional<EntryDragPayload> payload = EntryDragPayload::fromMimeData(mimeData);
    if (!payload) {
        qCDebug(lcLinking) << "ignoring drop: unreadable entries";
        return false;
    }
    QString taskId = parent->data(0, IdRole).toString();
    QString notes = payload->notes;
    if (m_dropProjectId != 0 && m_dropTaskId != 0) {
        notes = m_dropNotes;
        taskId = QString::number(m_dropTaskId);
    }
    Q_EMIT signalConnectEntriesWithTask(payload->ids, taskId, notes);
    return true;
}

void ProjectsTree::onMenuComplete()
{
    QTreeWidgetItem *item = firstSelectedOfType(QStringLiteral("task"));
    if (!item) {
        return;
    }
    if (MessageBox::confirm(this, tr("Confirm complete"),
                            tr("Are you sure you want to mark task \"%1\" as complete?").arg(item->text(0)),
                            tr("&Mark Complete"), tr("&Keep Open")) != MessageBox::Yes) {
        return;
    }
    QFont font = item->font(0);
    font.setStrikeOut(true);
    item->setFont(0, font);
    const QString id = item->data(0, IdRole).toString();
    // The tree may be rebuilt while the service is asked and while the struck-out task stays in view.
    const QPersistentModelIndex index(indexFromItem(item));
    ServiceCall::post(this, QStringLiteral("tavro.tasks.update"),
                      {{QStringLiteral("task_id"), id}, {QStringLiteral("complete"), QStringLiteral("1")}},
                      [this, id, index](bool ok, const QDomDocument &) {
                          if (!ok) {
                              qCDebug(lcLinking)
                                  << QStringLiteral("API call to update task id=") + id + QStringLiteral(" failed");
                              return;
                          }
                          // The struck-out task stays a moment, so that the user sees which one went.
                          QTimer::singleShot(completedTaskPause, this, [this, index] {
                              if (index.isValid()) {
                                  delete itemFromIndex(index);
                              }
                          });
                      });
}

void ProjectsTree::onMenuAddTaskList()
{
    const QTreeWidgetItem *item = firstSelectedOfType(QStringLiteral("project"));
    if (!item) {
        return;
    }
    AddTaskListDialog dialog(this);
    dialog.loadProjects(ProjectsCatalogue::shared());
    dialog.projectId = idOf(item);
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
    if (QTreeWidgetItem *projectItem = findProjectItem(projectId)) {
        addItem(projectItem, TaskList, id.toLongLong(), name);
        projectItem->setExpanded(true);
    }
    // The catalogue follows the service even when a filter hides the project, so the next filter shows it.
    ProjectsCatalogue::shared().addTaskList(projectId, id.toLongLong(), name);
}

void ProjectsTree::onMenuAddTask()
{
    const QTreeWidgetItem *item = firstSelectedOfType(QStringLiteral("tasklist"));
    if (!item) {
        return;
    }
    AddTaskDialog dialog(this);
    dialog.loadProjects(ProjectsCatalogue::shared());
    dialog.projectId = idOf(item->parent());
    dialog.tasklistId = idOf(item);
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
    if (QTreeWidgetItem *taskListItem = findTasklistItem(projectId, tasklistId)) {
        addItem(taskListItem, Task, id.toLongLong(), name);
        taskListItem->setExpanded(true);
    }
    ProjectsCatalogue::shared().addTask(projectId, tasklistId, id.toLongLong(), name);
}
