#pragma once

#include <QByteArray>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// A statement on the default connection run through SQLite's own interface: the hot reads go
// through here because Qt SQL copies every cell into a QVariant first. Statements are prepared
// once per connection and reused; a statement still in use elsewhere gives a fresh one.
class SqliteStatement
{
public:
    explicit SqliteStatement(const QByteArray &sql);
    ~SqliteStatement();

    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    // False when there is no open connection or the text did not prepare; error() says why.
    bool isValid() const { return m_statement != nullptr; }
    QString error() const { return m_error; }

    void bind(const char *name, const QString &text);
    void bind(const char *name, qint64 value);

    // Steps to the next row; false at the end or on failure (then error() is set).
    bool next();
    // Goes back before the first row, keeping the bound values; needed before binding anew.
    void rewind();
    bool failed() const { return !m_error.isEmpty(); }

    // The index of a result column by name, or -1.
    int column(const char *name) const;
    // What a cell holds, asked once: each question costs a call into SQLite.
    enum class Kind { Null, Integer, Other };
    Kind kind(int column) const;
    qint64 integer(int column) const;
    QString text(int column) const;
    // The cell's bytes, valid until the next step.
    const char *utf8(int column, int *size) const;
    // The same, ended by a NUL; null for NULL.
    const char *nulTerminated(int column) const;

    // Finalizes every kept statement, so that the connection can close. Called before the
    // default connection is closed or replaced.
    static void releaseAll();

private:
    void failWith(const char *what);

    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_statement = nullptr;
    bool m_kept = false;
    quint64 m_generation = 0;
    QString m_error;
};
