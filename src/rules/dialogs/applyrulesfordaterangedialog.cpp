#include "applyrulesfordaterangedialog.h"

#include "clock.h"
#include "daterangepresets.h"
#include "ui_applyrulesfordaterangedialog.h"

ApplyRulesForDateRangeDialog::ApplyRulesForDateRangeDialog(Clock *clock, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::ApplyRulesForDateRangeDialog>())
    , m_clock(clock ? clock : SystemClock::instance())
{
    m_ui->setupUi(this);
    const QDate today = m_clock->today();
    m_ui->dateEditFrom->setDate(today);
    m_ui->dateEditTo->setDate(today);
    fillPresets();
}

ApplyRulesForDateRangeDialog::~ApplyRulesForDateRangeDialog() = default;

void ApplyRulesForDateRangeDialog::fillPresets()
{
    m_ui->cbPresets->clear();
    for (const DateRangePresets::Preset &preset : DateRangePresets::all()) {
        m_ui->cbPresets->addItem(preset.text, preset.key);
    }
}

void ApplyRulesForDateRangeDialog::on_cbPresets_currentIndexChanged(int index)
{
    const QString key = m_ui->cbPresets->itemData(index).toString();
    m_settingPreset = true;
    QDate from;
    QDate to;
    if (DateRangePresets::range(key, m_clock->today(), &from, &to)) {
        m_ui->dateEditFrom->setDate(from);
        m_ui->dateEditTo->setDate(to);
    }
    m_settingPreset = false;
}

void ApplyRulesForDateRangeDialog::on_dateEditFrom_dateChanged(const QDate &)
{
    switchToCustom();
}

void ApplyRulesForDateRangeDialog::on_dateEditTo_dateChanged(const QDate &)
{
    switchToCustom();
}

void ApplyRulesForDateRangeDialog::switchToCustom()
{
    if (!m_settingPreset) {
        m_ui->cbPresets->setCurrentIndex(m_ui->cbPresets->findData(QStringLiteral("custom")));
    }
}

void ApplyRulesForDateRangeDialog::readDates()
{
    dateFrom = m_ui->dateEditFrom->date();
    dateTo = m_ui->dateEditTo->date();
}
