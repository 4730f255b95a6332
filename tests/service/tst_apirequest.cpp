#include "apireply.h"
#include "apirequest.h"
#include "devserver.h"
#include "devservicestore.h"
#include "settings.h"
#include "testsupport.h"

#include <QNetworkAccessManager>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTest>

#include <memory>

using TestSupport::BoxRecorder;

class TestApiRequest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void getCarriesQueryItemsInOrder();
    void postCarriesFormBody();
    void writeMethodsReachServiceIntact_data();
    void writeMethodsReachServiceIntact();
    void entryAndTaskMethodsRoundTrip();
    void methodNameDecidesVerb_data();
    void methodNameDecidesVerb();
    void replyCutAtNul();
    void apiErrorBox_data();
    void apiErrorBox();
    void noStatusIsLeftToCaller();
    void timeout_data();
    void timeout();
    void refusedConnection_data();
    void refusedConnection();
    void closedConnection();
    void untrustedCertificateFailsWithoutBox();
    void trustedCertificateSucceeds();
    void noManagerFails();

private:
    // Signs the demo user in on the server directly; fills "ApiKey" and "AuthToken".
    void signInDemo();
    QString call(const QString &verb, const QString &method, const ApiCall::Parameters &parameters, bool *ok = nullptr);

    std::unique_ptr<DevServer> m_server;
    std::unique_ptr<QNetworkAccessManager> m_manager;
    std::unique_ptr<BoxRecorder> m_boxes;
    int m_demoUser = 0;
};

void TestApiRequest::init()
{
    m_server = std::make_unique<DevServer>();
    QVERIFY2(m_server->listen(), qPrintable(m_server->errorString()));
    m_manager = std::make_unique<QNetworkAccessManager>();
    m_boxes = std::make_unique<BoxRecorder>();
    auto *settings = Settings::instance();
    settings->networkManager = m_manager.get();
    settings->values[QStringLiteral("RealApiBaseUrl")] = m_server->url().toString();
    settings->values[QStringLiteral("UserAgent")] = QStringLiteral("TavroDesk/1.0.10 Linux");
    m_demoUser = m_server->store()->authenticate(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
    QVERIFY(m_demoUser > 0);
}

void TestApiRequest::cleanup()
{
    Settings::instance()->networkManager = nullptr;
    m_boxes.reset();
    m_manager.reset();
    m_server.reset();
}

void TestApiRequest::signInDemo()
{
    auto &values = Settings::instance()->values;
    values[QStringLiteral("AuthToken")] = m_server->store()->createToken(m_demoUser);
    values[QStringLiteral("ApiKey")] = m_server->store()->user(m_demoUser)->apiKey;
}

QString TestApiRequest::call(const QString &verb, const QString &method, const ApiCall::Parameters &parameters,
                             bool *ok)
{
    ApiRequest request(false);
    QString reply;
    const bool sent = verb == QLatin1String("POST") ? request.post(method, parameters, reply, true)
                                                    : request.get(method, parameters, reply, true);
    if (ok) {
        *ok = sent;
    }
    return reply;
}

void TestApiRequest::getCarriesQueryItemsInOrder()
{
    bool ok = false;
    const QString reply = call(QStringLiteral("GET"), QStringLiteral("tavro.auth.login"),
                               {{QStringLiteral("email"), QStringLiteral("demo@tavro.test")},
                                {QStringLiteral("password"), QStringLiteral("demo")}},
                               &ok);
    QVERIFY(ok);
    QCOMPARE(ApiReply::status(reply), QStringLiteral("ok"));
    QCOMPARE(m_server->requests().size(), 1);
    const DevServerRequest received = m_server->requests().first();
    QCOMPARE(received.verb, QStringLiteral("GET"));
    QCOMPARE(received.path, QStringLiteral("/service/tavro.auth.login"));
    QCOMPARE(received.query, QByteArray("email=demo%40tavro.test&password=demo"));
    QVERIFY(received.body.isEmpty());
    QCOMPARE(received.userAgent, QByteArray("TavroDesk/1.0.10 Linux"));
    QCOMPARE(received.parameters, (DevServiceParameters{{QStringLiteral("email"), QStringLiteral("demo@tavro.test")},
                                                        {QStringLiteral("password"), QStringLiteral("demo")}}));
}

void TestApiRequest::postCarriesFormBody()
{
    signInDemo();
    const int taskId = m_server->store()->catalogue(m_demoUser).first().taskLists.first().tasks.first().id;
    const QString description = QStringLiteral("Tom & Jerry = 100% grün\nzweite Zeile");
    bool ok = false;
    const QString reply =
        call(QStringLiteral("POST"), QStringLiteral("tavro.entries.addBulk"),
             {{QStringLiteral("api_key"), Settings::instance()->value(QStringLiteral("ApiKey")).toString()},
              {QStringLiteral("auth_token"), Settings::instance()->value(QStringLiteral("AuthToken")).toString()},
              {QStringLiteral("date"), QStringLiteral("2026-12-06")},
              {QStringLiteral("duration"), QStringLiteral("3600")},
              {QStringLiteral("task_id"), QString::number(taskId)},
              {QStringLiteral("description"), description, true}},
             &ok);
    QVERIFY(ok);
    QCOMPARE(ApiReply::status(reply), QStringLiteral("ok"));
    const DevServerRequest received = m_server->requests().last();
    QCOMPARE(received.verb, QStringLiteral("POST"));
    QVERIFY(received.query.isEmpty());
    QCOMPARE(received.contentType, QByteArray("application/x-www-form-urlencoded"));
    QVERIFY(received.body.endsWith("&description=Tom%20%26%20Jerry%20%3D%20100%25%20gr%C3%BCn%0Azweite%20Zeile"));
    QStringList names;
    for (const auto &parameter : received.parameters) {
        names << parameter.first;
    }
    QCOMPARE(names,
             (QStringList{QStringLiteral("api_key"), QStringLiteral("auth_token"), QStringLiteral("date"),
                          QStringLiteral("duration"), QStringLiteral("task_id"), QStringLiteral("description")}));
    const int entryId =
        ApiReply::firstElement(ApiReply::parse(reply), QStringLiteral("entry")).attribute(QStringLiteral("id")).toInt();
    QCOMPARE(m_server->store()->entry(entryId)->description, description);
}

void TestApiRequest::writeMethodsReachServiceIntact_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("name");
    QTest::newRow("task list with delimiters") << QStringLiteral("tavro.tasklists.add") << QStringLiteral("R&D = a+b");
    QTest::newRow("task list non-ascii") << QStringLiteral("tavro.tasklists.add") << QStringLiteral("Überprüfung 日本");
    QTest::newRow("task with delimiters") << QStringLiteral("tavro.tasks.add") << QStringLiteral("Q&A=yes%20no");
    QTest::newRow("task non-ascii") << QStringLiteral("tavro.tasks.add") << QStringLiteral("Crème brûlée");
}

void TestApiRequest::writeMethodsReachServiceIntact()
{
    QFETCH(QString, method);
    QFETCH(QString, name);
    signInDemo();
    const auto project = m_server->store()->catalogue(m_demoUser).first();
    const auto &values = Settings::instance()->values;
    ApiCall::Parameters parameters{
        {QStringLiteral("api_key"), values.value(QStringLiteral("ApiKey")).toString()},
        {QStringLiteral("auth_token"), values.value(QStringLiteral("AuthToken")).toString()},
        {QStringLiteral("name"), name, true},
        {QStringLiteral("project_id"), QString::number(project.id)},
    };
    if (method == QLatin1String("tavro.tasks.add")) {
        parameters << ApiCall::Parameter{QStringLiteral("tasklist_id"), QString::number(project.taskLists.first().id)}
                   << ApiCall::Parameter{QStringLiteral("description"), name + QStringLiteral(" & more"), true}
                   << ApiCall::Parameter{QStringLiteral("billable"), QStringLiteral("0")};
    }
    bool ok = false;
    const QString reply = call(QStringLiteral("POST"), method, parameters, &ok);
    QVERIFY(ok);
    QCOMPARE(ApiReply::status(reply), QStringLiteral("ok"));
    QCOMPARE(m_server->requests().last().value(QStringLiteral("name")), name);
    const QString tag =
        method == QLatin1String("tavro.tasks.add") ? QStringLiteral("task") : QStringLiteral("tasklist");
    const int id = ApiReply::firstElement(ApiReply::parse(reply), tag).attribute(QStringLiteral("id")).toInt();
    QVERIFY(id > 0);
    if (method == QLatin1String("tavro.tasks.add")) {
        const auto task = m_server->store()->task(id);
        QCOMPARE(task->name, name);
        QCOMPARE(task->description, name + QStringLiteral(" & more"));
        QVERIFY(!task->billable);
    } else {
        QCOMPARE(m_server->store()->taskList(id)->name, name);
    }
}

void TestApiRequest::entryAndTaskMethodsRoundTrip()
{
    signInDemo();
    const auto &values = Settings::instance()->values;
    const ApiCall::Parameters session{
        {QStringLiteral("api_key"), values.value(QStringLiteral("ApiKey")).toString()},
        {QStringLiteral("auth_token"), values.value(QStringLiteral("AuthToken")).toString()},
    };
    const int taskId = m_server->store()->catalogue(m_demoUser).first().taskLists.first().tasks.first().id;
    auto expectOk = [this](const QString &verb, const QString &method, const ApiCall::Parameters &parameters) {
        bool ok = false;
        const QString reply = call(verb, method, parameters, &ok);
        const DevServerRequest received = m_server->requests().last();
        if (!ok || ApiReply::status(reply) != QLatin1String("ok") || received.method != method ||
            received.verb != verb || received.parameters.size() != parameters.size()) {
            qWarning() << method << reply;
            return QString();
        }
        for (int i = 0; i < parameters.size(); ++i) {
            if (received.parameters.at(i) != qMakePair(parameters.at(i).name, parameters.at(i).value)) {
                qWarning() << method << received.parameters.at(i);
                return QString();
            }
        }
        return reply;
    };

    const QString added = expectOk(QStringLiteral("POST"), QStringLiteral("tavro.entries.addBulk"),
                                   session + ApiCall::Parameters{{QStringLiteral("date"), QStringLiteral("2026-12-06")},
                                                                 {QStringLiteral("duration"), QStringLiteral("90")},
                                                                 {QStringLiteral("task_id"), QString::number(taskId)},
                                                                 {QStringLiteral("description"), QString(), true}});
    QVERIFY(!added.isEmpty());
    const QString entryId =
        ApiReply::firstElement(ApiReply::parse(added), QStringLiteral("entry")).attribute(QStringLiteral("id"));
    const ApiCall::Parameters entry = session + ApiCall::Parameters{{QStringLiteral("entry_id"), entryId}};

    // Date-times go as plain values; the blank and the colons arrive as they were.
    QVERIFY(!expectOk(QStringLiteral("POST"), QStringLiteral("tavro.entries.update"),
                      entry + ApiCall::Parameters{{QStringLiteral("start"), QStringLiteral("2026-12-06 10:15:00")},
                                                  {QStringLiteral("end"), QStringLiteral("2026-12-06 10:16:30")}})
                 .isEmpty());
    const QString info = expectOk(QStringLiteral("GET"), QStringLiteral("tavro.entries.getInfo"), entry);
    const QDomDocument document = ApiReply::parse(info);
    QCOMPARE(ApiReply::firstElement(document, QStringLiteral("start")).text(), QStringLiteral("2026-12-06 10:15:00"));
    QCOMPARE(ApiReply::firstElement(document, QStringLiteral("end")).text(), QStringLiteral("2026-12-06 10:16:30"));

    QVERIFY(!expectOk(QStringLiteral("POST"), QStringLiteral("tavro.tasks.update"),
                      session + ApiCall::Parameters{{QStringLiteral("task_id"), QString::number(taskId)},
                                                    {QStringLiteral("complete"), QStringLiteral("1")}})
                 .isEmpty());
    QVERIFY(m_server->store()->task(taskId)->complete);

    QVERIFY(!expectOk(QStringLiteral("POST"), QStringLiteral("tavro.entries.delete"), entry).isEmpty());
    QVERIFY(!m_server->store()->entry(entryId.toInt()));
}

void TestApiRequest::methodNameDecidesVerb_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("verb");
    QTest::newRow("POST") << QStringLiteral("POST") << QStringLiteral("POST");
    QTest::newRow("Post") << QStringLiteral("Post") << QStringLiteral("POST");
    QTest::newRow("post") << QStringLiteral("post") << QStringLiteral("POST");
    QTest::newRow("empty") << QString() << QStringLiteral("GET");
    QTest::newRow("GET") << QStringLiteral("GET") << QStringLiteral("GET");
    QTest::newRow("PUT") << QStringLiteral("PUT") << QStringLiteral("GET");
    QTest::newRow("posting") << QStringLiteral("posting") << QStringLiteral("GET");
}

void TestApiRequest::methodNameDecidesVerb()
{
    QFETCH(QString, method);
    QFETCH(QString, verb);
    QNetworkRequest request = ApiCall::postRequest(QStringLiteral("tavro.test.null"));
    ApiRequest apiRequest(false);
    QString reply;
    apiRequest.send(request, method, QByteArray("api_key="), reply, true);
    QCOMPARE(m_server->requests().size(), 1);
    QCOMPARE(m_server->requests().first().verb, verb);
    QVERIFY(!reply.isEmpty());
}

void TestApiRequest::replyCutAtNul()
{
    m_server->setFault(QStringLiteral("tavro.test.null"), DevServer::Fault::NulByte);
    ApiRequest request(false);
    QString reply;
    QVERIFY(request.get(QStringLiteral("tavro.test.null"), {{QStringLiteral("api_key"), QString()}}, reply, false));
    QVERIFY(!reply.isEmpty());
    QVERIFY(!reply.contains(QChar(0)));
    QVERIFY(!reply.contains(QLatin1String("</rsp>")));
    QVERIFY(ApiReply::parse(reply).isNull());
    QVERIFY(m_boxes->boxes.isEmpty());
}

void TestApiRequest::apiErrorBox_data()
{
    QTest::addColumn<bool>("errorElement");
    QTest::addColumn<bool>("silentApiErrors");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("text");
    QTest::newRow("shown") << true << false << false << QStringLiteral("Code: 12\nMessage: Falsches Passwort für ü");
    QTest::newRow("no error element") << false << false << false << QStringLiteral("Code: \nMessage: ");
    QTest::newRow("silent") << true << true << true << QString();
    QTest::newRow("silent, no error element") << false << true << true << QString();
}

void TestApiRequest::apiErrorBox()
{
    QFETCH(bool, errorElement);
    QFETCH(bool, silentApiErrors);
    QFETCH(bool, ok);
    QFETCH(QString, text);
    if (errorElement) {
        m_server->setErrorFault(QStringLiteral("tavro.test.null"), 12, QStringLiteral("Falsches Passwort für ü"));
    } else {
        m_server->setFault(QStringLiteral("tavro.test.null"), DevServer::Fault::ErrorNoElement);
    }
    // The network-silent flag does not hide API errors.
    ApiRequest request(true);
    QString reply;
    QCOMPARE(request.get(QStringLiteral("tavro.test.null"), {}, reply, silentApiErrors), ok);
    QCOMPARE(ApiReply::status(reply), QStringLiteral("error"));
    if (text.isEmpty()) {
        QVERIFY(m_boxes->boxes.isEmpty());
        return;
    }
    QCOMPARE(m_boxes->boxes.size(), 1);
    const MessageBox::Box box = m_boxes->boxes.first();
    QCOMPARE(box.icon, MessageBox::Icon::Critical);
    QCOMPARE(box.title, QStringLiteral("Tavro API Error"));
    QCOMPARE(box.text, text);
    QVERIFY(!box.parent);
}

void TestApiRequest::noStatusIsLeftToCaller()
{
    m_server->setFault(QStringLiteral("tavro.test.null"), DevServer::Fault::NoStatus);
    ApiRequest request(false);
    QString reply;
    QVERIFY(request.get(QStringLiteral("tavro.test.null"), {}, reply, false));
    QVERIFY(!reply.isEmpty());
    QCOMPARE(ApiReply::status(reply), QString());
    QVERIFY(!ApiReply::isOk(ApiReply::parse(reply)));
    QVERIFY(m_boxes->boxes.isEmpty());
}

void TestApiRequest::timeout_data()
{
    QTest::addColumn<bool>("silent");
    QTest::newRow("shown") << false;
    QTest::newRow("silent") << true;
}

void TestApiRequest::timeout()
{
    QFETCH(bool, silent);
    m_server->setDelay(3000, QStringLiteral("tavro.test.null"));
    ApiRequest request(silent);
    QCOMPARE(request.timeout(), ApiRequest::defaultTimeout);
    request.setTimeout(200);
    QString reply;
    QVERIFY(!request.get(QStringLiteral("tavro.test.null"), {}, reply, false));
    QVERIFY(reply.isEmpty());
    if (silent) {
        QVERIFY(m_boxes->boxes.isEmpty());
        return;
    }
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().icon, MessageBox::Icon::Warning);
    QCOMPARE(m_boxes->boxes.first().title, QStringLiteral("Network Error"));
    QCOMPARE(m_boxes->boxes.first().text, QStringLiteral("Connection Timeout"));
}

void TestApiRequest::refusedConnection_data()
{
    QTest::addColumn<bool>("silent");
    QTest::newRow("shown") << false;
    QTest::newRow("silent") << true;
}

void TestApiRequest::refusedConnection()
{
    QFETCH(bool, silent);
    const quint16 port = m_server->serverPort();
    m_server->close();
    Settings::instance()->values[QStringLiteral("RealApiBaseUrl")] =
        QStringLiteral("http://127.0.0.1:%1/service/").arg(port);
    ApiRequest request(silent);
    QString reply;
    QVERIFY(!request.get(QStringLiteral("tavro.test.null"), {}, reply, false));
    QVERIFY(!request.isOk());
    QVERIFY(reply.isEmpty());
    if (silent) {
        QVERIFY(m_boxes->boxes.isEmpty());
        return;
    }
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().title, QStringLiteral("Network error"));
    QCOMPARE(m_boxes->boxes.first().text, QStringLiteral("The remote server refused the connection."));
}

void TestApiRequest::closedConnection()
{
    m_server->setFault(QStringLiteral("tavro.test.null"), DevServer::Fault::Close);
    ApiRequest request(false);
    QString reply;
    QVERIFY(!request.get(QStringLiteral("tavro.test.null"), {}, reply, false));
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().text,
             QStringLiteral("The remote server closed the connection prematurely, before the entire reply was "
                            "received and processed."));
}

void TestApiRequest::untrustedCertificateFailsWithoutBox()
{
    const QString data = qEnvironmentVariable("TAVRO_TEST_DATA");
    DevServer tlsServer;
    QVERIFY(tlsServer.setTlsFiles(data + QStringLiteral("/devservice-cert.pem"),
                                  data + QStringLiteral("/devservice-key.pem")));
    QVERIFY(tlsServer.listen());
    QCOMPARE(tlsServer.url().scheme(), QStringLiteral("https"));
    Settings::instance()->values[QStringLiteral("RealApiBaseUrl")] = tlsServer.url().toString();
    ApiRequest request(false);
    QString reply;
    QVERIFY(!request.get(QStringLiteral("tavro.test.null"), {}, reply, false));
    QVERIFY(reply.isEmpty());
    QVERIFY(m_boxes->boxes.isEmpty());
}

void TestApiRequest::trustedCertificateSucceeds()
{
    const QString data = qEnvironmentVariable("TAVRO_TEST_DATA");
    const auto certificates = QSslCertificate::fromPath(data + QStringLiteral("/devservice-cert.pem"));
    QCOMPARE(certificates.size(), 1);
    DevServer tlsServer;
    QVERIFY(tlsServer.setTlsFiles(data + QStringLiteral("/devservice-cert.pem"),
                                  data + QStringLiteral("/devservice-key.pem")));
    QVERIFY(tlsServer.listen());
    Settings::instance()->values[QStringLiteral("RealApiBaseUrl")] = tlsServer.url().toString();

    const QSslConfiguration original = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = original;
    trusting.addCaCertificates(certificates);
    QSslConfiguration::setDefaultConfiguration(trusting);
    ApiRequest request(false);
    QString reply;
    const bool ok = request.get(QStringLiteral("tavro.test.null"), {}, reply, false);
    QSslConfiguration::setDefaultConfiguration(original);
    QVERIFY(ok);
    QCOMPARE(ApiReply::status(reply), QStringLiteral("ok"));
    QVERIFY(m_boxes->boxes.isEmpty());
    QCOMPARE(tlsServer.requests().size(), 1);
}

void TestApiRequest::noManagerFails()
{
    ApiRequest request(nullptr, false);
    QString reply = QStringLiteral("stale");
    QVERIFY(!request.get(QStringLiteral("tavro.test.null"), {}, reply, false));
    QVERIFY(reply.isEmpty());
    QVERIFY(m_server->requests().isEmpty());
}

QTEST_GUILESS_MAIN(TestApiRequest)
#include "tst_apirequest.moc"
