#include "entrytreeview.h"

#include "cuttexttooltip.h"
#include "settings.h"
#include "timetext.h"
#include "treemodel.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <memory>

namespace {
// The narrowest the name column gets when it stops stretching.
constexpr int MinimumNameCharacters = 30;
} // namespace

EntryTreeView::EntryTreeView(QWidget *parent)
    : QTreeView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    header()->setSectionsMovable(false);
}

TreeModel *EntryTreeView::entryModel() const
{
    return qobject_cast<TreeModel *>(model());
}

QAction *EntryTreeView::addViewAction(const QString &text, const QKeySequence &shortcut)
{
    auto *action = new QAction(text, this);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WidgetShortcut);
    addAction(action);
    return action;
}

QModelIndexList EntryTreeView::selectedNames() const
{
    QModelIndexList names;
    if (!selectionModel()) {
        return names;
    }
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    for (const QModelIndex &index : selected) {
        if (index.column() == 0) {
            names << index;
        }
    }
    return names;
}

bool EntryTreeView::removesBefore(const QModelIndex &left, const QModelIndex &right)
{
    const QModelIndex leftParent = left.parent();
    const QModelIndex rightParent = right.parent();
    if (leftParent != rightParent && leftParent.isValid() && rightParent.isValid()) {
        return removesBefore(leftParent, rightParent);
    }
    return left.row() > right.row();
}

EntryTreeView::WorkingSet EntryTreeView::workingSet()
{
    WorkingSet set;
    TreeModel *treeModel = entryModel();
    if (!treeModel) {
        return set;
    }
    for (const QModelIndex &index : selectedNames()) {
        const int children = treeModel->rowCount(index);
        if (treeModel->itemProperty(index, QStringLiteral("type")).toString() == QLatin1String("app") && children > 0) {
            selectionModel()->select(
                QItemSelection(treeModel->index(0, 0, index), treeModel->index(children - 1, 0, index)),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    set.indexes = treeModel->entryIndexes(selectedNames());
    std::stable_sort(set.indexes.begin(), set.indexes.end(), removesBefore);
    for (const QModelIndex &index : std::as_const(set.indexes)) {
        set.entries << QPersistentModelIndex(index);
    }
    set.total = treeModel->entriesTime(set.indexes);
    return set;
}

QString EntryTreeView::confirmationText(Removal removal, int count, qint64 total)
{
    const bool one = count == 1;
    QString question;
    if (removal == Removal::Delete) {
        question = one ? tr("Are you sure you want to delete selected entry?")
                       : tr("Are you sure you want to delete these %n entries?", nullptr, count);
    } else {
        question = one ? tr("Are you sure you want to unlink selected entry?")
                       : tr("Are you sure you want to unlink these %n entries?", nullptr, count);
    }
    const QString time = one ? tr("Time: %1") : tr("Cumulated time: %1");
    return question + QStringLiteral("\n\n") + time.arg(formatDuration(total));
}

void EntryTreeView::removeFromView(const QList<QPersistentModelIndex> &entries)
{
    TreeModel *treeModel = entryModel();
    qint64 total = 0;
    for (const QPersistentModelIndex &entry : entries) {
        if (!entry.isValid()) {
            continue;
        }
        const qint64 time = treeModel->itemProperty(entry, QStringLiteral("time")).toLongLong();
        total += time;
        treeModel->propagateTime(entry, -time);
        treeModel->removeIndexAndEmptyParents(entry);
    }
    treeModel->addTotalTime(-total);
}

void EntryTreeView::restoreHeaderState(SettingKey<QByteArray> stateKey, SettingKey<QByteArray> geometryKey)
{
    setColumnWidth(TreeModel::TimeColumn, 80);
    setColumnWidth(TreeModel::BarColumn, 120);
    const Settings *settings = Settings::instance();
    header()->restoreState(settings->value(stateKey));
    header()->restoreGeometry(settings->value(geometryKey));
    // States saved before the headers showed their order would hide it again.
    header()->setSortIndicatorShown(true);
    // A state saved by an older layout must not bring back a fixed-width name column.
    applyColumnLayout();
}

int EntryTreeView::timeColumnMinimumWidth() const
{
    // The longest time a day can show, with the cell's margins.
    return fontMetrics().horizontalAdvance(formatDuration(23 * 3600 + 59 * 60 + 59)) +
           4 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 8;
}

void EntryTreeView::paintEvent(QPaintEvent *event)
{
    QTreeView::paintEvent(event);
    if (m_emptyText.isEmpty() || (model() && model()->rowCount() > 0)) {
        return;
    }
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const int margin = fontMetrics().height();
    painter.drawText(viewport()->rect().adjusted(margin, margin, -margin, -margin),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, m_emptyText);
}

bool EntryTreeView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && CutTextToolTip::show(this, static_cast<QHelpEvent *>(event))) {
        return true;
    }
    return QTreeView::viewportEvent(event);
}

void EntryTreeView::updateGeometries()
{
    QTreeView::updateGeometries();
    fitNameColumn();
}

void EntryTreeView::fitNameColumn()
{
    QHeaderView *head = header();
    // Resizing the column lays the view out again, which comes back here.
    if (m_fittingNames || head->count() <= TreeModel::StretchColumn) {
        return;
    }
    m_fittingNames = true;
    const int room =
        viewport()->width() - head->sectionSize(TreeModel::TimeColumn) - head->sectionSize(TreeModel::BarColumn);
    // The header's own text counts too: a longer translation of it must not be cut.
    const int wanted = std::max({sizeHintForColumn(TreeModel::NameColumn), head->sectionSizeHint(TreeModel::NameColumn),
                                 fontMetrics().averageCharWidth() * MinimumNameCharacters});
    const QHeaderView::ResizeMode mode = wanted >= room ? QHeaderView::Stretch : QHeaderView::Interactive;
    if (head->sectionResizeMode(TreeModel::NameColumn) != mode) {
        head->setSectionResizeMode(TreeModel::NameColumn, mode);
    }
    if (mode == QHeaderView::Interactive && head->sectionSize(TreeModel::NameColumn) != wanted) {
        head->resizeSection(TreeModel::NameColumn, wanted);
    }
    m_fittingNames = false;
}

void EntryTreeView::applyColumnLayout()
{
    QHeaderView *head = header();
    if (head->count() <= TreeModel::StretchColumn) {
        return;
    }
    // The name takes what the time and the bar leave, so that widening a dock never pushes the
    // time out of view and an empty tree needs no horizontal scroll bar.
    head->setStretchLastSection(false);
    head->setSectionResizeMode(TreeModel::NameColumn, QHeaderView::Stretch);
    head->setSectionResizeMode(TreeModel::TimeColumn, QHeaderView::Interactive);
    head->setSectionResizeMode(TreeModel::BarColumn, QHeaderView::Interactive);
    head->setSectionHidden(TreeModel::StretchColumn, true);
    const int timeWidth = timeColumnMinimumWidth();
    if (head->sectionSize(TreeModel::TimeColumn) < timeWidth) {
        head->resizeSection(TreeModel::TimeColumn, timeWidth);
    }
    if (head->sectionSize(TreeModel::BarColumn) < MinimumBarWidth) {
        head->resizeSection(TreeModel::BarColumn, MinimumBarWidth);
    }
    fitNameColumn();
}

QPoint EntryTreeView::contextMenuPosition(const QContextMenuEvent *event) const
{
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const QModelIndexList names = selectedNames();
        if (!names.isEmpty()) {
            const QRect rect = visualRect(names.first());
            return viewport()->mapToGlobal(QPoint(rect.left() + rect.height() / 2, rect.top()));
        }
    }
    return event->globalPos();
}

void EntryTreeView::contextMenuEvent(QContextMenuEvent *event)
{
    const QModelIndex index = event->reason() == QContextMenuEvent::Keyboard
                                  ? currentIndex()
                                  : indexAt(viewport()->mapFromGlobal(event->globalPos()));
    std::unique_ptr<QMenu> menu(createContextMenu(index));
    menu->exec(contextMenuPosition(event));
}

QString EntryTreeView::nodeKey(const QModelIndex &index) const
{
    const TreeModel *treeModel = entryModel();
    const QString type = treeModel->itemProperty(index, QStringLiteral("type")).toString();
    if (type == QLatin1String("app")) {
        return treeModel->itemProperty(index, QStringLiteral("app_id")).toString();
    }
    if (type == QLatin1String("hour")) {
        return index.data().toString();
    }
    if (type == QLatin1String("project") || type == QLatin1String("tasklist") || type == QLatin1String("task")) {
        return treeModel->itemProperty(index, QStringLiteral("id")).toString();
    }
    return {};
}

void EntryTreeView::saveSelection()
{
    m_selectedRows.clear();
    m_currentRow.clear();
    if (!entryModel() || !selectionModel()) {
        return;
    }
    for (const QModelIndex &index : selectionModel()->selectedRows()) {
        m_selectedRows.insert(rowPath(index));
    }
    if (currentIndex().isValid()) {
        m_currentRow = rowPath(currentIndex().siblingAtColumn(0));
    }
}

void EntryTreeView::restoreSelection()
{
    if (!entryModel() || !selectionModel() || (m_selectedRows.isEmpty() && m_currentRow.isEmpty())) {
        return;
    }
    QItemSelection selection;
    QModelIndex current;
    reselectBelow(QModelIndex(), &selection, &current);
    if (current.isValid()) {
        selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void EntryTreeView::reselectBelow(const QModelIndex &parent, QItemSelection *selection, QModelIndex *current) const
{
    // Only rows the user can see can have been selected by hand.
    const TreeModel *treeModel = entryModel();
    for (int row = 0; row < treeModel->rowCount(parent); ++row) {
        const QModelIndex child = treeModel->index(row, 0, parent);
        const QString path = rowPath(child);
        if (m_selectedRows.contains(path)) {
            selection->select(child, child);
        }
        if (path == m_currentRow) {
            *current = child;
        }
        if (isExpanded(child)) {
            reselectBelow(child, selection, current);
        }
    }
}

QString EntryTreeView::rowPath(const QModelIndex &index) const
{
    QString path = QStringLiteral("##") + index.data().toString();
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent()) {
        path.prepend(QStringLiteral("##") + parent.data().toString());
    }
    return entryModel()->itemProperty(index, QStringLiteral("type")).toString() + path;
}

void EntryTreeView::saveExpandedNodes()
{
    m_expandedNodes.clear();
    if (entryModel()) {
        saveBelow(QModelIndex(), QString());
    }
}

void EntryTreeView::saveBelow(const QModelIndex &parent, const QString &prefix)
{
    TreeModel *treeModel = entryModel();
    for (int row = 0; row < treeModel->rowCount(parent); ++row) {
        const QModelIndex child = treeModel->index(row, 0, parent);
        const QString type = treeModel->itemProperty(child, QStringLiteral("type")).toString();
        if (!isExpanded(child) || type == QLatin1String("entry")) {
            continue;
        }
        m_expandedNodes.append({type, prefix + QStringLiteral("##") + nodeKey(child)});
        saveBelow(child, prefix + QStringLiteral("##") + child.data().toString());
    }
}

void EntryTreeView::restoreExpandedNodes()
{
    if (entryModel()) {
        restoreBelow(QModelIndex(), QString());
    }
}

void EntryTreeView::restoreBelow(const QModelIndex &parent, const QString &prefix)
{
    TreeModel *treeModel = entryModel();
    for (int row = 0; row < treeModel->rowCount(parent); ++row) {
        const QModelIndex child = treeModel->index(row, 0, parent);
        const QString type = treeModel->itemProperty(child, QStringLiteral("type")).toString();
        if (!m_expandedNodes.contains({type, prefix + QStringLiteral("##") + nodeKey(child)})) {
            continue;
        }
        expand(child);
        if (type != QLatin1String("entry")) {
            restoreBelow(child, prefix + QStringLiteral("##") + child.data().toString());
        }
    }
}
