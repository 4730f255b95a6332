#include "weekview.h"

#include "entryreader.h"
#include "timetext.h"
#include "weekchart.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QToolButton>
#include <QVBoxLayout>

WeekView::WeekView(const EntryReader &entries, QWidget *parent)
    : QWidget(parent)
    , m_entries(entries)
    , m_previous(new QToolButton(this))
    , m_next(new QToolButton(this))
    , m_title(new QLabel(this))
    , m_chart(new WeekChart(this))
    , m_totals(new QLabel(this))
{
    setWindowTitle(tr("Week"));
    m_previous->setArrowType(Qt::LeftArrow);
    m_previous->setToolTip(tr("Previous Week"));
    m_previous->setAccessibleName(m_previous->toolTip());
    m_next->setArrowType(Qt::RightArrow);
    m_next->setToolTip(tr("Next Week"));
    m_next->setAccessibleName(m_next->toolTip());
    m_title->setAlignment(Qt::AlignCenter);
    m_totals->setWordWrap(true);
    // Only our own figures go in; plain text keeps it so.
    m_totals->setTextFormat(Qt::PlainText);

    auto *header = new QHBoxLayout;
    header->addWidget(m_previous);
    header->addWidget(m_title, 1);
    header->addWidget(m_next);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(m_chart);
    layout->addWidget(m_totals);
    layout->addStretch(1);

    connect(m_previous, &QToolButton::clicked, this, [this] { showWeek(m_weekStart.addDays(-7), m_ignoredPaths); });
    connect(m_next, &QToolButton::clicked, this, [this] { showWeek(m_weekStart.addDays(7), m_ignoredPaths); });
    connect(m_chart, &WeekChart::dayClicked, this, &WeekView::dayActivated);
}

void WeekView::showWeek(const QDate &day, const QStringList &ignoredPaths)
{
    m_weekStart = WeekDays::weekStart(day);
    m_ignoredPaths = ignoredPaths;
    reload();
}

void WeekView::reload()
{
    setDays(m_entries.weekFigures(m_weekStart, m_ignoredPaths));
}

void WeekView::setDays(const QList<DayFigures> &days)
{
    if (!days.isEmpty()) {
        m_weekStart = days.first().date;
    }
    const QLocale locale;
    m_title->setText(tr("%1 to %2")
                         .arg(locale.toString(m_weekStart, QLocale::ShortFormat),
                              locale.toString(m_weekStart.addDays(6), QLocale::ShortFormat)));
    m_chart->setDays(days);
    const DayFigures week = WeekDays::total(days);
    m_totals->setText(tr("Week: recorded %1, linked %2, unlinked %3, away %4; still to book %5")
                          .arg(formatDuration(week.recorded), formatDuration(week.linked),
                               formatDuration(week.unlinked), formatDuration(week.away), formatDuration(week.toBook)));
}
