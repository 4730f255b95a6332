#include "devserviceapi.h"

#include "devservicestore.h"

#include <QDateTime>
#include <QMap>
#include <QXmlStreamWriter>

#include <functional>
#include <limits>
#include <optional>

namespace {
const QMap<QString, QString> &verbTable()
{
    static const QMap<QString, QString> table{
        {QStringLiteral("tavro.test.null"), QStringLiteral("GET")},
        {QStringLiteral("tavro.auth.login"), QStringLiteral("GET")},
        {QStringLiteral("tavro.auth.checkToken"), QStringLiteral("GET")},
        {QStringLiteral("tavro.auth.logout"), QStringLiteral("GET")},
        {QStringLiteral("tavro.projects.findByUser"), QStringLiteral("GET")},
        {QStringLiteral("tavro.entries.addBulk"), QStringLiteral("POST")},
        {QStringLiteral("tavro.entries.getInfo"), QStringLiteral("GET")},
        {QStringLiteral("tavro.entries.update"), QStringLiteral("POST")},
        {QStringLiteral("tavro.entries.delete"), QStringLiteral("POST")},
        {QStringLiteral("tavro.tasks.add"), QStringLiteral("POST")},
        {QStringLiteral("tavro.tasks.update"), QStringLiteral("POST")},
        {QStringLiteral("tavro.tasklists.add"), QStringLiteral("POST")},
    };
    return table;
}

// Writes one reply document; the body callback adds the children of the root element.
QByteArray document(const QString &status, const std::function<void(QXmlStreamWriter &)> &body)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("rsp"));
    xml.writeAttribute(QStringLiteral("status"), status);
    if (body) {
        body(xml);
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

QByteArray okReply(const std::function<void(QXmlStreamWriter &)> &body = {})
{
    return document(QStringLiteral("ok"), body);
}

void writeUser(QXmlStreamWriter &xml, const DevServiceStore::User &user)
{
    xml.writeStartElement(QStringLiteral("user"));
    xml.writeAttribute(QStringLiteral("id"), QString::number(user.id));
    xml.writeAttribute(QStringLiteral("username"), user.username);
    xml.writeAttribute(QStringLiteral("realname"), user.realname);
    xml.writeAttribute(QStringLiteral("email"), user.email);
    xml.writeEndElement();
    xml.writeTextElement(QStringLiteral("api_key"), user.apiKey);
}

// One call: the parameters plus the checks every method shares. A check that fails leaves its error reply
// in `failure`.
class Call
{
public:
    Call(DevServiceStore *store, const DevServiceParameters &parameters)
        : m_store(store)
        , m_parameters(parameters)
    {}

    std::optional<QByteArray> failure;
    int userId = 0;

    bool has(const QString &name) const
    {
        for (const auto &pair : m_parameters) {
            if (pair.first == name) {
                return true;
            }
        }
        return false;
    }

    QString text(const QString &name) const { return DevServiceApi::value(m_parameters, name); }

    bool require(const QString &name)
    {
        if (!failure && !has(name)) {
            fail(DevServiceApi::MissingParameter, QStringLiteral("Missing parameter: ") + name);
        }
        return !failure;
    }

    qint64 id(const QString &name)
    {
        if (!require(name)) {
            return 0;
        }
        bool ok = false;
        const qint64 value = text(name).toLongLong(&ok);
        if (!ok || value <= 0) {
            fail(DevServiceApi::InvalidParameter, QStringLiteral("Invalid parameter: ") + name);
            return 0;
        }
        return value;
    }

    // Ids of users, projects, task lists and tasks are 32-bit: a larger number names none of them.
    int smallId(const QString &name)
    {
        const qint64 value = id(name);
        if (value > std::numeric_limits<int>::max()) {
            fail(DevServiceApi::InvalidParameter, QStringLiteral("Invalid parameter: ") + name);
            return 0;
        }
        return int(value);
    }

    // "1" or "0"; a missing flag counts as `fallback`.
    bool flag(const QString &name, bool fallback)
    {
        if (failure || !has(name)) {
            return fallback;
        }
        const QString value = text(name);
        if (value != QLatin1String("1") && value != QLatin1String("0")) {
            fail(DevServiceApi::InvalidParameter, QStringLiteral("Invalid parameter: ") + name);
        }
        return value == QLatin1String("1");
    }

    QDateTime dateTime(const QString &name)
    {
        if (!require(name)) {
            return {};
        }
        const QDateTime value = DevServiceStore::parseDateTimeText(text(name));
        if (!value.isValid()) {
            fail(DevServiceApi::InvalidParameter, QStringLiteral("Invalid parameter: ") + name);
        }
        return value;
    }

    QString name(const QString &parameter)
    {
        if (!require(parameter)) {
            return {};
        }
        const QString value = text(parameter).trimmed();
        if (value.isEmpty()) {
            fail(DevServiceApi::InvalidParameter, QStringLiteral("Empty parameter: ") + parameter);
        }
        return value;
    }

    // api_key and auth_token must both be valid and belong to the same account.
    bool session()
    {
        if (!require(QStringLiteral("api_key")) || !require(QStringLiteral("auth_token"))) {
            return false;
        }
        const int keyUser = m_store->userForApiKey(text(QStringLiteral("api_key")));
        if (keyUser == 0) {
            return fail(DevServiceApi::InvalidApiKey, QStringLiteral("Invalid API key"));
        }
        userId = m_store->userForToken(text(QStringLiteral("auth_token")));
        if (userId == 0) {
            return fail(DevServiceApi::InvalidToken, QStringLiteral("Invalid or expired auth token"));
        }
        if (userId != keyUser) {
            return fail(DevServiceApi::NotAllowed, QStringLiteral("API key and auth token belong to different "
                                                                  "accounts"));
        }
        return true;
    }

    bool fail(int code, const QString &message)
    {
        if (!failure) {
            failure = DevServiceApi::errorReply(code, message);
        }
        return false;
    }

private:
    DevServiceStore *m_store;
    const DevServiceParameters &m_parameters;
};

QByteArray login(DevServiceStore *store, Call &call, bool *signedIn)
{
    if (!call.require(QStringLiteral("email")) || !call.require(QStringLiteral("password"))) {
        return *call.failure;
    }
    const int userId = store->authenticate(call.text(QStringLiteral("email")), call.text(QStringLiteral("password")));
    const auto user = store->user(userId);
    if (!user) {
        return DevServiceApi::errorReply(DevServiceApi::LoginFailed, QStringLiteral("Wrong e-mail or password"));
    }
    const QString token = store->createToken(userId);
    *signedIn = true;
    return okReply([&](QXmlStreamWriter &xml) {
        xml.writeTextElement(QStringLiteral("token"), token);
        writeUser(xml, *user);
    });
}

QByteArray checkToken(DevServiceStore *store, Call &call)
{
    if (!call.require(QStringLiteral("auth_token"))) {
        return *call.failure;
    }
    const auto user = store->user(store->userForToken(call.text(QStringLiteral("auth_token"))));
    if (!user) {
        return DevServiceApi::errorReply(DevServiceApi::InvalidToken, QStringLiteral("Invalid or expired auth token"));
    }
    return okReply([&](QXmlStreamWriter &xml) { writeUser(xml, *user); });
}

QByteArray findByUser(DevServiceStore *store, Call &call)
{
    const int requested = call.smallId(QStringLiteral("user_id"));
    const bool withLists = call.flag(QStringLiteral("include_task_lists"), false);
    const bool withTasks = call.flag(QStringLiteral("include_tasks"), false);
    if (call.failure) {
        return *call.failure;
    }
    if (requested != call.userId) {
        return DevServiceApi::errorReply(DevServiceApi::NotAllowed, QStringLiteral("Not allowed to read the projects "
                                                                                   "of another user"));
    }
    const QList<DevServiceStore::Project> projects = store->catalogue(call.userId);
    return okReply([&](QXmlStreamWriter &xml) {
        xml.writeStartElement(QStringLiteral("projects"));
        for (const auto &project : projects) {
            xml.writeStartElement(QStringLiteral("project"));
            xml.writeAttribute(QStringLiteral("id"), QString::number(project.id));
            xml.writeAttribute(QStringLiteral("name"), project.name);
            if (project.clientId > 0) {
                xml.writeEmptyElement(QStringLiteral("client"));
                xml.writeAttribute(QStringLiteral("id"), QString::number(project.clientId));
                xml.writeAttribute(QStringLiteral("name"), project.clientName);
            }
            if (withLists) {
                xml.writeStartElement(QStringLiteral("task_lists"));
                for (const auto &list : project.taskLists) {
                    xml.writeStartElement(QStringLiteral("task_list"));
                    xml.writeAttribute(QStringLiteral("id"), QString::number(list.id));
                    xml.writeAttribute(QStringLiteral("name"), list.name);
                    // A list that never held a task has no "tasks" element at all.
                    if (withTasks && !list.tasks.isEmpty()) {
                        xml.writeStartElement(QStringLiteral("tasks"));
                        for (const auto &task : list.tasks) {
                            xml.writeEmptyElement(QStringLiteral("task"));
                            xml.writeAttribute(QStringLiteral("id"), QString::number(task.id));
                            xml.writeAttribute(QStringLiteral("name"), task.name);
                            xml.writeAttribute(QStringLiteral("complete"),
                                               task.complete ? QStringLiteral("1") : QStringLiteral("0"));
                            xml.writeAttribute(QStringLiteral("billable"),
                                               task.billable ? QStringLiteral("1") : QStringLiteral("0"));
                        }
                        xml.writeEndElement();
                    }
                    xml.writeEndElement();
                }
                xml.writeEndElement();
            }
            xml.writeEndElement();
        }
        xml.writeEndElement();
    });
}

QByteArray addBulk(DevServiceStore *store, Call &call)
{
    const QDate date = call.require(QStringLiteral("date"))
                           ? QDate::fromString(call.text(QStringLiteral("date")), QStringLiteral("yyyy-MM-dd"))
                           : QDate();
    if (!date.isValid()) {
        call.fail(DevServiceApi::InvalidParameter, QStringLiteral("Invalid parameter: date"));
    }
    bool numeric = false;
    const int duration =
        call.require(QStringLiteral("duration")) ? call.text(QStringLiteral("duration")).toInt(&numeric) : 0;
    if (!numeric || duration < 0 || duration > 7 * 24 * 3600) {
        call.fail(DevServiceApi::InvalidParameter, QStringLiteral("Invalid parameter: duration"));
    }
    const int taskId = call.smallId(QStringLiteral("task_id"));
    if (call.failure) {
        return *call.failure;
    }
    if (store->taskOwner(taskId) != call.userId) {
        return DevServiceApi::errorReply(DevServiceApi::NotFound, QStringLiteral("Task not found"));
    }
    const qint64 entryId =
        store->addEntry(call.userId, taskId, date, duration, call.text(QStringLiteral("description")));
    const auto entry = store->entry(entryId);
    if (!entry) {
        return DevServiceApi::errorReply(DevServiceApi::InvalidParameter, QStringLiteral("Entry not stored"));
    }
    return okReply([&](QXmlStreamWriter &xml) {
        xml.writeEmptyElement(QStringLiteral("entry"));
        xml.writeAttribute(QStringLiteral("id"), QString::number(entry->id));
        xml.writeAttribute(QStringLiteral("updated"), DevServiceStore::dateTimeText(entry->updated));
    });
}

// The caller's own entry named by "entry_id", or nothing with the failure set.
std::optional<DevServiceStore::Entry> ownEntry(DevServiceStore *store, Call &call)
{
    const qint64 entryId = call.id(QStringLiteral("entry_id"));
    if (call.failure) {
        return std::nullopt;
    }
    auto entry = store->entry(entryId);
    if (!entry || entry->userId != call.userId) {
        call.fail(DevServiceApi::NotFound, QStringLiteral("Entry not found"));
        return std::nullopt;
    }
    return entry;
}

QByteArray getInfo(DevServiceStore *store, Call &call)
{
    const auto entry = ownEntry(store, call);
    if (!entry) {
        return *call.failure;
    }
    return okReply([&](QXmlStreamWriter &xml) {
        xml.writeStartElement(QStringLiteral("entry"));
        xml.writeAttribute(QStringLiteral("id"), QString::number(entry->id));
        xml.writeTextElement(QStringLiteral("task_id"), QString::number(entry->taskId));
        xml.writeTextElement(QStringLiteral("date"), entry->date.toString(Qt::ISODate));
        xml.writeTextElement(QStringLiteral("duration"), QString::number(entry->duration));
        xml.writeTextElement(QStringLiteral("start"), DevServiceStore::dateTimeText(entry->start));
        xml.writeTextElement(QStringLiteral("end"), DevServiceStore::dateTimeText(entry->end));
        xml.writeTextElement(QStringLiteral("description"), entry->description);
        xml.writeTextElement(QStringLiteral("updated"), DevServiceStore::dateTimeText(entry->updated));
        xml.writeEndElement();
    });
}

QByteArray updateEntry(DevServiceStore *store, Call &call)
{
    const auto entry = ownEntry(store, call);
    const QDateTime start = call.dateTime(QStringLiteral("start"));
    const QDateTime end = call.dateTime(QStringLiteral("end"));
    if (!call.failure && end < start) {
        call.fail(DevServiceApi::InvalidParameter, QStringLiteral("The end lies before the start"));
    }
    if (call.failure) {
        return *call.failure;
    }
    store->updateEntryTimes(entry->id, start, end);
    return okReply();
}

QByteArray deleteEntry(DevServiceStore *store, Call &call)
{
    const auto entry = ownEntry(store, call);
    if (!entry) {
        return *call.failure;
    }
    store->deleteEntry(entry->id);
    return okReply();
}

QByteArray addTask(DevServiceStore *store, Call &call)
{
    const QString name = call.name(QStringLiteral("name"));
    const int projectId = call.smallId(QStringLiteral("project_id"));
    const int taskListId = call.smallId(QStringLiteral("tasklist_id"));
    const bool billable = call.flag(QStringLiteral("billable"), true);
    if (call.failure) {
        return *call.failure;
    }
    const auto list = store->taskList(taskListId);
    if (store->projectOwner(projectId) != call.userId || !list || list->projectId != projectId) {
        return DevServiceApi::errorReply(DevServiceApi::NotFound, QStringLiteral("Task list not found"));
    }
    const int taskId = store->addTask(taskListId, name, call.text(QStringLiteral("description")), billable);
    return okReply([&](QXmlStreamWriter &xml) {
        xml.writeEmptyElement(QStringLiteral("task"));
        xml.writeAttribute(QStringLiteral("id"), QString::number(taskId));
        xml.writeAttribute(QStringLiteral("tasklist_id"), QString::number(taskListId));
        xml.writeAttribute(QStringLiteral("name"), name);
        xml.writeAttribute(QStringLiteral("complete"), QStringLiteral("0"));
    });
}

QByteArray updateTask(DevServiceStore *store, Call &call)
{
    const int taskId = call.smallId(QStringLiteral("task_id"));
    call.require(QStringLiteral("complete"));
    const bool complete = call.flag(QStringLiteral("complete"), false);
    if (call.failure) {
        return *call.failure;
    }
    if (store->taskOwner(taskId) != call.userId) {
        return DevServiceApi::errorReply(DevServiceApi::NotFound, QStringLiteral("Task not found"));
    }
    store->setTaskComplete(taskId, complete);
    return okReply();
}

QByteArray addTaskList(DevServiceStore *store, Call &call)
{
    const QString name = call.name(QStringLiteral("name"));
    const int projectId = call.smallId(QStringLiteral("project_id"));
    if (call.failure) {
        return *call.failure;
    }
    if (store->projectOwner(projectId) != call.userId) {
        return DevServiceApi::errorReply(DevServiceApi::NotFound, QStringLiteral("Project not found"));
    }
    const int listId = store->addTaskList(projectId, name);
    return okReply([&](QXmlStreamWriter &xml) {
        xml.writeEmptyElement(QStringLiteral("tasklist"));
        xml.writeAttribute(QStringLiteral("id"), QString::number(listId));
        xml.writeAttribute(QStringLiteral("project_id"), QString::number(projectId));
        xml.writeAttribute(QStringLiteral("name"), name);
    });
}
} // namespace

DevServiceApi::DevServiceApi(DevServiceStore *store)
    : m_store(store)
{}

QString DevServiceApi::verbOf(const QString &method)
{
    return verbTable().value(method);
}

QStringList DevServiceApi::methods()
{
    return verbTable().keys();
}

QString DevServiceApi::value(const DevServiceParameters &parameters, const QString &name)
{
    for (const auto &pair : parameters) {
        if (pair.first == name) {
            return pair.second;
        }
    }
    return {};
}

QByteArray DevServiceApi::errorReply(int code, const QString &message)
{
    return document(QStringLiteral("error"), [&](QXmlStreamWriter &xml) {
        xml.writeEmptyElement(QStringLiteral("error"));
        xml.writeAttribute(QStringLiteral("code"), QString::number(code));
        xml.writeAttribute(QStringLiteral("message"), message);
    });
}

QByteArray DevServiceApi::throttledLogin(const DevServiceParameters &parameters)
{
    Call call(m_store, parameters);
    const QString name = call.text(QStringLiteral("email")).toLower();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    FailedLogins &failed = m_failedLogins[name];
    if (failed.lockedUntil.isValid() && now < failed.lockedUntil) {
        return errorReply(LoginFailed, QStringLiteral("Too many failed sign-ins; try again in a minute"));
    }
    bool signedIn = false;
    const QByteArray reply = login(m_store, call, &signedIn);
    if (signedIn) {
        m_failedLogins.remove(name);
    } else if (++failed.count >= MaxFailedLogins) {
        // Guessing is slowed to a handful of tries a minute per account.
        failed = FailedLogins{0, now.addSecs(LoginLockSecs)};
    }
    if (m_failedLogins.size() > MaxTrackedLogins) {
        m_failedLogins.clear();
    }
    return reply;
}

QByteArray DevServiceApi::handle(const QString &verb, const QString &method, const DevServiceParameters &parameters)
{
    const QString expectedVerb = verbOf(method);
    if (expectedVerb.isEmpty()) {
        return errorReply(UnknownMethod, QStringLiteral("Unknown method: ") + method);
    }
    if (verb.compare(expectedVerb, Qt::CaseInsensitive) != 0) {
        return errorReply(WrongVerb, method + QStringLiteral(" must be called with ") + expectedVerb);
    }
    Call call(m_store, parameters);
    if (method == QLatin1String("tavro.auth.login")) {
        return throttledLogin(parameters);
    }
    if (method == QLatin1String("tavro.auth.checkToken")) {
        return checkToken(m_store, call);
    }
    if (method == QLatin1String("tavro.test.null")) {
        // Clients probe the service before they hold a key, so an empty key is fine; a wrong one is not.
        const QString key = call.text(QStringLiteral("api_key"));
        if (!key.isEmpty() && m_store->userForApiKey(key) == 0) {
            return errorReply(InvalidApiKey, QStringLiteral("Invalid API key"));
        }
        return okReply();
    }
    if (!call.session()) {
        return *call.failure;
    }
    using Handler = QByteArray (*)(DevServiceStore *, Call &);
    static const QMap<QString, Handler> handlers{
        {QStringLiteral("tavro.auth.logout"),
         [](DevServiceStore *store, Call &c) {
             store->deleteToken(c.text(QStringLiteral("auth_token")));
             return okReply();
         }},
        {QStringLiteral("tavro.projects.findByUser"), findByUser},
        {QStringLiteral("tavro.entries.addBulk"), addBulk},
        {QStringLiteral("tavro.entries.getInfo"), getInfo},
        {QStringLiteral("tavro.entries.update"), updateEntry},
        {QStringLiteral("tavro.entries.delete"), deleteEntry},
        {QStringLiteral("tavro.tasks.add"), addTask},
        {QStringLiteral("tavro.tasks.update"), updateTask},
        {QStringLiteral("tavro.tasklists.add"), addTaskList},
    };
    return handlers.value(method)(m_store, call);
}
