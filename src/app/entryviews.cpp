#include "entryviews.h"

#include "entrieslist.h"
#include "entrydaymodel.h"
#include "listitemdelegate.h"
#include "settings.h"
#include "timetree.h"
#include "treemodel.h"
#include "windowinfo.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>

#include <utility>

EntryViews::EntryViews(TimeTree *unlinked, QLabel *unlinkedTotal, EntriesList *linked, QLabel *linkedTotal,
                       QObject *parent)
    : QObject(parent)
    , m_unlinkedView(unlinked)
    , m_unlinkedTotal(unlinkedTotal)
    , m_linkedView(linked)
    , m_linkedTotal(linkedTotal)
{}

void EntryViews::setModels(EntryDayModel *unlinked, EntryDayModel *linked)
{
    for (EntryDayModel *model : {m_unlinked, m_linked}) {
        if (model) {
            disconnect(model, nullptr, this, nullptr);
            disconnect(model->itemModel(), nullptr, this, nullptr);
        }
    }
    m_unlinked = unlinked;
    m_linked = linked;
    if (unlinked) {
        connect(unlinked, &EntryDayModel::datesWithZeroTimeChanged, this, &EntryViews::datesWithZeroTimeChanged);
    }
    for (EntryDayModel *model : {unlinked, linked}) {
        if (model) {
            connect(model->itemModel(), &QAbstractItemModel::modelReset, this, &EntryViews::rebuilt);
        }
    }
}

void EntryViews::attachModel(EntryTreeView *view, EntryDayModel *model, QLabel *totalLabel, const QDate &day,
                             int hideUnder)
{
    connect(model, &EntryDayModel::totalTimeTextChanged, totalLabel, &QLabel::setText, Qt::UniqueConnection);
    model->setHideUnder(hideUnder);
    model->setDay(day);
    reloadUnlessResting(model);
    // Sorting is on in the form: attaching the model sorts it by the indicator, longest time first.
    view->header()->setSortIndicator(TreeModel::TimeColumn, Qt::DescendingOrder);
    view->setModel(model->itemModel());
    view->applyColumnLayout();
    view->setItemDelegateForColumn(
        2, new ListItemDelegate(
               [model](const QModelIndex &index) {
                   return ListItemDelegate::Node{model->nodeTime(index), model->nodeType(index)};
               },
               [model](const QModelIndex &) { return model->totalTime(); }, view));
}

void EntryViews::attach(const QDate &day, int hideUnder, bool groupByHour)
{
    if (m_unlinked) {
        m_unlinked->setGroupByHour(groupByHour);
        attachModel(m_unlinkedView, m_unlinked, m_unlinkedTotal, day, hideUnder);
        openUnlinkedAfresh();
        m_unlinkedView->restoreHeaderState();
    }
    if (m_linked) {
        attachModel(m_linkedView, m_linked, m_linkedTotal, day, hideUnder);
        openLinkedAfresh();
        m_linkedView->restoreHeaderState();
    }
}

void EntryViews::showDay(const QDate &day)
{
    if (m_unlinked) {
        m_unlinked->setDay(day);
        reloadUnlessResting(m_unlinked);
        openUnlinkedAfresh();
    }
    if (m_linked) {
        m_linked->setDay(day);
        reloadUnlessResting(m_linked);
        openLinkedAfresh();
    }
}

void EntryViews::reload()
{
    if (m_unlinked) {
        reloadUnlessResting(m_unlinked);
        openUnlinkedAfresh();
    }
    if (m_linked) {
        reloadUnlessResting(m_linked);
        openLinkedAfresh();
    }
}

void EntryViews::reloadUnlessResting(EntryDayModel *model)
{
    // A resting view is filled with what was set meanwhile when it wakes.
    if (!m_resting) {
        model->reload();
    }
}

void EntryViews::openUnlinkedAfresh()
{
    if (m_resting) {
        m_unlinkedAfresh = true;
        return;
    }
    m_unlinkedView->expandAll();
}

void EntryViews::openLinkedAfresh()
{
    if (m_resting) {
        m_linkedAfresh = true;
        return;
    }
    m_linkedView->collapseAll();
    m_linkedView->expandToDepth(2);
}

void EntryViews::setHideUnder(int seconds)
{
    for (EntryDayModel *model : {m_unlinked, m_linked}) {
        if (model) {
            model->setHideUnder(seconds);
        }
    }
    reload();
}

void EntryViews::setGroupByHour(bool on)
{
    if (m_unlinked) {
        m_unlinked->setGroupByHour(on);
        reloadUnlessResting(m_unlinked);
        openUnlinkedAfresh();
    }
}

void EntryViews::applyFilter(const QString &text, bool keepExpandedNodes)
{
    if (!m_unlinked) {
        return;
    }
    const bool keepOpenNodes = keepExpandedNodes && !m_resting;
    if (keepOpenNodes) {
        m_unlinkedView->saveExpandedNodes();
    }
    m_unlinked->setFilterText(text);
    reloadUnlessResting(m_unlinked);
    if (keepOpenNodes) {
        m_unlinkedView->restoreExpandedNodes();
    } else if (!keepExpandedNodes) {
        openUnlinkedAfresh();
    }
}

void EntryViews::saveExpandedNodes()
{
    // A resting view's nodes were put aside when it began to rest; its empty tree must not replace them.
    if (m_resting) {
        return;
    }
    m_unlinkedView->saveExpandedNodes();
    m_linkedView->saveExpandedNodes();
}

void EntryViews::restoreExpandedNodes()
{
    m_unlinkedView->restoreExpandedNodes();
    m_linkedView->restoreExpandedNodes();
}

void EntryViews::reloadUnlinkedKeepingExpandedNodes()
{
    if (m_resting) {
        return;
    }
    if (m_unlinked) {
        m_unlinked->reload();
    }
    m_unlinkedView->restoreExpandedNodes();
}

void EntryViews::reloadLinkedKeepingExpandedNodes()
{
    if (m_resting) {
        return;
    }
    if (m_linked) {
        m_linked->reload();
    }
    m_linkedView->restoreExpandedNodes();
}

void EntryViews::reloadKeepingExpandedNodes()
{
    saveExpandedNodes();
    reloadUnlinkedKeepingExpandedNodes();
    reloadLinkedKeepingExpandedNodes();
}

void EntryViews::rest()
{
    if (m_resting) {
        return;
    }
    saveExpandedNodes();
    m_unlinkedView->saveSelection();
    m_linkedView->saveSelection();
    m_unlinkedScroll = m_unlinkedView->verticalScrollBar()->value();
    m_linkedScroll = m_linkedView->verticalScrollBar()->value();
    for (EntryDayModel *model : {m_unlinked, m_linked}) {
        if (model) {
            model->release();
        }
    }
    m_resting = true;
}

void EntryViews::wake()
{
    if (!m_resting) {
        return;
    }
    m_resting = false;
    reloadUnlinkedKeepingExpandedNodes();
    reloadLinkedKeepingExpandedNodes();
    // What was shown afresh while resting opens as it would have.
    if (std::exchange(m_unlinkedAfresh, false)) {
        openUnlinkedAfresh();
    }
    if (std::exchange(m_linkedAfresh, false)) {
        openLinkedAfresh();
    }
    m_unlinkedView->restoreSelection();
    m_linkedView->restoreSelection();
    m_unlinkedView->verticalScrollBar()->setValue(m_unlinkedScroll);
    m_linkedView->verticalScrollBar()->setValue(m_linkedScroll);
}

void EntryViews::addRecorded(const QDate &shownDay, const QDateTime &start, qint64 entryId)
{
    // A resting view rebuilds the whole day when it wakes.
    if (m_unlinked && !m_resting && start.date() == shownDay) {
        m_unlinked->addEntry(start, entryId);
    }
}

QList<int> EntryViews::selectedAppIds() const
{
    QList<int> ids;
    const TreeModel *model = m_unlinkedView->entryModel();
    if (!model) {
        return ids;
    }
    const QList<qint64> appIds = model->applicationIds(m_unlinkedView->selectionModel()->selectedIndexes());
    for (qint64 id : appIds) {
        ids << int(id);
    }
    return ids;
}

void EntryViews::saveHeaders(SettingsFile::WindowValues &window) const
{
    const auto save = [](const EntryTreeView *view, bool attached, SettingKey<QByteArray> geometryKey,
                         SettingKey<QByteArray> stateKey, QByteArray &geometry, QByteArray &state) {
        // Without a model the header has nothing worth keeping: keep what the last run saved.
        const Settings *settings = Settings::instance();
        geometry = attached ? view->header()->saveGeometry() : settings->value(geometryKey);
        state = attached ? view->header()->saveState() : settings->value(stateKey);
    };
    save(m_unlinkedView, m_unlinked, Setting::UnlinkedListGeometry, Setting::UnlinkedListState,
         window.unlinkedListGeometry, window.unlinkedListState);
    save(m_linkedView, m_linked, Setting::LinkedListGeometry, Setting::LinkedListState, window.linkedListGeometry,
         window.linkedListState);
}

void EntryViews::fillHideUnderChoices(QComboBox *combo, int seconds)
{
    const struct
    {
        const char *text;
        int seconds;
    } choices[] = {{QT_TR_NOOP("none"), 0},      {QT_TR_NOOP("10 seconds"), 10}, {QT_TR_NOOP("30 seconds"), 30},
                   {QT_TR_NOOP("1 minute"), 60}, {QT_TR_NOOP("5 minutes"), 300}, {QT_TR_NOOP("10 minutes"), 600}};
    combo->clear();
    for (const auto &choice : choices) {
        combo->addItem(tr(choice.text), choice.seconds);
    }
    combo->setCurrentIndex(combo->findData(seconds));
}
