#pragma once

#include "rulepreview.h"

#include <QDialog>
#include <QTimer>

#include <functional>

class Clock;
class DateRangePicker;
class EntryReader;
class QPushButton;
class QTreeWidget;

// Shows what the rules would link over the shown day or a chosen range: per rule its entry groups
// and seconds, the seconds per task and the groups no rule takes. Recomputed a moment after the
// range or the rules change; "Apply" asks for the same run as the Apply Rules commands.
class RulePreviewDialog : public QDialog
{
    Q_OBJECT

public:
    // The rules to preview, in order, as they are at the moment of asking.
    using RulesSource = std::function<QList<RuleMap>()>;

    static constexpr int RefreshDelayMs = 300;

    // `entries` names the applications and is not owned; nor is `clock`, where null means the system clock.
    RulePreviewDialog(RulesSource rules, const EntryReader &entries, const QDate &selectedDay, Clock *clock = nullptr,
                      QWidget *parent = nullptr);

    const RulePreview &preview() const { return m_preview; }
    DateRangePicker *rangePicker() const { return m_range; }
    QTreeWidget *tree() const { return m_tree; }
    QPushButton *applyButton() const { return m_apply; }
    // Off while the rules shown are not the stored ones (a rule being edited): "Apply" would run
    // other rules than those previewed.
    void setApplyOffered(bool offered);

public Q_SLOTS:
    // Recomputes after RefreshDelayMs; further calls in the meantime restart the wait.
    void scheduleRefresh();
    void refresh();

Q_SIGNALS:
    // Apply the rules to these days, as the Apply Rules commands do.
    void applyRequested(const QDate &from, const QDate &to);
    void refreshed();

private:
    void display(const RulePreview &preview);

    RulesSource m_rules;
    const EntryReader &m_entries;
    DateRangePicker *m_range;
    QTreeWidget *m_tree;
    QPushButton *m_apply;
    QTimer m_refreshTimer;
    RulePreview m_preview;
};
