#include "database.h"

#include "entrytime.h"
#include "linkstore.h"
#include "sqlitestatement.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <sqlite3.h>

namespace {
sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    return handle.typeName() == QByteArrayLiteral("sqlite3*") ? *static_cast<sqlite3 *const *>(handle.constData())
                                                              : nullptr;
}
} // namespace

const QStringList &Database::schemaStatements()
{
    static const QStringList statements{
        QStringLiteral("CREATE TABLE IF NOT EXISTS `entries`( `id` INTEGER PRIMARY KEY AUTOINCREMENT, `title` "
                       "VARCHAR(255), `application_id` INTEGER NOT NULL, `start_time` DATETIME, `end_time` "
                       "DATETIME, `ext_task_id` INTEGER, `ext_entry_id` INTEGER, `ext_project_id` INTEGER, "
                       "`ext_tasklist_id` INTEGER, `ext_task_name` VARCHAR, `ext_project_name` VARCHAR, "
                       "`ext_tasklist_name` VARCHAR )"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS `start_idx` ON entries (start_time)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS `end_idx` ON entries (end_time)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS `applications` ( `id` INTEGER PRIMARY KEY AUTOINCREMENT, `path` "
                       "VARCHAR(255), `name` VARCHAR(255) )"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS `settings` ( `id` INTEGER PRIMARY KEY AUTOINCREMENT, `name` "
                       "CHAR(50) NOT NULL, `value` TEXT )"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS `rules`( `id` INTEGER PRIMARY KEY AUTOINCREMENT, `name` "
                       "VARCHAR(255) NOT NULL, `title_rule` VARCHAR(20) NOT NULL DEFAULT \"and\", `title` "
                       "VARCHAR(255), `date_rule` VARCHAR(10) NOT NULL DEFAULT \"after\", `date_from` DATETIME, "
                       "`date_to` DATETIME, `project_id` INTEGER, `task_id` INTEGER, `seq` INTEGER NOT NULL "
                       "DEFAULT 0, `active` INTEGER NOT NULL DEFAULT 1 )"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS `rules_apps`( `rule_id` INTEGER NOT NULL, `app_id` INTEGER NOT "
                       "NULL )"),
    };
    return statements;
}

const QStringList &Database::addedIndexStatements()
{
    // Unlinked entries by start: serves the unlinked day query and lets the calendar marks seek
    // from day to day instead of reading every entry of all time.
    static const QStringList statements{
        QStringLiteral("CREATE INDEX IF NOT EXISTS `unlinked_start_idx` ON entries (ext_task_id, start_time, "
                       "application_id)"),
    };
    return statements;
}

bool Database::open(const QString &path, QString *error)
{
    // Another process holding the file briefly is waited for, but never long enough to stall the
    // window: a write that still fails is kept and tried again later by its caller.
    return openWith(path, QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs), error);
}

bool Database::openReadOnly(const QString &path, QString *error)
{
    // A missing file is an error here, not a new empty database; while the recording instance
    // writes, readers wait for its statement instead of failing at once.
    return openWith(path, QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"), error);
}

bool Database::openWith(const QString &path, const QString &options, QString *error)
{
    SqliteStatement::releaseAll();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    m_db.setDatabaseName(path);
    m_db.setConnectOptions(options);
    if (!m_db.open()) {
        if (error) {
            *error = m_db.lastError().databaseText();
        }
        return false;
    }
    // SQLite opens lazily: a file that is not a database only fails on the first statement.
    QSqlQuery probe(m_db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        if (error) {
            *error = probe.lastError().databaseText();
        }
        m_db.close();
        return false;
    }
    // SQLite gives its own files (the rollback journal too) the mode of this one. The entries tell what the user worked
    // on all day: readable by the owner only.
    if (QFileInfo(path).isFile()) {
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    // A day of many short entries spans a few megabytes of pages: with SQLite's default 2 MB
    // cache every new look at it read them from the file again.
    probe.exec(QStringLiteral("PRAGMA cache_size = -16384"));
    // The rollback journal stays. A write-ahead log makes one stored stretch about three times
    // cheaper (0.5 instead of 1.5 ms), but stretches come a few a minute, and it keeps the latest
    // ones in a file beside the database until a checkpoint: a copy of the database file alone
    // (the copy of a damaged file, a backup, a moved data folder) would lose them.
    return true;
}

void Database::close()
{
    SqliteStatement::releaseAll();
    m_db.close();
}

void Database::releaseCache()
{
    QSqlQuery(QStringLiteral("PRAGMA shrink_memory"));
}

qint64 Database::cachedBytes()
{
    const QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    sqlite3 *sqlite = db.isOpen() ? sqliteHandle(db) : nullptr;
    int used = 0;
    int highest = 0;
    if (!sqlite || sqlite3_db_status(sqlite, SQLITE_DBSTATUS_CACHE_USED, &used, &highest, 0) != SQLITE_OK) {
        return 0;
    }
    return used;
}

void Database::createSchema()
{
    QSqlQuery query;
    for (const QString &statement :
         schemaStatements() + addedIndexStatements() + LinkStore::schemaStatements() + EntryTime::schemaStatements()) {
        query.exec(statement);
    }
}

IntegrityReport Database::quickCheck(int timeLimitMs, int maxProblems)
{
    return quickCheck(QSqlDatabase::database(), timeLimitMs, maxProblems);
}

IntegrityReport Database::quickCheckFile(const QString &path, int timeLimitMs, int maxProblems)
{
    // A connection name of this thread's own: connections are used only by the thread that made them.
    const QString name = QStringLiteral("quick-check-%1").arg(quintptr(QThread::currentThreadId()));
    IntegrityReport report;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            report = quickCheck(db, timeLimitMs, maxProblems);
        } else {
            report.problems << db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return report;
}

IntegrityReport Database::quickCheck(QSqlDatabase db, int timeLimitMs, int maxProblems)
{
    IntegrityReport report;
    sqlite3 *sqlite = sqliteHandle(db);
    QElapsedTimer clock;
    clock.start();
    // SQLite asks every thousand steps whether to go on; a non-zero answer interrupts the check.
    struct Deadline
    {
        QElapsedTimer *clock;
        int limitMs;
    } deadline{&clock, timeLimitMs};
    if (sqlite) {
        sqlite3_progress_handler(
            sqlite, 1000,
            [](void *data) {
                const auto *d = static_cast<Deadline *>(data);
                return d->clock->elapsed() >= d->limitMs ? 1 : 0;
            },
            &deadline);
    }
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA quick_check(%1)").arg(maxProblems))) {
        report.complete = clock.elapsed() < timeLimitMs;
        if (report.complete) {
            // A file too damaged to run the check at all.
            report.problems << query.lastError().databaseText();
        }
    }
    while (query.next()) {
        const QString line = query.value(0).toString();
        if (line != QLatin1String("ok")) {
            report.problems << line;
        }
    }
    if (clock.elapsed() >= timeLimitMs && report.problems.isEmpty()) {
        report.complete = false;
    }
    query.finish();
    if (sqlite) {
        sqlite3_progress_handler(sqlite, 0, nullptr, nullptr);
    }
    return report;
}

QString Database::keepCopy(const QString &path, const QDateTime &when)
{
    const QString copy = path + QStringLiteral(".damaged-") + when.toString(QStringLiteral("yyyyMMdd-hhmmss"));
    if (!QFile::copy(path, copy)) {
        return {};
    }
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return copy;
}
