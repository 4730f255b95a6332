#include "dayentrycursor.h"

#include "stampparser.h"
#include "timetext.h"

#include <QDebug>

DayEntryCursor::DayEntryCursor(const QDate &day, EntryStore::Link link, const QString &filter, int hideUnder)
    : m_statement(EntryStore::dayQuery(link, filter, hideUnder).toUtf8())
{
    m_statement.bind(":day_start", EntryStore::dayStart(day));
    m_statement.bind(":day_end", EntryStore::dayEnd(day));
    if (hideUnder >= 1) {
        m_statement.bind(":day_start0", EntryStore::dayStart(day));
        m_statement.bind(":day_end0", EntryStore::dayEnd(day));
        m_statement.bind(":hideUnder", qint64(hideUnder));
    }
    m_appPath = m_statement.column("app_path");
    m_appName = m_statement.column("app_name");
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
        m_extTaskName = m_statement.column("ext_task_name");
        m_extTasklistName = m_statement.column("ext_tasklist_name");
        m_extProjectName = m_statement.column("ext_project_name");
    }
}

bool DayEntryCursor::next()
{
    if (!m_statement.next()) {
        if (m_statement.failed()) {
            qDebug() << "query error: " << m_statement.error() << "\n";
        }
        return false;
    }
    m_start = readStamp(m_startTime);
    m_end = readStamp(m_endTime);
    return true;
}

DayEntryCursor::Stamp DayEntryCursor::readStamp(int column)
{
    Stamp stamp;
    int size = 0;
    const char *text = m_statement.utf8(column, &size);
    if (!StampParser::readStoredForm(text, size, &stamp.date, &stamp.time)) {
        const QDateTime parsed = parseDateTime(QString::fromUtf8(text, size));
        if (!parsed.isValid() || !parsed.time().isValid()) {
            return stamp;
        }
        stamp.date = parsed.date();
        stamp.time = parsed.time();
    }
    const qint64 hourKey = stamp.date.toJulianDay() * 24 + stamp.time.hour();
    auto offset = m_offsets.constFind(hourKey);
    if (offset == m_offsets.constEnd()) {
        offset = m_offsets.insert(hourKey, QDateTime(stamp.date, stamp.time).offsetFromUtc());
    }
    stamp.valid = true;
    stamp.offset = *offset;
    stamp.utcSeconds = stamp.date.toJulianDay() * 86400 + stamp.time.msecsSinceStartOfDay() / 1000 - stamp.offset;
    return stamp;
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
    const char *bytes = m_statement.utf8(m_title, &size);
    return QByteArrayView(bytes, size);
}

bool DayEntryCursor::extIds(qint64 *task, qint64 *tasklist, qint64 *project) const
{
    const auto read = [this](int column, qint64 *id) {
        if (m_statement.isNull(column)) {
            *id = -1;
            return true;
        }
        *id = m_statement.integer(column);
        return m_statement.isInteger(column);
    };
    return read(m_extTaskId, task) && read(m_extTasklistId, tasklist) && read(m_extProjectId, project);
}

bool DayEntryCursor::hasRemoteEntry() const
{
    if (m_statement.isNull(m_extEntryId)) {
        return false;
    }
    // An integer is never empty; reading it as text would make SQLite print it first.
    if (m_statement.isInteger(m_extEntryId)) {
        return true;
    }
    int size = 0;
    m_statement.utf8(m_extEntryId, &size);
    return size > 0;
}

QVariant DayEntryCursor::value(int column) const
{
    if (m_statement.isNull(column)) {
        return {};
    }
    if (m_statement.isInteger(column)) {
        return m_statement.integer(column);
    }
    return m_statement.text(column);
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
