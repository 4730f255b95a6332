#include "sqlitestatement.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

namespace {

// Statements whose text carries a filter are many and short-lived: only so many are kept.
constexpr int MaxKept = 32;

struct Kept
{
    sqlite3_stmt *statement = nullptr;
    bool inUse = false;
};

// Only the GUI thread touches the connection, so the kept statements need no lock.
struct Cache
{
    sqlite3 *db = nullptr;
    QHash<QByteArray, Kept> statements;
    // Raised by every release: a statement handed out before it is no longer the cache's.
    quint64 generation = 0;
};

Cache &cache()
{
    static Cache instance;
    return instance;
}

sqlite3 *defaultHandle()
{
    const QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    if (!db.isOpen() || !db.driver()) {
        return nullptr;
    }
    const QVariant handle = db.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        return nullptr;
    }
    return *static_cast<sqlite3 *const *>(handle.constData());
}

} // namespace

SqliteStatement::SqliteStatement(const QByteArray &sql)
{
    m_db = defaultHandle();
    if (!m_db) {
        m_error = QStringLiteral("no open database");
        return;
    }
    Cache &kept = cache();
    if (kept.db != m_db) {
        releaseAll();
        kept.db = m_db;
    }
    auto found = kept.statements.find(sql);
    if (found != kept.statements.end() && !found->inUse) {
        found->inUse = true;
        m_statement = found->statement;
        m_kept = true;
        m_generation = kept.generation;
        return;
    }
    const bool keep = found == kept.statements.end() && kept.statements.size() < MaxKept;
    if (sqlite3_prepare_v3(m_db, sql.constData(), int(sql.size()), keep ? SQLITE_PREPARE_PERSISTENT : 0, &m_statement,
                           nullptr) != SQLITE_OK) {
        failWith("prepare");
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        return;
    }
    if (keep) {
        kept.statements.insert(sql, Kept{m_statement, true});
        m_kept = true;
        m_generation = kept.generation;
    }
}

SqliteStatement::~SqliteStatement()
{
    if (!m_statement) {
        return;
    }
    Cache &kept = cache();
    if (!m_kept || m_generation != kept.generation) {
        sqlite3_finalize(m_statement);
        return;
    }
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    for (Kept &entry : kept.statements) {
        if (entry.statement == m_statement) {
            entry.inUse = false;
            break;
        }
    }
}

void SqliteStatement::releaseAll()
{
    Cache &kept = cache();
    for (const Kept &entry : std::as_const(kept.statements)) {
        // One still in use is finalized by its owner, who sees the generation change.
        if (!entry.inUse) {
            sqlite3_finalize(entry.statement);
        }
    }
    kept.statements.clear();
    kept.db = nullptr;
    ++kept.generation;
}

void SqliteStatement::failWith(const char *what)
{
    m_error = QString::fromUtf8(sqlite3_errmsg(m_db)) + QStringLiteral(" (") + QLatin1String(what) + QLatin1Char(')');
}

void SqliteStatement::bind(const char *name, const QString &text)
{
    if (!m_statement) {
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    const int index = sqlite3_bind_parameter_index(m_statement, name);
    if (index > 0 &&
        sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) != SQLITE_OK) {
        failWith("bind");
    }
}

void SqliteStatement::bind(const char *name, qint64 value)
{
    if (!m_statement) {
        return;
    }
    const int index = sqlite3_bind_parameter_index(m_statement, name);
    if (index > 0 && sqlite3_bind_int64(m_statement, index, value) != SQLITE_OK) {
        failWith("bind");
    }
}

bool SqliteStatement::next()
{
    if (!m_statement || failed()) {
        return false;
    }
    const int result = sqlite3_step(m_statement);
    if (result == SQLITE_ROW) {
        return true;
    }
    if (result != SQLITE_DONE) {
        failWith("step");
    }
    return false;
}

void SqliteStatement::rewind()
{
    if (m_statement) {
        sqlite3_reset(m_statement);
    }
}

int SqliteStatement::column(const char *name) const
{
    if (!m_statement) {
        return -1;
    }
    const int count = sqlite3_column_count(m_statement);
    for (int i = 0; i < count; ++i) {
        if (qstrcmp(sqlite3_column_name(m_statement, i), name) == 0) {
            return i;
        }
    }
    return -1;
}

SqliteStatement::Kind SqliteStatement::kind(int column) const
{
    if (column < 0) {
        return Kind::Null;
    }
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_NULL:
        return Kind::Null;
    case SQLITE_INTEGER:
        return Kind::Integer;
    default:
        return Kind::Other;
    }
}

qint64 SqliteStatement::integer(int column) const
{
    return column < 0 ? 0 : sqlite3_column_int64(m_statement, column);
}

QString SqliteStatement::text(int column) const
{
    int size = 0;
    const char *bytes = utf8(column, &size);
    return QString::fromUtf8(bytes, size);
}

const char *SqliteStatement::utf8(int column, int *size) const
{
    if (column < 0) {
        *size = 0;
        return nullptr;
    }
    // Text first, then its size: that order leaves the value converted once.
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    *size = sqlite3_column_bytes(m_statement, column);
    return bytes;
}

const char *SqliteStatement::nulTerminated(int column) const
{
    return column < 0 ? nullptr : reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
}
