#include "weekchart.h"

#include "timelinelayout.h"
#include "timetext.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QToolTip>

#include <algorithm>
#include <utility>

namespace {
constexpr int Margin = 6;
constexpr int BarHeight = 18;
constexpr int MinimumBarWidth = 120;

QColor shareColour(const DayShare &share)
{
    switch (share.kind) {
    case DayShare::Kind::Linked:
        return TimelineLayout::projectColour(share.key);
    case DayShare::Kind::Unlinked:
        return TimelineLayout::appColour(share.key);
    case DayShare::Kind::Away:
        break;
    }
    return TimelineLayout::awayColour();
}
} // namespace

WeekChart::WeekChart(QWidget *parent)
    : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Days of the week"));
}

void WeekChart::setDays(QList<DayFigures> days)
{
    m_days = std::move(days);
    m_longest = 0;
    for (const DayFigures &day : std::as_const(m_days)) {
        m_longest = std::max(m_longest, day.recorded);
    }
    setCurrentRow(std::clamp(m_current, 0, std::max(0, int(m_days.size()) - 1)));
    updateGeometry();
    update();
}

QDate WeekChart::currentDay() const
{
    return m_current < m_days.size() ? m_days.at(m_current).date : QDate();
}

void WeekChart::setCurrentRow(int row)
{
    m_current = row;
    // A screen reader says the day the keyboard is on with its figures, as the tool tip shows them.
    setAccessibleDescription(m_current < m_days.size() ? rowToolTip(m_days.at(m_current)) : QString());
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
    update();
}

QString WeekChart::dateText(const QDate &date) const
{
    //: The date at the start of a row of the week view, as QLocale::toString reads it
    return QLocale().toString(date, tr("dddd d MMMM"));
}

int WeekChart::rowHeight() const
{
    return std::max(BarHeight, fontMetrics().height()) + 2 * Margin;
}

QRect WeekChart::rowRect(const QDate &day) const
{
    for (int row = 0; row < m_days.size(); ++row) {
        if (m_days.at(row).date == day) {
            return QRect(0, row * rowHeight(), width(), rowHeight());
        }
    }
    return {};
}

int WeekChart::rowAt(int y) const
{
    const int row = y / rowHeight();
    return y >= 0 && row < m_days.size() ? row : -1;
}

WeekChart::Columns WeekChart::columns() const
{
    const QFontMetrics metrics = fontMetrics();
    Columns widths;
    // Every weekday with a two-digit day of September, the longest month name in English and German,
    // so that the bars keep their place from week to week.
    for (int weekday = 0; weekday < 7; ++weekday) {
        widths.date = std::max(widths.date, metrics.horizontalAdvance(dateText(QDate(2000, 9, 25).addDays(weekday))));
    }
    widths.date += 2 * Margin;
    // The figures as shown: a language with longer words widens the column instead of being cut.
    for (const DayFigures &day : m_days) {
        widths.figures = std::max(widths.figures, metrics.horizontalAdvance(figuresText(day)));
    }
    widths.figures += Margin;
    return widths;
}

QSize WeekChart::sizeHint() const
{
    const Columns widths = columns();
    return {std::max(640, widths.date + 2 * MinimumBarWidth + widths.figures + Margin),
            int(m_days.size()) * rowHeight()};
}

QSize WeekChart::minimumSizeHint() const
{
    const Columns widths = columns();
    return {widths.date + MinimumBarWidth + widths.figures + Margin, int(m_days.size()) * rowHeight()};
}

QString WeekChart::figuresText(const DayFigures &day) const
{
    return day.toBook > 0 ? tr("%1 to book %2").arg(formatDuration(day.recorded), formatDuration(day.toBook))
                          : formatDuration(day.recorded);
}

void WeekChart::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const Columns widths = columns();
    const int dateWidth = widths.date;
    const int figuresWidth = widths.figures;
    const int barLeft = dateWidth;
    const int barWidth = std::max(MinimumBarWidth, width() - dateWidth - figuresWidth - Margin);
    const int height = rowHeight();
    for (int row = 0; row < m_days.size(); ++row) {
        const QRect rowArea(0, row * height, width(), height);
        if (!event->rect().intersects(rowArea)) {
            continue;
        }
        const DayFigures &day = m_days.at(row);
        if (row % 2 == 1) {
            painter.fillRect(rowArea, palette().alternateBase());
        }
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRect(Margin, rowArea.top(), dateWidth - Margin, height), Qt::AlignVCenter | Qt::AlignLeft,
                         dateText(day.date));
        // Parts start where the previous one ended, in whole seconds, so that rounding never
        // leaves a gap or makes the bar longer than the day.
        const int barTop = rowArea.top() + (height - BarHeight) / 2;
        qint64 before = 0;
        for (const DayShare &share : day.shares) {
            const int x1 = barLeft + int(before * barWidth / std::max<qint64>(m_longest, 1));
            before += share.seconds;
            const int x2 = barLeft + int(before * barWidth / std::max<qint64>(m_longest, 1));
            if (x2 > x1) {
                painter.fillRect(QRect(x1, barTop, x2 - x1, BarHeight), shareColour(share));
            }
        }
        const QString figures = figuresText(day);
        painter.setPen(day.toBook > 0 ? palette().color(QPalette::Text) : palette().color(QPalette::PlaceholderText));
        painter.drawText(QRect(barLeft + barWidth + Margin, rowArea.top(), figuresWidth, height),
                         Qt::AlignVCenter | Qt::AlignRight, figures);
        if (hasFocus() && row == m_current) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = rowArea.adjusted(1, 1, -1, -1);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
    }
}

QString WeekChart::rowToolTip(const DayFigures &day) const
{
    // The words of the export's columns, so that the figures read the same in both.
    return tr("%1\nrecorded %2\nlinked %3\nunlinked %4\naway %5\nto book %6")
        .arg(QLocale().toString(day.date, QLocale::LongFormat), formatDuration(day.recorded),
             formatDuration(day.linked), formatDuration(day.unlinked), formatDuration(day.away),
             formatDuration(day.toBook));
}

bool WeekChart::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int row = rowAt(help->pos().y());
        if (row < 0) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(help->globalPos(), rowToolTip(m_days.at(row)), this);
        }
        return true;
    }
    return QWidget::event(event);
}

void WeekChart::mouseReleaseEvent(QMouseEvent *event)
{
    const int row = event->button() == Qt::LeftButton ? rowAt(event->position().toPoint().y()) : -1;
    if (row >= 0) {
        setCurrentRow(row);
        Q_EMIT dayClicked(m_days.at(row).date);
    }
    QWidget::mouseReleaseEvent(event);
}

void WeekChart::keyPressEvent(QKeyEvent *event)
{
    if (m_days.isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int last = int(m_days.size()) - 1;
    switch (event->key()) {
    case Qt::Key_Up:
        setCurrentRow(std::max(0, m_current - 1));
        break;
    case Qt::Key_Down:
        setCurrentRow(std::min(last, m_current + 1));
        break;
    case Qt::Key_Home:
        setCurrentRow(0);
        break;
    case Qt::Key_End:
        setCurrentRow(last);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Q_EMIT dayClicked(m_days.at(m_current).date);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void WeekChart::focusInEvent(QFocusEvent *event)
{
    update();
    QWidget::focusInEvent(event);
}

void WeekChart::focusOutEvent(QFocusEvent *event)
{
    update();
    QWidget::focusOutEvent(event);
}
