#pragma once

#include <QBrush>
#include <QCalendarWidget>
#include <QDate>
#include <QList>
#include <QPen>

// The day picker: a thin red frame marks the day the program started on (today), and days that
// still hold unlinked time are shown in heavy underlined digits.
class CalendarWidget : public QCalendarWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)

public:
    explicit CalendarWidget(QWidget *parent = nullptr);

    QColor color() const { return m_pen.color(); }
    void setColor(const QColor &color);

    QDate markedDay() const { return m_markedDay; }
    void setMarkedDay(const QDate &day);

    // Clears every date format and emphasises exactly `days`.
    void setDaysWithUnlinkedTime(const QList<QDate> &days);
    // True when `day` carries the emphasis of a day with unlinked time.
    bool isEmphasised(const QDate &day) const;

    // The frame drawn inside a cell: one pixel in from its right and bottom edges.
    static QRect markRect(const QRect &cell);

protected:
    void paintCell(QPainter *painter, const QRect &rect, QDate date) const override;
    bool event(QEvent *event) override;

private:
    // Names the navigation arrows and the day table for screen readers.
    void nameParts();
    // The style gives the month arrows in every size up to 128 pixels; only the one shown is kept.
    void keepShownArrowSizeOnly();
    QDate m_markedDay;
    QPen m_pen;
    QBrush m_brush;
};
