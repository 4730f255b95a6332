#include "calendarwidget.h"

#include "contrast.h"

#include <QEvent>
#include <QPainter>
#include <QTextCharFormat>
#include <QToolButton>

CalendarWidget::CalendarWidget(QWidget *parent)
    : QCalendarWidget(parent)
    , m_markedDay(QDate::currentDate())
    , m_pen(Qt::red)
    , m_brush(Qt::transparent)
{
    setFirstDayOfWeek(Qt::Monday);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setNavigationBarVisible(true);
    setDateEditEnabled(false);
    nameParts();
    keepShownArrowSizeOnly();
    // The style's weekend red, kept readable on the calendar's background.
    for (const Qt::DayOfWeek day : {Qt::Saturday, Qt::Sunday}) {
        QTextCharFormat format = weekdayTextFormat(day);
        format.setForeground(Contrast::readable(format.foreground().color(), palette().color(QPalette::Base)));
        setWeekdayTextFormat(day, format);
    }
}

void CalendarWidget::nameParts()
{
    // The month arrows show icons only and the day table has no caption of its own.
    const struct
    {
        const char *objectName;
        const char *name;
    } parts[] = {{"qt_calendar_prevmonth", QT_TR_NOOP("Previous Month")},
                 {"qt_calendar_nextmonth", QT_TR_NOOP("Next Month")},
                 {"qt_calendar_calendarview", QT_TR_NOOP("Days of the month")}};
    for (const auto &part : parts) {
        if (auto *widget = findChild<QWidget *>(QLatin1String(part.objectName))) {
            widget->setAccessibleName(tr(part.name));
        }
    }
}

void CalendarWidget::keepShownArrowSizeOnly()
{
    for (const char *name : {"qt_calendar_prevmonth", "qt_calendar_nextmonth"}) {
        if (auto *arrow = findChild<QToolButton *>(QLatin1String(name))) {
            arrow->setIcon(QIcon(arrow->icon().pixmap(arrow->iconSize())));
        }
    }
}

bool CalendarWidget::event(QEvent *event)
{
    const bool handled = QCalendarWidget::event(event);
    // The calendar takes its arrows from the style again when the style or the direction changes.
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::LayoutDirectionChange) {
        keepShownArrowSizeOnly();
    }
    return handled;
}

void CalendarWidget::setColor(const QColor &color)
{
    m_pen.setColor(color);
    update();
}

void CalendarWidget::setMarkedDay(const QDate &day)
{
    if (day == m_markedDay) {
        return;
    }
    m_markedDay = day;
    updateCells();
}

void CalendarWidget::setDaysWithUnlinkedTime(const QList<QDate> &days)
{
    setDateTextFormat(QDate(), QTextCharFormat());
    QTextCharFormat emphasis;
    emphasis.setFontWeight(QFont::Black);
    emphasis.setFontUnderline(true);
    for (const QDate &day : days) {
        setDateTextFormat(day, emphasis);
    }
}

bool CalendarWidget::isEmphasised(const QDate &day) const
{
    const QTextCharFormat format = dateTextFormat(day);
    return format.fontWeight() == QFont::Black && format.fontUnderline();
}

QRect CalendarWidget::markRect(const QRect &cell)
{
    return QRect(QPoint(cell.left(), cell.top()), QPoint(cell.right() - 1, cell.bottom() - 1));
}

void CalendarWidget::paintCell(QPainter *painter, const QRect &rect, QDate date) const
{
    QCalendarWidget::paintCell(painter, rect, date);
    if (date == m_markedDay) {
        painter->save();
        QPen pen = m_pen;
        pen.setColor(Contrast::readable(m_pen.color(), palette().color(QPalette::Base)));
        painter->setPen(pen);
        painter->setBrush(m_brush);
        painter->drawRect(markRect(rect));
        painter->restore();
    }
}
