#include "rulesdialog.h"

#include "logging.h"
#include "messagebox.h"
#include "projectscatalogue.h"
#include "rulestore.h"
#include "searchterms.h"
#include "timetext.h"
#include "ui_rulesdialog.h"

#include <QDebug>
#include <QLocale>

namespace {
constexpr int IdRole = Qt::UserRole;
constexpr int ActiveRole = Qt::UserRole + 1;

QString linkLine(const QString &text)
{
    return QStringLiteral("<a href='#'>") + text + QStringLiteral("</a><br/>");
}

QStringList escaped(const QStringList &texts)
{
    QStringList result;
    result.reserve(texts.size());
    for (const QString &text : texts) {
        result << text.toHtmlEscaped();
    }
    return result;
}

QString longDate(const QString &stored)
{
    return parseDate(stored).toString(QLocale::system().dateFormat(QLocale::LongFormat)).toHtmlEscaped();
}

// The catalogue's name, or the id for what it does not know.
QString nameOrId(const QString &name, const QString &id)
{
    return name.isEmpty() ? QLatin1Char('#') + id : name;
}
} // namespace

RulesDialog::RulesDialog(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::RulesDialog>())
{
    m_ui->setupUi(this);
    loadRules();
}

RulesDialog::~RulesDialog() = default;

void RulesDialog::loadRules()
{
    m_listReady = false;
    m_ui->rules->clear();
    QList<RuleListItem> rules;
    const StoreResult read = RuleStore::ruleList(&rules);
    if (!read.ok()) {
        qCDebug(lcRules) << "rules could not be read:" << read.error();
    }
    for (const RuleListItem &rule : std::as_const(rules)) {
        auto *item = new QListWidgetItem(rule.name, m_ui->rules);
        item->setData(IdRole, rule.id);
        item->setData(ActiveRole, rule.active);
        item->setCheckState(rule.active ? Qt::Checked : Qt::Unchecked);
    }
    if (m_ui->rules->count() > 0) {
        m_ui->rules->setCurrentRow(0);
    } else {
        on_rules_currentRowChanged(-1);
    }
    m_listReady = true;
}

void RulesDialog::selectRule(int ruleId)
{
    for (int row = 0; row < m_ui->rules->count(); ++row) {
        if (m_ui->rules->item(row)->data(IdRole).toInt() == ruleId) {
            m_ui->rules->setCurrentRow(row);
            return;
        }
    }
}

int RulesDialog::currentRuleId() const
{
    const QListWidgetItem *item = m_ui->rules->currentItem();
    return item ? item->data(IdRole).toInt() : 0;
}

int RulesDialog::selectedRuleId() const
{
    const QList<QListWidgetItem *> selected = m_ui->rules->selectedItems();
    return selected.isEmpty() ? 0 : selected.first()->data(IdRole).toInt();
}

void RulesDialog::selectLastRow()
{
    m_ui->rules->setCurrentRow(m_ui->rules->count() - 1);
}

void RulesDialog::on_btnAdd_clicked()
{
    Q_EMIT signalAddRuleDialog();
    loadRules();
    selectLastRow();
}

void RulesDialog::on_btnEdit_clicked()
{
    editRule(selectedRuleId());
}

void RulesDialog::on_description_anchorClicked(const QUrl &)
{
    editRule(selectedRuleId());
}

void RulesDialog::on_rules_itemDoubleClicked(QListWidgetItem *item)
{
    if (item) {
        editRule(item->data(IdRole).toInt());
    }
}

void RulesDialog::editRule(int ruleId)
{
    if (ruleId == 0) {
        return;
    }
    Q_EMIT signalEditRuleDialog(ruleId);
    loadRules();
    selectRule(ruleId);
}

void RulesDialog::on_btnRemove_clicked()
{
    const int ruleId = selectedRuleId();
    if (ruleId == 0) {
        return;
    }
    const MessageBox::Button answer = MessageBox::question(
        this, QStringLiteral("Confirm remove"), QStringLiteral("Are you sure you want to remove this rule?"),
        MessageBox::Buttons(MessageBox::Yes) | MessageBox::No, MessageBox::Yes);
    if (answer == MessageBox::Yes) {
        Q_EMIT signalRemoveRule(ruleId);
        loadRules();
    }
}

void RulesDialog::on_btnDuplicate_clicked()
{
    const int ruleId = selectedRuleId();
    if (ruleId == 0) {
        return;
    }
    Q_EMIT signalDuplicateRule(ruleId);
    loadRules();
    selectLastRow();
}

void RulesDialog::on_btnUp_clicked()
{
    moveRule(-1);
}

void RulesDialog::on_btnDown_clicked()
{
    moveRule(1);
}

void RulesDialog::moveRule(int deltaPos)
{
    const int ruleId = selectedRuleId();
    if (ruleId == 0) {
        return;
    }
    Q_EMIT signalMoveRule(ruleId, deltaPos);
    loadRules();
    selectRule(ruleId);
}

void RulesDialog::on_btnPreview_clicked()
{
    Q_EMIT signalPreviewRules();
}

void RulesDialog::on_btnApplyRules_clicked()
{
    Q_EMIT signalApplyRules();
}

void RulesDialog::on_rules_currentRowChanged(int row)
{
    const bool hasRule = row >= 0;
    if (hasRule) {
        showDescription(m_ui->rules->item(row)->data(IdRole).toInt());
    } else {
        m_ui->description->clear();
    }
    for (QPushButton *button : {m_ui->btnEdit, m_ui->btnRemove, m_ui->btnUp, m_ui->btnDown, m_ui->btnApplyRules}) {
        button->setEnabled(hasRule);
    }
}

void RulesDialog::on_rules_itemChanged(QListWidgetItem *item)
{
    if (!m_listReady || !item) {
        return;
    }
    const int ruleId = item->data(IdRole).toInt();
    const bool checked = item->checkState() == Qt::Checked;
    if (checked != item->data(ActiveRole).toBool() && ruleId > 0) {
        Q_EMIT signalActivateRule(ruleId, checked);
        item->setData(ActiveRole, checked);
        showDescription(ruleId);
    }
}

void RulesDialog::showDescription(int ruleId)
{
    m_ui->description->clear();
    m_ui->description->setHtml(describeRule(ruleId));
}

QString RulesDialog::describeRule(int ruleId)
{
    QMap<QString, QVariant> rule;
    bool found = false;
    const StoreResult read = RuleStore::loadRuleRow(ruleId, &rule, &found);
    if (!read.ok()) {
        qCDebug(lcRules) << "rule" << ruleId << "could not be read:" << read.error();
    }
    if (!found) {
        return {};
    }
    const QString title = rule.value(QStringLiteral("title")).toString();
    const QString titleRule = rule.value(QStringLiteral("title_rule")).toString();
    const QString dateRule = rule.value(QStringLiteral("date_rule")).toString();
    const QString dateFrom = longDate(rule.value(QStringLiteral("date_from")).toString());
    const QString dateTo = longDate(rule.value(QStringLiteral("date_to")).toString());
    const QString projectId = rule.value(QStringLiteral("project_id")).toString();
    const QString taskId = rule.value(QStringLiteral("task_id")).toString();

    QString html = rule.value(QStringLiteral("active")).toBool()
                       ? QStringLiteral("Apply this rule for time entries<br/>")
                       : QStringLiteral("This rule is currently turned off.<br/>");

    html += QStringLiteral("Where Application is ");
    QStringList names;
    const StoreResult appsRead = RuleStore::applicationNames(ruleId, &names);
    if (!appsRead.ok()) {
        qCDebug(lcRules) << "applications of rule" << ruleId << "could not be read:" << appsRead.error();
    } else {
        html += linkLine(QLatin1Char('\'') + escaped(names).join(QStringLiteral("' or '")) + QLatin1Char('\''));
    }

    html += QStringLiteral("&nbsp;&nbsp;and Where the window title ");
    if (titleRule == QLatin1String("and") || titleRule == QLatin1String("or")) {
        const QStringList words = splitSearchTerms(title);
        if (words.isEmpty()) {
            html += linkLine(QStringLiteral("contains anything"));
        } else {
            const QString joint =
                titleRule == QLatin1String("and") ? QStringLiteral("' and '") : QStringLiteral("' or '");
            html += linkLine(QStringLiteral("contains '") + escaped(words).join(joint) + QLatin1Char('\''));
        }
    } else if (titleRule == QLatin1String("exact")) {
        html += linkLine(QStringLiteral("is '") + title.toHtmlEscaped() + QLatin1Char('\''));
    } else if (titleRule == QLatin1String("regexp")) {
        html += linkLine(QStringLiteral("matches regular expression '") + title.toHtmlEscaped() + QLatin1Char('\''));
    }

    html += QStringLiteral("&nbsp;&nbsp;and Where entry date is ");
    if (dateRule == QLatin1String("always")) {
        html += linkLine(QStringLiteral("any date"));
    } else if (dateRule == QLatin1String("before")) {
        // The day named counts too: say so.
        html += linkLine(QStringLiteral("on or before '") + dateTo + QLatin1Char('\''));
    } else if (dateRule == QLatin1String("between")) {
        html +=
            linkLine(QStringLiteral("between '") + dateFrom + QStringLiteral("' and '") + dateTo + QLatin1Char('\''));
    } else if (dateRule == QLatin1String("after")) {
        html += linkLine(QStringLiteral("on or after '") + dateFrom + QLatin1Char('\''));
    }

    html += QStringLiteral("Link with task <a href='#'>'") +
            nameOrId(ProjectsCatalogue::shared().taskName(taskId.toLongLong()), taskId).toHtmlEscaped() +
            QStringLiteral("'</a> from project <a href='#'>'") +
            nameOrId(ProjectsCatalogue::shared().projectName(projectId.toLongLong()), projectId).toHtmlEscaped() +
            QStringLiteral("'</a><br/>");
    return html;
}
