#pragma once

#include "dayfigures.h"

#include <QList>
#include <QWidget>

// The days of a week as rows: the date, a bar of the day's recorded time stacked by project
// (linked), application (unlinked) and away time in the timeline's colours, and what is still to
// book. Every bar has the scale of the week's longest day. A click on a row asks for its day; from
// the keyboard the arrow keys, Home and End choose a row and Enter or Space ask for it.
class WeekChart : public QWidget
{
    Q_OBJECT

public:
    explicit WeekChart(QWidget *parent = nullptr);

    void setDays(QList<DayFigures> days);
    const QList<DayFigures> &days() const { return m_days; }
    // The row of `day`, in widget coordinates; empty when the day is not shown.
    QRect rowRect(const QDate &day) const;
    // The day the keyboard is on; invalid without days.
    QDate currentDay() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void dayClicked(const QDate &day);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool event(QEvent *event) override;

private:
    int rowHeight() const;
    int rowAt(int y) const;
    QString rowToolTip(const DayFigures &day) const;
    QString dateText(const QDate &date) const;
    QString figuresText(const DayFigures &day) const;
    // The widths of the date and figures columns; the bar takes the rest.
    struct Columns
    {
        int date = 0;
        int figures = 0;
    };
    Columns columns() const;
    void setCurrentRow(int row);

    QList<DayFigures> m_days;
    qint64 m_longest = 0;
    int m_current = 0;
};
