#include "treeitem.h"

const QString TreeItem::TypeKey = QStringLiteral("type");
const QString TreeItem::TimeKey = QStringLiteral("time");
const QString TreeItem::TitleKey = QStringLiteral("title");
const QString TreeItem::EntriesKey = QStringLiteral("entries");
const QString TreeItem::LinkedKey = QStringLiteral("linked");
const QString TreeItem::UnconfirmedKey = QStringLiteral("unconfirmed");

TreeItem::TreeItem(const QVariantList &data, TreeItem *parent)
    : m_data(data.cbegin(), data.cend())
    , m_parent(parent)
{}

TreeItem::TreeItem(const QString &name, const QString &timeText, const QString &type, Properties properties)
    : m_fields(TypeField)
    , m_type(type)
{
    m_data.emplace_back(name);
    m_data.emplace_back(timeText);
    m_properties.reserve(qsizetype(properties.size()));
    // A node not yet in a tree has no parent to tell, and no property yet to replace.
    for (const auto &property : properties) {
        if (!setField(property.first, property.second)) {
            m_properties.append(property);
        }
    }
}

TreeItem::~TreeItem()
{
    for (TreeItem *child : std::as_const(m_children)) {
        release(child);
    }
}

void TreeItem::release(TreeItem *child)
{
    if (child->m_inArena) {
        child->~TreeItem();
    } else {
        delete child;
    }
}

void *TreeItemArena::allocate()
{
    if (m_used == NodesPerBlock) {
        ++m_current;
        if (m_current == qsizetype(m_blocks.size())) {
            // operator new[] aligns for any ordinary type, and the nodes follow each other at sizeof.
            m_blocks.emplace_back(new std::byte[size_t(NodesPerBlock) * sizeof(TreeItem)]);
        }
        m_used = 0;
    }
    return m_blocks[size_t(m_current)].get() + size_t(m_used++) * sizeof(TreeItem);
}

void TreeItemArena::reuse()
{
    m_current = -1;
    m_used = NodesPerBlock;
}

void TreeItemArena::trim()
{
    m_blocks.resize(size_t(m_current + 1));
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
    if (key == TypeKey) {
        return m_fields & TypeField ? QVariant(m_type) : QVariant();
    }
    if (key == TimeKey) {
        return m_fields & TimeField ? QVariant(m_time) : QVariant();
    }
    if (key == TitleKey) {
        return m_fields & TitleField ? QVariant(m_title) : QVariant();
    }
    if (key == EntriesKey) {
        if (!(m_fields & EntriesField)) {
            return {};
        }
        QStringList ids;
        ids.reserve(m_entryIds.size());
        for (const qint64 id : m_entryIds) {
            ids << QString::number(id);
        }
        return ids;
    }
    if (key == LinkedKey) {
        return m_fields & LinkedField ? QVariant(m_linked) : QVariant();
    }
    if (key == UnconfirmedKey) {
        return m_fields & UnconfirmedField ? QVariant(m_unconfirmed) : QVariant();
    }
    for (const auto &[name, value] : m_properties) {
        if (name == key) {
            return value;
        }
    }
    return {};
}

void TreeItem::setProperty(const QString &key, const QVariant &value)
{
    TreeItem *indexed = m_parent && !m_parent->m_lookup.isEmpty() ? m_parent : nullptr;
    const QVariant old = indexed ? property(key) : QVariant();
    if (!setField(key, value)) {
        auto it =
            std::find_if(m_properties.begin(), m_properties.end(), [&key](const auto &p) { return p.first == key; });
        if (it == m_properties.end()) {
            m_properties.append(std::pair<QString, QVariant>(key, value));
        } else {
            it->second = value;
        }
    }
    if (indexed) {
        indexed->childPropertyChanged(this, key, old);
    }
}

// The typed properties: false for any other key. An invalid value unsets the property.
bool TreeItem::setField(const QString &key, const QVariant &value)
{
    Field field;
    if (key == TypeKey) {
        field = TypeField;
        m_type = value.toString();
    } else if (key == TimeKey) {
        field = TimeField;
        m_time = value.toLongLong();
    } else if (key == TitleKey) {
        field = TitleField;
        m_title = value.toString();
    } else if (key == EntriesKey) {
        // Entry ids are row ids: texts of whole numbers.
        field = EntriesField;
        m_entryIds.clear();
        const QStringList ids = value.toStringList();
        for (const QString &id : ids) {
            m_entryIds << id.toLongLong();
        }
    } else if (key == LinkedKey) {
        field = LinkedField;
        m_linked = value.toBool();
    } else if (key == UnconfirmedKey) {
        field = UnconfirmedField;
        m_unconfirmed = value.toBool();
    } else {
        return false;
    }
    m_fields = value.isValid() ? m_fields | field : m_fields & ~field;
    return true;
}

bool TreeItem::inIndexedParent() const
{
    return m_parent && !m_parent->m_lookup.isEmpty();
}

void TreeItem::setTime(qint64 seconds)
{
    if (inIndexedParent()) {
        setProperty(TimeKey, seconds);
        return;
    }
    m_time = seconds;
    m_fields |= TimeField;
}

void TreeItem::setEntryIds(const qint64 *ids, qsizetype count)
{
    m_entryIds.clear();
    m_entryIds.append(ids, count);
    m_fields |= EntriesField;
}

void TreeItem::setTitle(const QString &title)
{
    if (inIndexedParent()) {
        setProperty(TitleKey, title);
        return;
    }
    m_title = title;
    m_fields |= TitleField;
}

void TreeItem::setLinked(bool linked)
{
    m_linked = linked;
    m_fields |= LinkedField;
}

void TreeItem::setUnconfirmed(bool unconfirmed)
{
    m_unconfirmed = unconfirmed;
    m_fields |= UnconfirmedField;
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
        indexChild(child, child->m_type);
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
        TreeItem *child = m_children.at(position);
        m_children.remove(position);
        release(child);
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
            if (child->m_type == type) {
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
    if (key == TypeKey) {
        childTypeChanged(child, old.toString());
        return;
    }
    for (qsizetype i = 0; i < m_lookup.size(); ++i) {
        Lookup &lookup = m_lookup[i];
        if (lookup.type != child->m_type || lookup.key != key) {
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
    if (!oldType.isEmpty()) {
        // A node that changes its kind is rare; rebuild those indexes on the next look-up.
        m_lookup.removeIf([&](const Lookup &lookup) { return lookup.type == oldType || lookup.type == child->m_type; });
        return;
    }
    indexChild(child, child->m_type);
}
