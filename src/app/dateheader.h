#pragma once

class QDate;
class QLabel;
class QLayout;
class QPushButton;
class QWidget;

// The shown day's long date and, beside it, "Show Today" while another day is shown.
class DateHeader
{
public:
    // Neither widget is owned.
    DateHeader(QLabel *label, QPushButton *today);

    void show(const QDate &date);
    // Makes `panel` wide enough for the longest date of the year beside the buttons in `row`, and
    // the button keeps its place while hidden: choosing another day must not widen the panel and
    // squeeze the entry views.
    void reservePanelWidth(QWidget *panel, const QLayout *row);

private:
    QLabel *m_label;
    QPushButton *m_today;
};
