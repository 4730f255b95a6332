#pragma once

// A temporary database with helpers to add applications and entries, the recording message-box
// presenter and tree walks shared by the entry view tests.

#include "database.h"
#include "messagebox.h"
#include "settings.h"
#include "timetext.h"
#include "treemodel.h"

#include <QAction>
#include <QMenu>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace ViewTest {

inline const QDate Day(2012, 3, 10);

class TestDatabase
{
public:
    TestDatabase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        QVERIFY2(m_db.open(m_dir.filePath(QStringLiteral("views.sqlite")), &error), qPrintable(error));
        Database::createSchema();
    }
    ~TestDatabase() { m_db.close(); }

    static qint64 addApp(const QString &path, const QString &name)
    {
        QSqlQuery query;
        query.prepare(QStringLiteral("INSERT INTO applications (path, name) VALUES (:path, :name)"));
        query.bindValue(QStringLiteral(":path"), path);
        query.bindValue(QStringLiteral(":name"), name);
        query.exec();
        return query.lastInsertId().toLongLong();
    }

    // Times are "hh:mm:ss" on Day, or full "yyyy-MM-dd hh:mm:ss" texts.
    static qint64 addEntry(qint64 app, const QString &title, const QString &start, const QString &end)
    {
        QSqlQuery query;
        query.prepare(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) "
                                     "VALUES (:title, :app, :start, :end)"));
        query.bindValue(QStringLiteral(":title"), title);
        query.bindValue(QStringLiteral(":app"), app);
        query.bindValue(QStringLiteral(":start"), stamp(start));
        query.bindValue(QStringLiteral(":end"), stamp(end));
        query.exec();
        return query.lastInsertId().toLongLong();
    }

    struct Link
    {
        int project;
        int tasklist;
        int task;
        QString projectName;
        QString tasklistName;
        QString taskName;
    };

    static void link(qint64 entry, const Link &link)
    {
        QSqlQuery query;
        query.prepare(
            QStringLiteral("UPDATE entries SET ext_task_id = :task, ext_entry_id = 900, ext_project_id = :project, "
                           "ext_tasklist_id = :tasklist, ext_task_name = :taskName, ext_project_name = :projectName, "
                           "ext_tasklist_name = :tasklistName WHERE id = :id"));
        query.bindValue(QStringLiteral(":task"), link.task);
        query.bindValue(QStringLiteral(":project"), link.project);
        query.bindValue(QStringLiteral(":tasklist"), link.tasklist);
        query.bindValue(QStringLiteral(":taskName"), link.taskName);
        query.bindValue(QStringLiteral(":projectName"), link.projectName);
        query.bindValue(QStringLiteral(":tasklistName"), link.tasklistName);
        query.bindValue(QStringLiteral(":id"), entry);
        query.exec();
    }

    static int count(const QString &where)
    {
        QSqlQuery query(QStringLiteral("SELECT COUNT(*) FROM entries WHERE ") + where);
        query.next();
        return query.value(0).toInt();
    }

    static QString stamp(const QString &time)
    {
        return time.size() == 8 ? Day.toString(QStringLiteral("yyyy-MM-dd ")) + time : time;
    }

private:
    QTemporaryDir m_dir;
    Database m_db;
};

// Records every box and answers with a preset button.
class RecordingPresenter : public MessageBox::Presenter
{
public:
    RecordingPresenter() { MessageBox::setPresenter(this); }
    ~RecordingPresenter() override { MessageBox::setPresenter(nullptr); }

    MessageBox::Button present(const MessageBox::Box &box) override
    {
        boxes << box;
        return answer;
    }

    QList<MessageBox::Box> boxes;
    MessageBox::Button answer = MessageBox::Yes;
};

inline void resetSettings()
{
    auto &values = Settings::instance()->values;
    values.clear();
    values.insert(QStringLiteral("IgnoredApps"), QStringList());
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

// Column 0 texts of the children of `parent`, in row order.
inline QStringList names(const QAbstractItemModel &model, const QModelIndex &parent = QModelIndex())
{
    QStringList result;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        result << model.index(row, 0, parent).data().toString();
    }
    return result;
}

// The first node below `parent` (depth first) whose column 0 text is `name`.
inline QModelIndex find(const QAbstractItemModel &model, const QString &name, const QModelIndex &parent = QModelIndex())
{
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex child = model.index(row, 0, parent);
        if (child.data().toString() == name) {
            return child;
        }
        const QModelIndex found = find(model, name, child);
        if (found.isValid()) {
            return found;
        }
    }
    return {};
}

// Checks that every inner node holds the sum of its leaves and returns the sum of all leaves.
inline qint64 checkSums(const TreeModel &model, const QModelIndex &parent = QModelIndex())
{
    qint64 sum = 0;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex child = model.index(row, 0, parent);
        const qint64 time = model.itemProperty(child, QStringLiteral("time")).toLongLong();
        if (model.rowCount(child) > 0) {
            const qint64 leaves = checkSums(model, child);
            if (leaves != time) {
                qWarning() << "node" << child.data() << "holds" << time << "but its leaves" << leaves;
                return -1;
            }
        }
        if (model.index(row, 1, parent).data().toString() != formatDuration(time)) {
            qWarning() << "node" << child.data() << "shows" << model.index(row, 1, parent).data();
            return -1;
        }
        sum += time;
    }
    return sum;
}

// The invariants every operation keeps: inner time = sum of leaves, total = sum of leaves.
inline bool consistent(const TreeModel &model)
{
    const qint64 leaves = checkSums(model);
    if (leaves != model.totalTime()) {
        qWarning() << "total" << model.totalTime() << "leaves" << leaves;
        return false;
    }
    return true;
}

} // namespace ViewTest
