#include "timelinestrip.h"

#include "contrast.h"
#include "timelineaccessible.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// Ctrl+wheel: this much closer per notch.
constexpr double ZoomPerNotch = 1.25;
// A press that moves less than this is a click, not a drag.
constexpr double DragThreshold = 3.0;
} // namespace

TimelineStrip::TimelineStrip(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("timeline"));
    // Before anything asks for the strip's accessible interface, which Qt keeps once made.
    TimelineAccessible::install();
    setAccessibleName(tr("Timeline"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize TimelineStrip::sizeHint() const
{
    return QSize(600, minimumSizeHint().height());
}

QSize TimelineStrip::minimumSizeHint() const
{
    return QSize(100, TimelineLayout::LabelTop + fontMetrics().height() + 2);
}

void TimelineStrip::setEntries(QList<TimelineEntry> entries)
{
    const qint64 currentId = m_current >= 0 ? m_layout.idAt(m_current) : 0;
    m_layout.setEntries(std::move(entries));
    m_layout.setWidth(width());
    m_current = currentId != 0 ? m_layout.indexOfId(currentId) : -1;
    QAccessibleEvent reorder(this, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&reorder);
    update();
}

void TimelineStrip::setCurrentIndex(int index)
{
    if (index < 0 || index >= m_layout.count() || index == m_current) {
        return;
    }
    m_current = index;
    m_layout.showEntry(index);
    update();
    if (hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(index);
        QAccessible::updateAccessibility(&focus);
    }
}

void TimelineStrip::activate(int index)
{
    const TimelineEntry entry = m_layout.entry(index);
    Q_EMIT entryActivated(entry.id, entry.linked);
}

void TimelineStrip::appendEntry(const TimelineEntry &entry)
{
    QAccessibleEvent reorder(this, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&reorder);
    if (m_layout.append(entry)) {
        update(bandUpdateRect(m_layout.indexOfId(entry.id)));
    } else {
        update();
    }
}

QRect TimelineStrip::bandUpdateRect(int index) const
{
    if (index < 0) {
        return rect();
    }
    const QRectF band = m_layout.bandRect(index).united(m_layout.linkRect(index));
    return band.toAlignedRect().adjusted(-2, -2, 2, 2);
}

void TimelineStrip::setHighlighted(const QSet<qint64> &ids)
{
    if (ids == m_highlighted) {
        return;
    }
    m_highlighted = ids;
    update();
}

void TimelineStrip::resizeEvent(QResizeEvent *event)
{
    m_layout.setWidth(width());
    QWidget::resizeEvent(event);
}

void TimelineStrip::paintEvent(QPaintEvent *event)
{
    const QRect area = event->rect();
    QPainter painter(this);
    const QColor background = palette().color(QPalette::Base);
    painter.fillRect(area, background);

    const QColor markColour = palette().color(QPalette::Mid);
    painter.setPen(markColour);
    const int labelY = TimelineLayout::LabelTop;
    for (const TimelineLayout::HourMark &mark : m_layout.hourMarks()) {
        const int x = int(std::lround(mark.x));
        if (x < area.left() - 60 || x > area.right() + 1) {
            continue;
        }
        painter.drawLine(x, labelY - 2, x, height());
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(x + 3, labelY, 60, height() - labelY, Qt::AlignLeft | Qt::AlignTop, mark.label);
        painter.setPen(markColour);
    }

    int first = 0;
    int last = -1;
    m_layout.visibleRange(area.left(), area.right() + 1, &first, &last);
    // Zoomed out, many stretches share a pixel column: the first one drawn there stands for all.
    int lastColumn = std::numeric_limits<int>::min();
    for (int index = first; index <= last; ++index) {
        const QRectF band = m_layout.bandRect(index);
        const int column = int(std::floor(band.left()));
        if (band.width() <= 1.0 && column == lastColumn) {
            continue;
        }
        lastColumn = column;
        const TimelineEntry entry = m_layout.entry(index);
        // Colours are kept readable on the strip's background, light or dark.
        const QString colourKey = entry.away ? QString() : entry.appPath;
        auto known = m_appColours.constFind(colourKey);
        if (known == m_appColours.cend()) {
            const QColor colour = entry.away ? TimelineLayout::awayColour() : TimelineLayout::appColour(entry.appPath);
            known = m_appColours.insert(colourKey, Contrast::readable(colour, background));
        }
        painter.fillRect(band, *known);
        // Where one stretch ends and the next begins, even of the same application.
        if (band.width() >= 4.0) {
            painter.fillRect(QRectF(band.left(), band.top(), 1.0, band.height()), known->darker(150));
        }
        if (entry.linked) {
            painter.fillRect(m_layout.linkRect(index),
                             Contrast::readable(TimelineLayout::projectColour(entry.projectId), background));
        }
    }

    if (hasFocus() && m_current >= first && m_current <= last) {
        painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(m_layout.bandRect(m_current).adjusted(-1, -1, 0, 0));
    }

    if (!m_highlighted.isEmpty()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        for (int index = first; index <= last; ++index) {
            if (m_highlighted.contains(m_layout.idAt(index))) {
                painter.drawRect(m_layout.bandRect(index).adjusted(0, 1, 0, -1));
            }
        }
    }
}

void TimelineStrip::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta();
    const double notches = (delta.y() != 0 ? delta.y() : delta.x()) / 120.0;
    if (event->modifiers() & Qt::ControlModifier) {
        m_layout.zoom(std::pow(ZoomPerNotch, notches), event->position().x());
    } else {
        m_layout.pan(-notches * width() / 10.0);
    }
    update();
    event->accept();
}

void TimelineStrip::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragX = event->position().x();
        m_dragged = false;
    }
    QWidget::mousePressEvent(event);
}

void TimelineStrip::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragX >= 0 && (event->buttons() & Qt::LeftButton)) {
        const double dx = event->position().x() - m_dragX;
        if (m_dragged || std::abs(dx) >= DragThreshold) {
            m_dragged = true;
            m_layout.pan(-dx);
            m_dragX = event->position().x();
            update();
        }
    }
    QWidget::mouseMoveEvent(event);
}

void TimelineStrip::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && !m_dragged) {
        const int index = m_layout.hitTest(event->position().x(), event->position().y());
        if (index >= 0) {
            m_current = index;
            update();
            activate(index);
        }
    }
    m_dragX = -1;
    m_dragged = false;
    QWidget::mouseReleaseEvent(event);
}

void TimelineStrip::keyPressEvent(QKeyEvent *event)
{
    const int count = m_layout.count();
    if (count == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
        setCurrentIndex(std::max(m_current - 1, 0));
        break;
    case Qt::Key_Right:
        setCurrentIndex(std::min(m_current + 1, count - 1));
        break;
    case Qt::Key_Home:
        setCurrentIndex(0);
        break;
    case Qt::Key_End:
        setCurrentIndex(count - 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (m_current >= 0) {
            activate(m_current);
        }
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TimelineStrip::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    if (m_current < 0 && m_layout.count() > 0) {
        int first = 0;
        int last = -1;
        m_layout.visibleRange(0, width(), &first, &last);
        setCurrentIndex(std::clamp(first, 0, m_layout.count() - 1));
    } else if (m_current >= 0) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(m_current);
        QAccessible::updateAccessibility(&focus);
    }
    update();
}

bool TimelineStrip::event(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange) {
        m_appColours.clear();
    }
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const int index = m_layout.hitTest(help->pos().x(), help->pos().y());
        if (index >= 0) {
            QToolTip::showText(help->globalPos(), TimelineLayout::toolTipHtml(m_layout.entry(index)), this,
                               bandUpdateRect(index));
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}
