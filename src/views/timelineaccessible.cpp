#include "timelineaccessible.h"

#include "timelinestrip.h"

namespace {
// One band of the strip as an item of the list.
class BandAccessible : public QAccessibleInterface
{
public:
    BandAccessible(TimelineAccessible *list, int index)
        : m_list(list)
        , m_index(index)
    {}

    bool isValid() const override { return m_list->isValid() && m_index < layout().count(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_list->window(); }
    QAccessibleInterface *parent() const override { return m_list; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QString text(QAccessible::Text kind) const override
    {
        if (kind != QAccessible::Name || !isValid()) {
            return {};
        }
        return TimelineLayout::description(layout().entry(m_index));
    }

    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        TimelineStrip *strip = m_list->strip();
        const QRect area = strip->bandArea(m_index).intersected(strip->rect());
        return QRect(strip->mapToGlobal(area.topLeft()), area.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.focusable = true;
        state.selectable = true;
        TimelineStrip *strip = m_list->strip();
        state.focused = strip->hasFocus() && strip->currentIndex() == m_index;
        state.selected = isValid() && strip->highlighted().contains(layout().idAt(m_index));
        state.invisible = !isValid() || strip->bandArea(m_index).intersected(strip->rect()).isEmpty();
        return state;
    }

private:
    const TimelineLayout &layout() const { return m_list->strip()->layout(); }

    TimelineAccessible *m_list;
    int m_index;
};

QAccessibleInterface *timelineFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("TimelineStrip") && object && object->isWidgetType()) {
        return new TimelineAccessible(static_cast<TimelineStrip *>(object));
    }
    return nullptr;
}
} // namespace

TimelineAccessible::TimelineAccessible(TimelineStrip *strip)
    : QAccessibleWidget(strip, QAccessible::List)
{}

TimelineAccessible::~TimelineAccessible()
{
    forgetBands();
}

void TimelineAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(timelineFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

TimelineStrip *TimelineAccessible::strip() const
{
    return static_cast<TimelineStrip *>(widget());
}

void TimelineAccessible::forgetBands() const
{
    for (const QAccessible::Id id : std::as_const(m_bands)) {
        QAccessible::deleteAccessibleInterface(id);
    }
    m_bands.clear();
}

int TimelineAccessible::childCount() const
{
    return strip()->layout().count();
}

QAccessibleInterface *TimelineAccessible::child(int index) const
{
    const TimelineLayout &layout = strip()->layout();
    if (index < 0 || index >= layout.count()) {
        return nullptr;
    }
    // A new day (or a band recorded in between) renumbers the bands.
    if (layout.generation() != m_generationSeen || layout.count() != m_countSeen) {
        forgetBands();
        m_generationSeen = layout.generation();
        m_countSeen = layout.count();
    }
    auto known = m_bands.constFind(index);
    if (known != m_bands.cend()) {
        return QAccessible::accessibleInterface(*known);
    }
    auto *band = new BandAccessible(const_cast<TimelineAccessible *>(this), index);
    m_bands.insert(index, QAccessible::registerAccessibleInterface(band));
    return band;
}

int TimelineAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    for (auto it = m_bands.cbegin(); it != m_bands.cend(); ++it) {
        if (QAccessible::accessibleInterface(it.value()) == child) {
            return it.key();
        }
    }
    return -1;
}

QAccessibleInterface *TimelineAccessible::focusChild() const
{
    return strip()->hasFocus() ? child(strip()->currentIndex()) : nullptr;
}

QAccessibleInterface *TimelineAccessible::childAt(int x, int y) const
{
    const QPoint local = strip()->mapFromGlobal(QPoint(x, y));
    return child(strip()->layout().hitTest(local.x(), local.y()));
}
