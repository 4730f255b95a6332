#include "devserviceapi.h"
#include "devservicestore.h"

#include <QDomDocument>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Reply
{
    QDomDocument doc;
    QString status;
    QString code;
    QString message;

    QDomElement first(const QString &tag) const { return doc.elementsByTagName(tag).item(0).toElement(); }
};

Reply parse(const QByteArray &xml)
{
    Reply reply;
    if (!reply.doc.setContent(xml)) {
        qWarning("unparsable reply: %s", xml.constData());
    }
    reply.status = reply.doc.documentElement().attribute(QStringLiteral("status"));
    const QDomElement error = reply.first(QStringLiteral("error"));
    reply.code = error.attribute(QStringLiteral("code"));
    reply.message = error.attribute(QStringLiteral("message"));
    return reply;
}

using P = DevServiceParameters;

QString s(const char *text)
{
    return QString::fromUtf8(text);
}
} // namespace

class TestDevServiceApi : public QObject
{
    Q_OBJECT

private:
    DevServiceStore *m_store = nullptr;
    DevServiceApi *m_api = nullptr;
    QString m_token;
    QString m_key;

    Reply call(const QString &verb, const QString &method, const P &parameters)
    {
        return parse(m_api->handle(verb, method, parameters));
    }

    Reply get(const QString &method, const P &parameters) { return call(QStringLiteral("GET"), method, parameters); }
    Reply post(const QString &method, const P &parameters) { return call(QStringLiteral("POST"), method, parameters); }

    // Session parameters of the demo account followed by `more`.
    P session(const P &more = {}) const { return P{{s("api_key"), m_key}, {s("auth_token"), m_token}} + more; }

    Reply catalogue()
    {
        return get(s("tavro.projects.findByUser"),
                   session({{s("user_id"), s("1")}, {s("include_task_lists"), s("1")}, {s("include_tasks"), s("1")}}));
    }

    QDomElement byId(const Reply &reply, const QString &tag, int id) const
    {
        const QDomNodeList nodes = reply.doc.elementsByTagName(tag);
        for (int i = 0; i < nodes.size(); ++i) {
            if (nodes.item(i).toElement().attribute(s("id")) == QString::number(id)) {
                return nodes.item(i).toElement();
            }
        }
        return {};
    }

private Q_SLOTS:
    void init()
    {
        m_store = new DevServiceStore;
        QVERIFY(m_store->open(QString()));
        m_api = new DevServiceApi(m_store);
        const Reply login =
            get(s("tavro.auth.login"), {{s("email"), s("demo@tavro.test")}, {s("password"), s("demo")}});
        QCOMPARE(login.status, s("ok"));
        m_token = login.first(s("token")).text();
        m_key = login.first(s("api_key")).text();
    }

    void cleanup()
    {
        delete m_api;
        delete m_store;
    }

    void login_data()
    {
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("realname");

        QTest::newRow("email") << s("demo@tavro.test") << s("demo") << s("ok") << QString() << s("Demo User");
        QTest::newRow("email in other case")
            << s("Demo@Tavro.TEST") << s("demo") << s("ok") << QString() << s("Demo User");
        QTest::newRow("user name") << s("demo") << s("demo") << s("ok") << QString() << s("Demo User");
        QTest::newRow("empty realname") << s("nobody@tavro.test") << s("nobody") << s("ok") << QString() << QString();
        QTest::newRow("wrong password") << s("demo@tavro.test") << s("Demo") << s("error") << s("12") << QString();
        QTest::newRow("unknown account") << s("who@tavro.test") << s("demo") << s("error") << s("12") << QString();
        QTest::newRow("empty password") << s("demo@tavro.test") << QString() << s("error") << s("12") << QString();
    }

    void login()
    {
        QFETCH(QString, email);
        QFETCH(QString, password);
        QFETCH(QString, status);
        QFETCH(QString, code);
        QFETCH(QString, realname);

        const Reply reply = get(s("tavro.auth.login"), {{s("email"), email}, {s("password"), password}});
        QCOMPARE(reply.status, status);
        QCOMPARE(reply.code, code);
        if (status == QLatin1String("ok")) {
            const QDomElement user = reply.first(s("user"));
            const auto stored = m_store->user(user.attribute(s("id")).toInt());
            QVERIFY(stored);
            QCOMPARE(user.attribute(s("realname")), realname);
            QVERIFY(user.hasAttribute(s("realname")));
            QCOMPARE(user.attribute(s("username")), stored->username);
            QCOMPARE(reply.first(s("api_key")).text(), stored->apiKey);
            const QString token = reply.first(s("token")).text();
            QVERIFY(!token.isEmpty());
            QVERIFY(token != m_token);
            QCOMPARE(m_store->userForToken(token), stored->id);
        } else {
            QVERIFY(!reply.message.isEmpty());
            QVERIFY(reply.first(s("token")).isNull());
        }
    }

    void loginWithoutPasswordParameter()
    {
        const Reply reply = get(s("tavro.auth.login"), {{s("email"), s("demo@tavro.test")}});
        QCOMPARE(reply.code, s("3"));
        QVERIFY(reply.message.contains(s("password")));
    }

    void checkTokenAndLogout()
    {
        Reply reply = get(s("tavro.auth.checkToken"), {{s("auth_token"), m_token}});
        QCOMPARE(reply.status, s("ok"));
        QCOMPARE(reply.first(s("user")).attribute(s("id")), s("1"));
        QCOMPARE(reply.first(s("user")).attribute(s("username")), s("demo"));
        QCOMPARE(reply.first(s("api_key")).text(), m_key);

        reply = get(s("tavro.auth.checkToken"), {{s("auth_token"), m_token + s("0")}});
        QCOMPARE(reply.code, s("11"));

        reply = get(s("tavro.auth.logout"), session());
        QCOMPARE(reply.status, s("ok"));
        reply = get(s("tavro.auth.checkToken"), {{s("auth_token"), m_token}});
        QCOMPARE(reply.status, s("error"));
        QCOMPARE(reply.code, s("11"));
        QCOMPARE(get(s("tavro.auth.logout"), session()).code, s("11"));
    }

    void testNull_data()
    {
        QTest::addColumn<bool>("withKey");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("code");
        QTest::newRow("no key") << false << QString() << QString();
        QTest::newRow("empty key before login") << true << QString() << QString();
        QTest::newRow("valid key") << true << s("valid") << QString();
        QTest::newRow("wrong key") << true << s("0123") << s("10");
    }

    void testNull()
    {
        QFETCH(bool, withKey);
        QFETCH(QString, key);
        QFETCH(QString, code);
        P parameters;
        if (withKey) {
            parameters.append({s("api_key"), key == QLatin1String("valid") ? m_key : key});
        }
        const Reply reply = get(s("tavro.test.null"), parameters);
        QCOMPARE(reply.status, code.isEmpty() ? s("ok") : s("error"));
        QCOMPARE(reply.code, code);
    }

    void sessionIsChecked_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("code");
        const QStringList methods{
            s("tavro.auth.logout"),     s("tavro.projects.findByUser"), s("tavro.entries.addBulk"),
            s("tavro.entries.getInfo"), s("tavro.entries.update"),      s("tavro.entries.delete"),
            s("tavro.tasks.add"),       s("tavro.tasks.update"),        s("tavro.tasklists.add")};
        for (const QString &method : methods) {
            const QByteArray name = method.toUtf8();
            QTest::newRow((name + " no key").constData()) << method << s("-") << s("demo") << s("3");
            QTest::newRow((name + " empty key").constData()) << method << QString() << s("demo") << s("10");
            QTest::newRow((name + " wrong key").constData()) << method << s("abc") << s("demo") << s("10");
            QTest::newRow((name + " no token").constData()) << method << s("demo") << s("-") << s("3");
            QTest::newRow((name + " wrong token").constData()) << method << s("demo") << s("abc") << s("11");
            QTest::newRow((name + " key of other account").constData())
                << method << s("nobody") << s("demo") << s("21");
        }
    }

    void sessionIsChecked()
    {
        QFETCH(QString, method);
        QFETCH(QString, key);
        QFETCH(QString, token);
        QFETCH(QString, code);
        P parameters;
        if (key != QLatin1String("-")) {
            QString apiKey = key;
            if (key == QLatin1String("demo")) {
                apiKey = m_key;
            } else if (key == QLatin1String("nobody")) {
                apiKey = m_store->user(2)->apiKey;
            }
            parameters.append({s("api_key"), apiKey});
        }
        if (token != QLatin1String("-")) {
            parameters.append({s("auth_token"), token == QLatin1String("demo") ? m_token : token});
        }
        // Otherwise valid arguments, so only the session can be at fault.
        parameters += P{{s("user_id"), s("1")},
                        {s("entry_id"), s("1")},
                        {s("task_id"), s("1")},
                        {s("project_id"), s("1")},
                        {s("tasklist_id"), s("1")},
                        {s("name"), s("x")},
                        {s("date"), s("2026-01-05")},
                        {s("duration"), s("60")},
                        {s("complete"), s("1")},
                        {s("start"), s("2026-01-05 09:00:00")},
                        {s("end"), s("2026-01-05 10:00:00")}};
        const Reply reply = call(DevServiceApi::verbOf(method), method, parameters);
        QCOMPARE(reply.status, s("error"));
        QCOMPARE(reply.code, code);
        QCOMPARE(m_store->entries(1).size(), 4);
        QVERIFY(m_store->task(1)->complete == false);
    }

    void unknownMethodAndWrongVerb()
    {
        Reply reply = get(s("tavro.entries.list"), session());
        QCOMPARE(reply.status, s("error"));
        QCOMPARE(reply.code, s("1"));
        QVERIFY(reply.message.contains(s("tavro.entries.list")));

        reply = get(s("tavro.entries.delete"), session({{s("entry_id"), s("1")}}));
        QCOMPARE(reply.code, s("2"));
        QVERIFY(m_store->entry(1));
        reply = post(s("tavro.auth.login"), {{s("email"), s("demo")}, {s("password"), s("demo")}});
        QCOMPARE(reply.code, s("2"));
        // The verb is compared without regard to case, as HTTP clients differ there.
        QCOMPARE(call(s("post"), s("tavro.entries.delete"), session({{s("entry_id"), s("1")}})).status, s("ok"));
        QVERIFY(!m_store->entry(1));
    }

    void catalogueDocument()
    {
        const Reply reply = catalogue();
        QCOMPARE(reply.status, s("ok"));
        const QDomElement projects = reply.first(s("projects"));
        const QDomNodeList projectNodes = projects.elementsByTagName(s("project"));
        QCOMPARE(projectNodes.size(), 4);

        // Every project has its task lists; all but the one without client name their client.
        int withoutClient = 0;
        for (int i = 0; i < projectNodes.size(); ++i) {
            const QDomElement project = projectNodes.item(i).toElement();
            QVERIFY(!project.attribute(s("name")).isEmpty());
            QVERIFY(!project.firstChildElement(s("task_lists")).isNull());
            withoutClient += project.firstChildElement(s("client")).isNull() ? 1 : 0;
        }
        QCOMPARE(withoutClient, 1);

        const QDomElement cafe = byId(reply, s("project"), 3);
        QCOMPARE(cafe.firstChildElement(s("client")).attribute(s("name")), s("Café Ünïcode"));
        const QDomElement revision = byId(reply, s("task_list"), 5);
        QCOMPARE(revision.attribute(s("name")), s("Überarbeitung"));

        const QDomElement ideas = byId(reply, s("task_list"), 4);
        QCOMPARE(ideas.attribute(s("name")), s("Ideas"));
        QVERIFY(ideas.elementsByTagName(s("tasks")).isEmpty());

        const QDomElement print = byId(reply, s("task_list"), 6);
        const QDomNodeList printTasks = print.firstChildElement(s("tasks")).elementsByTagName(s("task"));
        QCOMPARE(printTasks.size(), 1);
        QCOMPARE(printTasks.item(0).toElement().attribute(s("complete")), s("1"));

        const QDomElement open = byId(reply, s("task"), 1);
        QCOMPARE(open.attribute(s("complete")), s("0"));
        QCOMPARE(open.attribute(s("name")), s("Mock-ups for the start page"));
        QCOMPARE(byId(reply, s("task"), 2).attribute(s("complete")), s("1"));
        QCOMPARE(byId(reply, s("task"), 3).attribute(s("name")), s("Logo \"Überarbeitung\" & favicon"));
    }

    void catalogueOptionsAndOwner()
    {
        Reply reply = get(s("tavro.projects.findByUser"), session({{s("user_id"), s("1")}}));
        QCOMPARE(reply.status, s("ok"));
        QCOMPARE(reply.doc.elementsByTagName(s("project")).size(), 4);
        QVERIFY(reply.doc.elementsByTagName(s("task_lists")).isEmpty());

        reply = get(s("tavro.projects.findByUser"),
                    session({{s("user_id"), s("1")}, {s("include_task_lists"), s("1")}, {s("include_tasks"), s("0")}}));
        QVERIFY(!reply.doc.elementsByTagName(s("task_list")).isEmpty());
        QVERIFY(reply.doc.elementsByTagName(s("tasks")).isEmpty());

        reply = get(s("tavro.projects.findByUser"), session({{s("user_id"), s("2")}}));
        QCOMPARE(reply.code, s("21"));
        reply = get(s("tavro.projects.findByUser"), session({{s("user_id"), s("one")}}));
        QCOMPARE(reply.code, s("4"));

        // The second account has nothing yet.
        const Reply other =
            get(s("tavro.auth.login"), {{s("email"), s("nobody@tavro.test")}, {s("password"), s("nobody")}});
        reply = get(s("tavro.projects.findByUser"), {{s("api_key"), other.first(s("api_key")).text()},
                                                     {s("auth_token"), other.first(s("token")).text()},
                                                     {s("user_id"), s("2")}});
        QCOMPARE(reply.status, s("ok"));
        QVERIFY(!reply.first(s("projects")).isNull());
        QVERIFY(reply.doc.elementsByTagName(s("project")).isEmpty());
    }

    void entryRoundTrip()
    {
        Reply reply = post(s("tavro.entries.addBulk"), session({{s("date"), s("2026-03-02")},
                                                                {s("duration"), s("5400")},
                                                                {s("task_id"), s("4")},
                                                                {s("description"), s("Café & Co = 1+1")}}));
        QCOMPARE(reply.status, s("ok"));
        const QDomElement created = reply.first(s("entry"));
        const QString firstId = created.attribute(s("id"));
        QVERIFY(firstId.toInt() > 0);
        QVERIFY(DevServiceStore::parseDateTimeText(created.attribute(s("updated"))).isValid());

        reply = get(s("tavro.entries.getInfo"), session({{s("entry_id"), firstId}}));
        QCOMPARE(reply.status, s("ok"));
        QCOMPARE(reply.first(s("start")).text(), s("2026-03-02 09:00:00"));
        QCOMPARE(reply.first(s("end")).text(), s("2026-03-02 10:30:00"));
        QCOMPARE(reply.first(s("description")).text(), s("Café & Co = 1+1"));
        QCOMPARE(reply.first(s("task_id")).text(), s("4"));

        // A second entry of the same day follows the first.
        reply = post(s("tavro.entries.addBulk"), session({{s("date"), s("2026-03-02")},
                                                          {s("duration"), s("60")},
                                                          {s("task_id"), s("1")},
                                                          {s("description"), QString()}}));
        const QString secondId = reply.first(s("entry")).attribute(s("id"));
        reply = get(s("tavro.entries.getInfo"), session({{s("entry_id"), secondId}}));
        QCOMPARE(reply.first(s("start")).text(), s("2026-03-02 10:30:00"));
        QCOMPARE(reply.first(s("end")).text(), s("2026-03-02 10:31:00"));

        reply = post(s("tavro.entries.update"), session({{s("entry_id"), firstId},
                                                         {s("start"), s("2026-03-02 09:00:00")},
                                                         {s("end"), s("2026-03-02 09:45:00")}}));
        QCOMPARE(reply.status, s("ok"));
        reply = get(s("tavro.entries.getInfo"), session({{s("entry_id"), firstId}}));
        QCOMPARE(reply.first(s("end")).text(), s("2026-03-02 09:45:00"));
        QCOMPARE(reply.first(s("duration")).text(), s("2700"));

        reply = post(s("tavro.entries.update"), session({{s("entry_id"), firstId},
                                                         {s("start"), s("2026-03-02 09:00:00")},
                                                         {s("end"), s("2026-03-02 08:59:59")}}));
        QCOMPARE(reply.code, s("4"));
        reply = post(s("tavro.entries.update"), session({{s("entry_id"), firstId},
                                                         {s("start"), s("2026-03-02T09:00:00")},
                                                         {s("end"), s("2026-03-02 10:00:00")}}));
        QCOMPARE(reply.code, s("4"));
        QCOMPARE(m_store->entry(firstId.toInt())->end, QDateTime(QDate(2026, 3, 2), QTime(9, 45)));

        QCOMPARE(post(s("tavro.entries.delete"), session({{s("entry_id"), firstId}})).status, s("ok"));
        QCOMPARE(get(s("tavro.entries.getInfo"), session({{s("entry_id"), firstId}})).code, s("20"));
        QCOMPARE(post(s("tavro.entries.delete"), session({{s("entry_id"), firstId}})).code, s("20"));
        QVERIFY(m_store->entry(secondId.toInt()));
    }

    void addBulkRejectsBadInput_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("duration");
        QTest::addColumn<QString>("taskId");
        QTest::addColumn<QString>("code");
        QTest::newRow("date with time") << s("2026-03-02 10:00:00") << s("60") << s("1") << s("4");
        QTest::newRow("impossible date") << s("2026-02-30") << s("60") << s("1") << s("4");
        QTest::newRow("negative duration") << s("2026-03-02") << s("-1") << s("1") << s("4");
        QTest::newRow("duration not a number") << s("2026-03-02") << s("1h") << s("1") << s("4");
        QTest::newRow("missing task") << s("2026-03-02") << s("60") << s("-") << s("3");
        QTest::newRow("unknown task") << s("2026-03-02") << s("60") << s("999") << s("20");
    }

    void addBulkRejectsBadInput()
    {
        QFETCH(QString, date);
        QFETCH(QString, duration);
        QFETCH(QString, taskId);
        QFETCH(QString, code);
        P parameters = session({{s("date"), date}, {s("duration"), duration}});
        if (taskId != QLatin1String("-")) {
            parameters.append({s("task_id"), taskId});
        }
        QCOMPARE(post(s("tavro.entries.addBulk"), parameters).code, code);
        QCOMPARE(m_store->entries(1).size(), 4);
    }

    void otherAccountsObjectsAreHidden()
    {
        const int stranger = m_store->addUser(s("x@tavro.test"), s("x"), s("X"), s("x"));
        const int project = m_store->addProject(stranger, 0, s("Secret"));
        const int list = m_store->addTaskList(project, s("List"));
        const int task = m_store->addTask(list, s("Task"));
        const int entry = m_store->addEntry(stranger, task, QDate(2026, 1, 1), 60, QString());

        QCOMPARE(get(s("tavro.entries.getInfo"), session({{s("entry_id"), QString::number(entry)}})).code, s("20"));
        QCOMPARE(post(s("tavro.entries.delete"), session({{s("entry_id"), QString::number(entry)}})).code, s("20"));
        QCOMPARE(
            post(s("tavro.tasks.update"), session({{s("task_id"), QString::number(task)}, {s("complete"), s("1")}}))
                .code,
            s("20"));
        QCOMPARE(post(s("tavro.tasklists.add"),
                      session({{s("name"), s("Mine")}, {s("project_id"), QString::number(project)}}))
                     .code,
                 s("20"));
        QVERIFY(m_store->entry(entry));
        QVERIFY(!m_store->task(task)->complete);
    }

    void taskListAndTaskCreation()
    {
        Reply reply = post(s("tavro.tasklists.add"),
                           session({{s("name"), s("Neue Übersicht & Plan")}, {s("project_id"), s("4")}}));
        QCOMPARE(reply.status, s("ok"));
        const int listId = reply.first(s("tasklist")).attribute(s("id")).toInt();
        QVERIFY(listId > 0);
        QDomElement list = byId(catalogue(), s("task_list"), listId);
        QCOMPARE(list.attribute(s("name")), s("Neue Übersicht & Plan"));
        QVERIFY(list.firstChildElement(s("tasks")).isNull());

        reply = post(s("tavro.tasks.add"), session({{s("name"), s("Entwurf")},
                                                    {s("project_id"), s("4")},
                                                    {s("tasklist_id"), QString::number(listId)},
                                                    {s("description"), s("erste Fassung")},
                                                    {s("billable"), s("0")}}));
        QCOMPARE(reply.status, s("ok"));
        const int taskId = reply.first(s("task")).attribute(s("id")).toInt();
        QVERIFY(taskId > 0);
        const auto stored = m_store->task(taskId);
        QCOMPARE(stored->description, s("erste Fassung"));
        QCOMPARE(stored->billable, false);
        QCOMPARE(stored->taskListId, listId);
        Reply document = catalogue();
        QCOMPARE(byId(document, s("task"), taskId).attribute(s("complete")), s("0"));
        QCOMPARE(byId(document, s("task"), taskId).parentNode().parentNode().toElement().attribute(s("id")),
                 QString::number(listId));

        reply =
            post(s("tavro.tasks.update"), session({{s("task_id"), QString::number(taskId)}, {s("complete"), s("1")}}));
        QCOMPARE(reply.status, s("ok"));
        QCOMPARE(byId(catalogue(), s("task"), taskId).attribute(s("complete")), s("1"));
        reply =
            post(s("tavro.tasks.update"), session({{s("task_id"), QString::number(taskId)}, {s("complete"), s("0")}}));
        QCOMPARE(byId(catalogue(), s("task"), taskId).attribute(s("complete")), s("0"));
    }

    void taskCreationRejectsBadInput_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("projectId");
        QTest::addColumn<QString>("tasklistId");
        QTest::addColumn<QString>("billable");
        QTest::addColumn<QString>("code");
        QTest::newRow("blank name") << s("  ") << s("1") << s("1") << s("1") << s("4");
        QTest::newRow("list of another project") << s("T") << s("2") << s("1") << s("1") << s("20");
        QTest::newRow("unknown list") << s("T") << s("1") << s("99") << s("1") << s("20");
        QTest::newRow("billable yes") << s("T") << s("1") << s("1") << s("yes") << s("4");
        QTest::newRow("project id zero") << s("T") << s("0") << s("1") << s("1") << s("4");
    }

    void taskCreationRejectsBadInput()
    {
        QFETCH(QString, name);
        QFETCH(QString, projectId);
        QFETCH(QString, tasklistId);
        QFETCH(QString, billable);
        QFETCH(QString, code);
        const Reply reply = post(s("tavro.tasks.add"), session({{s("name"), name},
                                                                {s("project_id"), projectId},
                                                                {s("tasklist_id"), tasklistId},
                                                                {s("description"), QString()},
                                                                {s("billable"), billable}}));
        QCOMPARE(reply.code, code);
        QCOMPARE(catalogue().doc.elementsByTagName(s("task")).size(), 12);
    }

    void completeNeedsFlag()
    {
        QCOMPARE(post(s("tavro.tasks.update"), session({{s("task_id"), s("1")}})).code, s("3"));
        QCOMPARE(post(s("tavro.tasks.update"), session({{s("task_id"), s("1")}, {s("complete"), s("true")}})).code,
                 s("4"));
        QVERIFY(!m_store->task(1)->complete);
    }

    void firstParameterOfDuplicatesCounts()
    {
        const Reply reply = get(s("tavro.auth.login"),
                                {{s("email"), s("demo")}, {s("password"), s("demo")}, {s("password"), s("wrong")}});
        QCOMPARE(reply.status, s("ok"));
    }

    void defaultConnectionIsLeftAlone()
    {
        QTemporaryDir dir;
        {
            QSqlDatabase client = QSqlDatabase::addDatabase(s("QSQLITE"));
            client.setDatabaseName(dir.filePath(s("client.sqlite")));
            QVERIFY(client.open());
        }
        {
            DevServiceStore store;
            QVERIFY(store.open(dir.filePath(s("service.sqlite"))));
            QVERIFY(store.authenticate(s("demo"), s("demo")) > 0);
        }
        {
            const QSqlDatabase client = QSqlDatabase::database();
            QVERIFY(client.isOpen());
            QCOMPARE(client.databaseName(), dir.filePath(s("client.sqlite")));
            QVERIFY(client.tables().isEmpty());
        }
        QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
    }

    void storeKeepsDataAndOwnConnection()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(s("service.sqlite"));
        int entryId = 0;
        {
            DevServiceStore store;
            QString error;
            QVERIFY2(store.open(file, &error), qPrintable(error));
            entryId = store.addEntry(1, 1, QDate(2026, 4, 1), 60, s("kept"));
            QVERIFY(entryId > 0);
        }
        DevServiceStore store;
        QVERIFY(store.open(file));
        QCOMPARE(store.entry(entryId)->description, s("kept"));
        QCOMPARE(store.authenticate(s("demo"), s("demo")), 1);
        QVERIFY(!store.user(3)); // not seeded a second time

        DevServiceStore broken;
        QString error;
        QVERIFY(!broken.open(dir.filePath(s("missing/dir/x.sqlite")), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!broken.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestDevServiceApi)
#include "tst_devserviceapi.moc"
