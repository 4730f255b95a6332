#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QVarLengthArray>
#include <QVariant>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

// One node of the entry tree: its column values, its properties ("type", "time", "id", ...) and its
// children, which it owns. A day's tree has thousands of nodes, so the properties every title has
// (type, title, time, entry ids, linked, unconfirmed) are fields of the node, and only the few a
// group node adds (icon, id, application, hour) go into a list.
class TreeItem
{
public:
    // The properties kept as fields.
    static const QString TypeKey;
    static const QString TimeKey;
    static const QString TitleKey;
    static const QString EntriesKey;
    static const QString LinkedKey;
    static const QString UnconfirmedKey;

    using Properties = std::initializer_list<std::pair<QString, QVariant>>;

    explicit TreeItem(const QVariantList &data, TreeItem *parent = nullptr);
    // A node of `type` with its name, time text and other properties, not yet in a tree: nothing
    // needs to hear of them.
    TreeItem(const QString &name, const QString &timeText, const QString &type, Properties properties = {});
    ~TreeItem();

    TreeItem(const TreeItem &) = delete;
    TreeItem &operator=(const TreeItem &) = delete;

    TreeItem *child(int row) const;
    int childCount() const { return int(m_children.size()); }
    int columnCount() const { return int(m_data.size()); }
    QVariant data(int column) const;
    bool setData(int column, const QVariant &value);
    // Entry ids read as texts, as they are shown and handed on; an unset property reads invalid.
    QVariant property(const QString &key) const;
    void setProperty(const QString &key, const QVariant &value);
    TreeItem *parent() const { return m_parent; }
    int row() const;

    // The properties a day's tree is built and sorted by, without going through QVariant.
    QString type() const { return m_type; }
    qint64 time() const { return m_time; }
    void setTime(qint64 seconds);
    void setTitle(const QString &title);
    // Children are never looked up by these, so the parent's indexes need not hear of them.
    void setEntryIds(const qint64 *ids, qsizetype count);
    void setLinked(bool linked);
    void setUnconfirmed(bool unconfirmed);

    // Takes ownership of `child`.
    void appendChild(TreeItem *child);
    bool insertChildren(int position, int count, int columns);
    bool removeChildren(int position, int count);

    // The first direct child of `type` whose property `key`, as text, is `value`. Answered from a
    // per-node index built on first use and kept up to date, so building a day stays linear.
    TreeItem *findChild(const QString &type, const QString &key, const QString &value) const;

    // Reorders the children with `lessThan`; used by the model's sort.
    template <typename Less> void sortChildren(Less lessThan)
    {
        std::sort(m_children.begin(), m_children.end(), lessThan);
        m_lookup.clear();
    }

private:
    friend class TreeItemArena;

    // Deletes a child, or only destroys it when its memory belongs to an arena.
    static void release(TreeItem *child);

    // Which of the fields hold a value: an unset property reads as an invalid QVariant.
    enum Field : quint8 {
        TypeField = 1,
        TimeField = 2,
        TitleField = 4,
        EntriesField = 8,
        LinkedField = 16,
        UnconfirmedField = 32,
    };
    // Children of one type by the text of one property; the first child in row order wins.
    struct Lookup
    {
        QString type;
        QString key;
        QHash<QString, TreeItem *> index;
    };
    Lookup *lookupFor(const QString &type, const QString &key) const;
    void indexChild(TreeItem *child, const QString &type);
    // The parent keeps indexes of its children that a change of property must update.
    bool inIndexedParent() const;
    void childPropertyChanged(TreeItem *child, const QString &key, const QVariant &old);
    void childTypeChanged(TreeItem *child, const QString &oldType);
    bool setField(const QString &key, const QVariant &value);

    // The root has four columns, the other nodes two.
    QVarLengthArray<QVariant, 2> m_data;
    quint8 m_fields = 0;
    bool m_inArena = false;
    bool m_linked = false;
    bool m_unconfirmed = false;
    QString m_type;
    QString m_title;
    qint64 m_time = 0;
    // Most titles hold an entry or two, and group nodes two or three properties: room for them in
    // the node saves an allocation each.
    QVarLengthArray<qint64, 2> m_entryIds;
    QVarLengthArray<std::pair<QString, QVariant>, 3> m_properties;
    TreeItem *m_parent = nullptr;
    // Most group nodes of a day have a few children.
    QVarLengthArray<TreeItem *, 4> m_children;
    // At most a couple per node, so a list searched in order.
    mutable QList<Lookup> m_lookup;
};

// Room for the nodes of one tree built at once: they are made side by side in large blocks, and
// the blocks go back all at once. The arena must outlive the tree whose nodes it holds; nodes
// added to that tree later come from the heap as usual.
class TreeItemArena
{
public:
    TreeItemArena() = default;
    TreeItemArena(const TreeItemArena &) = delete;
    TreeItemArena &operator=(const TreeItemArena &) = delete;

    template <typename... Args> TreeItem *make(Args &&...args)
    {
        auto *item = new (allocate()) TreeItem(std::forward<Args>(args)...);
        item->m_inArena = true;
        return item;
    }

    // Starts over in the blocks already held, once the tree made in them is gone: memory just
    // used is still at hand in the processor's caches.
    void reuse();
    // Gives back the blocks the last tree did not need.
    void trim();

private:
    void *allocate();

    static constexpr qsizetype NodesPerBlock = 1024;
    std::vector<std::unique_ptr<std::byte[]>> m_blocks;
    // The block being filled, and how many nodes it holds.
    qsizetype m_current = -1;
    qsizetype m_used = NodesPerBlock;
};
