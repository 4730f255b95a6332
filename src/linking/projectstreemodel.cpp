#include "projectstreemodel.h"

#include "entrydragpayload.h"

#include <QFont>

#include <algorithm>

ProjectsTreeModel::ProjectsTreeModel(QObject *parent)
    : QAbstractItemModel(parent)
    , m_firstChild(1, 0)
    , m_childCount(1, 0)
    , m_shownAt(1, 0)
{
    for (Level level : {Level::Client, Level::Project, Level::TaskList, Level::Task}) {
        m_levelIcons[level] = QIcon(QStringLiteral(":/icons/res/") + typeText(level) + QStringLiteral(".png"));
    }
}

ProjectsTreeModel::~ProjectsTreeModel() = default;

QString ProjectsTreeModel::typeText(Level level)
{
    static const QString types[] = {QStringLiteral("client"), QStringLiteral("project"), QStringLiteral("tasklist"),
                                    QStringLiteral("task")};
    return types[level];
}

void ProjectsTreeModel::setRows(std::unique_ptr<ProjectsFilterIndex> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_struckOut.clear();
    // Nothing shown: the root holds no rows.
    m_firstChild.assign(rootSlot() + 1, 0);
    m_childCount.assign(rootSlot() + 1, 0);
    m_shownAt.assign(rootSlot() + 1, -1);
    m_shownAt[rootSlot()] = 0;
    m_children.clear();
    m_shown.clear();
    endResetModel();
}

bool ProjectsTreeModel::show(const QStringList &words, const std::vector<int> &pinned)
{
    if (!m_rows) {
        return false;
    }
    std::vector<int> &shown = m_next;
    const std::vector<int> &kept = m_rows->kept(words);
    shown.assign(kept.cbegin(), kept.cend());
    const auto isShown = [&](int row) {
        return m_rows->isKept(row) ||
               std::find(shown.cbegin() + qsizetype(kept.size()), shown.cend(), row) != shown.cend();
    };
    // A pinned row comes last among its parent's children, where the catalogue added it.
    for (int row : pinned) {
        if (!isShown(row) && isShown(m_rows->parent(row))) {
            shown.push_back(row);
        }
    }
    // Most keystrokes of a word that every name holds change nothing: the view need not lay out again.
    if (shown == m_shown && !m_shown.empty()) {
        return false;
    }
    beginResetModel();
    m_shown.swap(shown);
    const int root = rootSlot();
    m_shownAt.assign(root + 1, -1);
    m_shownAt[root] = 0;
    m_childCount.assign(root + 1, 0);
    for (int row : m_shown) {
        const int parent = m_rows->parent(row);
        m_shownAt[row] = m_childCount[parent < 0 ? root : parent]++;
    }
    m_firstChild.assign(root + 1, 0);
    for (int slot = 0, first = 0; slot <= root; ++slot) {
        m_firstChild[slot] = first;
        first += m_childCount[slot];
    }
    m_children.resize(m_shown.size());
    for (int row : m_shown) {
        const int parent = m_rows->parent(row);
        m_children[m_firstChild[parent < 0 ? root : parent] + m_shownAt[row]] = row;
    }
    endResetModel();
    return true;
}

int ProjectsTreeModel::rowOf(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this ? int(index.internalId()) : -1;
}

QModelIndex ProjectsTreeModel::indexOf(int row) const
{
    if (row < 0 || row >= rootSlot() || m_shownAt[row] < 0) {
        return {};
    }
    return createIndex(m_shownAt[row], 0, quintptr(row));
}

void ProjectsTreeModel::strikeOut(qint64 taskId)
{
    m_struckOut.insert(taskId);
    const QModelIndex shown = m_rows ? indexOf(m_rows->find(Level::Task, taskId)) : QModelIndex();
    if (shown.isValid()) {
        Q_EMIT dataChanged(shown, shown, {Qt::FontRole});
    }
}

QModelIndex ProjectsTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    const int slot = slotOf(parent);
    if (column != 0 || row < 0 || row >= m_childCount[slot]) {
        return {};
    }
    return createIndex(row, 0, quintptr(m_children[m_firstChild[slot] + row]));
}

QModelIndex ProjectsTreeModel::parent(const QModelIndex &child) const
{
    const int parent = child.isValid() ? m_rows->parent(int(child.internalId())) : -1;
    return parent < 0 ? QModelIndex() : createIndex(m_shownAt[parent], 0, quintptr(parent));
}

int ProjectsTreeModel::rowCount(const QModelIndex &parent) const
{
    return parent.column() > 0 ? 0 : m_childCount[slotOf(parent)];
}

int ProjectsTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant ProjectsTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid()) {
        return {};
    }
    const int row = int(index.internalId());
    const Level level = m_rows->level(row);
    switch (role) {
    case Qt::DisplayRole:
        return level == Level::Client && m_rows->name(row).isEmpty() ? tr("No client") : m_rows->name(row);
    case Qt::DecorationRole:
        return m_levelIcons[level];
    case Qt::FontRole:
        if (level == Level::Task && m_struckOut.contains(m_rows->id(row))) {
            QFont font;
            font.setStrikeOut(true);
            return font;
        }
        return {};
    case IdRole:
        return QString::number(m_rows->id(row));
    case TypeRole:
        return typeText(level);
    default:
        return {};
    }
}

Qt::ItemFlags ProjectsTreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    // Tasks hold nothing: the view then lays a task out without asking for its children, which is most
    // of the work of a keystroke that shows a large part of the tree.
    if (m_rows->level(int(index.internalId())) == Level::Task) {
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren | Qt::ItemIsDropEnabled;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QStringList ProjectsTreeModel::mimeTypes() const
{
    return {QLatin1String(EntryDragPayload::MimeType)};
}

Qt::DropActions ProjectsTreeModel::supportedDropActions() const
{
    return Qt::MoveAction;
}
