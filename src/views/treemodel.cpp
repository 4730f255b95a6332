#include "treemodel.h"

#include "bytearena.h"
#include "contrast.h"
#include "entryreader.h"
#include "projectscatalogue.h"
#include "settings.h"
#include "timetext.h"
#include "treeitem.h"

#include <QBrush>
#include <QDebug>
#include <QFont>
#include <QGuiApplication>
#include <QHash>
#include <QPalette>
#include <QSet>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

const QString &TypeKey = TreeItem::TypeKey;
const QString &TimeKey = TreeItem::TimeKey;
const QString IconKey = QStringLiteral("icon");
const QString IdKey = QStringLiteral("id");
const QString &TitleKey = TreeItem::TitleKey;
const QString &EntriesKey = TreeItem::EntriesKey;
const QString AppPathKey = QStringLiteral("app_path");
const QString AppIdKey = QStringLiteral("app_id");
const QString HourKey = QStringLiteral("hour");
const QString &UnconfirmedKey = TreeItem::UnconfirmedKey;

const QString HourType = QStringLiteral("hour");
const QString ProjectType = QStringLiteral("project");
const QString TasklistType = QStringLiteral("tasklist");
const QString TaskType = QStringLiteral("task");
const QString AppType = QStringLiteral("app");
const QString EntryType = QStringLiteral("entry");

// "IgnoredApps" compared without regard to case.
QSet<QString> ignoredPaths()
{
    QSet<QString> paths;
    const QStringList list = Settings::instance()->value(Setting::IgnoredApps);
    for (const QString &path : list) {
        paths.insert(path.toCaseFolded());
    }
    return paths;
}

QString hourLabel(int hour)
{
    return QStringLiteral("%1:00 - %2:00").arg(hour).arg(hour + 1);
}

QIcon nodeIcon(const QString &type)
{
    static QHash<QString, QIcon> icons;
    auto it = icons.find(type);
    if (it == icons.end()) {
        it = icons.insert(type, QIcon(QStringLiteral(":/icons/res/%1.png").arg(type)));
    }
    return *it;
}

// The catalogue's current name; the one stored at linking time for what it no longer lists (a
// completed task, a project gone).
using CatalogueName = QString (ProjectsCatalogue::*)(qint64) const;
QString nameFor(CatalogueName catalogueName, const QString &id, const QString &stored)
{
    const QString name = (ProjectsCatalogue::shared().*catalogueName)(id.toLongLong());
    return name.isEmpty() ? stored : name;
}

void sortTree(TreeItem *item, int column, Qt::SortOrder order)
{
    if (item->childCount() == 0) {
        return;
    }
    const bool ascending = order == Qt::AscendingOrder;
    if (column == TreeModel::NameColumn) {
        item->sortChildren([ascending](const TreeItem *a, const TreeItem *b) {
            const int result = QString::compare(a->data(0).toString(), b->data(0).toString(), Qt::CaseSensitive);
            return ascending ? result < 0 : result > 0;
        });
    } else {
        item->sortChildren([ascending](const TreeItem *a, const TreeItem *b) {
            const qint64 left = a->time();
            const qint64 right = b->time();
            return ascending ? left < right : left > right;
        });
    }
    for (int row = 0; row < item->childCount(); ++row) {
        sortTree(item->child(row), column, order);
    }
}

} // namespace

TreeModel::TreeModel(bool linked, QObject *parent)
    : QAbstractItemModel(parent)
    , m_linked(linked)
    , m_arena(std::make_unique<TreeItemArena>())
    , m_root(std::make_unique<TreeItem>(
          QVariantList{linked ? tr("Entries linked with Tavro") : tr("Entries not linked with Tavro"), tr("Time"),
                       QString(), QString()}))
{}

TreeModel::~TreeModel() = default;

TreeItem *TreeModel::itemFor(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<TreeItem *>(index.internalPointer()) : m_root.get();
}

QModelIndex TreeModel::indexFor(TreeItem *item) const
{
    return item && item != m_root.get() ? createIndex(item->row(), 0, item) : QModelIndex();
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if ((parent.isValid() && parent.column() != 0) || column < 0 || column >= columnCount()) {
        return {};
    }
    TreeItem *child = itemFor(parent)->child(row);
    return child ? createIndex(row, column, child) : QModelIndex();
}

QModelIndex TreeModel::parent(const QModelIndex &index) const
{
    if (!index.isValid()) {
        return {};
    }
    return indexFor(itemFor(index)->parent());
}

int TreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0) {
        return 0;
    }
    return itemFor(parent)->childCount();
}

int TreeModel::columnCount(const QModelIndex &) const
{
    return m_root->columnCount();
}

QVariant TreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid()) {
        return {};
    }
    const TreeItem *item = itemFor(index);
    switch (role) {
    case Qt::DisplayRole:
        return item->data(index.column());
    case Qt::DecorationRole:
        return index.column() == NameColumn ? item->property(IconKey) : QVariant();
    case Qt::ForegroundRole:
        if (index.column() == TimeColumn && item->property(TypeKey).toString() == EntryType) {
            return QBrush(Contrast::readable(QColor(127, 127, 127), QGuiApplication::palette().color(QPalette::Base)));
        }
        return {};
    case Qt::TextAlignmentRole:
        return index.column() == TimeColumn ? QVariant(int(Qt::AlignRight)) : QVariant();
    case Qt::FontRole:
        if (item->property(UnconfirmedKey).toBool()) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return {};
    case Qt::ToolTipRole:
        return item->property(UnconfirmedKey).toBool()
                   ? QVariant(tr("Booking or unlinking not confirmed by Tavro: choose \"Settle Unconfirmed "
                                 "Booking\""))
                   : QVariant();
    default:
        return {};
    }
}

bool TreeModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid()) {
        return false;
    }
    if (!itemFor(index)->setData(index.column(), value)) {
        return false;
    }
    Q_EMIT dataChanged(index, index);
    return true;
}

QVariant TreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return m_root->data(section);
    }
    return {};
}

bool TreeModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || role != Qt::EditRole || !m_root->setData(section, value)) {
        return false;
    }
    Q_EMIT headerDataChanged(orientation, section, section);
    return true;
}

Qt::ItemFlags TreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsEnabled;
}

bool TreeModel::insertRows(int position, int count, const QModelIndex &parent)
{
    TreeItem *item = itemFor(parent);
    if (count < 1 || position < 0 || position > item->childCount()) {
        return false;
    }
    beginInsertRows(parent, position, position + count - 1);
    const bool done = item->insertChildren(position, count, m_root->columnCount());
    endInsertRows();
    return done;
}

bool TreeModel::removeRows(int position, int count, const QModelIndex &parent)
{
    TreeItem *item = itemFor(parent);
    if (count < 1 || position < 0 || position + count > item->childCount()) {
        return false;
    }
    beginRemoveRows(parent, position, position + count - 1);
    const bool done = item->removeChildren(position, count);
    endRemoveRows();
    return done;
}

void TreeModel::sort(int column, Qt::SortOrder order)
{
    m_sortColumn = column;
    m_sortOrder = order;
    Q_EMIT sortStarting();
    Q_EMIT layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    QList<QPair<TreeItem *, int>> items;
    items.reserve(before.size());
    for (const QModelIndex &index : before) {
        items.append({itemFor(index), index.column()});
    }
    sortTree(m_root.get(), column, order);
    QModelIndexList after;
    after.reserve(items.size());
    for (const auto &[item, itemColumn] : items) {
        after.append(createIndex(item->row(), itemColumn, item));
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged();
    // After the layout change, so that the view forgets expansions of rows that are settled.
    Q_EMIT collapseAll();
    Q_EMIT sortDone();
}

// Builds a day's tree in one pass over the day query. Every node a row lands in is found through
// a hash keyed by its parent and its key, so no row searches the tree; times and id lists are
// summed per title and written once at the end.
class TreeModel::DayBuilder
{
public:
    DayBuilder(TreeItem *root, TreeItemArena *arena, bool linked, bool groupByHour, const AppLook &look)
        : m_root(root)
        , m_arena(arena)
        , m_linked(linked)
        , m_groupByHour(groupByHour)
        , m_look(look)
        , m_ignored(ignoredPaths())
        , m_zero(formatDuration(0))
    {
        // Room for a heavy day from the start: growing the indexes row by row cost more.
        m_appNodes.reserve(512);
        m_appPathNodes.reserve(512);
        m_textIndex.reserve(2048);
        m_titleSlots.reserve(2048);
    }

    void add(const DayRows &row)
    {
        const App &app = appOf(row);
        if (app.ignored) {
            return;
        }
        TreeItem *parent = m_root;
        if (!m_linked && m_groupByHour) {
            parent = hourNode(row.startHour());
        } else if (m_linked) {
            parent = taskNode(row);
        }
        TreeItem *&appNode = m_appNodes[{parent, row.applicationId()}];
        if (!appNode) {
            appNode = appNodeFor(parent, app, row.applicationId());
        }
        Title &title = titleOf(appNode, row);
        const qint64 seconds = row.seconds();
        title.seconds += seconds;
        ++title.entries;
        m_rowIds.push_back({qsizetype(&title - m_titles.data()), row.id()});
        m_total += seconds;
    }

    // Writes every node's time and every title's entry ids; returns the day's total.
    qint64 finish()
    {
        // The ids, grouped by title in row order: each title's run starts where the ones before
        // it end.
        std::vector<qsizetype> next(m_titles.size());
        qsizetype start = 0;
        for (size_t slot = 0; slot < m_titles.size(); ++slot) {
            next[slot] = start;
            start += m_titles[slot].entries;
        }
        std::vector<qint64> ids(static_cast<size_t>(start));
        for (const auto &[slot, id] : m_rowIds) {
            ids[size_t(next[size_t(slot)]++)] = id;
        }
        for (size_t slot = 0; slot < m_titles.size(); ++slot) {
            const Title &title = m_titles[slot];
            setTime(title.node, title.seconds);
            title.node->setEntryIds(ids.data() + next[slot] - title.entries, title.entries);
        }
        for (int row = 0; row < m_root->childCount(); ++row) {
            sumChildren(m_root->child(row));
        }
        return m_total;
    }

private:
    struct App
    {
        QString path;
        QString name;
        bool ignored = false;
        // Ids of one path share this number (-1 until the application is first met), and the
        // values their nodes carry.
        qsizetype pathNumber = -1;
        QVariant pathValue;
        QVariant iconValue;
    };
    struct Title
    {
        TreeItem *node = nullptr;
        qint64 seconds = 0;
        qsizetype entries = 0;
    };
    struct TaskKey
    {
        qint64 task = -1;
        qint64 tasklist = -1;
        qint64 project = -1;
        bool operator==(const TaskKey &other) const
        {
            return task == other.task && tasklist == other.tasklist && project == other.project;
        }
        friend size_t qHash(const TaskKey &key, size_t seed = 0)
        {
            return qHashMulti(seed, key.task, key.tasklist, key.project);
        }
    };

    // An inner node's time is the sum of its children's; titles have theirs already.
    qint64 sumChildren(TreeItem *node)
    {
        if (node->childCount() == 0) {
            return node->time();
        }
        qint64 seconds = 0;
        for (int row = 0; row < node->childCount(); ++row) {
            seconds += sumChildren(node->child(row));
        }
        setTime(node, seconds);
        return seconds;
    }

    // Many titles share a duration: each text is formatted once.
    void setTime(TreeItem *node, qint64 seconds)
    {
        auto text = m_durations.constFind(seconds);
        if (text == m_durations.constEnd()) {
            text = m_durations.insert(seconds, formatDuration(seconds));
        }
        node->setTime(seconds);
        node->setData(TimeColumn, *text);
    }

    TreeItem *append(TreeItem *parent, const QString &name, const QString &type, TreeItem::Properties properties = {})
    {
        TreeItem *item = m_arena->make(name, m_zero, type, properties);
        parent->appendChild(item);
        return item;
    }

    const App &appOf(const DayRows &row)
    {
        const auto number = size_t(row.applicationNumber());
        if (number >= m_apps.size()) {
            m_apps.resize(number + 1);
        }
        App &app = m_apps[number];
        if (app.pathNumber < 0) {
            app.path = row.appPath();
            app.name = m_look.name(app.path, row.appName());
            app.ignored = m_ignored.contains(app.path.toCaseFolded());
            auto pathNumber = m_pathNumbers.constFind(app.path);
            if (pathNumber == m_pathNumbers.constEnd()) {
                pathNumber = m_pathNumbers.insert(app.path, m_pathNumbers.size());
            }
            app.pathNumber = *pathNumber;
            app.pathValue = app.path;
            app.iconValue = m_look.icon(app.path);
        }
        return app;
    }

    // Project, task list and task of a linked row; looked up by their integer ids in one step.
    TreeItem *taskNode(const DayRows &row)
    {
        TaskKey key;
        const bool integers = row.extIds(&key.task, &key.tasklist, &key.project);
        TreeItem **known = integers ? &m_tasks[key] : nullptr;
        if (known && *known) {
            return *known;
        }
        TreeItem *node = group(
            m_root, ProjectType, row.extProjectId(), [&] { return row.extProjectName(); },
            &ProjectsCatalogue::projectName);
        node = group(
            node, TasklistType, row.extTasklistId(), [&] { return row.extTasklistName(); },
            &ProjectsCatalogue::tasklistName);
        node = group(
            node, TaskType, row.extTaskId(), [&] { return row.extTaskName(); }, &ProjectsCatalogue::taskName);
        if (known) {
            *known = node;
        }
        return node;
    }

    TreeItem *hourNode(int hour)
    {
        TreeItem *&node = m_hours[hour];
        if (!node) {
            node = append(m_root, hourLabel(hour), HourType, {{HourKey, hour}, {IconKey, nodeIcon(HourType)}});
        }
        return node;
    }

    template <typename StoredName>
    TreeItem *group(TreeItem *parent, const QString &type, const QString &id, StoredName storedName,
                    CatalogueName catalogueName)
    {
        TreeItem *&node = m_groups[{parent, id}];
        if (!node) {
            node = append(parent, nameFor(catalogueName, id, storedName()), type,
                          {{IdKey, id}, {IconKey, nodeIcon(type)}});
        }
        return node;
    }

    // Applications are shown by path: two ids of one path share a node, named after the first.
    TreeItem *appNodeFor(TreeItem *parent, const App &app, qint64 appId)
    {
        TreeItem *&node = m_appPathNodes[{parent, app.pathNumber}];
        if (!node) {
            node = append(parent, app.name, AppType,
                          {{AppPathKey, app.pathValue}, {AppIdKey, appId}, {IconKey, app.iconValue}});
        }
        return node;
    }

    // Titles are told apart by their stored bytes; each distinct one is decoded once, and the
    // same title under several hours, tasks or applications shares that text.
    qsizetype textOf(const DayRows &row)
    {
        const QByteArrayView bytes = row.titleUtf8();
        auto found = m_textIndex.constFind(bytes);
        if (found == m_textIndex.constEnd()) {
            m_texts.push_back(row.title());
            found = m_textIndex.insert(m_keys.keep(bytes), qsizetype(m_texts.size() - 1));
        }
        return *found;
    }

    Title &titleOf(TreeItem *app, const DayRows &row)
    {
        const qsizetype text = textOf(row);
        // The title's place in m_titles plus one; 0 for a title new under this node.
        qsizetype &slot = m_titleSlots[{app, text}];
        // The service's answer is still to be settled.
        if (slot > 0) {
            if (m_linked && row.isUnconfirmed()) {
                m_titles[slot - 1].node->setUnconfirmed(true);
            }
            return m_titles[slot - 1];
        }
        const QString &title = m_texts[text];
        TreeItem *node = append(app, title, EntryType);
        node->setTitle(title);
        if (row.hasRemoteEntry()) {
            node->setLinked(true);
        }
        if (m_linked && row.isUnconfirmed()) {
            node->setUnconfirmed(true);
        }
        m_titles.push_back({node, 0, 0});
        slot = qsizetype(m_titles.size());
        return m_titles.back();
    }

    TreeItem *m_root;
    TreeItemArena *m_arena;
    const bool m_linked;
    const bool m_groupByHour;
    const AppLook &m_look;
    const QSet<QString> m_ignored;
    const QString m_zero;
    // By the cursor's application number.
    std::vector<App> m_apps;
    std::array<TreeItem *, 24> m_hours{};
    QHash<QPair<TreeItem *, QString>, TreeItem *> m_groups;
    QHash<QPair<TreeItem *, qint64>, TreeItem *> m_appNodes;
    QHash<QString, qsizetype> m_pathNumbers;
    QHash<QPair<TreeItem *, qsizetype>, TreeItem *> m_appPathNodes;
    QHash<QByteArrayView, qsizetype> m_textIndex;
    std::vector<QString> m_texts;
    QHash<QPair<TreeItem *, qsizetype>, qsizetype> m_titleSlots;
    QHash<TaskKey, TreeItem *> m_tasks;
    std::vector<Title> m_titles;
    // The title slot and id of every row, in row order.
    std::vector<std::pair<qsizetype, qint64>> m_rowIds;
    ByteArena m_keys;
    QHash<qint64, QString> m_durations;
    qint64 m_total = 0;
};

void TreeModel::setupModelData(const QDate &day, int threshold)
{
    // A reset rather than a bare layout change: the old nodes are deleted, and views must drop
    // every index into them.
    beginResetModel();
    const QVariantList headers{m_root->data(0), m_root->data(1), m_root->data(2), m_root->data(3)};
    // The old tree goes before the new one is built, so that its nodes' memory takes the new ones.
    m_root = std::make_unique<TreeItem>(headers);
    m_arena->reuse();
    m_day = day;
    m_hideUnder = threshold;

    const std::unique_ptr<DayRows> rows = openDay(day, entryFilter(), threshold);
    DayBuilder builder(m_root.get(), m_arena.get(), m_linked, m_groupByHour, m_look);
    while (rows && rows->next()) {
        builder.add(*rows);
    }
    if (!rows || !rows->error().isEmpty()) {
        // The day cannot be read: an empty tree, and the total stays as it was.
        m_root = std::make_unique<TreeItem>(headers);
        endResetModel();
        return;
    }
    m_arena->trim();
    m_totalTime = builder.finish();
    m_hiddenTime = m_filter.trimmed().isEmpty() && threshold <= 0 ? 0 : qMax(0LL, unfilteredTime() - m_totalTime);
    // A new day or filter keeps the order the user chose in the header.
    if (m_sortColumn >= 0) {
        sortTree(m_root.get(), m_sortColumn, m_sortOrder);
    }
    endResetModel();
    Q_EMIT setTotalTimeText(totalTimeText());
}

EntryFilter TreeModel::entryFilter() const
{
    EntryFilter filter(m_filter);
    const QStringList terms = filter.terms();
    if (terms.isEmpty()) {
        return filter;
    }
    const QList<ApplicationRow> applications = m_entries ? m_entries->applications() : QList<ApplicationRow>();
    for (const ApplicationRow &app : applications) {
        const QString shown = m_look.name(app.path, app.name);
        if (shown == app.name) {
            continue;
        }
        for (const QString &term : terms) {
            if (shown.contains(term, Qt::CaseInsensitive)) {
                filter.shownNameMatches[term].append(app.id);
            }
        }
    }
    return filter;
}

qint64 TreeModel::unfilteredTime() const
{
    const QSet<QString> ignored = ignoredPaths();
    const std::unique_ptr<DayRows> rows = openDay(m_day, EntryFilter(), 0);
    qint64 seconds = 0;
    while (rows && rows->next()) {
        if (!ignored.contains(rows->appPath().toCaseFolded())) {
            seconds += rows->seconds();
        }
    }
    return seconds;
}

std::unique_ptr<DayRows> TreeModel::openDay(const QDate &day, const EntryFilter &filter, int hideUnder) const
{
    return m_entries ? m_entries->dayRows(day, link(), filter, hideUnder) : nullptr;
}

QString TreeModel::totalTimeText() const
{
    if (m_hiddenTime <= 0) {
        return formatDuration(m_totalTime);
    }
    const bool filtered = !m_filter.trimmed().isEmpty();
    const QString by = filtered && m_hideUnder > 0 ? tr("the filter and \"Hide entries under\"")
                       : filtered                  ? tr("the filter")
                                                   : tr("\"Hide entries under\"");
    return tr("%1 shown, %2 hidden by %3").arg(formatDuration(m_totalTime), formatDuration(m_hiddenTime), by);
}

void TreeModel::reload()
{
    setupModelData(m_day, m_hideUnder);
}

void TreeModel::release()
{
    beginResetModel();
    const QVariantList headers{m_root->data(0), m_root->data(1), m_root->data(2), m_root->data(3)};
    m_root = std::make_unique<TreeItem>(headers);
    m_arena->reuse();
    m_arena->trim();
    endResetModel();
}

void TreeModel::addEntry(const QDateTime &start, qint64 entryId)
{
    if (!m_linked && start.date() == m_day) {
        refresh({entryId});
    }
}

void TreeModel::refresh(const QList<qint64> &newIds)
{
    Q_EMIT refreshing();
    const qint64 before = m_totalTime;
    setupModelData(m_day, m_hideUnder);
    Q_EMIT refreshed();
    if ((before != 0 && m_totalTime == 0) || (before == 0 && m_totalTime > 0)) {
        Q_EMIT datesWithZeroTimeChanged();
    }
    if (newIds.isEmpty()) {
        return;
    }
    QSet<QString> wanted;
    for (qint64 id : newIds) {
        wanted.insert(QString::number(id));
    }
    expandHolding(m_root.get(), wanted);
}

bool TreeModel::expandHolding(TreeItem *node, const QSet<QString> &ids)
{
    bool holds = false;
    for (int row = 0; row < node->childCount(); ++row) {
        TreeItem *child = node->child(row);
        if (child->type() == EntryType) {
            const QStringList entries = child->property(EntriesKey).toStringList();
            holds = holds || std::any_of(entries.cbegin(), entries.cend(),
                                         [&ids](const QString &id) { return ids.contains(id); });
        } else if (expandHolding(child, ids)) {
            Q_EMIT expandNode(indexFor(child));
            holds = true;
        }
    }
    return holds;
}

void TreeModel::addTotalTime(qint64 delta)
{
    const qint64 before = m_totalTime;
    m_totalTime += delta;
    Q_EMIT setTotalTimeText(totalTimeText());
    if ((before != 0 && m_totalTime == 0) || (before == 0 && m_totalTime > 0)) {
        Q_EMIT datesWithZeroTimeChanged();
    }
}

QModelIndex TreeModel::appendRow(const QModelIndex &parent, const QVariantList &values)
{
    const int row = rowCount(parent);
    if (!insertRows(row, 1, parent)) {
        return {};
    }
    for (int column = 0; column < values.size(); ++column) {
        setData(index(row, column, parent), values.at(column), Qt::EditRole);
    }
    return index(row, 0, parent);
}

QVariant TreeModel::itemProperty(const QModelIndex &index, const QString &key) const
{
    return index.isValid() ? itemFor(index)->property(key) : QVariant();
}

QModelIndex TreeModel::findIndex(const QString &type, const QString &key, const QString &value,
                                 const QModelIndex &parent) const
{
    const TreeItem *item = itemFor(parent);
    for (int row = 0; row < item->childCount(); ++row) {
        TreeItem *child = item->child(row);
        if (child->property(TypeKey).toString() == type) {
            if (child->property(key).toString() == value) {
                return createIndex(row, 0, child);
            }
            continue;
        }
        const QModelIndex found = findIndex(type, key, value, createIndex(row, 0, child));
        if (found.isValid()) {
            return found;
        }
    }
    return {};
}

void TreeModel::propagateTime(const QModelIndex &index, qint64 delta)
{
    for (QModelIndex node = index.parent(); node.isValid(); node = node.parent()) {
        TreeItem *item = itemFor(node);
        const qint64 time = item->property(TimeKey).toLongLong() + delta;
        item->setProperty(TimeKey, time);
        setData(node.siblingAtColumn(TimeColumn), formatDuration(time));
    }
}

void TreeModel::removeIndexAndEmptyParents(const QModelIndex &index)
{
    if (!index.isValid()) {
        return;
    }
    QModelIndex parent = index.parent();
    removeRows(index.row(), 1, parent);
    while (parent.isValid() && rowCount(parent) == 0) {
        const QModelIndex grandParent = parent.parent();
        removeRows(parent.row(), 1, grandParent);
        parent = grandParent;
    }
}

QModelIndexList TreeModel::entryIndexes(const QModelIndexList &indexes) const
{
    QModelIndexList entries;
    for (const QModelIndex &index : indexes) {
        if (index.column() == 0 && itemProperty(index, TypeKey).toString() == EntryType) {
            entries << index;
        }
    }
    return entries;
}

QStringList TreeModel::entryIds(const QModelIndexList &indexes) const
{
    QStringList ids;
    for (const QModelIndex &index : entryIndexes(indexes)) {
        ids << itemProperty(index, EntriesKey).toStringList();
    }
    return ids;
}

qint64 TreeModel::entriesTime(const QModelIndexList &indexes) const
{
    qint64 total = 0;
    for (const QModelIndex &index : entryIndexes(indexes)) {
        total += itemProperty(index, TimeKey).toLongLong();
    }
    return total;
}

int TreeModel::countWithProperty(const QModelIndexList &indexes, const QString &key, const QVariant &value) const
{
    int count = 0;
    for (const QModelIndex &index : indexes) {
        if (index.column() == 0 && itemProperty(index, key) == value) {
            ++count;
        }
    }
    return count;
}

QStringList TreeModel::entryParentNames(const QModelIndexList &indexes) const
{
    QStringList names;
    for (const QModelIndex &index : entryIndexes(indexes)) {
        const QString name = index.parent().data().toString();
        if (!names.contains(name)) {
            names << name;
        }
    }
    return names;
}

QList<qint64> TreeModel::applicationIds(const QModelIndexList &indexes) const
{
    QList<qint64> ids;
    for (const QModelIndex &index : indexes) {
        if (index.column() != 0) {
            continue;
        }
        const QString type = itemProperty(index, TypeKey).toString();
        QVariant id;
        if (type == AppType) {
            id = itemProperty(index, AppIdKey);
        } else if (type == EntryType) {
            id = itemProperty(index.parent(), AppIdKey);
        }
        if (id.isValid() && !ids.contains(id.toLongLong())) {
            ids << id.toLongLong();
        }
    }
    return ids;
}

QString TreeModel::entriesDescription(const QModelIndexList &indexes) const
{
    QStringList lines;
    for (const QModelIndex &index : entryIndexes(indexes)) {
        lines << QLatin1Char('(') + formatDuration(itemProperty(index, TimeKey).toLongLong()) + QStringLiteral(") ") +
                     index.data().toString();
    }
    return lines.join(QLatin1Char('\n'));
}
