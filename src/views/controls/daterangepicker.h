#pragma once

#include <QDate>
#include <QWidget>

class Clock;
class QComboBox;
class QDateEdit;

// Chooses a range of days by hand or through the range presets; optionally offers the day shown
// in the main window first. Editing a date by hand switches the preset to "Custom".
class DateRangePicker : public QWidget
{
    Q_OBJECT

public:
    // `clock` is not owned; null means the system clock.
    explicit DateRangePicker(Clock *clock = nullptr, QWidget *parent = nullptr);

    // Offers "Selected Day" first and chooses it.
    void setSelectedDay(const QDate &day);

    QDate from() const;
    QDate to() const;
    QComboBox *presets() const { return m_presets; }
    QDateEdit *fromEdit() const { return m_from; }
    QDateEdit *toEdit() const { return m_to; }

Q_SIGNALS:
    void rangeChanged(const QDate &from, const QDate &to);

private:
    void applyPreset(int index);
    void onDateEdited();

    Clock *m_clock;
    QComboBox *m_presets;
    QDateEdit *m_from;
    QDateEdit *m_to;
    QDate m_selectedDay;
    bool m_settingPreset = false;
};
