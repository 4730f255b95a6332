#pragma once

#include "timelinelayout.h"

#include <QSet>
#include <QWidget>

// A strip that draws one day in time order: a band per stretch in its application's colour (away
// time grey), a mark under linked time in its project's colour, and the hours. Ctrl+wheel zooms,
// the wheel or a drag pans, hovering tells what a band is, and clicking one reports its entry.
// From the keyboard the arrow keys, Home and End move between the bands and Enter reports the
// current one; screen readers see the bands as the items of a list.
class TimelineStrip : public QWidget
{
    Q_OBJECT

public:
    explicit TimelineStrip(QWidget *parent = nullptr);

    void setEntries(QList<TimelineEntry> entries);
    // Draws a stretch recorded just now; only its own band is repainted unless the day grew.
    void appendEntry(const TimelineEntry &entry);
    // The entries selected in the trees, outlined on the strip.
    void setHighlighted(const QSet<qint64> &ids);
    const QSet<qint64> &highlighted() const { return m_highlighted; }

    const TimelineLayout &layout() const { return m_layout; }
    // The band the keyboard is on, or -1.
    int currentIndex() const { return m_current; }
    void setCurrentIndex(int index);
    // The band's rectangle on the strip, for drawing and for screen readers.
    QRect bandArea(int index) const { return bandUpdateRect(index); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // A band was clicked: select its entry in the tree that shows it.
    void entryActivated(qint64 entryId, bool linked);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRect bandUpdateRect(int index) const;
    void activate(int index);

    TimelineLayout m_layout;
    QSet<qint64> m_highlighted;
    QHash<QString, QColor> m_appColours;
    int m_current = -1;
    double m_dragX = -1;
    bool m_dragged = false;
};
