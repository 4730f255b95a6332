#include "treemodeladapter.h"

#include "entrytreeview.h"
#include "treemodel.h"

TreeModelAdapter::TreeModelAdapter(bool linked, EntryTreeView *view, QObject *parent)
    : EntryDayModel(parent)
    , m_model(new TreeModel(linked, this))
{
    connect(m_model, &TreeModel::setTotalTimeText, this, &EntryDayModel::totalTimeTextChanged);
    connect(m_model, &TreeModel::datesWithZeroTimeChanged, this, &EntryDayModel::datesWithZeroTimeChanged);
    connect(m_model, &TreeModel::expandNode, view, &QTreeView::expand);
    connect(m_model, &TreeModel::collapseAll, view, &QTreeView::collapseAll);
    connect(m_model, &TreeModel::sortStarting, view, &EntryTreeView::saveExpandedNodes);
    connect(m_model, &TreeModel::sortDone, view, &EntryTreeView::restoreExpandedNodes);
    connect(m_model, &TreeModel::refreshing, view, &EntryTreeView::saveExpandedNodes);
    connect(m_model, &TreeModel::refreshed, view, &EntryTreeView::restoreExpandedNodes);
}

QAbstractItemModel *TreeModelAdapter::itemModel()
{
    return m_model;
}

void TreeModelAdapter::setDay(const QDate &day)
{
    m_model->setDay(day);
}

void TreeModelAdapter::setHideUnder(int seconds)
{
    m_model->setHideUnder(seconds);
}

void TreeModelAdapter::setFilterText(const QString &text)
{
    m_model->setFilterText(text);
}

void TreeModelAdapter::setGroupByHour(bool on)
{
    m_model->setGroupByHour(on);
}

void TreeModelAdapter::reload()
{
    m_model->reload();
}

void TreeModelAdapter::release()
{
    m_model->release();
}

void TreeModelAdapter::addEntry(const QDateTime &start, qint64 entryId)
{
    m_model->addEntry(start, entryId);
}

qint64 TreeModelAdapter::totalTime() const
{
    return m_model->totalTime();
}

qint64 TreeModelAdapter::nodeTime(const QModelIndex &index) const
{
    return m_model->itemProperty(index, QStringLiteral("time")).toLongLong();
}

QString TreeModelAdapter::nodeType(const QModelIndex &index) const
{
    return m_model->itemProperty(index, QStringLiteral("type")).toString();
}
