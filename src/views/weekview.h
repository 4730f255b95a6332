#pragma once

#include "dayfigures.h"

#include <QDate>
#include <QWidget>

class EntryReader;
class QLabel;
class QToolButton;
class WeekChart;

// A week at a glance: previous and next week, the chart of its days and the week's totals. It
// reads the week's figures from the entries; a click on a day asks the window to open it.
class WeekView : public QWidget
{
    Q_OBJECT

public:
    // The figures are read from `entries`, not owned.
    explicit WeekView(const EntryReader &entries, QWidget *parent = nullptr);

    // Shows the week holding `day`, read afresh, leaving out the applications in `ignoredPaths`.
    void showWeek(const QDate &day, const QStringList &ignoredPaths);
    // Reads the shown week again.
    void reload();
    // Shows figures read elsewhere.
    void setDays(const QList<DayFigures> &days);

    QDate weekStart() const { return m_weekStart; }
    WeekChart *chart() const { return m_chart; }
    QToolButton *previousButton() const { return m_previous; }
    QToolButton *nextButton() const { return m_next; }
    QLabel *totalsLabel() const { return m_totals; }

Q_SIGNALS:
    void dayActivated(const QDate &day);

private:
    const EntryReader &m_entries;
    QDate m_weekStart;
    QStringList m_ignoredPaths;
    QToolButton *m_previous = nullptr;
    QToolButton *m_next = nullptr;
    QLabel *m_title = nullptr;
    WeekChart *m_chart = nullptr;
    QLabel *m_totals = nullptr;
};
