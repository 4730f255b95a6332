#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

#include <algorithm>

// One node of the entry tree: its column values, its properties ("type", "time", "id", ...) and its
// children, which it owns.
class TreeItem
{
public:
    explicit TreeItem(const QVariantList &data, TreeItem *parent = nullptr);
    ~TreeItem();

    TreeItem(const TreeItem &) = delete;
    TreeItem &operator=(const TreeItem &) = delete;

    TreeItem *child(int row) const;
    int childCount() const { return int(m_children.size()); }
    int columnCount() const { return int(m_data.size()); }
    QVariant data(int column) const;
    bool setData(int column, const QVariant &value);
    QVariant property(const QString &key) const { return m_properties.value(key); }
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
    static QString lookupName(const QString &type, const QString &key) { return type + QLatin1Char('\n') + key; }
    void childPropertyChanged(TreeItem *child, const QString &key, const QVariant &old);
    void childTypeChanged(TreeItem *child, const QString &oldType);

    QVariantList m_data;
    QMap<QString, QVariant> m_properties;
    TreeItem *m_parent = nullptr;
    QList<TreeItem *> m_children;
    // (type, key) -> property text -> first child with it.
    mutable QHash<QString, QHash<QString, TreeItem *>> m_lookup;
};
