#include "devservicestore.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>

namespace {
const char *const schema[] = {
    "CREATE TABLE IF NOT EXISTS users (id INTEGER PRIMARY KEY, email TEXT NOT NULL UNIQUE, password_hash TEXT NOT "
    "NULL, realname TEXT NOT NULL DEFAULT '', username TEXT NOT NULL UNIQUE, api_key TEXT NOT NULL UNIQUE)",
    "CREATE TABLE IF NOT EXISTS tokens (token TEXT PRIMARY KEY, user_id INTEGER NOT NULL REFERENCES users(id), "
    "created TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS clients (id INTEGER PRIMARY KEY, user_id INTEGER NOT NULL REFERENCES users(id), "
    "name TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS projects (id INTEGER PRIMARY KEY, user_id INTEGER NOT NULL REFERENCES users(id), "
    "client_id INTEGER REFERENCES clients(id), name TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS task_lists (id INTEGER PRIMARY KEY, project_id INTEGER NOT NULL REFERENCES "
    "projects(id), name TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS tasks (id INTEGER PRIMARY KEY, task_list_id INTEGER NOT NULL REFERENCES "
    "task_lists(id), name TEXT NOT NULL, description TEXT NOT NULL DEFAULT '', billable INTEGER NOT NULL DEFAULT 1, "
    "complete INTEGER NOT NULL DEFAULT 0)",
    "CREATE TABLE IF NOT EXISTS entries (id INTEGER PRIMARY KEY AUTOINCREMENT, user_id INTEGER NOT NULL REFERENCES "
    "users(id), "
    "task_id INTEGER NOT NULL REFERENCES tasks(id), date TEXT NOT NULL, duration INTEGER NOT NULL, start TEXT NOT "
    "NULL, end TEXT NOT NULL, description TEXT NOT NULL DEFAULT '', updated TEXT NOT NULL)",
};

const QString dateTimeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");

QString randomHex(int bytes)
{
    QByteArray data(bytes, Qt::Uninitialized);
    for (char &c : data) {
        c = static_cast<char>(QRandomGenerator::system()->bounded(256));
    }
    return QString::fromLatin1(data.toHex());
}

// Stored as "pbkdf2-sha256$<iterations>$<salt hex>$<key hex>": a salted, deliberately slow derivation,
// so a leaked data file does not give the passwords away to a table lookup.
QString passwordHash(const QString &password, const QByteArray &salt, int iterations)
{
    const QByteArray key =
        QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt, iterations, 32);
    return QStringLiteral("pbkdf2-sha256$%1$%2$%3")
        .arg(iterations)
        .arg(QString::fromLatin1(salt.toHex()), QString::fromLatin1(key.toHex()));
}

QString newPasswordHash(const QString &password)
{
    return passwordHash(password, QByteArray::fromHex(randomHex(16).toLatin1()), DevServiceStore::PasswordIterations);
}

// Files of earlier versions hold an unsalted SHA-256; they still sign in and get the new form then.
bool isLegacyHash(const QString &stored)
{
    return !stored.contains(QLatin1Char('$'));
}

bool passwordMatches(const QString &password, const QString &stored)
{
    if (isLegacyHash(stored)) {
        return stored ==
               QString::fromLatin1(QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Sha256).toHex());
    }
    const QStringList parts = stored.split(QLatin1Char('$'));
    bool ok = false;
    const int iterations = parts.value(1).toInt(&ok);
    if (parts.size() != 4 || !ok || iterations < 1) {
        return false;
    }
    const QString expected = passwordHash(password, QByteArray::fromHex(parts.at(2).toLatin1()), iterations);
    // Compared in full whatever differs first.
    int difference = int(expected.size() ^ stored.size());
    for (qsizetype i = 0; i < qMin(expected.size(), stored.size()); ++i) {
        difference |= expected.at(i).unicode() ^ stored.at(i).unicode();
    }
    return difference == 0;
}

DevServiceStore::Task readTask(const QSqlQuery &query)
{
    DevServiceStore::Task task;
    task.id = query.value(0).toInt();
    task.taskListId = query.value(1).toInt();
    task.name = query.value(2).toString();
    task.description = query.value(3).toString();
    task.billable = query.value(4).toBool();
    task.complete = query.value(5).toBool();
    return task;
}

DevServiceStore::Entry readEntry(const QSqlQuery &query)
{
    DevServiceStore::Entry entry;
    entry.id = query.value(0).toLongLong();
    entry.userId = query.value(1).toInt();
    entry.taskId = query.value(2).toInt();
    entry.date = QDate::fromString(query.value(3).toString(), Qt::ISODate);
    entry.duration = query.value(4).toInt();
    entry.start = DevServiceStore::parseDateTimeText(query.value(5).toString());
    entry.end = DevServiceStore::parseDateTimeText(query.value(6).toString());
    entry.description = query.value(7).toString();
    entry.updated = DevServiceStore::parseDateTimeText(query.value(8).toString());
    return entry;
}

const QString taskColumns =
    QStringLiteral("SELECT id, task_list_id, name, description, billable, complete FROM tasks ");
const QString entryColumns =
    QStringLiteral("SELECT id, user_id, task_id, date, duration, start, end, description, updated FROM entries ");
} // namespace

DevServiceStore::DevServiceStore()
    : m_connectionName(QStringLiteral("tavro-devservice-%1").arg(reinterpret_cast<quintptr>(this), 0, 16))
{}

DevServiceStore::~DevServiceStore()
{
    close();
}

bool DevServiceStore::open(const QString &fileName, QString *error)
{
    close();
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        database.setDatabaseName(fileName.isEmpty() ? QStringLiteral(":memory:") : fileName);
        if (!database.open()) {
            m_lastError = database.lastError().text();
        }
    }
    bool ok = m_lastError.isEmpty() && exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    for (const char *statement : schema) {
        ok = ok && exec(QString::fromLatin1(statement));
    }
    if (ok && countUsers() == 0) {
        seedDemo();
    }
    // Accounts and their password hashes: the owner's alone.
    if (ok && QFileInfo(fileName).isFile()) {
        QFile::setPermissions(fileName, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    if (!ok) {
        if (error) {
            *error = m_lastError;
        }
        close();
    }
    return ok;
}

void DevServiceStore::close()
{
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase::database(m_connectionName, false).close();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

bool DevServiceStore::isOpen() const
{
    return QSqlDatabase::contains(m_connectionName) && db().isOpen();
}

QSqlDatabase DevServiceStore::db() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

bool DevServiceStore::exec(const QString &sql)
{
    QSqlQuery query(db());
    if (!query.exec(sql)) {
        m_lastError = query.lastError().text();
        return false;
    }
    return true;
}

qint64 DevServiceStore::insert(const QString &sql, const QList<QVariant> &values)
{
    QSqlQuery query(db());
    query.prepare(sql);
    for (const QVariant &value : values) {
        // A null QString binds as SQL NULL; the text columns want an empty text instead.
        const bool nullText = value.metaType() == QMetaType::fromType<QString>() && value.toString().isNull();
        query.addBindValue(nullText ? QVariant(QStringLiteral("")) : value);
    }
    if (!query.exec()) {
        m_lastError = query.lastError().text();
        return 0;
    }
    return query.lastInsertId().toLongLong();
}

int DevServiceStore::countUsers() const
{
    QSqlQuery query(QStringLiteral("SELECT count(*) FROM users"), db());
    return query.next() ? query.value(0).toInt() : 0;
}

int DevServiceStore::addUser(const QString &email, const QString &password, const QString &realname,
                             const QString &username)
{
    return insert(QStringLiteral("INSERT INTO users (email, password_hash, realname, username, api_key) "
                                 "VALUES (?, ?, ?, ?, ?)"),
                  {email.toLower(), newPasswordHash(password), realname, username, randomHex(16)});
}

std::optional<DevServiceStore::User> DevServiceStore::user(int userId) const
{
    QSqlQuery query(db());
    query.prepare(QStringLiteral("SELECT id, email, username, realname, api_key FROM users WHERE id = ?"));
    query.addBindValue(userId);
    if (!query.exec() || !query.next()) {
        return std::nullopt;
    }
    return User{query.value(0).toInt(), query.value(1).toString(), query.value(2).toString(), query.value(3).toString(),
                query.value(4).toString()};
}

int DevServiceStore::authenticate(const QString &login, const QString &password)
{
    QSqlQuery query(db());
    query.prepare(QStringLiteral("SELECT id, password_hash FROM users WHERE email = ? OR username = ?"));
    query.addBindValue(login.toLower());
    query.addBindValue(login);
    if (!query.exec()) {
        return 0;
    }
    while (query.next()) {
        const QString stored = query.value(1).toString();
        if (!passwordMatches(password, stored)) {
            continue;
        }
        const int userId = query.value(0).toInt();
        if (isLegacyHash(stored)) {
            QSqlQuery upgrade(db());
            upgrade.prepare(QStringLiteral("UPDATE users SET password_hash = ? WHERE id = ?"));
            upgrade.addBindValue(newPasswordHash(password));
            upgrade.addBindValue(userId);
            upgrade.exec();
        }
        return userId;
    }
    return 0;
}

QString DevServiceStore::createToken(int userId, const QDateTime &created)
{
    const QString token = randomHex(16);
    const QString now = dateTimeText(created.isValid() ? created : QDateTime::currentDateTime());
    if (insert(QStringLiteral("INSERT INTO tokens (token, user_id, created) VALUES (?, ?, ?)"), {token, userId, now}) ==
        0) {
        return {};
    }
    return token;
}

int DevServiceStore::userForToken(const QString &token) const
{
    QSqlQuery query(db());
    query.prepare(QStringLiteral("SELECT user_id FROM tokens WHERE token = ? AND created > ?"));
    query.addBindValue(token);
    query.addBindValue(dateTimeText(QDateTime::currentDateTime().addDays(-TokenLifetimeDays)));
    return !token.isEmpty() && query.exec() && query.next() ? query.value(0).toInt() : 0;
}

int DevServiceStore::userForApiKey(const QString &apiKey) const
{
    QSqlQuery query(db());
    query.prepare(QStringLiteral("SELECT id FROM users WHERE api_key = ?"));
    query.addBindValue(apiKey);
    return !apiKey.isEmpty() && query.exec() && query.next() ? query.value(0).toInt() : 0;
}

bool DevServiceStore::deleteToken(const QString &token)
{
    QSqlQuery query(db());
    query.prepare(QStringLiteral("DELETE FROM tokens WHERE token = ?"));
    query.addBindValue(token);
    return query.exec() && query.numRowsAffected() > 0;
}

int DevServiceStore::addClient(int userId, const QString &name)
{
    return insert(QStringLiteral("INSERT INTO clients (user_id, name) VALUES (?, ?)"), {userId, name});
}

int DevServiceStore::addProject(int userId, int clientId, const QString &name)
{
    const QVariant client = clientId > 0 ? QVariant(clientId) : QVariant(QMetaType::fromType<int>());
    return insert(QStringLiteral("INSERT INTO projects (user_id, client_id, name) VALUES (?, ?, ?)"),
                  {userId, client, name});
}

int DevServiceStore::addTaskList(int projectId, const QString &name)
{
    return insert(QStringLiteral("INSERT INTO task_lists (project_id, name) VALUES (?, ?)"), {projectId, name});
}

int DevServiceStore::addTask(int taskListId, const QString &name, const QString &description, bool billable,
                             bool complete)
{
    return insert(QStringLiteral("INSERT INTO tasks (task_list_id, name, description, billable, complete) "
                                 "VALUES (?, ?, ?, ?, ?)"),
                  {taskListId, name, description, billable ? 1 : 0, complete ? 1 : 0});
}

bool DevServiceStore::setTaskComplete(int taskId, bool complete)
{
    QSqlQuery query(db());
    query.prepare(QStringLiteral("UPDATE tasks SET complete = ? WHERE id = ?"));
    query.addBindValue(complete ? 1 : 0);
    query.addBindValue(taskId);
    return query.exec() && query.numRowsAffected() > 0;
}

QList<DevServiceStore::Project> DevServiceStore::catalogue(int userId) const
{
    QList<Project> projects;
    QSqlQuery query(db());
    query.prepare(QStringLiteral("SELECT projects.id, projects.name, clients.id, clients.name FROM projects "
                                 "LEFT JOIN clients ON clients.id = projects.client_id WHERE projects.user_id = ? "
                                 "ORDER BY clients.name IS NULL, clients.id, projects.id"));
    query.addBindValue(userId);
    query.exec();
    while (query.next()) {
        Project project;
        project.id = query.value(0).toInt();
        project.name = query.value(1).toString();
        project.clientId = query.value(2).toInt();
        project.clientName = query.value(3).toString();
        projects.append(project);
    }
    for (Project &project : projects) {
        QSqlQuery lists(db());
        lists.prepare(QStringLiteral("SELECT id, name FROM task_lists WHERE project_id = ? ORDER BY id"));
        lists.addBindValue(project.id);
        lists.exec();
        while (lists.next()) {
            project.taskLists.append(TaskList{lists.value(0).toInt(), project.id, lists.value(1).toString(), {}});
        }
        for (TaskList &list : project.taskLists) {
            QSqlQuery tasks(db());
            tasks.prepare(taskColumns + QStringLiteral("WHERE task_list_id = ? ORDER BY id"));
            tasks.addBindValue(list.id);
            tasks.exec();
            while (tasks.next()) {
                list.tasks.append(readTask(tasks));
            }
        }
    }
    return projects;
}

std::optional<DevServiceStore::Project> DevServiceStore::project(int projectId) const
{
    QSqlQuery query(db());
    query.prepare(QStringLiteral("SELECT projects.id, projects.name, clients.id, clients.name FROM projects "
                                 "LEFT JOIN clients ON clients.id = projects.client_id WHERE projects.id = ?"));
    query.addBindValue(projectId);
    if (!query.exec() || !query.next()) {
        return std::nullopt;
    }
    Project project;
    project.id = query.value(0).toInt();
    project.name = query.value(1).toString();
    project.clientId = query.value(2).toInt();
    project.clientName = query.value(3).toString();
    return project;
}

std::optional<DevServiceStore::TaskList> DevServiceStore::taskList(int taskListId) const
{
    QSqlQuery query(db());
    query.prepare(QStringLiteral("SELECT id, project_id, name FROM task_lists WHERE id = ?"));
    query.addBindValue(taskListId);
    if (!query.exec() || !query.next()) {
        return std::nullopt;
    }
    return TaskList{query.value(0).toInt(), query.value(1).toInt(), query.value(2).toString(), {}};
}

std::optional<DevServiceStore::Task> DevServiceStore::task(int taskId) const
{
    QSqlQuery query(db());
    query.prepare(taskColumns + QStringLiteral("WHERE id = ?"));
    query.addBindValue(taskId);
    if (!query.exec() || !query.next()) {
        return std::nullopt;
    }
    return readTask(query);
}

int DevServiceStore::projectOwner(int projectId) const
{
    QSqlQuery query(db());
    query.prepare(QStringLiteral("SELECT user_id FROM projects WHERE id = ?"));
    query.addBindValue(projectId);
    return query.exec() && query.next() ? query.value(0).toInt() : 0;
}

int DevServiceStore::taskOwner(int taskId) const
{
    QSqlQuery query(db());
    query.prepare(QStringLiteral("SELECT projects.user_id FROM tasks JOIN task_lists ON task_lists.id = "
                                 "tasks.task_list_id JOIN projects ON projects.id = task_lists.project_id "
                                 "WHERE tasks.id = ?"));
    query.addBindValue(taskId);
    return query.exec() && query.next() ? query.value(0).toInt() : 0;
}

qint64 DevServiceStore::addEntry(int userId, int taskId, const QDate &date, int duration, const QString &description)
{
    QDateTime start(date, QTime(dayStartHour, 0), Qt::UTC);
    QSqlQuery last(db());
    last.prepare(QStringLiteral("SELECT max(end) FROM entries WHERE user_id = ? AND date = ?"));
    last.addBindValue(userId);
    last.addBindValue(date.toString(Qt::ISODate));
    if (last.exec() && last.next() && !last.value(0).isNull()) {
        start = std::max(start, parseDateTimeText(last.value(0).toString()));
    }
    const QDateTime end = start.addSecs(duration);
    return insert(QStringLiteral("INSERT INTO entries (user_id, task_id, date, duration, start, end, description, "
                                 "updated) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                  {userId, taskId, date.toString(Qt::ISODate), duration, dateTimeText(start), dateTimeText(end),
                   description, dateTimeText(QDateTime::currentDateTime())});
}

std::optional<DevServiceStore::Entry> DevServiceStore::entry(qint64 entryId) const
{
    QSqlQuery query(db());
    query.prepare(entryColumns + QStringLiteral("WHERE id = ?"));
    query.addBindValue(entryId);
    if (!query.exec() || !query.next()) {
        return std::nullopt;
    }
    return readEntry(query);
}

QList<DevServiceStore::Entry> DevServiceStore::entries(int userId) const
{
    QList<Entry> result;
    QSqlQuery query(db());
    query.prepare(entryColumns + QStringLiteral("WHERE user_id = ? ORDER BY id"));
    query.addBindValue(userId);
    query.exec();
    while (query.next()) {
        result.append(readEntry(query));
    }
    return result;
}

bool DevServiceStore::updateEntryTimes(qint64 entryId, const QDateTime &start, const QDateTime &end)
{
    QSqlQuery query(db());
    query.prepare(QStringLiteral("UPDATE entries SET start = ?, end = ?, duration = ?, date = ?, updated = ? "
                                 "WHERE id = ?"));
    query.addBindValue(dateTimeText(start));
    query.addBindValue(dateTimeText(end));
    query.addBindValue(static_cast<int>(start.secsTo(end)));
    query.addBindValue(start.date().toString(Qt::ISODate));
    query.addBindValue(dateTimeText(QDateTime::currentDateTime()));
    query.addBindValue(entryId);
    return query.exec() && query.numRowsAffected() > 0;
}

bool DevServiceStore::deleteEntry(qint64 entryId)
{
    QSqlQuery query(db());
    query.prepare(QStringLiteral("DELETE FROM entries WHERE id = ?"));
    query.addBindValue(entryId);
    return query.exec() && query.numRowsAffected() > 0;
}

void DevServiceStore::startEntryIdsAt(qint64 id)
{
    QSqlQuery query(db());
    query.prepare(QStringLiteral("UPDATE sqlite_sequence SET seq = ? WHERE name = 'entries'"));
    query.addBindValue(id - 1);
    if (query.exec() && query.numRowsAffected() == 0) {
        query.prepare(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES ('entries', ?)"));
        query.addBindValue(id - 1);
        query.exec();
    }
}

QString DevServiceStore::dateTimeText(const QDateTime &dateTime)
{
    return dateTime.toString(dateTimeFormat);
}

QDateTime DevServiceStore::parseDateTimeText(const QString &text)
{
    // The service's times are its own wall clock, free of any time zone: an entry's duration is
    // always end minus start, whatever clock change lies between them where the client lives.
    const QStringList parts = text.split(QLatin1Char(' '));
    if (parts.size() != 2) {
        return {};
    }
    const QDate date = QDate::fromString(parts.at(0), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(parts.at(1), QStringLiteral("hh:mm:ss"));
    return date.isValid() && time.isValid() ? QDateTime(date, time, Qt::UTC) : QDateTime();
}

void DevServiceStore::seedDemo()
{
    const int demo = addUser(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"), QStringLiteral("Demo User"),
                             QStringLiteral("demo"));
    addUser(QStringLiteral("nobody@tavro.test"), QStringLiteral("nobody"), QString(), QStringLiteral("nobody"));

    const int acme = addClient(demo, QStringLiteral("Acme Corporation"));
    const int website = addProject(demo, acme, QStringLiteral("Website Relaunch"));
    const int design = addTaskList(website, QStringLiteral("Design"));
    const int mockups =
        addTask(design, QStringLiteral("Mock-ups for the start page"), QStringLiteral("Three variants"));
    addTask(design, QStringLiteral("Colour scheme"), QString(), true, true);
    addTask(design, QStringLiteral("Logo \"Überarbeitung\" & favicon"));
    const int development = addTaskList(website, QStringLiteral("Development"));
    const int templates = addTask(development, QStringLiteral("Page templates"));
    addTask(development, QStringLiteral("Contact form <with> validation"), QString(), false);
    addTask(development, QStringLiteral("Old CMS export"), QString(), true, true);
    const int intranet = addProject(demo, acme, QStringLiteral("Intranet"));
    const int support = addTaskList(intranet, QStringLiteral("Support"));
    addTask(support, QStringLiteral("Password resets"));
    addTaskList(intranet, QStringLiteral("Ideas"));

    const int cafe = addClient(demo, QStringLiteral("Café Ünïcode"));
    const int menu = addProject(demo, cafe, QStringLiteral("Speisekarte 2027"));
    const int texts = addTaskList(menu, QStringLiteral("Überarbeitung"));
    const int translation = addTask(texts, QStringLiteral("Übersetzung ins Französische (café, crème)"));
    addTask(texts, QStringLiteral("Preise prüfen"));
    const int printing = addTaskList(menu, QStringLiteral("Druck"));
    addTask(printing, QStringLiteral("Probedruck"), QString(), true, true);

    const int internal = addProject(demo, 0, QStringLiteral("Internal"));
    const int admin = addTaskList(internal, QStringLiteral("Administration"));
    const int meetings = addTask(admin, QStringLiteral("Meetings"), QString(), false);
    addTask(admin, QStringLiteral("Invoices"), QString(), false);

    const QDate today = QDate::currentDate();
    addEntry(demo, mockups, today.addDays(-1), 5400, QStringLiteral("First drafts"));
    addEntry(demo, templates, today.addDays(-1), 2700, QString());
    addEntry(demo, translation, today.addDays(-2), 1800, QStringLiteral("Desserts"));
    addEntry(demo, meetings, today.addDays(-7), 3600, QStringLiteral("Weekly"));
}
