#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

// The development service's own data: accounts, sessions, the project catalogue and remote time entries.
// It lives in its own SQLite file (or in memory) on a named connection, so that it can run inside a client
// test process without touching the client's default database connection.
class DevServiceStore
{
public:
    // Work factor of the password derivation, and how long a session token is honoured.
    static constexpr int PasswordIterations = 10000;
    static constexpr int TokenLifetimeDays = 30;

    struct User
    {
        int id = 0;
        QString email;
        QString username;
        QString realname;
        QString apiKey;
    };

    struct Task
    {
        int id = 0;
        int taskListId = 0;
        QString name;
        QString description;
        bool billable = true;
        bool complete = false;
    };

    struct TaskList
    {
        int id = 0;
        int projectId = 0;
        QString name;
        QList<Task> tasks;
    };

    struct Project
    {
        int id = 0;
        int clientId = 0; // 0: the project belongs to no client
        QString clientName;
        QString name;
        QList<TaskList> taskLists;
    };

    struct Entry
    {
        qint64 id = 0;
        int userId = 0;
        int taskId = 0;
        QDate date;
        int duration = 0;
        QDateTime start;
        QDateTime end;
        QString description;
        QDateTime updated;
    };

    // Entries of a day without an earlier entry start at this time; later ones follow the day's last entry.
    static constexpr int dayStartHour = 9;

    DevServiceStore();
    ~DevServiceStore();
    DevServiceStore(const DevServiceStore &) = delete;
    DevServiceStore &operator=(const DevServiceStore &) = delete;

    // Opens (creating when needed) the data file; an empty name or ":memory:" keeps everything in memory.
    // A store without any account gets the demo data.
    bool open(const QString &fileName, QString *error = nullptr);
    void close();
    bool isOpen() const;
    QString lastError() const { return m_lastError; }
    void seedDemo();

    int addUser(const QString &email, const QString &password, const QString &realname, const QString &username);
    std::optional<User> user(int userId) const;
    // Accepts the e-mail address (any letter case) or the user name; gives the user id or 0.
    // The user whose e-mail or user name and password match; 0 for none. An unsalted hash of an
    // earlier version is replaced by the salted form on a match.
    int authenticate(const QString &login, const QString &password);
    // `created` defaults to now; a token is valid for TokenLifetimeDays after it.
    QString createToken(int userId, const QDateTime &created = {});
    int userForToken(const QString &token) const;
    int userForApiKey(const QString &apiKey) const;
    bool deleteToken(const QString &token);

    int addClient(int userId, const QString &name);
    int addProject(int userId, int clientId, const QString &name);
    int addTaskList(int projectId, const QString &name);
    int addTask(int taskListId, const QString &name, const QString &description = {}, bool billable = true,
                bool complete = false);
    bool setTaskComplete(int taskId, bool complete);
    QList<Project> catalogue(int userId) const;
    std::optional<Project> project(int projectId) const; // without task lists
    std::optional<TaskList> taskList(int taskListId) const;
    std::optional<Task> task(int taskId) const;
    int projectOwner(int projectId) const;
    int taskOwner(int taskId) const;

    // Books a new entry of the user: start and end follow the rule of dayStartHour.
    qint64 addEntry(int userId, int taskId, const QDate &date, int duration, const QString &description);
    std::optional<Entry> entry(qint64 entryId) const;
    QList<Entry> entries(int userId) const;
    bool updateEntryTimes(qint64 entryId, const QDateTime &start, const QDateTime &end);
    bool deleteEntry(qint64 entryId);
    // Entries booked from now on get ids from `id` up: clients must carry ids beyond 32 bits.
    void startEntryIdsAt(qint64 id);

    static QString dateTimeText(const QDateTime &dateTime);
    static QDateTime parseDateTimeText(const QString &text);

private:
    QSqlDatabase db() const;
    bool exec(const QString &sql);
    qint64 insert(const QString &sql, const QList<QVariant> &values);
    int countUsers() const;

    QString m_connectionName;
    QString m_lastError;
};
