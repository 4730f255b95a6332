#include "rulestore.h"

#include "logging.h"
#include "recordmap.h"
#include "timetext.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
QString dateText(const QDate &date)
{
    // A null date is stored as the empty text, never as NULL.
    return date.isNull() ? QString(QLatin1String("")) : TimeText::formatDate(date);
}

void bindFields(QSqlQuery &query, const RuleFields &fields)
{
    query.bindValue(QStringLiteral(":name"), fields.name.isNull() ? QString(QLatin1String("")) : fields.name);
    query.bindValue(QStringLiteral(":title_rule"), fields.titleRule);
    query.bindValue(QStringLiteral(":title"), fields.title.isNull() ? QString(QLatin1String("")) : fields.title);
    query.bindValue(QStringLiteral(":date_rule"), fields.dateRule);
    query.bindValue(QStringLiteral(":date_from"), dateText(fields.dateFrom));
    query.bindValue(QStringLiteral(":date_to"), dateText(fields.dateTo));
    query.bindValue(QStringLiteral(":project_id"), fields.projectId);
    query.bindValue(QStringLiteral(":task_id"), fields.taskId);
}

RuleMap ruleMapFromRecord(const QSqlRecord &record)
{
    RuleMap rule;
    static const char *const columns[] = {"id",         "name",    "title_rule", "title", "date_rule",
                                          "project_id", "task_id", "seq",        "active"};
    for (const char *column : columns) {
        const QString key = QLatin1String(column);
        rule.insert(key, record.value(key));
    }
    rule.insert(QStringLiteral("date_from"), parseDate(record.value(QStringLiteral("date_from")).toString()));
    rule.insert(QStringLiteral("date_to"), parseDate(record.value(QStringLiteral("date_to")).toString()));
    rule.insert(QStringLiteral("app_ids"),
                record.value(QStringLiteral("app_ids")).toString().split(QLatin1Char(','), Qt::SkipEmptyParts));
    return rule;
}

// Reads the single integer of a MAX/MIN statement; NULL reads as 0. False when nothing came back.
bool readInt(QSqlQuery &query, int *value)
{
    if (!query.next()) {
        return false;
    }
    *value = query.value(0).toInt();
    return true;
}
} // namespace

bool RuleFields::operator==(const RuleFields &other) const
{
    return name == other.name && appIds == other.appIds && titleRule == other.titleRule && title == other.title &&
           dateRule == other.dateRule && dateFrom == other.dateFrom && dateTo == other.dateTo &&
           projectId == other.projectId && taskId == other.taskId;
}

int RuleStore::addRule(const QString &name, const QList<int> &appIds, const QString &titleRule, const QString &title,
                       const QString &dateRule, const QDate &dateFrom, const QDate &dateTo, int projectId, int taskId)
{
    return addRule(RuleFields{name, appIds, titleRule, title, dateRule, dateFrom, dateTo, projectId, taskId});
}

int RuleStore::addRule(const RuleFields &fields)
{
    QSqlQuery query;
    int seq = 0;
    if (query.exec(QStringLiteral("SELECT MAX(seq) AS max_seq FROM rules")) && readInt(query, &seq)) {
        ++seq;
    }

    query.prepare(QStringLiteral(
        "INSERT INTO rules (name, title_rule, title, date_rule, date_from, date_to, project_id, task_id, seq, active) "
        "VALUES (:name, :title_rule, :title, :date_rule, :date_from, :date_to, :project_id, :task_id, :seq, "
        ":active)"));
    bindFields(query, fields);
    query.bindValue(QStringLiteral(":seq"), seq);
    query.bindValue(QStringLiteral(":active"), 1);
    if (!query.exec()) {
        qCDebug(lcStore) << "add rule db error: " << query.lastError().text();
        return 0;
    }
    const int ruleId = query.lastInsertId().toInt();

    query.prepare(QStringLiteral("INSERT INTO rules_apps (rule_id, app_id) VALUES (:rule_id, :app_id)"));
    for (int appId : fields.appIds) {
        query.bindValue(QStringLiteral(":rule_id"), ruleId);
        query.bindValue(QStringLiteral(":app_id"), appId);
        if (!query.exec()) {
            qCDebug(lcStore) << "add rule db error (add to rules_apps): " << query.lastError().text();
        }
    }
    return ruleId;
}

bool RuleStore::updateRule(int ruleId, const QString &name, const QList<int> &appIds, const QString &titleRule,
                           const QString &title, const QString &dateRule, const QDate &dateFrom, const QDate &dateTo,
                           int projectId, int taskId)
{
    return updateRule(ruleId,
                      RuleFields{name, appIds, titleRule, title, dateRule, dateFrom, dateTo, projectId, taskId});
}

bool RuleStore::updateRule(int ruleId, const RuleFields &fields)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("UPDATE rules SET name = :name, title_rule = :title_rule, title = :title, "
                                 "date_rule = :date_rule, date_from = :date_from, date_to = :date_to, "
                                 "project_id = :project_id, task_id = :task_id WHERE id = :rule_id"));
    bindFields(query, fields);
    query.bindValue(QStringLiteral(":rule_id"), ruleId);
    if (!query.exec()) {
        qCDebug(lcStore) << "update db rule err: " << query.lastError().text();
        return false;
    }

    query.prepare(QStringLiteral("DELETE FROM rules_apps WHERE rule_id = :rule_id "));
    query.bindValue(QStringLiteral(":rule_id"), ruleId);
    if (!query.exec()) {
        qCDebug(lcStore) << "del app rules err: " << query.lastError().text();
        return false;
    }

    bool ok = true;
    query.prepare(QStringLiteral("INSERT INTO rules_apps (rule_id, app_id) VALUES (:rule_id, :app_id) "));
    for (int appId : fields.appIds) {
        query.bindValue(QStringLiteral(":rule_id"), ruleId);
        query.bindValue(QStringLiteral(":app_id"), appId);
        ok = query.exec() && ok;
    }
    return ok;
}

void RuleStore::removeRule(int ruleId)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("DELETE FROM rules_apps WHERE rule_id = :rule_id "));
    query.bindValue(QStringLiteral(":rule_id"), ruleId);
    if (!query.exec()) {
        qCDebug(lcStore) << "error db delete rule apps: " << query.lastError().text();
    }
    query.prepare(QStringLiteral("DELETE FROM rules WHERE id = :rule_id "));
    query.bindValue(QStringLiteral(":rule_id"), ruleId);
    if (!query.exec()) {
        qCDebug(lcStore) << "error db delete rule: " << query.lastError().text();
    }
}

void RuleStore::activateRule(int ruleId, bool active)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("UPDATE rules SET active = :active WHERE id = :rule_id "));
    query.bindValue(QStringLiteral(":active"), active ? 1 : 0);
    query.bindValue(QStringLiteral(":rule_id"), ruleId);
    qCDebug(lcStore) << "sql: " << query.lastQuery() << "active =" << active << "id =" << ruleId;
    if (!query.exec()) {
        qCDebug(lcStore) << "error db activate rule: " << query.lastError().text();
    }
}

void RuleStore::moveRule(int ruleId, int deltaPos)
{
    QSqlQuery query;
    int max = 0;
    if (!query.exec(QStringLiteral("SELECT MAX(seq) FROM rules")) || !readInt(query, &max)) {
        max = 0;
    }
    qCDebug(lcStore) << "max = " << max;

    query.prepare(QStringLiteral("SELECT seq FROM rules WHERE id = :rule_id "));
    query.bindValue(QStringLiteral(":rule_id"), ruleId);
    if (!query.exec()) {
        qCDebug(lcStore) << "error db seq move rule: " << query.lastError().text();
        return;
    }
    int old = 0;
    if (!readInt(query, &old)) {
        return;
    }

    int target = old + deltaPos;
    qCDebug(lcStore) << "old seq = " << old << ", new seq =" << target;
    if (target < 0) {
        target = 0;
    }
    if (target > max) {
        target = max;
    }
    if (target == old) {
        return;
    }

    // Snap to the nearest position actually used in the direction of the move, so gaps left by
    // removed rules are skipped and the move becomes a swap with that neighbour.
    query.prepare(deltaPos < 0 ? QStringLiteral("SELECT MAX(seq) FROM rules WHERE seq <= :seq ")
                               : QStringLiteral("SELECT MIN(seq) FROM rules WHERE seq >= :seq "));
    query.bindValue(QStringLiteral(":seq"), target);
    if (!query.exec()) {
        qCDebug(lcStore) << "err: " << query.lastError().text();
    } else if (readInt(query, &target)) {
        qCDebug(lcStore) << "new seq = " << target;
    }

    query.prepare(QStringLiteral("UPDATE rules SET seq = :old WHERE seq = :new "));
    query.bindValue(QStringLiteral(":old"), old);
    query.bindValue(QStringLiteral(":new"), target);
    if (!query.exec()) {
        qCDebug(lcStore) << "err: " << query.lastError().text();
    }
    query.prepare(QStringLiteral("UPDATE rules SET seq = :new WHERE id = :rule_id "));
    query.bindValue(QStringLiteral(":new"), target);
    query.bindValue(QStringLiteral(":rule_id"), ruleId);
    if (!query.exec()) {
        qCDebug(lcStore) << "err2: " << query.lastError().text();
    }
}

int RuleStore::duplicateRule(int ruleId)
{
    const RuleMap rule = loadRule(ruleId);
    if (rule.isEmpty()) {
        return 0;
    }
    QList<int> appIds;
    const QStringList ids = rule.value(QStringLiteral("app_ids")).toStringList();
    for (const QString &id : ids) {
        appIds << id.toInt();
    }
    return addRule(QStringLiteral("Copy of ") + rule.value(QStringLiteral("name")).toString(), appIds,
                   rule.value(QStringLiteral("title_rule")).toString(), rule.value(QStringLiteral("title")).toString(),
                   rule.value(QStringLiteral("date_rule")).toString(), rule.value(QStringLiteral("date_from")).toDate(),
                   rule.value(QStringLiteral("date_to")).toDate(), rule.value(QStringLiteral("project_id")).toInt(),
                   rule.value(QStringLiteral("task_id")).toInt());
}

RuleMap RuleStore::loadRule(int ruleId)
{
    // Outer join: a rule whose application rows are gone still loads with all its own columns,
    // so a duplicate of it keeps its name, conditions and task.
    QSqlQuery query;
    query.prepare(QStringLiteral("SELECT rules.*, GROUP_CONCAT(rules_apps.app_id) AS app_ids FROM rules "
                                 "LEFT JOIN rules_apps ON rules.id = rules_apps.rule_id WHERE rules.id = :rule_id "
                                 "GROUP BY rules.id"));
    query.bindValue(QStringLiteral(":rule_id"), ruleId);
    if (!query.exec() || !query.next()) {
        return {};
    }
    return ruleMapFromRecord(query.record());
}

QList<RuleMap> RuleStore::loadActiveRules()
{
    QList<RuleMap> rules;
    QSqlQuery query;
    if (!query.exec(QStringLiteral("SELECT rules.*, GROUP_CONCAT(rules_apps.app_id) AS app_ids FROM rules, rules_apps "
                                   "WHERE rules.active = 1 AND rules.id = rules_apps.rule_id GROUP BY rules.id "
                                   "ORDER BY rules.seq ASC"))) {
        qCDebug(lcStore) << "load active rules db error: " << query.lastError().text();
        return rules;
    }
    while (query.next()) {
        RuleMap rule = ruleMapFromRecord(query.record());
        rule.insert(QStringLiteral("id"), rule.value(QStringLiteral("id")).toInt());
        rules << rule;
    }
    return rules;
}

bool RuleStore::loadRuleFields(int ruleId, RuleFields *fields)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("SELECT * FROM rules WHERE id = :rule_id "));
    query.bindValue(QStringLiteral(":rule_id"), ruleId);
    if (!query.exec() || !query.next()) {
        return false;
    }
    fields->name = query.value(QStringLiteral("name")).toString();
    fields->titleRule = query.value(QStringLiteral("title_rule")).toString();
    fields->title = query.value(QStringLiteral("title")).toString();
    fields->dateRule = query.value(QStringLiteral("date_rule")).toString();
    fields->dateFrom = parseDate(query.value(QStringLiteral("date_from")).toString());
    fields->dateTo = parseDate(query.value(QStringLiteral("date_to")).toString());
    fields->projectId = query.value(QStringLiteral("project_id")).toInt();
    fields->taskId = query.value(QStringLiteral("task_id")).toInt();

    fields->appIds.clear();
    query.prepare(QStringLiteral("SELECT app_id FROM rules_apps WHERE rule_id = :rule_id "));
    query.bindValue(QStringLiteral(":rule_id"), ruleId);
    if (query.exec()) {
        while (query.next()) {
            fields->appIds << query.value(0).toInt();
        }
    }
    return true;
}

StoreResult RuleStore::ruleList(QList<RuleListItem> *rules)
{
    rules->clear();
    QSqlQuery query;
    if (!query.exec(QStringLiteral("SELECT id, name, active FROM rules ORDER BY seq ASC"))) {
        return StoreResult::failure(query.lastError().text());
    }
    while (query.next()) {
        rules->append({query.value(0).toInt(), query.value(1).toString(), query.value(2).toBool()});
    }
    return StoreResult::success();
}

StoreResult RuleStore::loadRuleRow(int ruleId, QMap<QString, QVariant> *row, bool *found)
{
    row->clear();
    *found = false;
    QSqlQuery query;
    if (!query.prepare(QStringLiteral("SELECT * FROM rules WHERE id = :rule_id "))) {
        return StoreResult::failure(query.lastError().text());
    }
    query.bindValue(QStringLiteral(":rule_id"), ruleId);
    if (!query.exec()) {
        return StoreResult::failure(query.lastError().text());
    }
    if (query.next()) {
        *row = recordMap(query.record());
        *found = true;
    }
    return StoreResult::success();
}

StoreResult RuleStore::applicationNames(int ruleId, QStringList *names)
{
    names->clear();
    QSqlQuery query;
    if (!query.prepare(
            QStringLiteral("SELECT applications.name FROM rules_apps, applications WHERE rules_apps.app_id = "
                           "applications.id AND rules_apps.rule_id = :rule_id ORDER BY applications.name "))) {
        return StoreResult::failure(query.lastError().text());
    }
    query.bindValue(QStringLiteral(":rule_id"), ruleId);
    if (!query.exec()) {
        return StoreResult::failure(query.lastError().text());
    }
    while (query.next()) {
        *names << query.value(0).toString();
    }
    return StoreResult::success();
}

QString RuleStore::proposedRuleName()
{
    QSqlQuery query;
    int maxId = 0;
    if (!query.exec(QStringLiteral("SELECT MAX(id) AS max_id FROM rules")) || !readInt(query, &maxId)) {
        maxId = 0;
    }
    return QStringLiteral("Rule #%1").arg(maxId + 1);
}

RuleFields RuleStore::newRule(const QList<int> &selectedAppIds, const QString &filterText, const QDate &day,
                              int projectId, int taskId)
{
    return RuleFields{
        proposedRuleName(), selectedAppIds, QStringLiteral("and"), filterText, QStringLiteral("after"), day, day,
        projectId,          taskId};
}

RuleFields RuleStore::newRuleFromEntry(int appId, const QString &title, const QDate &day, int projectId, int taskId)
{
    return RuleFields{proposedRuleName(), {appId}, QStringLiteral("exact"), title, QStringLiteral("after"), day, day,
                      projectId,          taskId};
}

RuleFields RuleStore::newRuleFromApp(int appId, const QDate &day, int projectId, int taskId)
{
    return RuleFields{proposedRuleName(), {appId}, QStringLiteral("or"), QString(), QStringLiteral("after"), day, day,
                      projectId,          taskId};
}
