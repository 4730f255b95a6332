#include "rulepreviewdialog.h"

#include "daterangepicker.h"
#include "entryreader.h"
#include "projectscatalogue.h"
#include "timetext.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString taskLabel(const QString &taskId)
{
    const QString name = ProjectsCatalogue::shared().taskName(taskId.toLongLong());
    return name.isEmpty() ? RulePreviewDialog::tr("task #%1").arg(taskId)
                          : RulePreviewDialog::tr("task '%1'").arg(name);
}

QTreeWidgetItem *addItem(QTreeWidgetItem *parent, const QString &text, qint64 seconds)
{
    auto *item = new QTreeWidgetItem(parent, {text, formatDuration(seconds)});
    item->setTextAlignment(1, Qt::AlignRight);
    return item;
}

void addGroups(QTreeWidgetItem *parent, const QList<EntryGroup> &groups, const QHash<qint64, QString> &appNames)
{
    for (const EntryGroup &group : groups) {
        const QString app = appNames.value(group.applicationId.toLongLong(), QLatin1Char('#') + group.applicationId);
        addItem(parent,
                group.day.toString(Qt::ISODate) + QStringLiteral("  ") + app + QStringLiteral(" - ") + group.title,
                group.seconds);
    }
}

} // namespace

RulePreviewDialog::RulePreviewDialog(RulesSource rules, const EntryReader &entries, const QDate &selectedDay,
                                     Clock *clock, QWidget *parent)
    : QDialog(parent)
    , m_rules(std::move(rules))
    , m_entries(entries)
    , m_range(new DateRangePicker(clock, this))
    , m_tree(new QTreeWidget(this))
{
    setWindowTitle(tr("Rule Preview"));
    resize(640, 480);
    m_tree->setObjectName(QStringLiteral("preview"));
    m_tree->setAccessibleName(tr("Rule preview"));
    m_tree->setHeaderLabels({tr("Rule, task or entries"), tr("Time")});
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_tree->header()->setStretchLastSection(false);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_apply = buttons->addButton(tr("&Apply"), QDialogButtonBox::ActionRole);
    m_apply->setIcon(QIcon(QStringLiteral(":/icons/res/execute.png")));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_range);
    layout->addWidget(m_tree, 1);
    layout->addWidget(buttons);

    m_refreshTimer.setSingleShot(true);
    connect(&m_refreshTimer, &QTimer::timeout, this, &RulePreviewDialog::refresh);
    connect(m_range, &DateRangePicker::rangeChanged, this, &RulePreviewDialog::scheduleRefresh);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_apply, &QPushButton::clicked, this, [this] {
        Q_EMIT applyRequested(m_range->from(), m_range->to());
        refresh();
    });
    m_range->setSelectedDay(selectedDay);
    refresh();
}

void RulePreviewDialog::setApplyOffered(bool offered)
{
    m_apply->setVisible(offered);
}

void RulePreviewDialog::scheduleRefresh()
{
    m_refreshTimer.start(RefreshDelayMs);
}

void RulePreviewDialog::refresh()
{
    m_refreshTimer.stop();
    m_preview = RulePreview::forRange(m_rules(), m_range->from(), m_range->to());
    display(m_preview);
    Q_EMIT refreshed();
}

void RulePreviewDialog::display(const RulePreview &preview)
{
    const QHash<qint64, QString> appNames = m_entries.applicationNames();
    m_tree->clear();
    auto *byRule = new QTreeWidgetItem(m_tree, {tr("By rule")});
    for (const RulePreview::RuleResult &rule : preview.rules) {
        QTreeWidgetItem *item =
            addItem(byRule, rule.name + QStringLiteral(" -> ") + taskLabel(rule.taskId), rule.seconds);
        addGroups(item, rule.groups, appNames);
    }
    qint64 linked = 0;
    auto *byTask = new QTreeWidgetItem(m_tree, {tr("By task")});
    for (auto task = preview.taskSeconds.cbegin(); task != preview.taskSeconds.cend(); ++task) {
        addItem(byTask, taskLabel(task.key()), task.value());
        linked += task.value();
    }
    byTask->setText(1, formatDuration(linked));
    QTreeWidgetItem *unmatched = addItem(nullptr, tr("Not matched by any rule"), preview.unmatchedSeconds);
    m_tree->addTopLevelItem(unmatched);
    addGroups(unmatched, preview.unmatched, appNames);
    if (!preview.skipped.isEmpty()) {
        QTreeWidgetItem *skipped =
            addItem(nullptr, tr("Skipped: task completed or unknown to Tavro"), preview.skippedSeconds);
        m_tree->addTopLevelItem(skipped);
        addGroups(skipped, preview.skipped, appNames);
    }
    byRule->setExpanded(true);
    byTask->setExpanded(true);
    m_apply->setEnabled(!preview.batches.isEmpty());
}
