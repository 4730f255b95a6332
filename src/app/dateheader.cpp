#include "dateheader.h"

#include <QDate>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QPushButton>

DateHeader::DateHeader(QLabel *label, QPushButton *today)
    : m_label(label)
    , m_today(today)
{}

void DateHeader::show(const QDate &date)
{
    m_label->setText(QLocale::system().toString(date, QLocale::system().dateFormat(QLocale::LongFormat)));
    m_today->setVisible(date != QDate::currentDate());
}

void DateHeader::reservePanelWidth(QWidget *panel, const QLayout *row)
{
    QSizePolicy todayPolicy = m_today->sizePolicy();
    todayPolicy.setRetainSizeWhenHidden(true);
    m_today->setSizePolicy(todayPolicy);
    const QFontMetrics metrics(m_label->font());
    const QString format = QLocale::system().dateFormat(QLocale::LongFormat);
    const QDate first(QDate::currentDate().year(), 1, 1);
    int longest = 0;
    for (QDate day = first; day.year() == first.year(); day = day.addDays(1)) {
        longest = qMax(longest, metrics.horizontalAdvance(QLocale::system().toString(day, format)));
    }
    // Every button beside the date keeps its room too.
    int others = 0;
    for (int i = 0; i < row->count(); ++i) {
        const QWidget *widget = row->itemAt(i)->widget();
        if (widget && widget != m_label) {
            others += widget->sizeHint().width() + row->spacing();
        }
    }
    const QMargins margins = panel->layout()->contentsMargins();
    panel->setMinimumWidth(longest + others + margins.left() + margins.right() + 2 * m_label->margin() + 8);
}
