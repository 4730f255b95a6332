#include "filtersync.h"

#include "lineedit.h"

#include <QAbstractButton>
#include <QSignalBlocker>

FilterSync::FilterSync(LineEdit *entries, LineEdit *projects, QAbstractButton *sync, QObject *parent)
    : QObject(parent)
    , m_entries(entries)
    , m_projects(projects)
    , m_sync(sync)
{
    m_entriesTimer.setSingleShot(true);
    m_projectsTimer.setSingleShot(true);
    connect(&m_entriesTimer, &QTimer::timeout, this, &FilterSync::applyEntries);
    connect(&m_projectsTimer, &QTimer::timeout, this, &FilterSync::applyProjects);
    connect(m_entries, &QLineEdit::returnPressed, this, &FilterSync::applyEntries);
    connect(m_projects, &QLineEdit::returnPressed, this, &FilterSync::applyProjects);
    connect(m_entries, &QLineEdit::textChanged, this, &FilterSync::entriesTextChanged);
    connect(m_projects, &QLineEdit::textChanged, this, &FilterSync::projectsTextChanged);
    connect(m_sync, &QAbstractButton::toggled, this, &FilterSync::syncToggled);
}

bool FilterSync::synced() const
{
    return m_sync->isChecked();
}

void FilterSync::mirror(LineEdit *edit, const QString &text)
{
    if (edit->text() == text) {
        return;
    }
    const QSignalBlocker blocker(edit);
    edit->setText(text);
    edit->updateCloseButton(text);
}

void FilterSync::entriesTextChanged(const QString &text)
{
    if (synced()) {
        mirror(m_projects, text);
    }
    m_entriesTimer.start(DelayMs);
}

void FilterSync::projectsTextChanged(const QString &text)
{
    if (synced()) {
        mirror(m_entries, text);
    }
    m_projectsTimer.start(DelayMs);
}

void FilterSync::applyEntries()
{
    const QString text = m_entries->text();
    Q_EMIT entriesFilterApplied(text, false);
    if (synced()) {
        mirror(m_projects, text);
        Q_EMIT projectsFilterApplied(text);
    }
}

void FilterSync::applyProjects()
{
    const QString text = m_projects->text();
    Q_EMIT projectsFilterApplied(text);
    if (synced()) {
        mirror(m_entries, text);
        Q_EMIT entriesFilterApplied(text, true);
    }
}

void FilterSync::syncToggled(bool checked)
{
    if (checked && m_entries->text() != m_projects->text()) {
        mirror(m_entries, m_projects->text());
        applyEntries();
    }
}
