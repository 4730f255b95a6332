#include "entrieslist.h"

#include "messagebox.h"
#include "settings.h"
#include "treemodel.h"

#include <QAction>
#include <QMenu>

EntriesList::EntriesList(QWidget *parent)
    : EntryTreeView(parent)
{
    setEmptyText(QStringLiteral("No time linked on this day. Drag entries onto a task of the projects, or choose "
                                "\"Link Time With Task...\", to book them on Tavro."));
    m_unlink = addViewAction(QStringLiteral("&Unlink"), QKeySequence(QStringLiteral("Ctrl+U")));
    connect(m_unlink, &QAction::triggered, this, &EntriesList::onMenuUnlink);
    m_settle = addViewAction(QStringLiteral("&Settle Unconfirmed Booking"), QKeySequence());
    connect(m_settle, &QAction::triggered, this, &EntriesList::onMenuSettle);
    m_expandAll = addViewAction(QStringLiteral("Ex&pand All"), QKeySequence::ZoomIn);
    connect(m_expandAll, &QAction::triggered, this, &QTreeView::expandAll);
    m_collapseAll = addViewAction(QStringLiteral("&Collapse All"), QKeySequence::ZoomOut);
    connect(m_collapseAll, &QAction::triggered, this, &QTreeView::collapseAll);
}

void EntriesList::restoreHeaderState()
{
    EntryTreeView::restoreHeaderState(Setting::LinkedListState, Setting::LinkedListGeometry);
}

void EntriesList::onMenuUnlink()
{
    const WorkingSet set = workingSet();
    if (set.isEmpty()) {
        return;
    }
    if (MessageBox::question(this, QStringLiteral("Confirm unlink"),
                             confirmationText(QStringLiteral("unlink"), int(set.entries.size()), set.total),
                             MessageBox::Yes | MessageBox::No, MessageBox::Yes) != MessageBox::Yes) {
        return;
    }
    Q_EMIT signalUnlinkEntries(entryModel()->entryIds(set.indexes));
    removeFromView(set.entries);
}

void EntriesList::onMenuSettle()
{
    const WorkingSet set = workingSet();
    if (!set.isEmpty()) {
        Q_EMIT signalSettleEntries(entryModel()->entryIds(set.indexes));
    }
}

QMenu *EntriesList::createContextMenu(const QModelIndex &index)
{
    auto *menu = new QMenu(this);
    m_unlink->setEnabled(isSignedIn());
    if (index.isValid()) {
        const QString type = entryModel()->itemProperty(index.siblingAtColumn(0), QStringLiteral("type")).toString();
        if (type == QLatin1String("entry") || type == QLatin1String("app")) {
            menu->addAction(m_unlink);
            m_settle->setEnabled(m_unlink->isEnabled());
            menu->addAction(m_settle);
        }
        menu->addSeparator();
    }
    menu->addAction(m_expandAll);
    menu->addAction(m_collapseAll);
    return menu;
}
