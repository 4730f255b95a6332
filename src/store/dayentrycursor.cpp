#include "dayentrycursor.h"

#include "bytearena.h"
#include "linkstore.h"
#include "logging.h"
#include "stampparser.h"
#include "timetext.h"

#include <QDebug>

#include <cstring>

DayEntryCursor::DayEntryCursor(const QDate &day, EntryStore::Link link, const EntryFilter &filter, int hideUnder)
    : m_statement(EntryStore::dayQuery(link, filter).toUtf8())
    , m_entryQuery(EntryStore::entryQuery(link).toUtf8())
    , m_applicationQuery("SELECT path, name FROM applications WHERE id = :id")
    , m_namesQuery("SELECT ext_task_name, ext_tasklist_name, ext_project_name FROM entries WHERE id = :id")
{
    m_statement.bind(":day_start", EntryStore::dayStart(day));
    m_statement.bind(":day_end", EntryStore::dayEnd(day));
    m_id = m_statement.column("id");
    m_title = m_statement.column("title");
    m_applicationId = m_statement.column("application_id");
    m_startTime = m_statement.column("start_time");
    m_endTime = m_statement.column("end_time");
    m_extEntryId = m_statement.column("ext_entry_id");
    if (link == EntryStore::Link::Linked) {
        m_extTaskId = m_statement.column("ext_task_id");
        m_extTasklistId = m_statement.column("ext_tasklist_id");
        m_extProjectId = m_statement.column("ext_project_id");
        const EntryIds unconfirmed = LinkStore::unconfirmed();
        m_unconfirmed = QSet<qint64>(unconfirmed.cbegin(), unconfirmed.cend());
    }
    if (hideUnder >= 1) {
        keepRowsReaching(hideUnder);
    }
}

QString DayEntryCursor::error() const
{
    if (!m_error.isEmpty()) {
        return m_error;
    }
    return m_statement.failed() ? m_statement.error() : m_entryQuery.error();
}

bool DayEntryCursor::next()
{
    while (m_error.isEmpty() && step()) {
        m_application = readApplication();
        if (!m_application) {
            continue;
        }
        readStamps();
        return true;
    }
    if (!error().isEmpty()) {
        qCDebug(lcStore) << "query error: " << error() << "\n";
    }
    return false;
}

const DayEntryCursor::Application *DayEntryCursor::readApplication()
{
    const qint64 id = applicationId();
    auto found = m_applications.constFind(id);
    if (found == m_applications.constEnd()) {
        m_applicationQuery.rewind();
        m_applicationQuery.bind(":id", id);
        Application application;
        application.exists = m_applicationQuery.next();
        if (m_applicationQuery.failed()) {
            m_error = m_applicationQuery.error();
            return nullptr;
        }
        if (application.exists) {
            application.path = m_applicationQuery.text(0);
            application.name = m_applicationQuery.text(1);
            application.number = m_applicationCount++;
        }
        found = m_applications.insert(id, application);
    }
    return found->exists ? &*found : nullptr;
}

QString DayEntryCursor::storedName(int column) const
{
    if (m_namesEntry != id()) {
        m_namesQuery.rewind();
        m_namesQuery.bind(":id", id());
        if (!m_namesQuery.next()) {
            if (m_namesQuery.failed()) {
                m_error = m_namesQuery.error();
            }
            m_namesEntry = -1;
            return {};
        }
        m_namesEntry = id();
    }
    return m_namesQuery.text(column);
}

DayEntryCursor::TitleGroup DayEntryCursor::currentGroup() const
{
    int size = 0;
    const char *bytes = m_row->utf8(m_title, &size);
    return {applicationId(), QByteArrayView(bytes, size), bytes == nullptr};
}

void DayEntryCursor::keepRowsReaching(int hideUnder)
{
    // A heavy day has a few thousand groups.
    QHash<TitleGroup, qsizetype> groups;
    groups.reserve(4096);
    ByteArena keys;
    QList<qint64> groupSeconds;
    QList<std::pair<qint64, qsizetype>> rows;
    while (m_error.isEmpty() && m_statement.next()) {
        if (!readApplication()) {
            continue;
        }
        TitleGroup key = currentGroup();
        auto group = groups.constFind(key);
        if (group == groups.constEnd()) {
            // The row's bytes are gone at the next step; the key keeps a copy.
            key.title = keys.keep(key.title);
            group = groups.insert(key, groupSeconds.size());
            groupSeconds << 0;
        }
        readStamps();
        groupSeconds[*group] += seconds(m_start, m_end);
        rows << std::pair<qint64, qsizetype>(id(), *group);
    }
    m_shownIds.emplace();
    for (const auto &[id, group] : std::as_const(rows)) {
        if (groupSeconds.at(group) >= hideUnder) {
            m_shownIds->append(id);
        }
    }
}

bool DayEntryCursor::step()
{
    if (!m_shownIds) {
        return m_statement.next();
    }
    m_row = &m_entryQuery;
    while (m_nextShown < m_shownIds->size()) {
        m_entryQuery.rewind();
        m_entryQuery.bind(":id", m_shownIds->at(m_nextShown++));
        // An entry deleted since the first reading is no longer part of the day.
        if (m_entryQuery.next() || m_entryQuery.failed()) {
            return !m_entryQuery.failed();
        }
    }
    return false;
}

void DayEntryCursor::readStamps()
{
    m_start = readStamp(m_startTime);
    m_end = readStamp(m_endTime);
    if (const std::pair<int, int> *kept = m_time.keptOffsets(id())) {
        const auto keep = [](Stamp &stamp, int offset) {
            stamp.utcSeconds += stamp.offset - offset;
            stamp.offset = offset;
        };
        keep(m_start, kept->first);
        keep(m_end, kept->second);
    }
}

DayEntryCursor::Stamp DayEntryCursor::readStamp(int column)
{
    Stamp stamp;
    // The stored form has no NUL inside: its length needs no second call into SQLite.
    const char *text = m_row->nulTerminated(column);
    stamp.storedForm = text && qstrnlen(text, 20) == 19 && text[10] == ' ' && readDay(text, &stamp.date) &&
                       StampParser::readStoredTime(text + 11, 8, &stamp.time);
    if (!stamp.storedForm) {
        int size = 0;
        text = m_row->utf8(column, &size);
        if (!text || !EntryTime::readStamp(QString::fromUtf8(text, size), &stamp.date, &stamp.time)) {
            return stamp;
        }
    }
    stamp.valid = true;
    stamp.offset = m_offsets.offsetAt(stamp.date, stamp.time);
    stamp.utcSeconds = stamp.date.toJulianDay() * 86400 + stamp.time.msecsSinceStartOfDay() / 1000 - stamp.offset;
    return stamp;
}

bool DayEntryCursor::readDay(const char *text, QDate *date)
{
    if (m_lastDay.date.isValid() && std::memcmp(text, m_lastDay.text.data(), m_lastDay.text.size()) == 0) {
        *date = m_lastDay.date;
        return true;
    }
    if (!StampParser::readStoredDay(text, qsizetype(m_lastDay.text.size()), date)) {
        return false;
    }
    std::memcpy(m_lastDay.text.data(), text, m_lastDay.text.size());
    m_lastDay.date = *date;
    return true;
}

QDateTime DayEntryCursor::start() const
{
    return m_start.valid ? QDateTime(m_start.date, m_start.time, Qt::OffsetFromUTC, m_start.offset) : QDateTime();
}

QDateTime DayEntryCursor::end() const
{
    return m_end.valid ? QDateTime(m_end.date, m_end.time, Qt::OffsetFromUTC, m_end.offset) : QDateTime();
}

QByteArrayView DayEntryCursor::titleUtf8() const
{
    int size = 0;
    const char *bytes = m_row->utf8(m_title, &size);
    return QByteArrayView(bytes, size);
}

bool DayEntryCursor::extIds(qint64 *task, qint64 *tasklist, qint64 *project) const
{
    const auto read = [this](int column, qint64 *id) {
        switch (m_row->kind(column)) {
        case SqliteStatement::Kind::Null:
            *id = -1;
            return true;
        case SqliteStatement::Kind::Integer:
            *id = m_row->integer(column);
            return true;
        case SqliteStatement::Kind::Other:
            break;
        }
        return false;
    };
    return read(m_extTaskId, task) && read(m_extTasklistId, tasklist) && read(m_extProjectId, project);
}

bool DayEntryCursor::hasRemoteEntry() const
{
    switch (m_row->kind(m_extEntryId)) {
    case SqliteStatement::Kind::Null:
        return false;
    case SqliteStatement::Kind::Integer:
        // An integer is never empty; reading it as text would make SQLite print it first.
        return true;
    case SqliteStatement::Kind::Other:
        break;
    }
    int size = 0;
    m_row->utf8(m_extEntryId, &size);
    return size > 0;
}

QVariant DayEntryCursor::value(int column) const
{
    switch (m_row->kind(column)) {
    case SqliteStatement::Kind::Null:
        return {};
    case SqliteStatement::Kind::Integer:
        return m_row->integer(column);
    case SqliteStatement::Kind::Other:
        break;
    }
    return m_row->text(column);
}

QVariant DayEntryCursor::extEntryId() const
{
    return value(m_extEntryId);
}

QVariant DayEntryCursor::extTaskIdValue() const
{
    return value(m_extTaskId);
}

QVariant DayEntryCursor::extTasklistIdValue() const
{
    return value(m_extTasklistId);
}

QVariant DayEntryCursor::extProjectIdValue() const
{
    return value(m_extProjectId);
}
