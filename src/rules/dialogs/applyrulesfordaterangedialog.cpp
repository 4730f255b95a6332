#include "applyrulesfordaterangedialog.h"

#include "clock.h"
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
    m_ui->cbPresets->addItem(QStringLiteral("Today"), QStringLiteral("today"));
    m_ui->cbPresets->addItem(QStringLiteral("Yesterday"), QStringLiteral("yesterday"));
    m_ui->cbPresets->addItem(QStringLiteral("3 Days Back"), QStringLiteral("3 days back"));
    m_ui->cbPresets->addItem(QStringLiteral("This Week"), QStringLiteral("this week"));
    m_ui->cbPresets->addItem(QStringLiteral("Previous Week"), QStringLiteral("prev week"));
    m_ui->cbPresets->addItem(QStringLiteral("This Month"), QStringLiteral("this month"));
    m_ui->cbPresets->addItem(QStringLiteral("Previous Month"), QStringLiteral("prev month"));
    m_ui->cbPresets->addItem(QStringLiteral("Custom"), QStringLiteral("custom"));
}

bool ApplyRulesForDateRangeDialog::presetRange(const QString &key, const QDate &today, QDate *from, QDate *to)
{
    const int weekday = today.dayOfWeek();
    const QDate firstOfMonth(today.year(), today.month(), 1);
    if (key == QLatin1String("today")) {
        *from = today;
        *to = today;
    } else if (key == QLatin1String("yesterday")) {
        *from = today.addDays(-1);
        *to = *from;
    } else if (key == QLatin1String("3 days back")) {
        *from = today.addDays(-3);
        *to = today;
    } else if (key == QLatin1String("this week")) {
        *from = today.addDays(-(weekday - 1));
        *to = from->addDays(6);
    } else if (key == QLatin1String("prev week")) {
        *from = today.addDays(-6 - weekday);
        *to = from->addDays(6);
    } else if (key == QLatin1String("this month")) {
        *from = firstOfMonth;
        *to = firstOfMonth.addMonths(1).addDays(-1);
    } else if (key == QLatin1String("prev month")) {
        *from = firstOfMonth.addMonths(-1);
        *to = firstOfMonth.addDays(-1);
    } else {
        return false;
    }
    return true;
}

void ApplyRulesForDateRangeDialog::on_cbPresets_currentIndexChanged(int index)
{
    const QString key = m_ui->cbPresets->itemData(index).toString();
    m_settingPreset = true;
    QDate from;
    QDate to;
    if (presetRange(key, m_clock->today(), &from, &to)) {
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
