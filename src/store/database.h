#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// What a quick integrity check of the database found.
struct IntegrityReport
{
    // False when the check was stopped at its time limit before reading everything.
    bool complete = true;
    QStringList problems;

    bool sound() const { return problems.isEmpty(); }
};

// Opens the default connection on the database file and creates what is missing of the schema.
// Tables are only ever created, never altered, so files of earlier versions keep their layout.
class Database
{
public:
    static constexpr int BusyTimeoutMs = 500;

    // The schema statements, in the order they run.
    static const QStringList &schemaStatements();

    // Adds the default QSQLITE connection and opens `path`. On failure returns false and leaves the
    // driver's text in `error`; no statement is executed then.
    bool open(const QString &path, QString *error);
    // The same without ever writing: for readers beside a running instance. The schema is not
    // created, so the file must exist.
    bool openReadOnly(const QString &path, QString *error);
    void close();
    bool isOpen() const { return m_db.isOpen(); }

    // Indexes added for speed after the schema statements. Only indexes: files stay readable by
    // versions that do not know them.
    static const QStringList &addedIndexStatements();

    // SQLite's quick_check on the open default connection: at most `maxProblems` are listed, and a
    // check still running after `timeLimitMs` is stopped (complete = false) so a start never hangs on
    // a huge file.
    static constexpr int QuickCheckLimitMs = 3000;
    static IntegrityReport quickCheck(int timeLimitMs = QuickCheckLimitMs, int maxProblems = 10);
    // The same on a read-only connection of its own to `path`: callable from any thread, beside the
    // program's connection. A file that does not open is reported with the driver's text.
    static IntegrityReport quickCheckFile(const QString &path, int timeLimitMs = QuickCheckLimitMs,
                                          int maxProblems = 10);
    // Copies the database file as it is now next to it, as "<file>.damaged-yyyyMMdd-hhmmss", readable
    // by its owner only. Returns the copy's path, or an empty text when it could not be made.
    static QString keepCopy(const QString &path, const QDateTime &when);

    // Runs every schema statement, then the added indexes and the added tables, on the open connection,
    // ignoring
    // their results.
    static void createSchema();
    // Empties SQLite's page cache of the connection: the pages of a day the window read stay
    // there for the connection's life otherwise.
    static void releaseCache();
    // What that page cache holds now, in bytes.
    static qint64 cachedBytes();

private:
    static IntegrityReport quickCheck(QSqlDatabase db, int timeLimitMs, int maxProblems);
    bool openWith(const QString &path, const QString &options, QString *error);

    QSqlDatabase m_db;
};
