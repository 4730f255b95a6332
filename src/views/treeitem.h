#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QVarLengthArray>
#include <QVariant>

#include <algorithm>

// One node of the entry tree: its column values, its properties ("type", "time", "id", ...) and its
// children, which it owns. A day's tree has thousands of nodes, so values and properties live in
// the node itself rather than in lists of their own.
class TreeItem
{
public:
    using Properties = std::initializer_list<std::pair<QString, QVariant>>;

    explicit TreeItem(const QVariantList &data, TreeItem *parent = nullptr);
    // A node with its properties, not yet in a tree: nothing needs to hear of them.
    TreeItem(std::initializer_list<QVariant> data, Properties properties);
    ~TreeItem();

    TreeItem(const TreeItem &) = delete;
    TreeItem &operator=(const TreeItem &) = delete;

    TreeItem *child(int row) const;
    int childCount() const { return int(m_children.size()); }
    int columnCount() const { return int(m_data.size()); }
    QVariant data(int column) const;
    bool setData(int column, const QVariant &value);
    QVariant property(const QString &key) const;
    void setProperty(const QString &key, const QVariant &value);
    TreeItem *parent() const { return m_parent; }
    int row() const;

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
    // Children of one type by the text of one property; the first child in row order wins.
    struct Lookup
    {
        QString type;
        QString key;
        QHash<QString, TreeItem *> index;
    };
    Lookup *lookupFor(const QString &type, const QString &key) const;
    void indexChild(TreeItem *child, const QString &type);
    void childPropertyChanged(TreeItem *child, const QString &key, const QVariant &old);
    void childTypeChanged(TreeItem *child, const QString &oldType);

    // The root has four columns, the other nodes two; a node has a handful of properties, and a
    // flat list is cheaper to build than a map.
    QVarLengthArray<QVariant, 4> m_data;
    QVarLengthArray<std::pair<QString, QVariant>, 6> m_properties;
    TreeItem *m_parent = nullptr;
    QList<TreeItem *> m_children;
    // At most a couple per node, so a list searched in order.
    mutable QList<Lookup> m_lookup;
};
