#include "apireply.h"
#include "apirequest.h"
#include "devserver.h"
#include "devservicestore.h"
#include "endlessreplyserver.h"
#include "loginprompt.h"
#include "recordingpresenter.h"
#include "session.h"
#include "sessionconnection.h"
#include "settings.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QTest>

#include <functional>
#include <memory>

namespace {
QString nested(int depth, const QString &inner = QStringLiteral("x"))
{
    return QStringLiteral("<rsp status=\"ok\">") + QStringLiteral("<a>").repeated(depth) + inner +
           QStringLiteral("</a>").repeated(depth) + QStringLiteral("</rsp>");
}

// Runs a request to its end as the continuation of a caller sees it: whether it went through, and the reply.
bool finish(ApiRequest &request, const std::function<void()> &start, QString &reply)
{
    QSignalSpy finished(&request, &ApiRequest::finished);
    start();
    if (finished.isEmpty() && !finished.wait(30000)) {
        return false;
    }
    reply = request.reply();
    return request.isOk();
}

bool get(ApiRequest &request, const QString &method, const ApiCall::Parameters &parameters, QString &reply,
         bool silentApiErrors)
{
    return finish(
        request, [&] { request.startGet(method, parameters, silentApiErrors); }, reply);
}

bool post(ApiRequest &request, const QString &method, const ApiCall::Parameters &parameters, QString &reply,
          bool silentApiErrors)
{
    return finish(
        request, [&] { request.startPost(method, parameters, silentApiErrors); }, reply);
}

bool send(ApiRequest &request, QNetworkRequest &networkRequest, const QString &method, const QByteArray &body,
          QString &reply, bool silentApiErrors)
{
    return finish(
        request, [&] { request.start(networkRequest, method, body, silentApiErrors); }, reply);
}

// Records the reason it was shown and cancels.
class CancellingPrompt : public LoginPrompt
{
public:
    bool ask(Values &values) override
    {
        errors << values.errorMessage;
        return false;
    }
    QStringList errors;
};

QByteArray rawReply(const QByteArray &status, const QByteArray &headers, const QByteArray &body)
{
    return "HTTP/1.1 " + status + "\r\nContent-Type: text/xml\r\n" + headers +
           "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}
} // namespace

class TestApiRequest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_server = std::make_unique<DevServer>();
        QVERIFY2(m_server->listen(), qPrintable(m_server->errorString()));
        m_manager = std::make_unique<QNetworkAccessManager>();
        m_boxes = std::make_unique<RecordingPresenter>();
        Settings::instance()->setNetworkManager(m_manager.get());
        Settings::instance()->setServiceUrl(m_server->url().toString());
        m_user = m_server->store()->authenticate(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
    }

    void cleanup()
    {
        Settings::instance()->setNetworkManager(nullptr);
        m_boxes.reset();
        m_manager.reset();
        m_server.reset();
    }

    void requestArrivesAsSent_data()
    {
        // "name=value" pairs split at "|"; "$task", "$list", "$project" and "$entry" stand for ids of the demo data.
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("pairs");
        QTest::addColumn<QByteArray>("wireEnd");
        const auto s = [](const char *text) { return QString::fromUtf8(text); };
        QTest::newRow("login") << s("GET") << s("tavro.auth.login") << s("email=demo@tavro.test|password=demo")
                               << QByteArray("email=demo%40tavro.test&password=demo");
        QTest::newRow("addBulk")
            << s("POST") << s("tavro.entries.addBulk")
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
    }

    void requestArrivesAsSent()
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
        QVERIFY(verb == QLatin1String("POST") ? post(request, method, parameters, reply, false)
                                              : get(request, method, parameters, reply, false));
        QCOMPARE(ApiReply::status(reply), QStringLiteral("ok"));
        QCOMPARE(m_server->requests().size(), 1);
        const DevServerRequest received = m_server->requests().first();
        QCOMPARE(received.verb, verb);
        QCOMPARE(received.method, method);
        QCOMPARE(received.parameters, sent);
        QVERIFY2((verb == QLatin1String("POST") ? received.body : received.query).endsWith(wireEnd), received.body);
    }

    // A change the service carried out and never answered is not sent again by the network layer, on
    // a fresh connection or after other requests: the caller learns that it may have arrived.
    void unansweredChangeIsNeverResent()
    {
        DevServiceStore *store = m_server->store();
        const int task = store->catalogue(m_user).first().taskLists.first().tasks.first().id;
        const ApiCall::Parameters parameters{{QStringLiteral("api_key"), store->user(m_user)->apiKey},
                                             {QStringLiteral("auth_token"), store->createToken(m_user)},
                                             {QStringLiteral("date"), QStringLiteral("2026-12-06")},
                                             {QStringLiteral("duration"), QStringLiteral("600")},
                                             {QStringLiteral("task_id"), QString::number(task)}};
        m_server->setFault(QStringLiteral("tavro.entries.addBulk"), DevServer::Fault::CloseAfterRun);
        for (int attempt = 0; attempt < 3; ++attempt) {
            const qsizetype before = store->entries(m_user).size();
            ApiRequest request(true);
            QString reply;
            QVERIFY(!post(request, QStringLiteral("tavro.entries.addBulk"), parameters, reply, true));
            QVERIFY(request.mayHaveArrived());
            QCOMPARE(store->entries(m_user).size(), before + 1);
            // Kept-alive connections of ordinary requests in between change nothing.
            ApiRequest ordinary(true);
            QVERIFY(get(ordinary, QStringLiteral("tavro.test.null"), {}, reply, true));
        }
    }

    void oddReplies_data()
    {
        // The method name decides the verb: "POST" in any case is a post, anything else a get.
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("verb");
        QTest::addColumn<DevServer::Fault>("fault");
        QTest::addColumn<QString>("box");
        QTest::newRow("nul cuts the reply")
            << QStringLiteral("POST") << QStringLiteral("POST") << DevServer::Fault::NulByte << QString();
        QTest::newRow("no status left to caller")
            << QStringLiteral("Post") << QStringLiteral("POST") << DevServer::Fault::NoStatus << QString();
        QTest::newRow("error element") << QString() << QStringLiteral("GET") << DevServer::Fault::Error
                                       << QStringLiteral("Code: 12\nMessage: Falsches Passwort für ü");
        QTest::newRow("error without element")
            << QStringLiteral("posting") << QStringLiteral("GET") << DevServer::Fault::ErrorNoElement
            << QStringLiteral("Code: \nMessage: ");
    }

    void oddReplies()
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
        QCOMPARE(send(request, post, method, QByteArray("api_key="), reply, false), box.isEmpty());
        QCOMPARE(m_server->requests().last().verb, verb);
        QVERIFY(!reply.isEmpty() && !reply.contains(QChar(0)));
        QCOMPARE(ApiReply::parse(reply).isNull(), fault == DevServer::Fault::NulByte);
        QCOMPARE(m_boxes->lastText(), box);
        QCOMPARE(m_boxes->lastTitle(), box.isEmpty() ? QString() : QStringLiteral("Tavro API Error"));
    }

    void transport_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("box");
        QTest::newRow("time-out")
            << QStringLiteral("slow") << false
            << QStringLiteral("Network error/Connection Timeout\n\nThe Tavro service did not answer in time.");
        QTest::newRow("time-out silent") << QStringLiteral("slow") << true << QString();
        QTest::newRow("refused") << QStringLiteral("refused") << false
                                 << QStringLiteral("Network error/The remote server refused the connection.");
        QTest::newRow("refused silent") << QStringLiteral("refused") << true << QString();
        QTest::newRow("self-signed fails without box") << QStringLiteral("untrusted") << false << QString();
        QTest::newRow("trusted https") << QStringLiteral("trusted") << false << QString();
    }

    void transport()
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
            Settings::instance()->setServiceUrl(tlsServer.url().toString());
            QSslConfiguration::setDefaultConfiguration(kind == QLatin1String("trusted") ? trusting : original);
        }
        ApiRequest request(silent);
        request.setTimeout(1000);
        QString reply;
        const bool ok = get(request, QStringLiteral("tavro.test.null"), {}, reply, false);
        QSslConfiguration::setDefaultConfiguration(original);
        QCOMPARE(ok, kind == QLatin1String("trusted"));
        QCOMPARE(ApiReply::status(reply), ok ? QStringLiteral("ok") : QString());
        QCOMPARE(m_boxes->lastTitle() + QLatin1Char('/') + m_boxes->lastText(),
                 box.isEmpty() ? QStringLiteral("/") : box);
    }

    // An owner may let its request go the moment it reports a failure, before the failed reply has
    // finished: the reply then ends by itself and is not stopped a second time.
    void requestLetGoRightAfterFailure()
    {
        m_server->close();
        QTest::failOnWarning(QRegularExpression(QStringLiteral("QNetworkReply")));
        auto *request = new ApiRequest(true);
        const QPointer<ApiRequest> watched(request);
        connect(request, &ApiRequest::finished, request, [request] { delete request; });
        request->startGet(QStringLiteral("tavro.test.null"), {}, true);
        QTRY_VERIFY(watched.isNull());
        // The reply's own last signals arrive after the request is gone.
        QTest::qWait(200);
    }

    // Replies a hostile or broken service could send: each must fail fast with a clear message and
    // neither crash, stall, eat memory nor leak credentials.
    void parseRefusesHostileShapes_data()
    {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("ordinary depth") << nested(ApiReply::MaxDepth - 1) << true;
        QTest::newRow("one level too deep") << nested(ApiReply::MaxDepth) << false;
        // Used to take quadratic time (over a minute) and, deeper still, the stack.
        QTest::newRow("100000 levels") << nested(100000) << false;
        QTest::newRow("entity expansion")
            << QStringLiteral("<!DOCTYPE rsp [<!ENTITY a \"aaaaaaaaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">"
                              "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]><rsp status=\"ok\">&c;&c;&c;&c;</rsp>")
            << false;
        QTest::newRow("bare doctype") << QStringLiteral("<!DOCTYPE rsp><rsp status=\"ok\"/>") << false;
        QTest::newRow("over the size limit")
            << QString(QStringLiteral("<rsp status=\"ok\"><t>") + QString(ApiReply::MaxReplyBytes, QLatin1Char('x')) +
                       QStringLiteral("</t></rsp>"))
            << false;
        QTest::newRow("predefined entities")
            << QStringLiteral("<rsp status=\"ok\"><t>a &amp; b &lt;</t></rsp>") << true;
    }

    void parseRefusesHostileShapes()
    {
        QFETCH(QString, xml);
        QFETCH(bool, accepted);
        QString why;
        const QDomDocument document = ApiReply::parse(xml, &why);
        QCOMPARE(ApiReply::isOk(document), accepted);
        QCOMPARE(why.isEmpty(), accepted);
        // The error path of the request layer takes the same route.
        QString code;
        QString message;
        QVERIFY(!ApiReply::isError(xml, code, message));
    }

    void oversizedReplyStopsWhileStreaming_data()
    {
        // More than the limit arrives, and the rest never does: only a bound on what has streamed in ends
        // these requests before their time-out.
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("body");
        const QByteArray start = "<rsp status=\"ok\"><t>";
        QTest::newRow("announced length") << QByteArray("Content-Length: 104857600\r\n") << start;
        QByteArray chunks = QByteArray::number(start.size(), 16) + "\r\n" + start + "\r\n";
        const QByteArray chunk(1024 * 1024, 'x');
        for (qsizetype sent = 0; sent <= ApiReply::MaxReplyBytes; sent += chunk.size()) {
            chunks += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
        }
        QTest::newRow("chunked") << QByteArray("Transfer-Encoding: chunked\r\n") << chunks;
    }

    void oversizedReplyStopsWhileStreaming()
    {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, body);
        m_server->setIdleTimeout(120000);
        m_server->setRawResponse(QStringLiteral("/service/tavro.test.null"),
                                 "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n" + head + "\r\n" + body);
        ApiRequest request(false);
        request.setTimeout(60000);
        QString reply;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!get(request, QStringLiteral("tavro.test.null"), {}, reply, false));
        QVERIFY2(clock.elapsed() < 30000, "the request ran into its time-out");
        QVERIFY(reply.isEmpty());
        QCOMPARE(m_boxes->lastTitle(), QStringLiteral("Network error"));
        QVERIFY2(m_boxes->lastText().contains(QStringLiteral("larger than 16 MB")), qPrintable(m_boxes->lastText()));
    }

    // The download stops at the limit before the box tells the user: while a box is open the event
    // loop runs, and an endless reply would go on filling memory.
    void endlessReplyIsAbortedBeforeTheBox()
    {
        EndlessReplyServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        Settings::instance()->setServiceUrl(QStringLiteral("http://127.0.0.1:%1/service/").arg(server.serverPort()));
        bool abortedBeforeTheBox = false;
        qint64 sentWhenShown = 0;
        m_boxes->setWhileShown([&] {
            abortedBeforeTheBox = QTest::qWaitFor([&server] { return server.clientLeft(); }, 5000);
            sentWhenShown = server.bytesSent();
        });
        ApiRequest request(false);
        request.setTimeout(60000);
        QString reply;
        QVERIFY(!get(request, QStringLiteral("tavro.test.null"), {}, reply, false));
        QVERIFY(abortedBeforeTheBox);
        QVERIFY2(m_boxes->lastText().contains(QStringLiteral("larger than 16 MB")), qPrintable(m_boxes->lastText()));
        // Sent, not necessarily read: the limit plus what the buffers on the way held. On loopback the
        // kernel's autotuned socket buffers and the network thread's read-ahead reached 35 MB under load.
        QVERIFY2(sentWhenShown < 4 * ApiReply::MaxReplyBytes, QByteArray::number(sentWhenShown).constData());
        QVERIFY(reply.isEmpty());
    }

    void redirects_data()
    {
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<bool>("otherOrigin");
        QTest::addColumn<bool>("followed");
        QTest::newRow("307 to another host")
            << QStringLiteral("GET") << QByteArray("307 Temporary Redirect") << true << false;
        QTest::newRow("post 307 to another host")
            << QStringLiteral("POST") << QByteArray("307 Temporary Redirect") << true << false;
        QTest::newRow("post 302 on the same host")
            << QStringLiteral("POST") << QByteArray("302 Found") << false << false;
        QTest::newRow("post 308 on the same host")
            << QStringLiteral("POST") << QByteArray("308 Permanent Redirect") << false << false;
        QTest::newRow("get 302 on the same host") << QStringLiteral("GET") << QByteArray("302 Found") << false << true;
    }

    void redirects()
    {
        QFETCH(QString, verb);
        QFETCH(QByteArray, status);
        QFETCH(bool, otherOrigin);
        QFETCH(bool, followed);
        DevServer other;
        QVERIFY(other.listen());
        const QUrl target =
            (otherOrigin ? other.url() : m_server->url()).resolved(QUrl(QStringLiteral("tavro.test.null")));
        m_server->setRawResponse(QStringLiteral("/service/moved"),
                                 rawReply(status, "Location: " + target.toEncoded() + "\r\n", QByteArray()));
        ApiRequest request(false);
        request.setTimeout(10000);
        QString reply;
        const QString key = m_server->store()->user(m_user)->apiKey;
        QNetworkRequest post = ApiCall::postRequest(QStringLiteral("moved"));
        QNetworkRequest get = ApiCall::getRequest(QStringLiteral("moved"), {{QStringLiteral("api_key"), key}});
        const bool ok = verb == QLatin1String("POST")
                            ? send(request, post, verb, "api_key=" + key.toLatin1(), reply, false)
                            : send(request, get, verb, {}, reply, false);
        QCOMPARE(ok, followed);
        QCOMPARE(ApiReply::isOk(request.document()), followed);
        // The other host never sees the key.
        QVERIFY(other.requests().isEmpty());
        if (!followed) {
            QCOMPARE(m_boxes->lastTitle(), QStringLiteral("Network error"));
            QVERIFY2(m_boxes->lastText().contains(QStringLiteral("redirected")), qPrintable(m_boxes->lastText()));
            QCOMPARE(m_server->requests().last().method, QStringLiteral("moved"));
        } else {
            const DevServerRequest arrived = m_server->requests().last();
            QCOMPARE(arrived.method + QLatin1Char(' ') + arrived.verb, QStringLiteral("tavro.test.null ") + verb);
        }
    }

    void signInNeedsTokenAndUser_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("signedIn");
        const auto login = [](const QByteArray &token, const QByteArray &user) {
            return "<?xml version=\"1.0\"?><rsp status=\"ok\">" + token + user + "<api_key>k</api_key></rsp>";
        };
        const QByteArray user = "<user id=\"7\" username=\"u\" realname=\"R\"/>";
        QTest::newRow("token and user") << login("<token>tok-1</token>", user) << true;
        QTest::newRow("no token") << login(QByteArray(), user) << false;
        QTest::newRow("empty token") << login("<token></token>", user) << false;
        QTest::newRow("4 MB token") << login("<token>" + QByteArray(4 * 1024 * 1024, 't') + "</token>", user) << false;
        QTest::newRow("token with a line break") << login("<token>a\nb</token>", user) << false;
        QTest::newRow("no user") << login("<token>tok-1</token>", QByteArray()) << false;
        QTest::newRow("user without id") << login("<token>tok-1</token>", "<user username=\"u\"/>") << false;
    }

    void signInNeedsTokenAndUser()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, signedIn);
        m_server->setRawResponse(QStringLiteral("/service/tavro.auth.login"), rawReply("200 OK", QByteArray(), body));
        Settings *settings = Settings::instance();
        settings->setValue(Setting::Username, QStringLiteral("u"));
        settings->setValue(Setting::Password, QStringLiteral("p"));
        settings->setValue(Setting::AuthToken, QString());
        CancellingPrompt prompt;
        Session session(&prompt);
        session.login();
        QVERIFY(SessionTest::settled(session));
        QCOMPARE(session.isLoggedIn(), signedIn);
        QCOMPARE(settings->value(Setting::AuthToken).isEmpty(), !signedIn);
        // A refused sign-in asks again, saying why.
        QCOMPARE(prompt.errors.size(), signedIn ? 0 : 1);
        if (!signedIn) {
            QVERIFY2(prompt.errors.constFirst().contains(QStringLiteral("accepted the sign-in but")),
                     qPrintable(prompt.errors.constFirst()));
            QCOMPARE(session.indicatorText(), Session::signedOutText());
        }
    }

private:
    std::unique_ptr<DevServer> m_server;
    std::unique_ptr<QNetworkAccessManager> m_manager;
    std::unique_ptr<RecordingPresenter> m_boxes;
    int m_user = 0;
};

QTEST_GUILESS_MAIN(TestApiRequest)
#include "tst_apirequest.moc"
