#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Opens the default connection on the database file and creates what is missing of the schema.
// Tables are only ever created, never altered, so files of earlier versions keep their layout.
class Database
{
public:
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

    // Runs every schema statement, then the added indexes, on the open connection, ignoring
    // their results.
    static void createSchema();

private:
    bool openWith(const QString &path, const QString &options, QString *error);

    QSqlDatabase m_db;
};
