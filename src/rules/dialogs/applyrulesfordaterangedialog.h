#pragma once

#include <QDate>
#include <QDialog>

#include <memory>

class Clock;

namespace Ui {
class ApplyRulesForDateRangeDialog;
}

// Asks for the date range a rule run covers, by hand or through a preset ("This Week", ...).
// Preset dates are worked out from the clock at the moment the preset is chosen.
class ApplyRulesForDateRangeDialog : public QDialog
{
    Q_OBJECT

public:
    // `clock` is not owned; null means the system clock.
    explicit ApplyRulesForDateRangeDialog(Clock *clock = nullptr, QWidget *parent = nullptr);
    ~ApplyRulesForDateRangeDialog() override;

    // Copies the two date edits into dateFrom and dateTo; call after acceptance.
    void readDates();

    QDate dateFrom;
    QDate dateTo;

private Q_SLOTS:
    void on_cbPresets_currentIndexChanged(int index);
    void on_dateEditFrom_dateChanged(const QDate &date);
    void on_dateEditTo_dateChanged(const QDate &date);

private:
    void fillPresets();
    void switchToCustom();

    std::unique_ptr<Ui::ApplyRulesForDateRangeDialog> m_ui;
    Clock *m_clock;
    bool m_settingPreset = false;
};
