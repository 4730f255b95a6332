#include "entrygroups.h"

#include "sqlitestatement.h"
#include "timetext.h"

#include <QByteArray>
#include <QHash>

QString EntryGroups::query()
{
    return QStringLiteral("SELECT title, application_id, DATE(start_time) AS start_day, "
                          "GROUP_CONCAT(id) AS entries_ids, "
                          "SUM(strftime('%s', end_time) - strftime('%s', start_time)) AS seconds "
                          "FROM entries WHERE start_time >= :from "
                          "    AND start_time <= :to     AND ext_task_id IS NULL "
                          "GROUP BY start_day, application_id, title ");
}

StoreResult EntryGroups::load(const QDate &from, const QDate &to, QList<EntryGroup> *groups)
{
    groups->clear();
    SqliteStatement statement(query().toUtf8());
    statement.bind(":from", from.toString(QStringLiteral("yyyy-MM-dd 00:00:00")));
    statement.bind(":to", to.toString(QStringLiteral("yyyy-MM-dd 23:59:59")));
    // A month holds a few thousand titles, days and applications, each in many groups: their texts
    // are decoded once and shared.
    QHash<QByteArray, QString> titles;
    QHash<qint64, QString> applications;
    QHash<QByteArray, QDate> days;
    const auto shared = [](auto &known, const QByteArray &key, auto decode) {
        auto found = known.constFind(key);
        if (found == known.constEnd()) {
            // The key points into the statement's row: the kept copy must own its bytes.
            found = known.insert(QByteArray(key.constData(), key.size()), decode());
        }
        return *found;
    };
    while (statement.next()) {
        int size = 0;
        const char *bytes = statement.utf8(0, &size);
        const QByteArray title = QByteArray::fromRawData(bytes, size);
        EntryGroup group;
        group.title = shared(titles, title, [&] { return QString::fromUtf8(bytes, size); });
        const qint64 application = statement.integer(1);
        auto app = applications.constFind(application);
        if (app == applications.constEnd()) {
            app = applications.insert(application, statement.text(1));
        }
        group.applicationId = *app;
        const char *dayBytes = statement.utf8(2, &size);
        const QByteArray day = QByteArray::fromRawData(dayBytes, size);
        group.day = shared(days, day, [&] { return parseDate(QString::fromLatin1(dayBytes, size)); });
        const char *ids = statement.utf8(3, &size);
        for (const QByteArray &id : QByteArray::fromRawData(ids, size).split(',')) {
            if (!id.isEmpty()) {
                group.entryIds << QString::fromLatin1(id);
            }
        }
        group.seconds = statement.integer(4);
        groups->append(std::move(group));
    }
    if (statement.failed()) {
        groups->clear();
        return StoreResult::failure(statement.error());
    }
    return StoreResult::success();
}
