#include "daterangepicker.h"

#include "clock.h"
#include "daterangepresets.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>

namespace {
const QString SelectedKey = QStringLiteral("selected");
const QString CustomKey = QStringLiteral("custom");

QDateEdit *dateEdit(QWidget *parent)
{
    auto *edit = new QDateEdit(parent);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return edit;
}
} // namespace

DateRangePicker::DateRangePicker(Clock *clock, QWidget *parent)
    : QWidget(parent)
    , m_clock(clock ? clock : SystemClock::instance())
    , m_presets(new QComboBox(this))
    , m_from(dateEdit(this))
    , m_to(dateEdit(this))
{
    m_presets->setObjectName(QStringLiteral("cbPresets"));
    m_from->setObjectName(QStringLiteral("dateEditFrom"));
    m_to->setObjectName(QStringLiteral("dateEditTo"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_presets);
    auto *fromLabel = new QLabel(tr("&From"), this);
    fromLabel->setBuddy(m_from);
    auto *toLabel = new QLabel(tr("&to"), this);
    toLabel->setBuddy(m_to);
    m_presets->setAccessibleName(tr("Range of days"));
    // A label naming the whole picker leads to the choice of range.
    setFocusProxy(m_presets);
    layout->addWidget(fromLabel);
    layout->addWidget(m_from);
    layout->addWidget(toLabel);
    layout->addWidget(m_to);
    layout->addStretch();

    const QDate today = m_clock->today();
    m_from->setDate(today);
    m_to->setDate(today);
    for (const DateRangePresets::Preset &preset : DateRangePresets::all()) {
        m_presets->addItem(preset.text, preset.key);
    }
    connect(m_presets, &QComboBox::currentIndexChanged, this, &DateRangePicker::applyPreset);
    connect(m_from, &QDateEdit::dateChanged, this, &DateRangePicker::onDateEdited);
    connect(m_to, &QDateEdit::dateChanged, this, &DateRangePicker::onDateEdited);
}

void DateRangePicker::setSelectedDay(const QDate &day)
{
    m_selectedDay = day;
    if (m_presets->findData(SelectedKey) < 0) {
        m_presets->insertItem(0, tr("Selected Day"), SelectedKey);
    }
    const int index = m_presets->findData(SelectedKey);
    if (m_presets->currentIndex() == index) {
        applyPreset(index);
    } else {
        m_presets->setCurrentIndex(index);
    }
}

QDate DateRangePicker::from() const
{
    return m_from->date();
}

QDate DateRangePicker::to() const
{
    return m_to->date();
}

void DateRangePicker::applyPreset(int index)
{
    const QString key = m_presets->itemData(index).toString();
    QDate from;
    QDate to;
    if (key == SelectedKey) {
        from = m_selectedDay;
        to = m_selectedDay;
    } else if (!DateRangePresets::range(key, m_clock->today(), &from, &to)) {
        return;
    }
    m_settingPreset = true;
    m_from->setDate(from);
    m_to->setDate(to);
    m_settingPreset = false;
    Q_EMIT rangeChanged(from, to);
}

void DateRangePicker::onDateEdited()
{
    if (m_settingPreset) {
        return;
    }
    m_presets->setCurrentIndex(m_presets->findData(CustomKey));
    Q_EMIT rangeChanged(from(), to());
}
