#include "apireply.h"
#include "apirequest.h"
#include "devserver.h"
#include "devservicestore.h"
#include "recordingpresenter.h"
#include "settings.h"

#include <QNetworkAccessManager>
#include <QSslConfiguration>
#include <QTest>

#include <memory>

class TestApiRequest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void requestArrivesAsSent_data();
    void requestArrivesAsSent();
    void oddReplies_data();
    void oddReplies();
    void transport_data();
    void transport();

private:
    std::unique_ptr<DevServer> m_server;
    std::unique_ptr<QNetworkAccessManager> m_manager;
    std::unique_ptr<RecordingPresenter> m_boxes;
    int m_user = 0;
};

void TestApiRequest::init()
{
    m_server = std::make_unique<DevServer>();
    QVERIFY2(m_server->listen(), qPrintable(m_server->errorString()));
    m_manager = std::make_unique<QNetworkAccessManager>();
    m_boxes = std::make_unique<RecordingPresenter>();
    Settings::instance()->networkManager = m_manager.get();
    Settings::instance()->values[QStringLiteral("RealApiBaseUrl")] = m_server->url().toString();
    m_user = m_server->store()->authenticate(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
}

void TestApiRequest::cleanup()
{
    Settings::instance()->networkManager = nullptr;
    m_boxes.reset();
    m_manager.reset();
    m_server.reset();
}

void TestApiRequest::requestArrivesAsSent_data()
{
    // "name=value" pairs split at "|"; "$task", "$list", "$project" and "$entry" stand for ids of the demo data.
    QTest::addColumn<QString>("verb");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("pairs");
    QTest::addColumn<QByteArray>("wireEnd");
    const auto s = [](const char *text) { return QString::fromUtf8(text); };
    QTest::newRow("login") << s("GET") << s("tavro.auth.login") << s("email=demo@tavro.test|password=demo")
                           << QByteArray("email=demo%40tavro.test&password=demo");
    QTest::newRow("addBulk") << s("POST") << s("tavro.entries.addBulk")
                             << s("date=2026-12-06|duration=3600|task_id=$task|description=Tom & Jerry = 100% grün\n2")
                             << QByteArray("&description=Tom%20%26%20Jerry%20%3D%20100%25%20gr%C3%BCn%0A2");
    QTest::newRow("tasklists.add") << s("POST") << s("tavro.tasklists.add")
                                   << s("name=R&D = a+b Überprüfung 日本|project_id=$project") << QByteArray();
    QTest::newRow("tasks.add")
        << s("POST") << s("tavro.tasks.add")
        << s("name=Q&A=yes%20|project_id=$project|tasklist_id=$list|description=a & b|billable=0") << QByteArray();
    // Date-times go as plain values: the blank and the colons arrive as they were.
    QTest::newRow("entries.update") << s("POST") << s("tavro.entries.update")
                                    << s("entry_id=$entry|start=2026-12-06 10:15:00|end=2026-12-06 10:16:30")
                                    << QByteArray("&start=2026-12-06 10:15:00&end=2026-12-06 10:16:30");
    QTest::newRow("entries.getInfo") << s("GET") << s("tavro.entries.getInfo") << s("entry_id=$entry") << QByteArray();
    QTest::newRow("tasks.update") << s("POST") << s("tavro.tasks.update") << s("task_id=$task|complete=1")
                                  << QByteArray();
    QTest::newRow("entries.delete") << s("POST") << s("tavro.entries.delete") << s("entry_id=$entry") << QByteArray();
}

void TestApiRequest::requestArrivesAsSent()
{
    QFETCH(QString, verb);
    QFETCH(QString, method);
    QFETCH(QString, pairs);
    QFETCH(QByteArray, wireEnd);
    DevServiceStore *store = m_server->store();
    const auto project = store->catalogue(m_user).first();
    const int task = project.taskLists.first().tasks.first().id;
    const QMap<QString, QString> ids{
        {QStringLiteral("$task"), QString::number(task)},
        {QStringLiteral("$list"), QString::number(project.taskLists.first().id)},
        {QStringLiteral("$project"), QString::number(project.id)},
        {QStringLiteral("$entry"), QString::number(store->addEntry(m_user, task, QDate(2026, 12, 6), 60, {}))}};
    ApiCall::Parameters parameters;
    DevServiceParameters sent;
    if (method != QLatin1String("tavro.auth.login")) {
        parameters << ApiCall::Parameter{QStringLiteral("api_key"), store->user(m_user)->apiKey}
                   << ApiCall::Parameter{QStringLiteral("auth_token"), store->createToken(m_user)};
    }
    for (const QString &pair : pairs.split(QLatin1Char('|'))) {
        const QString name = pair.section(QLatin1Char('='), 0, 0);
        const QString value = pair.section(QLatin1Char('='), 1);
        parameters << ApiCall::Parameter{name, ids.value(value, value),
                                         name == QLatin1String("name") || name == QLatin1String("description")};
    }
    for (const auto &parameter : std::as_const(parameters)) {
        sent.append({parameter.name, parameter.value});
    }
    ApiRequest request(false);
    QString reply;
    QVERIFY(verb == QLatin1String("POST") ? request.post(method, parameters, reply, false)
                                          : request.get(method, parameters, reply, false));
    QCOMPARE(ApiReply::status(reply), QStringLiteral("ok"));
    QCOMPARE(m_server->requests().size(), 1);
    const DevServerRequest received = m_server->requests().first();
    QCOMPARE(received.verb, verb);
    QCOMPARE(received.method, method);
    QCOMPARE(received.parameters, sent);
    QVERIFY2((verb == QLatin1String("POST") ? received.body : received.query).endsWith(wireEnd), received.body);
}

void TestApiRequest::oddReplies_data()
{
    // The method name decides the verb: "POST" in any case is a post, anything else a get.
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("verb");
    QTest::addColumn<DevServer::Fault>("fault");
    QTest::addColumn<QString>("box");
    QTest::newRow("nul cuts the reply") << QStringLiteral("POST") << QStringLiteral("POST") << DevServer::Fault::NulByte
                                        << QString();
    QTest::newRow("no status left to caller")
        << QStringLiteral("Post") << QStringLiteral("POST") << DevServer::Fault::NoStatus << QString();
    QTest::newRow("error element") << QString() << QStringLiteral("GET") << DevServer::Fault::Error
                                   << QStringLiteral("Code: 12\nMessage: Falsches Passwort für ü");
    QTest::newRow("error without element") << QStringLiteral("posting") << QStringLiteral("GET")
                                           << DevServer::Fault::ErrorNoElement << QStringLiteral("Code: \nMessage: ");
}

void TestApiRequest::oddReplies()
{
    QFETCH(QString, method);
    QFETCH(QString, verb);
    QFETCH(DevServer::Fault, fault);
    QFETCH(QString, box);
    if (fault == DevServer::Fault::Error) {
        m_server->setErrorFault(QStringLiteral("tavro.test.null"), 12, QStringLiteral("Falsches Passwort für ü"));
    } else {
        m_server->setFault(QStringLiteral("tavro.test.null"), fault);
    }
    // The network-silent flag does not hide API errors.
    ApiRequest request(true);
    QString reply;
    QNetworkRequest post = ApiCall::postRequest(QStringLiteral("tavro.test.null"));
    QCOMPARE(request.send(post, method, QByteArray("api_key="), reply, false), box.isEmpty());
    QCOMPARE(m_server->requests().last().verb, verb);
    QVERIFY(!reply.isEmpty() && !reply.contains(QChar(0)));
    QCOMPARE(ApiReply::parse(reply).isNull(), fault == DevServer::Fault::NulByte);
    QCOMPARE(m_boxes->lastText(), box);
    QCOMPARE(m_boxes->lastTitle(), box.isEmpty() ? QString() : QStringLiteral("Tavro API Error"));
}

void TestApiRequest::transport_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("box");
    QTest::newRow("time-out") << QStringLiteral("slow") << false
                              << QStringLiteral(
                                     "Network error/Connection Timeout\n\nThe Tavro service did not answer in time.");
    QTest::newRow("time-out silent") << QStringLiteral("slow") << true << QString();
    QTest::newRow("refused") << QStringLiteral("refused") << false
                             << QStringLiteral("Network error/The remote server refused the connection.");
    QTest::newRow("refused silent") << QStringLiteral("refused") << true << QString();
    QTest::newRow("self-signed fails without box") << QStringLiteral("untrusted") << false << QString();
    QTest::newRow("trusted https") << QStringLiteral("trusted") << false << QString();
}

void TestApiRequest::transport()
{
    QFETCH(QString, kind);
    QFETCH(bool, silent);
    QFETCH(QString, box);
    const QString data = qEnvironmentVariable("TAVRO_TEST_DATA");
    DevServer tlsServer;
    QVERIFY(tlsServer.setTlsFiles(data + QStringLiteral("/devservice-cert.pem"),
                                  data + QStringLiteral("/devservice-key.pem")));
    const QSslConfiguration original = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = original;
    trusting.addCaCertificates(QSslCertificate::fromPath(data + QStringLiteral("/devservice-cert.pem")));
    if (kind == QLatin1String("refused")) {
        m_server->close();
    } else if (kind == QLatin1String("slow")) {
        m_server->setDelay(3000, QStringLiteral("tavro.test.null"));
    } else {
        QVERIFY(tlsServer.listen());
        Settings::instance()->values[QStringLiteral("RealApiBaseUrl")] = tlsServer.url().toString();
        QSslConfiguration::setDefaultConfiguration(kind == QLatin1String("trusted") ? trusting : original);
    }
    ApiRequest request(silent);
    request.setTimeout(1000);
    QString reply;
    const bool ok = request.get(QStringLiteral("tavro.test.null"), {}, reply, false);
    QSslConfiguration::setDefaultConfiguration(original);
    QCOMPARE(ok, kind == QLatin1String("trusted"));
    QCOMPARE(ApiReply::status(reply), ok ? QStringLiteral("ok") : QString());
    QCOMPARE(m_boxes->lastTitle() + QLatin1Char('/') + m_boxes->lastText(), box.isEmpty() ? QStringLiteral("/") : box);
}

QTEST_GUILESS_MAIN(TestApiRequest)
#include "tst_apirequest.moc"
