#pragma once

#include <QAccessibleWidget>
#include <QHash>

class TimelineStrip;

// What screen readers see of the timeline strip: a list whose items are the day's bands, each
// named by its application, title and times, focused as the keyboard moves along them.
class TimelineAccessible : public QAccessibleWidget
{
public:
    explicit TimelineAccessible(TimelineStrip *strip);
    ~TimelineAccessible() override;

    // Makes Qt use this interface for every timeline strip; once is enough.
    static void install();

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *focusChild() const override;
    QAccessibleInterface *childAt(int x, int y) const override;

    TimelineStrip *strip() const;

private:
    // Band interfaces are made on demand and dropped when the day changes under them.
    void forgetBands() const;

    mutable QHash<int, QAccessible::Id> m_bands;
    mutable quint64 m_generationSeen = 0;
    mutable int m_countSeen = -1;
};
