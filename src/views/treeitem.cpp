#include "treeitem.h"

#include <utility>

TreeItem::TreeItem(const QVariantList &data, TreeItem *parent)
    : m_data(data.cbegin(), data.cend())
    , m_parent(parent)
{}

TreeItem::TreeItem(std::initializer_list<QVariant> data, Properties properties)
    : m_data(data)
    , m_properties(properties)
{}

TreeItem::~TreeItem()
{
    qDeleteAll(m_children);
}

TreeItem *TreeItem::child(int row) const
{
    return row >= 0 && row < m_children.size() ? m_children.at(row) : nullptr;
}

QVariant TreeItem::data(int column) const
{
    return m_data.value(column);
}

bool TreeItem::setData(int column, const QVariant &value)
{
    if (column < 0 || column >= m_data.size()) {
        return false;
    }
    m_data[column] = value;
    return true;
}

QVariant TreeItem::property(const QString &key) const
{
    for (const auto &[name, value] : m_properties) {
        if (name == key) {
            return value;
        }
    }
    return {};
}

void TreeItem::setProperty(const QString &key, const QVariant &value)
{
    QVariant old;
    auto it = std::find_if(m_properties.begin(), m_properties.end(), [&key](const auto &p) { return p.first == key; });
    if (it == m_properties.end()) {
        m_properties.append(std::pair<QString, QVariant>(key, value));
    } else {
        old = std::exchange(it->second, value);
    }
    if (m_parent && !m_parent->m_lookup.isEmpty()) {
        m_parent->childPropertyChanged(this, key, old);
    }
}

int TreeItem::row() const
{
    return m_parent ? int(m_parent->m_children.indexOf(const_cast<TreeItem *>(this))) : 0;
}

void TreeItem::appendChild(TreeItem *child)
{
    child->m_parent = this;
    m_children.append(child);
    if (!m_lookup.isEmpty()) {
        indexChild(child, child->property(QStringLiteral("type")).toString());
    }
}

TreeItem::Lookup *TreeItem::lookupFor(const QString &type, const QString &key) const
{
    for (Lookup &lookup : m_lookup) {
        if (lookup.type == type && lookup.key == key) {
            return &lookup;
        }
    }
    return nullptr;
}

void TreeItem::indexChild(TreeItem *child, const QString &type)
{
    for (Lookup &lookup : m_lookup) {
        if (lookup.type == type) {
            const QString text = child->property(lookup.key).toString();
            if (!lookup.index.contains(text)) {
                lookup.index.insert(text, child);
            }
        }
    }
}

bool TreeItem::insertChildren(int position, int count, int columns)
{
    if (position < 0 || position > m_children.size() || count < 0) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        QVariantList values;
        values.reserve(columns);
        for (int column = 0; column < columns; ++column) {
            values << QVariant();
        }
        m_children.insert(position, new TreeItem(values, this));
    }
    m_lookup.clear();
    return true;
}

bool TreeItem::removeChildren(int position, int count)
{
    if (position < 0 || count < 0 || position + count > m_children.size()) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        delete m_children.takeAt(position);
    }
    m_lookup.clear();
    return true;
}

TreeItem *TreeItem::findChild(const QString &type, const QString &key, const QString &value) const
{
    Lookup *lookup = lookupFor(type, key);
    if (!lookup) {
        Lookup built{type, key, {}};
        for (TreeItem *child : m_children) {
            if (child->property(QStringLiteral("type")).toString() == type) {
                const QString text = child->property(key).toString();
                if (!built.index.contains(text)) {
                    built.index.insert(text, child);
                }
            }
        }
        m_lookup.append(built);
        lookup = &m_lookup.last();
    }
    return lookup->index.value(value, nullptr);
}

void TreeItem::childPropertyChanged(TreeItem *child, const QString &key, const QVariant &old)
{
    if (m_lookup.isEmpty()) {
        return;
    }
    if (key == QLatin1String("type")) {
        childTypeChanged(child, old.toString());
        return;
    }
    const QString type = child->property(QStringLiteral("type")).toString();
    for (qsizetype i = 0; i < m_lookup.size(); ++i) {
        Lookup &lookup = m_lookup[i];
        if (lookup.type != type || lookup.key != key) {
            continue;
        }
        if (lookup.index.value(old.toString()) == child) {
            // Another child may hold the old text too; let the next look-up rebuild the index.
            m_lookup.removeAt(i);
            return;
        }
        const QString text = child->property(key).toString();
        if (!lookup.index.contains(text)) {
            lookup.index.insert(text, child);
        }
        return;
    }
}

void TreeItem::childTypeChanged(TreeItem *child, const QString &oldType)
{
    const QString type = child->property(QStringLiteral("type")).toString();
    if (!oldType.isEmpty()) {
        // A node that changes its kind is rare; rebuild those indexes on the next look-up.
        m_lookup.removeIf([&](const Lookup &lookup) { return lookup.type == oldType || lookup.type == type; });
        return;
    }
    indexChild(child, type);
}
