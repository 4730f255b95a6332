#pragma once

#include "entrytreeview.h"

#include <QPoint>

#include <functional>

class EntryReader;
class QDrag;

// The unlinked entries of the day ("appList"): link, delete, drag, exclude, never record, copy,
// inspect and describe away time. Linking and dragging take the entries' time out of the tree at once;
// deleting and describing are asked of whoever changes the store.
class TimeTree : public EntryTreeView
{
    Q_OBJECT

public:
    // What the link dialog answered: accepted with a task (0 = none) and the notes as edited.
    struct LinkChoice
    {
        bool accepted = false;
        int taskId = 0;
        QString notes;
    };
    // Shows the link dialog for the selection's description and seconds. Installed by the
    // linking layer, which owns the dialog.
    using LinkDialog = std::function<LinkChoice(QWidget *parent, const QString &notes, qint64 seconds)>;

    explicit TimeTree(QWidget *parent = nullptr);

    void setLinkDialog(LinkDialog dialog) { m_linkDialog = std::move(dialog); }
    // What the details and the away time's description read (not owned); without it they offer nothing.
    void setEntryReader(const EntryReader *entries) { m_entries = entries; }
    // Column widths, then the header state and geometry saved under "UnlinkedListState" and
    // "UnlinkedListGeometry".
    void restoreHeaderState();
    QMenu *createContextMenu(const QModelIndex &index) override;

    QAction *linkAction() const { return m_link; }
    QAction *excludeAction() const { return m_exclude; }
    QAction *neverRecordAction() const { return m_neverRecord; }
    QAction *deleteAction() const { return m_delete; }
    QAction *expandAllAction() const { return m_expandAll; }
    QAction *collapseAllAction() const { return m_collapseAll; }
    QAction *detailsAction() const { return m_details; }
    QAction *copyTitleAction() const { return m_copyTitle; }
    QAction *ruleFromEntryAction() const { return m_ruleFromEntry; }
    QAction *ruleFromAppAction() const { return m_ruleFromApp; }
    QAction *editDescriptionAction() const { return m_editDescription; }

Q_SIGNALS:
    void signalConnectEntriesWithTask(const QStringList &entries, const QString &task_id, const QString &notes);
    void datesWithZeroTimeChanged();
    void signalCreateRuleFromEntry(int app_id, const QString &title);
    void signalCreateRuleFromApp(int app_id);
    // What the user asked of the store, once confirmed; the views are rebuilt from the outcome.
    void deleteRequested(const QStringList &ids);
    void describeAwayTimeRequested(const QStringList &ids, const QString &description);
    // The applications at `paths` became never recorded and their recorded titles are to read "Private".
    void privateTitlesRequested(const QStringList &paths);

public Q_SLOTS:
    void onMenuLink();
    void onMenuExclude();
    void onMenuNeverRecord();
    void onMenuDelete();
    void onTimestamps();
    void onCopyTitle();
    void onCreateRuleFromEntry();
    void onCreateRuleFromApp();
    void onEditAwayEntry();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    // Runs the drag; a separate step so that tests can stand in for the user's drop.
    virtual Qt::DropAction execDrag(QDrag *drag);

private:
    void startEntryDrag();
    bool isAwayEntry(const QModelIndex &index) const;
    QString typeOf(const QModelIndex &index) const;

    QPoint m_pressPosition;
    LinkDialog m_linkDialog;
    const EntryReader *m_entries = nullptr;
    QAction *m_link = nullptr;
    QAction *m_exclude = nullptr;
    QAction *m_neverRecord = nullptr;
    QAction *m_delete = nullptr;
    QAction *m_expandAll = nullptr;
    QAction *m_collapseAll = nullptr;
    QAction *m_details = nullptr;
    QAction *m_copyTitle = nullptr;
    QAction *m_ruleFromEntry = nullptr;
    QAction *m_ruleFromApp = nullptr;
    QAction *m_editDescription = nullptr;
};
