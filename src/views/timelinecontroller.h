#pragma once

#include "timelinelayout.h"

#include <QDate>
#include <QObject>

class EntryReader;
class EntryTreeView;
class TimelineStrip;
class QItemSelectionModel;
class QModelIndex;

// Keeps the timeline strip in step with the day shown in the entry views: loads the day through
// the views' day query (leaving out excluded applications as they do), follows their reloads, draws stretches as they
// are recorded, selects the clicked entry in its tree and outlines on the strip what the trees have selected.
class TimelineController : public QObject
{
    Q_OBJECT

public:
    // Nothing is owned; the views may get their models later (call watchModels() then).
    TimelineController(TimelineStrip *strip, EntryTreeView *unlinked, EntryTreeView *linked, QObject *parent = nullptr);

    // Where the day is read from (not owned); until it is set the strip stays empty.
    void setEntryReader(const EntryReader *entries) { m_entries = entries; }

    // Follows the models and selections the views show now.
    void watchModels();
    // Reads the day once control returns to the event loop, together with the views' reloads.
    void showDay(const QDate &day);
    QDate day() const { return m_day; }

    // While the window is hidden the strip lets go of the day and reads nothing; wake() reads it again.
    void rest();
    void wake();

    // The entry node holding `entryId` in a view's tree, or an invalid index.
    static QModelIndex findEntry(const EntryTreeView *view, qint64 entryId);

public Q_SLOTS:
    // A stretch the recorder stored just now, with its application's path, name and the title.
    void addRecorded(qint64 entryId, const QDateTime &start, const QDateTime &end, const QString &appPath,
                     const QString &appName, const QString &title);
    // Selects and shows the entry in the tree that holds it.
    void revealEntry(qint64 entryId, bool linked);
    // Reads the day again (after links, deletions, exclusions); several calls in a row read once.
    void scheduleReload();
    void reload();

private:
    void updateHighlight();

    TimelineStrip *m_strip;
    EntryTreeView *m_unlinked;
    EntryTreeView *m_linked;
    const EntryReader *m_entries = nullptr;
    QDate m_day;
    bool m_reloadPending = false;
    bool m_resting = false;
};
