#pragma once

#include "storeresult.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

// One rule as handed around between storage, engine and dialogs: the columns of `rules` plus
// "app_ids" (a QStringList of decimal ids); "date_from"/"date_to" hold QDates.
using RuleMap = QMap<QString, QVariant>;

// The editable part of a rule, as the editor shows it and addRule/updateRule store it.
struct RuleFields
{
    QString name;
    QList<int> appIds;
    QString titleRule = QStringLiteral("or");
    QString title;
    QString dateRule = QStringLiteral("always");
    QDate dateFrom;
    QDate dateTo;
    int projectId = 0;
    int taskId = 0;

    bool operator==(const RuleFields &other) const;
};

// One line of the rule list.
struct RuleListItem
{
    int id = 0;
    QString name;
    bool active = false;
};

// Reads and writes the tables `rules` and `rules_apps` on the default connection. Database
// failures are never shown: they go to the debug log and the operation stops or goes on.
class RuleStore
{
public:
    // Returns the new rule's id, or 0. A new rule is always active and last.
    static int addRule(const QString &name, const QList<int> &appIds, const QString &titleRule, const QString &title,
                       const QString &dateRule, const QDate &dateFrom, const QDate &dateTo, int projectId, int taskId);
    static int addRule(const RuleFields &fields);
    // Changes everything but order and activity. Returns false when a statement failed.
    static bool updateRule(int ruleId, const QString &name, const QList<int> &appIds, const QString &titleRule,
                           const QString &title, const QString &dateRule, const QDate &dateFrom, const QDate &dateTo,
                           int projectId, int taskId);
    static bool updateRule(int ruleId, const RuleFields &fields);
    static void removeRule(int ruleId);
    static void activateRule(int ruleId, bool active);
    // Swaps the rule with its nearest neighbour in the direction of `deltaPos`, across gaps.
    static void moveRule(int ruleId, int deltaPos);
    // The copy is active and last; returns its id or 0.
    static int duplicateRule(int ruleId);

    // Empty map when the rule does not exist.
    static RuleMap loadRule(int ruleId);
    // Active rules having at least one application, in order; "id" holds an int.
    static QList<RuleMap> loadActiveRules();
    // The stored row and its applications in row order, for the editor. False when there is no row.
    static bool loadRuleFields(int ruleId, RuleFields *fields);

    // Every rule in list order.
    static StoreResult ruleList(QList<RuleListItem> *rules);
    // The stored row of the rule, by column name; false in `found` when there is no row.
    static StoreResult loadRuleRow(int ruleId, QMap<QString, QVariant> *row, bool *found);
    // The names of the rule's applications, by name.
    static StoreResult applicationNames(int ruleId, QStringList *names);

    // "Rule #N" with N one past the largest id.
    static QString proposedRuleName();

    // The presets of the three ways of creating a rule: both dates are the calendar's day, project
    // and task those selected in the projects tree (0 for none), the name is proposedRuleName().
    static RuleFields newRule(const QList<int> &selectedAppIds, const QString &filterText, const QDate &day,
                              int projectId, int taskId);
    static RuleFields newRuleFromEntry(int appId, const QString &title, const QDate &day, int projectId, int taskId);
    static RuleFields newRuleFromApp(int appId, const QDate &day, int projectId, int taskId);
};
