#include "timetree.h"

#include "awayeditdialog.h"
#include "entrydragpayload.h"
#include "messagebox.h"
#include "neverrecorded.h"
#include "privatetitles.h"
#include "settings.h"
#include "timestampsdialog.h"
#include "treemodel.h"
#include "windowinfo.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QDrag>
#include <QMenu>
#include <QMouseEvent>

namespace {
// Application names listed in the delete question before the rest is only counted.
constexpr int ListedApplications = 10;
} // namespace

TimeTree::TimeTree(QWidget *parent)
    : EntryTreeView(parent)
{
    setDragEnabled(true);
    setEmptyText(tr("Nothing to link on this day. While \"Recording\" is on, TavroDesk records the "
                    "window in front, and its time shows here."));

    m_link = addViewAction(tr("&Link Time With Task..."), QKeySequence(QStringLiteral("Ctrl+L")));
    connect(m_link, &QAction::triggered, this, &TimeTree::onMenuLink);
    m_exclude = addViewAction(tr("E&xclude Application"), QKeySequence());
    connect(m_exclude, &QAction::triggered, this, &TimeTree::onMenuExclude);
    m_neverRecord = addViewAction(tr("&Never Record This Application"), QKeySequence());
    connect(m_neverRecord, &QAction::triggered, this, &TimeTree::onMenuNeverRecord);
    m_delete = addViewAction(tr("&Delete"), QKeySequence(QStringLiteral("Delete")));
    connect(m_delete, &QAction::triggered, this, &TimeTree::onMenuDelete);
    m_expandAll = addViewAction(tr("Ex&pand All"), QKeySequence::ZoomIn);
    connect(m_expandAll, &QAction::triggered, this, &QTreeView::expandAll);
    m_collapseAll = addViewAction(tr("&Collapse All"), QKeySequence::ZoomOut);
    connect(m_collapseAll, &QAction::triggered, this, &QTreeView::collapseAll);
    m_details = addViewAction(tr("&View details..."), QKeySequence());
    connect(m_details, &QAction::triggered, this, &TimeTree::onTimestamps);
    m_copyTitle = addViewAction(tr("Copy &title"), QKeySequence(QStringLiteral("Ctrl+C")));
    connect(m_copyTitle, &QAction::triggered, this, &TimeTree::onCopyTitle);
    m_ruleFromEntry = addViewAction(tr("Create Rule from Entry..."), QKeySequence());
    connect(m_ruleFromEntry, &QAction::triggered, this, &TimeTree::onCreateRuleFromEntry);
    m_ruleFromApp = addViewAction(tr("Create Rule from Application..."), QKeySequence());
    connect(m_ruleFromApp, &QAction::triggered, this, &TimeTree::onCreateRuleFromApp);
    m_editDescription = addViewAction(tr("Edit descr&iption"), QKeySequence());
    connect(m_editDescription, &QAction::triggered, this, &TimeTree::onEditAwayEntry);
}

void TimeTree::restoreHeaderState()
{
    EntryTreeView::restoreHeaderState(Setting::UnlinkedListState, Setting::UnlinkedListGeometry);
}

QString TimeTree::typeOf(const QModelIndex &index) const
{
    return entryModel()->itemProperty(index, QStringLiteral("type")).toString();
}

bool TimeTree::isAwayEntry(const QModelIndex &index) const
{
    const QModelIndex parent = index.parent();
    return typeOf(index) == QLatin1String("entry") && typeOf(parent) == QLatin1String("app") &&
           entryModel()->itemProperty(parent, QStringLiteral("app_path")).toString() == QLatin1String(AwayApp::Path);
}

void TimeTree::onMenuLink()
{
    const WorkingSet set = workingSet();
    if (set.isEmpty()) {
        return;
    }
    if (!m_linkDialog) {
        qWarning() << "cannot link: no link dialog installed";
        return;
    }
    TreeModel *treeModel = entryModel();
    const LinkChoice choice = m_linkDialog(this, treeModel->entriesDescription(set.indexes), set.total);
    if (!choice.accepted || choice.taskId == 0) {
        return;
    }
    Q_EMIT signalConnectEntriesWithTask(treeModel->entryIds(set.indexes), QString::number(choice.taskId), choice.notes);
    removeFromView(set.entries);
}

void TimeTree::onMenuExclude()
{
    QStringList ignored = Settings::instance()->value(Setting::IgnoredApps);
    bool added = false;
    for (const QModelIndex &index : selectedNames()) {
        if (typeOf(index) != QLatin1String("app")) {
            continue;
        }
        const QString path = entryModel()->itemProperty(index, QStringLiteral("app_path")).toString();
        if (!ignored.contains(path, Qt::CaseInsensitive)) {
            ignored << path;
            added = true;
        }
    }
    if (!added) {
        return;
    }
    Settings::instance()->setValue(Setting::IgnoredApps, ignored);
    saveExpandedNodes();
    entryModel()->reload();
    Q_EMIT datesWithZeroTimeChanged();
    restoreExpandedNodes();
}

void TimeTree::onMenuNeverRecord()
{
    QStringList paths;
    for (const QModelIndex &index : selectedNames()) {
        const QModelIndex app = typeOf(index) == QLatin1String("entry") ? index.parent() : index;
        const QString path = typeOf(app) == QLatin1String("app")
                                 ? entryModel()->itemProperty(app, QStringLiteral("app_path")).toString()
                                 : QString();
        // Away time is TavroDesk's own record of absence, not an application's.
        if (!path.isEmpty() && path != QLatin1String(AwayApp::Path) && !paths.contains(path)) {
            paths << path;
        }
    }
    const QStringList added = NeverRecorded::add(paths);
    if (PrivateTitles::askToReplace(this, added)) {
        Q_EMIT privateTitlesRequested(added);
    }
}

void TimeTree::onMenuDelete()
{
    const WorkingSet set = workingSet();
    if (set.isEmpty()) {
        return;
    }
    TreeModel *treeModel = entryModel();
    const int count = treeModel->countWithProperty(selectedNames(), QStringLiteral("type"), QStringLiteral("entry"));
    const QStringList apps = treeModel->entryParentNames(set.indexes);
    QString names = QStringList(apps.mid(0, ListedApplications)).join(QStringLiteral("\n    "));
    if (apps.size() > ListedApplications) {
        names += QStringLiteral("\n    ") + tr("(%n more)", nullptr, int(apps.size() - ListedApplications));
    }
    QString from;
    if (apps.size() == 1) {
        from = count == 1 ? tr("Entry is from this application:") : tr("Entries are from this application:");
    } else {
        from = count == 1 ? tr("Entry is from these applications:") : tr("Entries are from these applications:");
    }
    const QString text = confirmationText(Removal::Delete, count, set.total) + QStringLiteral("\n\n") + from +
                         QStringLiteral("\n    ") + names;
    if (MessageBox::confirm(this, tr("Confirm delete"), text, count == 1 ? tr("&Delete Entry") : tr("&Delete Entries"),
                            tr("&Keep")) != MessageBox::Yes) {
        return;
    }
    Q_EMIT deleteRequested(treeModel->entryIds(set.indexes));
}

void TimeTree::onTimestamps()
{
    const QModelIndexList names = selectedNames();
    if (names.isEmpty() || !m_entries) {
        return;
    }
    const QModelIndex index = names.first();
    const QString type = typeOf(index);
    TimestampsDialog dialog(*m_entries, this);
    if (type == QLatin1String("entry")) {
        dialog.appPath = entryModel()->itemProperty(index.parent(), QStringLiteral("app_path")).toString();
        dialog.title = entryModel()->itemProperty(index, QStringLiteral("title")).toString();
    } else if (type == QLatin1String("app")) {
        dialog.appPath = entryModel()->itemProperty(index, QStringLiteral("app_path")).toString();
    } else {
        return;
    }
    dialog.day = entryModel()->day();
    dialog.look = entryModel()->appLook();
    dialog.load();
    dialog.exec();
}

void TimeTree::onCopyTitle()
{
    QString text;
    for (const QModelIndex &index : selectedNames()) {
        const QString type = typeOf(index);
        QString line;
        if (type == QLatin1String("entry")) {
            line = entryModel()->itemProperty(index, QStringLiteral("title")).toString();
        } else if (type == QLatin1String("app")) {
            line = index.data().toString();
        }
        if (!text.isEmpty()) {
            text += QLatin1Char('\n');
        }
        text += line;
    }
    QApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

void TimeTree::onCreateRuleFromEntry()
{
    for (const QModelIndex &index : selectedNames()) {
        if (typeOf(index) == QLatin1String("entry") && typeOf(index.parent()) == QLatin1String("app")) {
            Q_EMIT signalCreateRuleFromEntry(
                entryModel()->itemProperty(index.parent(), QStringLiteral("app_id")).toInt(),
                entryModel()->itemProperty(index, QStringLiteral("title")).toString());
        }
    }
}

void TimeTree::onCreateRuleFromApp()
{
    for (const QModelIndex &index : selectedNames()) {
        if (typeOf(index) == QLatin1String("app")) {
            Q_EMIT signalCreateRuleFromApp(entryModel()->itemProperty(index, QStringLiteral("app_id")).toInt());
        }
    }
}

void TimeTree::onEditAwayEntry()
{
    QModelIndex entry;
    for (const QModelIndex &index : selectedNames()) {
        if (isAwayEntry(index)) {
            entry = index;
            break;
        }
    }
    if (!entry.isValid()) {
        return;
    }
    const QStringList ids = entryModel()->itemProperty(entry, QStringLiteral("entries")).toStringList();
    if (ids.isEmpty() || !m_entries) {
        return;
    }
    AwayEditDialog dialog(*m_entries, this);
    dialog.entryIds = ids;
    dialog.load();
    if (dialog.exec() == QDialog::Accepted) {
        Q_EMIT describeAwayTimeRequested(ids, dialog.description());
    }
}

QMenu *TimeTree::createContextMenu(const QModelIndex &index)
{
    auto *menu = new QMenu(this);
    m_link->setEnabled(isSignedIn());
    const QString type = index.isValid() ? typeOf(index.siblingAtColumn(0)) : QString();
    if (type == QLatin1String("app")) {
        menu->addAction(m_link);
        menu->addAction(m_delete);
        menu->addSeparator();
        menu->addAction(m_ruleFromApp);
        menu->addAction(m_exclude);
        if (entryModel()->itemProperty(index.siblingAtColumn(0), QStringLiteral("app_path")).toString() !=
            QLatin1String(AwayApp::Path)) {
            menu->addAction(m_neverRecord);
        }
        menu->addSeparator();
        menu->addAction(m_details);
        menu->addAction(m_copyTitle);
        menu->addSeparator();
    } else if (type == QLatin1String("entry")) {
        if (isAwayEntry(index.siblingAtColumn(0))) {
            menu->addAction(m_editDescription);
            menu->addSeparator();
        }
        menu->addAction(m_link);
        menu->addAction(m_delete);
        menu->addSeparator();
        menu->addAction(m_ruleFromEntry);
        if (!isAwayEntry(index.siblingAtColumn(0))) {
            menu->addAction(m_neverRecord);
        }
        menu->addSeparator();
        menu->addAction(m_details);
        menu->addAction(m_copyTitle);
        menu->addSeparator();
    }
    menu->addAction(m_expandAll);
    menu->addAction(m_collapseAll);
    return menu;
}

void TimeTree::mousePressEvent(QMouseEvent *event)
{
    EntryTreeView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        m_pressPosition = event->position().toPoint();
    }
}

void TimeTree::mouseMoveEvent(QMouseEvent *event)
{
    if ((event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - m_pressPosition).manhattanLength() >= QApplication::startDragDistance()) {
        startEntryDrag();
        return;
    }
    EntryTreeView::mouseMoveEvent(event);
}

void TimeTree::startEntryDrag()
{
    const WorkingSet set = workingSet();
    if (set.isEmpty()) {
        return;
    }
    EntryDragPayload payload;
    payload.ids = entryModel()->entryIds(set.indexes);
    payload.seconds = qint32(set.total);
    auto *drag = new QDrag(this);
    drag->setMimeData(payload.toMimeData());
    if (execDrag(drag) == Qt::MoveAction) {
        removeFromView(set.entries);
    }
}

Qt::DropAction TimeTree::execDrag(QDrag *drag)
{
    return drag->exec(Qt::MoveAction);
}
