#include "timelinecontroller.h"

#include "entryreader.h"
#include "entrytreeview.h"
#include "settings.h"
#include "timelinestrip.h"
#include "treemodel.h"
#include "windowinfo.h"

#include <QItemSelectionModel>
#include <QSet>
#include <QTimer>

namespace {

QStringList ignoredPaths()
{
    return Settings::instance()->value(Setting::IgnoredApps);
}

TimelineEntry timelineEntry(qint64 id, const QDateTime &start, const QDateTime &end, const QString &path,
                            const QString &name, const QString &title)
{
    TimelineEntry entry;
    entry.id = id;
    entry.start = start.toSecsSinceEpoch();
    entry.end = end.toSecsSinceEpoch();
    entry.appPath = path;
    entry.appName = name;
    entry.title = title;
    entry.away = path == QLatin1String(AwayApp::Path);
    return entry;
}

QModelIndex findEntryBelow(const TreeModel *model, const QModelIndex &parent, const QString &id)
{
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex child = model->index(row, 0, parent);
        if (model->itemProperty(child, QStringLiteral("type")).toString() == QLatin1String("entry")) {
            if (model->itemProperty(child, QStringLiteral("entries")).toStringList().contains(id)) {
                return child;
            }
            continue;
        }
        const QModelIndex found = findEntryBelow(model, child, id);
        if (found.isValid()) {
            return found;
        }
    }
    return QModelIndex();
}

} // namespace

TimelineController::TimelineController(TimelineStrip *strip, EntryTreeView *unlinked, EntryTreeView *linked,
                                       QObject *parent)
    : QObject(parent)
    , m_strip(strip)
    , m_unlinked(unlinked)
    , m_linked(linked)
{
    connect(m_strip, &TimelineStrip::entryActivated, this, &TimelineController::revealEntry);
}

void TimelineController::watchModels()
{
    for (EntryTreeView *view : {m_unlinked, m_linked}) {
        if (view->selectionModel()) {
            connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                    &TimelineController::updateHighlight, Qt::UniqueConnection);
        }
        const TreeModel *model = view->entryModel();
        if (!model) {
            continue;
        }
        // Rebuilds and moves between the trees change the day's picture; a live addition to the
        // unlinked tree does not (the recorder's signal draws it).
        connect(model, &QAbstractItemModel::layoutChanged, this, &TimelineController::scheduleReload,
                Qt::UniqueConnection);
        connect(model, &QAbstractItemModel::modelReset, this, &TimelineController::scheduleReload,
                Qt::UniqueConnection);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &TimelineController::scheduleReload,
                Qt::UniqueConnection);
        // An entry's text changed in place (away time described): the bands' tool tips follow.
        connect(model, &QAbstractItemModel::dataChanged, this, &TimelineController::scheduleReload,
                Qt::UniqueConnection);
        if (view == m_linked) {
            connect(model, &QAbstractItemModel::rowsInserted, this, &TimelineController::scheduleReload,
                    Qt::UniqueConnection);
        }
    }
}

void TimelineController::showDay(const QDate &day)
{
    m_day = day;
    scheduleReload();
}

void TimelineController::scheduleReload()
{
    if (m_reloadPending) {
        return;
    }
    m_reloadPending = true;
    QTimer::singleShot(0, this, &TimelineController::reload);
}

void TimelineController::rest()
{
    m_resting = true;
    m_strip->setEntries({});
}

void TimelineController::wake()
{
    if (m_resting) {
        m_resting = false;
        scheduleReload();
    }
}

void TimelineController::reload()
{
    m_reloadPending = false;
    if (m_resting) {
        return;
    }
    QList<TimelineEntry> entries;
    const QStringList ignored = ignoredPaths();
    // A day comes back to the same few titles many times: each is held once, not once per stretch.
    QSet<QString> titles;
    for (const EntryLink link : {EntryLink::Unlinked, EntryLink::Linked}) {
        const QList<EntryRow> rows = m_entries ? m_entries->dayEntries(m_day, link) : QList<EntryRow>();
        for (const EntryRow &row : rows) {
            if (ignored.contains(row.appPath, Qt::CaseInsensitive)) {
                continue;
            }
            TimelineEntry entry =
                timelineEntry(row.id, row.start, row.end, row.appPath, row.appName, *titles.insert(row.title));
            entry.linked = link == EntryLink::Linked;
            entry.projectId = row.extProjectId.toString();
            entries << entry;
        }
    }
    m_strip->setEntries(entries);
    updateHighlight();
}

void TimelineController::addRecorded(qint64 entryId, const QDateTime &start, const QDateTime &end,
                                     const QString &appPath, const QString &appName, const QString &title)
{
    if (m_resting || start.date() != m_day || ignoredPaths().contains(appPath, Qt::CaseInsensitive)) {
        return;
    }
    m_strip->appendEntry(timelineEntry(entryId, start, end, appPath, appName, title));
}

QModelIndex TimelineController::findEntry(const EntryTreeView *view, qint64 entryId)
{
    const TreeModel *model = view->entryModel();
    return model ? findEntryBelow(model, QModelIndex(), QString::number(entryId)) : QModelIndex();
}

void TimelineController::revealEntry(qint64 entryId, bool linked)
{
    EntryTreeView *view = linked ? m_linked : m_unlinked;
    const QModelIndex index = findEntry(view, entryId);
    if (!index.isValid()) {
        return;
    }
    view->scrollTo(index);
    view->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    view->setFocus();
}

void TimelineController::updateHighlight()
{
    QSet<qint64> ids;
    for (const EntryTreeView *view : {m_unlinked, m_linked}) {
        const TreeModel *model = view->entryModel();
        if (!model || !view->selectionModel()) {
            continue;
        }
        for (const QString &id : model->entryIds(view->selectionModel()->selectedIndexes())) {
            ids.insert(id.toLongLong());
        }
    }
    m_strip->setHighlighted(ids);
}
