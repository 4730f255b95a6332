#include "treeitem.h"

TreeItem::TreeItem(const QVariantList &data, TreeItem *parent)
    : m_data(data)
    , m_parent(parent)
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

void TreeItem::setProperty(const QString &key, const QVariant &value)
{
    const QVariant old = m_properties.value(key);
    m_properties.insert(key, value);
    if (m_parent) {
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
    const QString type = child->property(QStringLiteral("type")).toString();
    for (auto it = m_lookup.begin(); it != m_lookup.end(); ++it) {
        const QString name = it.key();
        const qsizetype split = name.indexOf(QLatin1Char('\n'));
        const QString text = child->property(name.mid(split + 1)).toString();
        if (name.left(split) == type && !it->contains(text)) {
            it->insert(text, child);
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
    const QString name = lookupName(type, key);
    auto it = m_lookup.find(name);
    if (it == m_lookup.end()) {
        QHash<QString, TreeItem *> index;
        for (TreeItem *child : m_children) {
            if (child->property(QStringLiteral("type")).toString() == type) {
                const QString text = child->property(key).toString();
                if (!index.contains(text)) {
                    index.insert(text, child);
                }
            }
        }
        it = m_lookup.insert(name, index);
    }
    return it->value(value, nullptr);
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
    auto it = m_lookup.find(lookupName(child->property(QStringLiteral("type")).toString(), key));
    if (it == m_lookup.end()) {
        return;
    }
    if (it->value(old.toString()) == child) {
        // Another child may hold the old text too; let the next look-up rebuild the index.
        m_lookup.erase(it);
        return;
    }
    const QString text = child->property(key).toString();
    if (!it->contains(text)) {
        it->insert(text, child);
    }
}

void TreeItem::childTypeChanged(TreeItem *child, const QString &oldType)
{
    const QString type = child->property(QStringLiteral("type")).toString();
    for (auto it = m_lookup.begin(); it != m_lookup.end();) {
        const QString name = it.key();
        const qsizetype split = name.indexOf(QLatin1Char('\n'));
        const QString lookupType = name.left(split);
        if (!oldType.isEmpty() && (lookupType == oldType || lookupType == type)) {
            // A node that changes its kind is rare; rebuild those indexes on the next look-up.
            it = m_lookup.erase(it);
            continue;
        }
        if (lookupType == type) {
            const QString text = child->property(name.mid(split + 1)).toString();
            if (!it->contains(text)) {
                it->insert(text, child);
            }
        }
        ++it;
    }
}
