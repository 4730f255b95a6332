#pragma once

#include "applook.h"
#include "entryrow.h"

#include <QAbstractItemModel>
#include <QDate>
#include <QMap>
#include <QSet>
#include <QStringList>

#include <memory>

class DayRows;
class EntryReader;
class TreeItem;
class TreeItemArena;

// A day's entries aggregated into a tree: application and title (optionally under an hour) for
// unlinked entries, project, task list, task, application and title for linked ones. Every inner
// node's "time" is the sum of the leaves below it, and the total time is the sum of all leaves.
class TreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Column { NameColumn = 0, TimeColumn = 1, BarColumn = 2, StretchColumn = 3 };
    // One freshly linked entry as linking hands it over: "id", "title", "application_id",
    // "start_time", "end_time", "app_path" and "app_name".
    using Record = QMap<QString, QString>;

    explicit TreeModel(bool linked, QObject *parent = nullptr);
    ~TreeModel() override;

    // How applications are shown; the stored names and stock icons until one is set.
    void setAppLook(const AppLook &look) { m_look = look; }
    // What the days are read from (not owned); until it is set, every day is empty.
    void setEntryReader(const EntryReader *entries) { m_entries = entries; }
    const AppLook &appLook() const { return m_look; }

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &index) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool insertRows(int position, int count, const QModelIndex &parent = QModelIndex()) override;
    bool removeRows(int position, int count, const QModelIndex &parent = QModelIndex()) override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    bool isLinked() const { return m_linked; }
    QDate day() const { return m_day; }
    void setDay(const QDate &day) { m_day = day; }
    bool groupByHour() const { return m_groupByHour; }
    void setGroupByHour(bool group) { m_groupByHour = group; }
    QString filterText() const { return m_filter; }
    void setFilterText(const QString &filter) { m_filter = filter; }
    int hideUnder() const { return m_hideUnder; }
    void setHideUnder(int seconds) { m_hideUnder = seconds; }
    qint64 totalTime() const { return m_totalTime; }
    // The day's time in this link state that the filter or the threshold leaves out.
    qint64 hiddenTime() const { return m_hiddenTime; }

    // Rebuilds the tree of `day` from the database, leaving out titles under `threshold` seconds,
    // in the order of the last sort.
    void setupModelData(const QDate &day, int threshold);
    // Rebuilds with the stored day, threshold, filter and grouping.
    void reload();
    // Empties the tree and hands its nodes' memory back, until the next reload; the total stays.
    void release();
    // A stretch the recording engine has just stored: the unlinked tree of its day shows it.
    void addEntry(const QDateTime &start, qint64 entryId);
    // Shows what the store now holds for the day. Live changes (recording, linking, unlinking) go
    // through the same builder as a new day, so the tree is always the one a new day would give;
    // the nodes holding `newIds` are expanded.
    void refresh(const QList<qint64> &newIds = {});
    void addTotalTime(qint64 delta);

    QModelIndex appendRow(const QModelIndex &parent, const QVariantList &values);
    QVariant itemProperty(const QModelIndex &index, const QString &key) const;
    // Depth-first search below `parent` for a node of `type` whose property `key` reads `value`.
    // Nodes of other types are searched into, non-matching nodes of the same type are not.
    QModelIndex findIndex(const QString &type, const QString &key, const QString &value,
                          const QModelIndex &parent = QModelIndex()) const;
    // Adds `delta` seconds to every ancestor of `index` below the root.
    void propagateTime(const QModelIndex &index, qint64 delta);
    void removeIndexAndEmptyParents(const QModelIndex &index);

    // Helpers over a selection; only indexes in column 0 count.
    QModelIndexList entryIndexes(const QModelIndexList &indexes) const;
    QStringList entryIds(const QModelIndexList &indexes) const;
    qint64 entriesTime(const QModelIndexList &indexes) const;
    int countWithProperty(const QModelIndexList &indexes, const QString &key, const QVariant &value) const;
    // Distinct names of the entries' parents, in first-seen order.
    QStringList entryParentNames(const QModelIndexList &indexes) const;
    // Distinct application ids of "app" nodes and of the parents of "entry" nodes.
    QList<qint64> applicationIds(const QModelIndexList &indexes) const;
    // One line "(duration) title" per entry.
    QString entriesDescription(const QModelIndexList &indexes) const;

Q_SIGNALS:
    void expandNode(const QModelIndex &index);
    void collapseAll();
    void setTotalTimeText(const QString &text);
    void datesWithZeroTimeChanged();
    void sortStarting();
    void sortDone();
    // Around a refresh: the time for the view to remember and restore its expanded nodes.
    void refreshing();
    void refreshed();

private:
    class DayBuilder;

    TreeItem *itemFor(const QModelIndex &index) const;
    QModelIndex indexFor(TreeItem *item) const;
    // Expands every node above an entry node holding one of `ids`; true when `node` holds one.
    bool expandHolding(TreeItem *node, const QSet<QString> &ids);
    EntryLink link() const { return m_linked ? EntryLink::Linked : EntryLink::Unlinked; }
    // The filter text with the applications whose shown name holds a term.
    EntryFilter entryFilter() const;
    // The time the tree would hold with no filter and no threshold.
    qint64 unfilteredTime() const;
    // The day's rows from the reader; none without one.
    std::unique_ptr<DayRows> openDay(const QDate &day, const EntryFilter &filter, int hideUnder) const;
    QString totalTimeText() const;

    const bool m_linked;
    AppLook m_look;
    const EntryReader *m_entries = nullptr;
    QDate m_day;
    bool m_groupByHour = false;
    QString m_filter;
    int m_hideUnder = 0;
    // The nodes of the last day built live here; declared before the root, so it goes after it.
    std::unique_ptr<TreeItemArena> m_arena;
    std::unique_ptr<TreeItem> m_root;
    qint64 m_totalTime = 0;
    qint64 m_hiddenTime = 0;
    // The last order asked for; -1 until the first sort.
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::DescendingOrder;
};
