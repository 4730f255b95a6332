#include "devserviceapi.h"
#include "devservicestore.h"

#include <QCryptographicHash>
#include <QDomDocument>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

namespace {
struct Reply
{
    QDomDocument doc;
    QString status;
    QString code;

    QDomElement first(const QString &tag) const { return doc.elementsByTagName(tag).item(0).toElement(); }
};

Reply parse(const QByteArray &xml)
{
    Reply reply;
    reply.doc.setContent(xml);
    reply.status = reply.doc.documentElement().attribute(QStringLiteral("status"));
    reply.code = reply.first(QStringLiteral("error")).attribute(QStringLiteral("code"));
    return reply;
}

using P = DevServiceParameters;

// Parameters written as a query, e.g. "date=2026-03-02&duration=60".
P form(const char *query)
{
    return QUrlQuery(QString::fromUtf8(query)).queryItems(QUrl::FullyDecoded);
}

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
        QTest::addColumn<P>("parameters");
        QTest::addColumn<QString>("code");
        QTest::newRow("email in other case") << form("email=Demo@Tavro.TEST&password=demo") << QString();
        QTest::newRow("user name") << form("email=demo&password=demo") << QString();
        QTest::newRow("empty realname") << form("email=nobody@tavro.test&password=nobody") << QString();
        QTest::newRow("wrong password") << form("email=demo&password=Demo") << s("12");
        QTest::newRow("no password") << form("email=demo") << s("3");
    }

    void login()
    {
        QFETCH(P, parameters);
        QFETCH(QString, code);
        const Reply reply = get(s("tavro.auth.login"), parameters);
        QCOMPARE(reply.code, code);
        const QString token = reply.first(s("token")).text();
        QCOMPARE(token.isEmpty(), !code.isEmpty());
        const QDomElement user = reply.first(s("user"));
        QCOMPARE(user.hasAttribute(s("realname")), code.isEmpty());
        QCOMPARE(m_store->userForToken(token), code.isEmpty() ? user.attribute(s("id")).toInt() : 0);
    }

    // Guessing is stopped after a few tries; the right password then waits too.
    void failedSignInsLockTheAccount()
    {
        for (int i = 0; i < DevServiceApi::MaxFailedLogins; ++i) {
            QCOMPARE(get(s("tavro.auth.login"), form("email=demo&password=guess")).code, s("12"));
        }
        const Reply locked = get(s("tavro.auth.login"), form("email=Demo&password=demo"));
        QCOMPARE(locked.code, s("12"));
        QVERIFY(locked.first(s("token")).isNull());
        // Other accounts are not affected.
        QCOMPARE(get(s("tavro.auth.login"), form("email=nobody@tavro.test&password=nobody")).status, s("ok"));
    }

    void tokensExpire()
    {
        const int user = m_store->authenticate(s("demo"), s("demo"));
        const QString old =
            m_store->createToken(user, QDateTime::currentDateTime().addDays(-DevServiceStore::TokenLifetimeDays - 1));
        const QString fresh = m_store->createToken(user, QDateTime::currentDateTime().addDays(-1));
        QCOMPARE(get(s("tavro.auth.checkToken"), {{s("auth_token"), old}}).code, s("11"));
        QCOMPARE(get(s("tavro.auth.checkToken"), {{s("auth_token"), fresh}}).status, s("ok"));
    }

    // Salted: the same password gives different stored hashes; an unsalted one of an earlier version
    // still signs in and is replaced; the data file is the owner's alone.
    void passwordsAreSaltedAndTheFileIsPrivate()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(s("service.sqlite"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
        }
        DevServiceStore store;
        QVERIFY(store.open(path));
        QCOMPARE(QFile::permissions(path) & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
                 QFileDevice::Permissions());
        const int a = store.addUser(s("a@t"), s("same"), s("A"), s("a"));
        const int b = store.addUser(s("b@t"), s("same"), s("B"), s("b"));
        QSqlDatabase db = QSqlDatabase::addDatabase(s("QSQLITE"), s("peek"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        const auto hashOf = [&db](int id) {
            QSqlQuery query(db);
            query.prepare(s("SELECT password_hash FROM users WHERE id = ?"));
            query.addBindValue(id);
            return query.exec() && query.next() ? query.value(0).toString() : QString();
        };
        QVERIFY(hashOf(a).startsWith(s("pbkdf2-sha256$")));
        QVERIFY(hashOf(a) != hashOf(b));
        QVERIFY(!hashOf(a).contains(
            QString::fromLatin1(QCryptographicHash::hash("same", QCryptographicHash::Sha256).toHex())));
        QCOMPARE(store.authenticate(s("a"), s("same")), a);
        QCOMPARE(store.authenticate(s("a"), s("Same")), 0);

        QSqlQuery legacy(db);
        QVERIFY(legacy.exec(
            s("UPDATE users SET password_hash = '%1' WHERE id = %2")
                .arg(QString::fromLatin1(QCryptographicHash::hash("old", QCryptographicHash::Sha256).toHex()))
                .arg(b)));
        QCOMPARE(store.authenticate(s("b"), s("old")), b);
        QVERIFY(hashOf(b).startsWith(s("pbkdf2-sha256$")));
        QCOMPARE(store.authenticate(s("b"), s("old")), b);
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(s("peek"));
    }

    void sessionIsChecked()
    {
        const QList<QPair<P, QString>> sessions{
            {{{s("auth_token"), m_token}}, s("3")},
            {{{s("api_key"), QString()}, {s("auth_token"), m_token}}, s("10")},
            {{{s("api_key"), s("abc")}, {s("auth_token"), m_token}}, s("10")},
            {{{s("api_key"), m_key}}, s("3")},
            {{{s("api_key"), m_key}, {s("auth_token"), s("abc")}}, s("11")},
            {{{s("api_key"), m_store->user(2)->apiKey}, {s("auth_token"), m_token}}, s("21")},
        };
        // Otherwise valid arguments, so only the session can be at fault.
        const P arguments = form("user_id=1&entry_id=1&task_id=1&project_id=1&tasklist_id=1&name=x&date=2026-01-05&"
                                 "duration=60&complete=1&start=2026-01-05 09:00:00&end=2026-01-05 10:00:00");
        const QStringList methods{
            s("tavro.auth.logout"),     s("tavro.projects.findByUser"), s("tavro.entries.addBulk"),
            s("tavro.entries.getInfo"), s("tavro.entries.update"),      s("tavro.entries.delete"),
            s("tavro.tasks.add"),       s("tavro.tasks.update"),        s("tavro.tasklists.add")};
        for (const QString &method : methods) {
            for (const auto &[parameters, code] : sessions) {
                const Reply reply = call(DevServiceApi::verbOf(method), method, parameters + arguments);
                QVERIFY2(reply.code == code, qPrintable(method + s(": ") + reply.code + s(" instead of ") + code));
            }
        }
        QCOMPARE(m_store->entries(1).size(), 4);
        QVERIFY(!m_store->task(1)->complete);
    }

    void unknownMethodAndWrongVerb()
    {
        QCOMPARE(get(s("tavro.entries.list"), session()).code, s("1"));
        QCOMPARE(get(s("tavro.entries.delete"), session({{s("entry_id"), s("1")}})).code, s("2"));
        QVERIFY(m_store->entry(1));
        // The verb is compared without regard to case, as HTTP clients differ there.
        QCOMPARE(call(s("post"), s("tavro.entries.delete"), session({{s("entry_id"), s("1")}})).status, s("ok"));
        QVERIFY(!m_store->entry(1));
    }

    void badInputChangesNothing_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<P>("parameters");
        QTest::addColumn<QString>("code");
        const auto add = [](const char *row, const char *method, const char *parameters, const char *code) {
            QTest::newRow(row) << s(method) << form(parameters) << s(code);
        };
        add("date with time", "tavro.entries.addBulk", "date=2026-03-02 10:00:00&duration=60&task_id=1", "4");
        add("negative duration", "tavro.entries.addBulk", "date=2026-03-02&duration=-1&task_id=1", "4");
        add("unknown task", "tavro.entries.addBulk", "date=2026-03-02&duration=60&task_id=999", "20");
        add("blank name", "tavro.tasks.add", "name=  &project_id=1&tasklist_id=1&description=&billable=1", "4");
        add("list of another project", "tavro.tasks.add", "name=T&project_id=2&tasklist_id=1&description=&billable=1",
            "20");
        add("billable yes", "tavro.tasks.add", "name=T&project_id=1&tasklist_id=1&description=&billable=yes", "4");
        add("complete true", "tavro.tasks.update", "task_id=1&complete=true", "4");
        add("end before start", "tavro.entries.update", "entry_id=1&start=2026-03-02 09:00:00&end=2026-03-02 08:59:59",
            "4");
    }

    void badInputChangesNothing()
    {
        QFETCH(QString, method);
        QFETCH(P, parameters);
        QFETCH(QString, code);
        QCOMPARE(post(method, session(parameters)).code, code);
        QCOMPARE(m_store->entries(1).size(), 4);
        QCOMPARE(catalogue().doc.elementsByTagName(s("task")).size(), 12);
        QVERIFY(!m_store->task(1)->complete);
    }

    // A client may still hold the id of an entry it deleted: that id never names another entry.
    void deletedEntryIdsAreNotReused()
    {
        const int user = m_store->addUser(s("y@tavro.test"), s("y"), s("Y"), s("y"));
        const int task = m_store->addTask(m_store->addTaskList(m_store->addProject(user, 0, s("P")), s("L")), s("T"));
        const int deleted = m_store->addEntry(user, task, QDate(2026, 1, 1), 60, QString());
        QVERIFY(m_store->deleteEntry(deleted));
        const int next = m_store->addEntry(user, task, QDate(2026, 1, 1), 60, QString());
        QVERIFY(next > deleted);
        QVERIFY(!m_store->entry(deleted));
    }

    void otherAccountsObjectsAreHidden()
    {
        const int stranger = m_store->addUser(s("x@tavro.test"), s("x"), s("X"), s("x"));
        const QString project = QString::number(m_store->addProject(stranger, 0, s("Secret")));
        const int task = m_store->addTask(m_store->addTaskList(project.toInt(), s("List")), s("Task"));
        const int entry = m_store->addEntry(stranger, task, QDate(2026, 1, 1), 60, QString());
        const P entryId{{s("entry_id"), QString::number(entry)}};
        QCOMPARE(get(s("tavro.entries.getInfo"), session(entryId)).code, s("20"));
        QCOMPARE(post(s("tavro.entries.delete"), session(entryId)).code, s("20"));
        const P done{{s("task_id"), QString::number(task)}, {s("complete"), s("1")}};
        QCOMPARE(post(s("tavro.tasks.update"), session(done)).code, s("20"));
        QVERIFY(m_store->entry(entry));
        QVERIFY(!m_store->task(task)->complete);
    }
};

QTEST_GUILESS_MAIN(TestDevServiceApi)
#include "tst_devserviceapi.moc"
