#include "timelinestrip.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

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
    m_layout.setEntries(std::move(entries));
    m_layout.setWidth(width());
    update();
}

void TimelineStrip::appendEntry(const TimelineEntry &entry)
{
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
    painter.fillRect(area, palette().base());

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
    const QList<TimelineEntry> &entries = m_layout.entries();
    // Zoomed out, many stretches share a pixel column: the first one drawn there stands for all.
    int lastColumn = std::numeric_limits<int>::min();
    for (int index = first; index <= last; ++index) {
        const TimelineEntry &entry = entries.at(index);
        const QRectF band = m_layout.bandRect(index);
        const int column = int(std::floor(band.left()));
        if (band.width() <= 1.0 && column == lastColumn) {
            continue;
        }
        lastColumn = column;
        QColor colour = TimelineLayout::awayColour();
        if (!entry.away) {
            auto known = m_appColours.constFind(entry.appPath);
            if (known == m_appColours.cend()) {
                known = m_appColours.insert(entry.appPath, TimelineLayout::appColour(entry.appPath));
            }
            colour = *known;
        }
        painter.fillRect(band, colour);
        // Where one stretch ends and the next begins, even of the same application.
        if (band.width() >= 4.0) {
            painter.fillRect(QRectF(band.left(), band.top(), 1.0, band.height()), colour.darker(150));
        }
        if (entry.linked) {
            painter.fillRect(m_layout.linkRect(index), TimelineLayout::projectColour(entry.projectId));
        }
    }

    if (!m_highlighted.isEmpty()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        for (int index = first; index <= last; ++index) {
            if (m_highlighted.contains(entries.at(index).id)) {
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
            const TimelineEntry &entry = m_layout.entries().at(index);
            Q_EMIT entryActivated(entry.id, entry.linked);
        }
    }
    m_dragX = -1;
    m_dragged = false;
    QWidget::mouseReleaseEvent(event);
}

bool TimelineStrip::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const int index = m_layout.hitTest(help->pos().x(), help->pos().y());
        if (index >= 0) {
            QToolTip::showText(help->globalPos(), TimelineLayout::toolTipHtml(m_layout.entries().at(index)), this,
                               bandUpdateRect(index));
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}
