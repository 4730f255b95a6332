#include "calendarwidget.h"

#include <QPainter>
#include <QTextCharFormat>

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
    QPalette pal = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Highlight, QColor(51, 153, 255));
        pal.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    setPalette(pal);
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
        painter->setPen(m_pen);
        painter->setBrush(m_brush);
        painter->drawRect(markRect(rect));
        painter->restore();
    }
}
