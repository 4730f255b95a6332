#pragma once

#include <QObject>
#include <QTimer>

class LineEdit;
class QAbstractButton;

// The entry filter and the projects filter: each is applied after a pause in typing or at Return,
// and while the sync button is down, typing in one writes the same text into the other and
// applies both.
class FilterSync : public QObject
{
    Q_OBJECT

public:
    static constexpr int DelayMs = 500;

    // None of the widgets is owned.
    FilterSync(LineEdit *entries, LineEdit *projects, QAbstractButton *sync, QObject *parent = nullptr);

public Q_SLOTS:
    void entriesTextChanged(const QString &text);
    void projectsTextChanged(const QString &text);
    void applyEntries();
    void applyProjects();
    void syncToggled(bool checked);

Q_SIGNALS:
    // `fromProjects`: the text came over from the projects filter; the entries keep the nodes the
    // user had open instead of opening everything.
    void entriesFilterApplied(const QString &text, bool fromProjects);
    void projectsFilterApplied(const QString &text);

private:
    bool synced() const;
    // Writes `text` into `edit` without it counting as typing.
    static void mirror(LineEdit *edit, const QString &text);

    LineEdit *m_entries;
    LineEdit *m_projects;
    QAbstractButton *m_sync;
    QTimer m_entriesTimer;
    QTimer m_projectsTimer;
};
