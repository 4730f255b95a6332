#pragma once

#include "entrytreeview.h"

// The linked entries of the day ("linkedEntries"), by project, task list and task. Offers unlink.
class EntriesList : public EntryTreeView
{
    Q_OBJECT

public:
    explicit EntriesList(QWidget *parent = nullptr);

    // Column widths, then the header state and geometry saved under "LinkedListState" and
    // "LinkedListGeometry".
    void restoreHeaderState();
    QMenu *createContextMenu(const QModelIndex &index) override;

    QAction *unlinkAction() const { return m_unlink; }
    QAction *settleAction() const { return m_settle; }
    QAction *expandAllAction() const { return m_expandAll; }
    QAction *collapseAllAction() const { return m_collapseAll; }

Q_SIGNALS:
    void signalUnlinkEntries(const QStringList &entries);
    // Settle the unconfirmed bookings of these entry ids.
    void signalSettleEntries(const QStringList &entries);

public Q_SLOTS:
    void onMenuUnlink();
    void onMenuSettle();

private:
    QAction *m_unlink = nullptr;
    QAction *m_settle = nullptr;
    QAction *m_expandAll = nullptr;
    QAction *m_collapseAll = nullptr;
};
