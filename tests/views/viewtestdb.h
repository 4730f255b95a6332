#pragma once

// A temporary database with helpers to add applications and entries, and tree walks shared by the
// entry view tests.

#include "projectscatalogue.h"
#include "settings.h"
#include "testdb.h"
#include "timetext.h"
#include "treemodel.h"

#include <QAction>
#include <QMenu>
#include <QSqlQuery>
#include <QTest>

namespace ViewTest {

inline const QDate Day(2012, 3, 10);

// Also starts the settings afresh: nothing ignored.
class TestDatabase : public TestDb::TempDatabase
{
public:
    TestDatabase()
    {
        QVERIFY2(isOpen(), qPrintable(error()));
        Settings::instance()->restoreDefaults();
        ProjectsCatalogue::shared().clear();
    }
};

using TestDb::addApp;
using TestDb::exec;

// `start` is "hh:mm:ss" on Day or a full "yyyy-MM-dd hh:mm:ss" text.
inline QDateTime at(const QString &start)
{
    return parseDateTime(start.size() == 8 ? Day.toString(QStringLiteral("yyyy-MM-dd ")) + start : start);
}

inline qint64 addEntry(qint64 app, const QString &title, const QString &start, int seconds)
{
    return TestDb::addEntry(app, title, TimeText::formatDateTime(at(start)),
                            TimeText::formatDateTime(at(start).addSecs(seconds)));
}

// Links the entry to task `task` of `tasklist` and `project`, with the names stored on the entry.
inline void link(qint64 entry, int project, int tasklist, int task, const QStringList &names = {{}, {}, {}})
{
    exec(QStringLiteral("UPDATE entries SET ext_task_id = ?, ext_entry_id = 900, ext_project_id = ?, "
                        "ext_tasklist_id = ?, ext_project_name = ?, ext_tasklist_name = ?, ext_task_name = ? "
                        "WHERE id = ?"),
         {task, project, tasklist, names.at(0), names.at(1), names.at(2), entry});
}

inline int count(const QString &where)
{
    QSqlQuery query(QStringLiteral("SELECT COUNT(*) FROM entries WHERE ") + where);
    query.next();
    return query.value(0).toInt();
}

// The menu's action texts, "-" for a separator.
inline QStringList menuTexts(const QMenu *menu)
{
    QStringList texts;
    const QList<QAction *> actions = menu->actions();
    for (QAction *action : actions) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

// Access keys ("&L") used by more than one entry of the menu, so that a key press would be ambiguous.
inline QStringList sharedAccessKeys(const QMenu *menu)
{
    QStringList seen;
    QStringList shared;
    const QList<QAction *> actions = menu->actions();
    for (QAction *action : actions) {
        const QString text = action->text();
        for (int at = text.indexOf(QLatin1Char('&')); at >= 0 && at + 1 < text.size();
             at = text.indexOf(QLatin1Char('&'), at + 2)) {
            if (text.at(at + 1) == QLatin1Char('&')) {
                continue;
            }
            const QString key = text.at(at + 1).toLower();
            (seen.contains(key) ? shared : seen) << key;
            break;
        }
    }
    return shared;
}

// Column 0 texts of the children of `parent`, in row order.
inline QStringList names(const QAbstractItemModel &model, const QModelIndex &parent = QModelIndex())
{
    QStringList result;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        result << model.index(row, 0, parent).data().toString();
    }
    return result;
}

// The first node (depth first) below `parent` whose column 0 text is `name`.
inline QModelIndex find(const QAbstractItemModel &model, const QString &name, const QModelIndex &parent = {})
{
    const QModelIndexList found =
        model.match(model.index(0, 0, parent), Qt::DisplayRole, name, 1, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? QModelIndex() : found.first();
}

inline qint64 seconds(const TreeModel &model, const QString &name)
{
    return model.itemProperty(find(model, name), QStringLiteral("time")).toLongLong();
}

// The entry ids of the node `name`, sorted.
inline QStringList ids(const TreeModel &model, const QString &name)
{
    QStringList list = model.itemProperty(find(model, name), QStringLiteral("entries")).toStringList();
    list.sort();
    return list;
}

inline QStringList idList(std::initializer_list<qint64> values)
{
    QStringList list;
    for (qint64 value : values) {
        list << QString::number(value);
    }
    list.sort();
    return list;
}

// The sum of the leaves below `parent`, or -1 when an inner node or a time text disagrees with them.
inline qint64 checkSums(const TreeModel &model, const QModelIndex &parent = QModelIndex())
{
    qint64 sum = 0;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex child = model.index(row, 0, parent);
        const qint64 time = model.itemProperty(child, QStringLiteral("time")).toLongLong();
        if ((model.rowCount(child) > 0 && checkSums(model, child) != time) ||
            model.index(row, 1, parent).data().toString() != formatDuration(time)) {
            qWarning() << "node" << child.data() << "holds" << time;
            return -1;
        }
        sum += time;
    }
    return sum;
}

// The invariants every operation keeps: inner time = sum of leaves, total = sum of leaves.
inline bool consistent(const TreeModel &model)
{
    return checkSums(model) == model.totalTime();
}

} // namespace ViewTest
