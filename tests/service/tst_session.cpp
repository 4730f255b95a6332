#include "apireply.h"
#include "devserver.h"
#include "devservicestore.h"
#include "loginprompt.h"
#include "session.h"
#include "settings.h"
#include "testsupport.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using TestSupport::BoxRecorder;

namespace {
// Answers the login prompt from a script and records what it was shown.
class ScriptedPrompt : public LoginPrompt
{
public:
    struct Answer
    {
        bool accept = true;
        QString username;
        QString password;
        bool remember = false;
    };

    bool ask(Values &values) override
    {
        shown.append(values);
        if (answers.isEmpty()) {
            return false;
        }
        const Answer answer = answers.takeFirst();
        values.username = answer.username;
        values.password = answer.password;
        values.remember = answer.remember;
        return answer.accept;
    }

    QList<Answer> answers;
    QList<Values> shown;
};

QStringList messagesOf(const QSignalSpy &spy)
{
    QStringList texts;
    for (const auto &arguments : spy) {
        texts << arguments.at(0).toString();
    }
    return texts;
}

// Answers every request with one fixed body, for replies the development service never sends.
class FixedReplyServer : public QTcpServer
{
public:
    explicit FixedReplyServer(const QByteArray &body)
        : m_body(body)
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    m_request += socket->readAll();
                    if (!m_request.contains("\r\n\r\n")) {
                        return;
                    }
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\nContent-Length: " +
                                  QByteArray::number(m_body.size()) + "\r\n\r\n" + m_body);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/service/").arg(serverPort()); }

private:
    QByteArray m_body;
    QByteArray m_request;
};

QStringList capturedLog;
void captureLog(QtMsgType, const QMessageLogContext &, const QString &message)
{
    capturedLog << message;
}
} // namespace

class TestSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void onlineAtFirstAttempt();
    void offlineStartCountsDown();
    void storedTokenAccepted();
    void storedTokenRejectedFallsBackToCredentials();
    void emptyPasswordOpensPromptAtOnce();
    void wrongPasswordBringsPromptBackWithMessage();
    void rememberTickedStoresCredentials();
    void rememberUntickedKeepsStoredCredentials();
    void cancelledPromptEndsWithReady();
    void networkFailureDuringLogin();
    void indicatorShowsUsernameWithoutRealname();
    void indicatorEscapesAndDecodesNames();
    void doubleClickSignsInOnlyWhenSignedOut();
    void replyWithoutApiKeyKeepsStoredKey();
    void loginReplyFixture();
    void secondSignInWhileSigningInIsIgnored();
    void logoutClearsSessionAndTree();
    void loadProjectsNeedsSignIn();
    void failedProjectsLoadCachesEmptyReply();
    void logKeepsSecretsOut();
    void throughProxy();
    void refusedProxyMeansOffline();

private:
    void setStored(const QString &username, const QString &password, const QString &token = {});
    QStringList methodsReceived() const;

    std::unique_ptr<DevServer> m_server;
    std::unique_ptr<BoxRecorder> m_boxes;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<Session> m_session;
    int m_demoUser = 0;
};

void TestSession::init()
{
    m_server = std::make_unique<DevServer>();
    QVERIFY2(m_server->listen(), qPrintable(m_server->errorString()));
    m_boxes = std::make_unique<BoxRecorder>();
    m_prompt = std::make_unique<ScriptedPrompt>();
    m_session = std::make_unique<Session>(m_prompt.get());
    // A failing test should not wait a minute for the retries.
    m_session->setRetryInterval(50);
    auto &values = Settings::instance()->values;
    values.clear();
    values[QStringLiteral("RealApiBaseUrl")] = m_server->url().toString();
    values[QStringLiteral("UserAgent")] = QStringLiteral("TavroDesk/1.0.10 Linux");
    values[QStringLiteral("ApiKey")] = QString();
    values[QStringLiteral("ProxyEnabled")] = false;
    m_demoUser = m_server->store()->authenticate(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
    QVERIFY(m_demoUser > 0);
}

void TestSession::cleanup()
{
    m_session.reset();
    QVERIFY(!Settings::instance()->networkManager);
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    m_prompt.reset();
    m_boxes.reset();
    m_server.reset();
}

void TestSession::setStored(const QString &username, const QString &password, const QString &token)
{
    auto &values = Settings::instance()->values;
    values[QStringLiteral("Username")] = username;
    values[QStringLiteral("Password")] = password;
    values[QStringLiteral("AuthToken")] = token;
}

QStringList TestSession::methodsReceived() const
{
    QStringList methods;
    for (const DevServerRequest &request : m_server->requests()) {
        methods << request.method;
    }
    return methods;
}

void TestSession::onlineAtFirstAttempt()
{
    const QString apiKey = m_server->store()->user(m_demoUser)->apiKey;
    Settings::instance()->values[QStringLiteral("ApiKey")] = apiKey;
    QSignalSpy status(m_session.get(), &Session::statusMessage);
    QVERIFY(m_session->connectToService());
    QVERIFY(m_session->isOnline());
    QCOMPARE(Settings::instance()->networkManager, m_session->networkManager());
    QCOMPARE(messagesOf(status), (QStringList{QStringLiteral("Connecting to Tavro..."), QStringLiteral("Ready")}));
    QCOMPARE(m_server->requests().size(), 1);
    QCOMPARE(m_server->requests().first().method, QStringLiteral("tavro.test.null"));
    QCOMPARE(m_server->requests().first().value(QStringLiteral("api_key")), apiKey);
}

void TestSession::offlineStartCountsDown()
{
    setStored(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
    m_server->close();
    m_session->setRetryInterval(2500);
    QSignalSpy status(m_session.get(), &Session::statusMessage);
    QSignalSpy loginState(m_session.get(), &Session::loginStateChanged);
    m_session->startUp();
    QVERIFY(!m_session->isOnline());
    QVERIFY(!m_session->isLoggedIn());
    QVERIFY(m_prompt->shown.isEmpty());
    QVERIFY(loginState.isEmpty());
    // The test call is silent: being offline shows no box.
    QVERIFY(m_boxes->boxes.isEmpty());

    QStringList messages = messagesOf(status);
    QCOMPARE(messages.first(), QStringLiteral("Initializing network..."));
    QCOMPARE(messages.last(), QStringLiteral("Could not connect to Tavro. Working offline."));
    QCOMPARE(messages.count(QStringLiteral("Connecting to Tavro...")), 3);
    QCOMPARE(messages.count(QStringLiteral("Could not connect to Tavro")), 2);
    const QStringList countdown =
        messages.filter(QStringLiteral("Could not connect to Tavro. Working offline. Retrying in "));
    QVERIFY(!countdown.isEmpty());
    for (const QString &text : countdown) {
        QVERIFY2(text == QStringLiteral("Could not connect to Tavro. Working offline. Retrying in 1 sec...") ||
                     text == QStringLiteral("Could not connect to Tavro. Working offline. Retrying in 2 sec..."),
                 qPrintable(text));
    }
    // The countdown runs only during the pauses, after the failure message.
    QVERIFY(messages.indexOf(countdown.first()) > messages.indexOf(QStringLiteral("Could not connect to Tavro")));
}

void TestSession::storedTokenAccepted()
{
    const QString token = m_server->store()->createToken(m_demoUser);
    setStored(QString(), QString(), token);
    QSignalSpy loginState(m_session.get(), &Session::loginStateChanged);
    QSignalSpy indicator(m_session.get(), &Session::indicatorTextChanged);
    QSignalSpy projects(m_session.get(), &Session::projectsReceived);
    QSignalSpy status(m_session.get(), &Session::statusMessage);
    m_session->startUp();

    QVERIFY(m_session->isLoggedIn());
    QVERIFY(m_prompt->shown.isEmpty());
    auto &values = Settings::instance()->values;
    QVERIFY(values.value(QStringLiteral("isLoggedIn")).toBool());
    QCOMPARE(values.value(QStringLiteral("AuthToken")).toString(), token);
    QCOMPARE(values.value(QStringLiteral("ApiKey")).toString(), m_server->store()->user(m_demoUser)->apiKey);
    const auto user = values.value(QStringLiteral("AuthUser")).toMap();
    QCOMPARE(user.value(QStringLiteral("id")).toString(), QString::number(m_demoUser));
    QCOMPARE(user.value(QStringLiteral("username")).toString(), QStringLiteral("demo"));
    QCOMPARE(user.value(QStringLiteral("realname")).toString(), QStringLiteral("Demo User"));
    QCOMPARE(loginState.last().at(0).toBool(), true);
    QCOMPARE(indicator.last().at(0).toString(),
             QStringLiteral("Signed in as Demo User <img src=':/icons/res/online.png'>"));
    QCOMPARE(m_session->indicatorText(), indicator.last().at(0).toString());

    QCOMPARE(methodsReceived(), (QStringList{QStringLiteral("tavro.test.null"), QStringLiteral("tavro.auth.checkToken"),
                                             QStringLiteral("tavro.projects.findByUser")}));
    QCOMPARE(m_server->requests().at(1).parameters, (DevServiceParameters{{QStringLiteral("auth_token"), token}}));
    const DevServerRequest find = m_server->requests().at(2);
    QCOMPARE(find.parameters,
             (DevServiceParameters{{QStringLiteral("api_key"), values.value(QStringLiteral("ApiKey")).toString()},
                                   {QStringLiteral("auth_token"), token},
                                   {QStringLiteral("user_id"), QString::number(m_demoUser)},
                                   {QStringLiteral("include_task_lists"), QStringLiteral("1")},
                                   {QStringLiteral("include_tasks"), QStringLiteral("1")}}));
    QCOMPARE(projects.size(), 1);
    const QString xml = projects.first().at(0).toString();
    QCOMPARE(ApiReply::status(xml), QStringLiteral("ok"));
    QCOMPARE(values.value(QStringLiteral("XmlProjectsList")).toString(), xml);
    const QStringList messages = messagesOf(status);
    QVERIFY(messages.contains(QStringLiteral("Verifying session...")));
    QVERIFY(messages.indexOf(QStringLiteral("Loading projects...")) >
            messages.indexOf(QStringLiteral("Verifying session...")));
    QCOMPARE(messages.last(), QStringLiteral("Ready"));
}

void TestSession::storedTokenRejectedFallsBackToCredentials()
{
    setStored(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"), QStringLiteral("expired-token"));
    m_session->startUp();
    QVERIFY(m_session->isLoggedIn());
    QVERIFY(m_prompt->shown.isEmpty());
    QVERIFY(m_boxes->boxes.isEmpty());
    QCOMPARE(methodsReceived(),
             (QStringList{QStringLiteral("tavro.test.null"), QStringLiteral("tavro.auth.checkToken"),
                          QStringLiteral("tavro.auth.login"), QStringLiteral("tavro.projects.findByUser")}));
    const QString token = Settings::instance()->value(QStringLiteral("AuthToken")).toString();
    QVERIFY(token != QLatin1String("expired-token"));
    QCOMPARE(m_server->store()->userForToken(token), m_demoUser);
    QCOMPARE(m_server->requests().at(2).parameters,
             (DevServiceParameters{{QStringLiteral("email"), QStringLiteral("demo@tavro.test")},
                                   {QStringLiteral("password"), QStringLiteral("demo")}}));
}

void TestSession::emptyPasswordOpensPromptAtOnce()
{
    setStored(QStringLiteral("demo@tavro.test"), QString());
    m_prompt->answers = {{true, QStringLiteral("demo@tavro.test"), QStringLiteral("demo"), false}};
    QVERIFY(m_session->connectToService());
    m_server->clearRequests();
    m_session->restoreSession();
    QCOMPARE(m_prompt->shown.size(), 1);
    QCOMPARE(m_prompt->shown.first().username, QStringLiteral("demo@tavro.test"));
    QCOMPARE(m_prompt->shown.first().password, QString());
    QVERIFY(!m_prompt->shown.first().remember);
    QCOMPARE(m_prompt->shown.first().errorMessage, QString());
    // No silent attempt went out before the prompt.
    QCOMPARE(methodsReceived(),
             (QStringList{QStringLiteral("tavro.auth.login"), QStringLiteral("tavro.projects.findByUser")}));
    QVERIFY(m_session->isLoggedIn());
}

void TestSession::wrongPasswordBringsPromptBackWithMessage()
{
    setStored(QStringLiteral("demo@tavro.test"), QStringLiteral("wrong"));
    m_prompt->answers = {{true, QStringLiteral("demo@tavro.test"), QStringLiteral("still wrong"), false},
                         {true, QStringLiteral("demo@tavro.test"), QStringLiteral("demo"), false}};
    QVERIFY(m_session->connectToService());
    m_session->login();
    QVERIFY(m_session->isLoggedIn());
    QCOMPARE(m_prompt->shown.size(), 2);
    // With a stored password the remember box starts ticked; the stored values fill the prompt.
    for (const LoginPrompt::Values &shown : std::as_const(m_prompt->shown)) {
        QCOMPARE(shown.errorMessage, QStringLiteral("Wrong e-mail or password"));
        QCOMPARE(shown.password, QStringLiteral("wrong"));
        QVERIFY(shown.remember);
    }
    QVERIFY(m_boxes->boxes.isEmpty());
    QCOMPARE(methodsReceived().count(QStringLiteral("tavro.auth.login")), 3);
}

void TestSession::rememberTickedStoresCredentials()
{
    setStored(QStringLiteral("old@tavro.test"), QString());
    m_prompt->answers = {{true, QStringLiteral("demo@tavro.test"), QStringLiteral("demo"), true}};
    QVERIFY(m_session->connectToService());
    m_session->login();
    QVERIFY(m_session->isLoggedIn());
    QCOMPARE(Settings::instance()->value(QStringLiteral("Username")).toString(), QStringLiteral("demo@tavro.test"));
    QCOMPARE(Settings::instance()->value(QStringLiteral("Password")).toString(), QStringLiteral("demo"));
}

void TestSession::rememberUntickedKeepsStoredCredentials()
{
    setStored(QStringLiteral("old@tavro.test"), QString());
    m_prompt->answers = {{true, QStringLiteral("demo@tavro.test"), QStringLiteral("demo"), false}};
    QVERIFY(m_session->connectToService());
    m_session->login();
    QVERIFY(m_session->isLoggedIn());
    QCOMPARE(Settings::instance()->value(QStringLiteral("Username")).toString(), QStringLiteral("old@tavro.test"));
    QCOMPARE(Settings::instance()->value(QStringLiteral("Password")).toString(), QString());
}

void TestSession::cancelledPromptEndsWithReady()
{
    setStored(QString(), QString());
    QVERIFY(m_session->connectToService());
    m_server->clearRequests();
    QSignalSpy status(m_session.get(), &Session::statusMessage);
    QSignalSpy loginState(m_session.get(), &Session::loginStateChanged);
    m_session->login();
    QVERIFY(!m_session->isLoggedIn());
    QCOMPARE(m_prompt->shown.size(), 1);
    QVERIFY(!m_prompt->shown.first().remember);
    QVERIFY(m_server->requests().isEmpty());
    QVERIFY(loginState.isEmpty());
    QCOMPARE(messagesOf(status), (QStringList{QStringLiteral("Signing in..."), QStringLiteral("Ready")}));
}

void TestSession::networkFailureDuringLogin()
{
    setStored(QString(), QString());
    QVERIFY(m_session->connectToService());
    m_server->setFault(QStringLiteral("tavro.auth.login"), DevServer::Fault::Close);
    m_prompt->answers = {{true, QStringLiteral("demo@tavro.test"), QStringLiteral("demo"), false}};
    m_session->login();
    QVERIFY(!m_session->isLoggedIn());
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().title, QStringLiteral("Network error"));
    // The prompt came back, without an error text, and the user cancelled it.
    QCOMPARE(m_prompt->shown.size(), 2);
    QCOMPARE(m_prompt->shown.last().errorMessage, QString());
}

void TestSession::indicatorShowsUsernameWithoutRealname()
{
    setStored(QStringLiteral("nobody@tavro.test"), QStringLiteral("nobody"));
    QVERIFY(m_session->connectToService());
    m_session->login();
    QVERIFY(m_session->isLoggedIn());
    QCOMPARE(m_session->indicatorText(), QStringLiteral("Signed in as nobody <img src=':/icons/res/online.png'>"));
}

void TestSession::indicatorEscapesAndDecodesNames()
{
    m_server->store()->addUser(QStringLiteral("eve@tavro.test"), QStringLiteral("pw"),
                               QStringLiteral("<img src=x> Jürgen & \"Eve\""), QStringLiteral("eve"));
    setStored(QStringLiteral("eve@tavro.test"), QStringLiteral("pw"));
    QVERIFY(m_session->connectToService());
    m_session->login();
    QVERIFY(m_session->isLoggedIn());
    QCOMPARE(m_session->indicatorText(), QStringLiteral("Signed in as &lt;img src=x&gt; Jürgen &amp; &quot;Eve&quot; "
                                                        "<img src=':/icons/res/online.png'>"));
    QCOMPARE(
        Settings::instance()->value(QStringLiteral("AuthUser")).toMap().value(QStringLiteral("realname")).toString(),
        QStringLiteral("<img src=x> Jürgen & \"Eve\""));
    QCOMPARE(Session::signedInText(
                 {{QStringLiteral("realname"), QString()}, {QStringLiteral("username"), QStringLiteral("a<b")}}),
             QStringLiteral("Signed in as a&lt;b <img src=':/icons/res/online.png'>"));
}

void TestSession::replyWithoutApiKeyKeepsStoredKey()
{
    FixedReplyServer server("<rsp status=\"ok\"><user id=\"5\" username=\"u\" realname=\"\"/><token>t</token></rsp>");
    QVERIFY(server.listen(QHostAddress::LocalHost));
    auto &values = Settings::instance()->values;
    values[QStringLiteral("RealApiBaseUrl")] = server.url();
    values[QStringLiteral("ApiKey")] = QStringLiteral("kept-key");
    QVERIFY(m_session->connectToService());
    QMap<QString, QVariant> user;
    QVERIFY(m_session->checkToken(QStringLiteral("t"), user));
    QCOMPARE(values.value(QStringLiteral("ApiKey")).toString(), QStringLiteral("kept-key"));
    QString token;
    QString error;
    QVERIFY(m_session->doLogin(QStringLiteral("u"), QStringLiteral("p"), token, user, error));
    QCOMPARE(token, QStringLiteral("t"));
    QCOMPARE(values.value(QStringLiteral("ApiKey")).toString(), QStringLiteral("kept-key"));
    QCOMPARE(user.value(QStringLiteral("id")).toString(), QStringLiteral("5"));
}

void TestSession::loginReplyFixture()
{
    FixedReplyServer server(TestSupport::fixtureReply(QStringLiteral("login-ok.xml")).toLatin1());
    QVERIFY(server.listen(QHostAddress::LocalHost));
    Settings::instance()->values[QStringLiteral("RealApiBaseUrl")] = server.url();
    QVERIFY(m_session->connectToService());
    QString token;
    QString error = QStringLiteral("stale");
    QMap<QString, QVariant> user;
    QVERIFY(m_session->doLogin(QStringLiteral("jdoe"), QStringLiteral("pw"), token, user, error));
    QCOMPARE(error, QString());
    QCOMPARE(token, QStringLiteral("0f3a9c2e7b"));
    QCOMPARE(Settings::instance()->value(QStringLiteral("ApiKey")).toString(), QStringLiteral("key-42"));
    QCOMPARE(user.value(QStringLiteral("realname")).toString(), QStringLiteral("Jürgen <Doe>"));
    QCOMPARE(m_session->indicatorText(),
             QStringLiteral("Signed in as Jürgen &lt;Doe&gt; <img src=':/icons/res/online.png'>"));
}

void TestSession::doubleClickSignsInOnlyWhenSignedOut()
{
    setStored(QString(), QString());
    QVERIFY(m_session->connectToService());
    m_prompt->answers = {{true, QStringLiteral("demo@tavro.test"), QStringLiteral("demo"), false}};
    m_session->onStatusLoginIndicatorDblClicked();
    QVERIFY(m_session->isLoggedIn());
    QCOMPARE(m_prompt->shown.size(), 1);
    m_server->clearRequests();
    m_session->onStatusLoginIndicatorDblClicked();
    QCOMPARE(m_prompt->shown.size(), 1);
    QVERIFY(m_server->requests().isEmpty());
}

void TestSession::secondSignInWhileSigningInIsIgnored()
{
    setStored(QString(), QString());
    QVERIFY(m_session->connectToService());
    m_server->setDelay(400, QStringLiteral("tavro.auth.login"));
    m_prompt->answers = {{true, QStringLiteral("demo@tavro.test"), QStringLiteral("demo"), false},
                         {true, QStringLiteral("demo@tavro.test"), QStringLiteral("demo"), false}};
    // The user double-clicks the indicator while the login request is waiting.
    QTimer::singleShot(100, m_session.get(), &Session::onStatusLoginIndicatorDblClicked);
    QTimer::singleShot(150, m_session.get(), &Session::login);
    m_session->login();
    QVERIFY(m_session->isLoggedIn());
    QCOMPARE(m_prompt->shown.size(), 1);
    QCOMPARE(methodsReceived().count(QStringLiteral("tavro.auth.login")), 1);
    QCOMPARE(methodsReceived().count(QStringLiteral("tavro.projects.findByUser")), 1);
}

void TestSession::logoutClearsSessionAndTree()
{
    setStored(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
    QVERIFY(m_session->connectToService());
    m_session->login();
    QVERIFY(m_session->isLoggedIn());
    const QString token = Settings::instance()->value(QStringLiteral("AuthToken")).toString();
    const QString cached = Settings::instance()->value(QStringLiteral("XmlProjectsList")).toString();
    QVERIFY(!cached.isEmpty());

    QSignalSpy cleared(m_session.get(), &Session::projectsCleared);
    QSignalSpy loginState(m_session.get(), &Session::loginStateChanged);
    QSignalSpy indicator(m_session.get(), &Session::indicatorTextChanged);
    m_server->clearRequests();
    m_session->logout();

    QVERIFY(!m_session->isLoggedIn());
    auto &values = Settings::instance()->values;
    QCOMPARE(values.value(QStringLiteral("AuthToken")).toString(), QString());
    QVERIFY(values.value(QStringLiteral("AuthUser")).toMap().isEmpty());
    QVERIFY(!values.value(QStringLiteral("isLoggedIn")).toBool());
    // The cache stays; only the tree is emptied.
    QCOMPARE(values.value(QStringLiteral("XmlProjectsList")).toString(), cached);
    QCOMPARE(cleared.size(), 1);
    QCOMPARE(loginState.size(), 1);
    QCOMPARE(loginState.first().at(0).toBool(), false);
    QCOMPARE(indicator.last().at(0).toString(), Session::signedOutText());
    QCOMPARE(m_server->requests().size(), 1);
    QCOMPARE(m_server->requests().first().method, QStringLiteral("tavro.auth.logout"));
    QCOMPARE(m_server->requests().first().value(QStringLiteral("auth_token")), token);
    QCOMPARE(m_server->store()->userForToken(token), 0);

    // The local session ends even when the service cannot be reached.
    m_session->login();
    QVERIFY(m_session->isLoggedIn());
    m_server->close();
    m_session->logout();
    QVERIFY(!m_session->isLoggedIn());
    QCOMPARE(values.value(QStringLiteral("AuthToken")).toString(), QString());
}

void TestSession::loadProjectsNeedsSignIn()
{
    QVERIFY(m_session->connectToService());
    m_server->clearRequests();
    auto &values = Settings::instance()->values;
    values[QStringLiteral("XmlProjectsList")] = QStringLiteral("earlier");
    values[QStringLiteral("isLoggedIn")] = false;
    QSignalSpy projects(m_session.get(), &Session::projectsReceived);
    m_session->loadProjects();
    QVERIFY(m_server->requests().isEmpty());
    QVERIFY(projects.isEmpty());
    QCOMPARE(values.value(QStringLiteral("XmlProjectsList")).toString(), QStringLiteral("earlier"));
}

void TestSession::failedProjectsLoadCachesEmptyReply()
{
    setStored(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
    QVERIFY(m_session->connectToService());
    m_session->login();
    QVERIFY(!Settings::instance()->value(QStringLiteral("XmlProjectsList")).toString().isEmpty());

    m_server->setFault(QStringLiteral("tavro.projects.findByUser"), DevServer::Fault::Close);
    QSignalSpy projects(m_session.get(), &Session::projectsReceived);
    m_session->loadProjects();
    QVERIFY(projects.isEmpty());
    QCOMPARE(Settings::instance()->value(QStringLiteral("XmlProjectsList")).toString(), QString());
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().title, QStringLiteral("Network error"));

    // An error reply is handed on (the tree reports it) and cached as it is.
    m_server->setErrorFault(QStringLiteral("tavro.projects.findByUser"), 11, QStringLiteral("Invalid token"));
    m_session->loadProjects();
    QCOMPARE(projects.size(), 1);
    QCOMPARE(ApiReply::status(projects.first().at(0).toString()), QStringLiteral("error"));
    QCOMPARE(Settings::instance()->value(QStringLiteral("XmlProjectsList")).toString(),
             projects.first().at(0).toString());
    QCOMPARE(m_boxes->boxes.last().title, QStringLiteral("Tavro API Error"));
}

void TestSession::logKeepsSecretsOut()
{
    const QString password = QStringLiteral("S3cret-Passw0rd");
    m_server->store()->addUser(QStringLiteral("secret@tavro.test"), password, QStringLiteral("Sec"),
                               QStringLiteral("sec"));
    setStored(QStringLiteral("secret@tavro.test"), password);
    QVERIFY(m_session->connectToService());
    capturedLog.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureLog);
    m_session->login();
    const QString token = Settings::instance()->value(QStringLiteral("AuthToken")).toString();
    QMap<QString, QVariant> user;
    const bool checked = m_session->checkToken(token, user);
    qInstallMessageHandler(previous);
    QVERIFY(m_session->isLoggedIn());
    QVERIFY(checked);
    QVERIFY(token.size() > 8);
    QVERIFY(!capturedLog.isEmpty());
    QVERIFY(capturedLog.join(QLatin1Char('\n')).contains(QLatin1String("login, username = ")));
    for (const QString &line : std::as_const(capturedLog)) {
        QVERIFY2(!line.contains(password), qPrintable(line));
        QVERIFY2(!line.contains(token), qPrintable(line));
    }
}

void TestSession::throughProxy()
{
    const QString tinyproxy = QStandardPaths::findExecutable(QStringLiteral("tinyproxy"));
    if (tinyproxy.isEmpty()) {
        QSKIP("tinyproxy is not installed");
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    const QString logPath = dir.filePath(QStringLiteral("tinyproxy.log"));
    QFile config(dir.filePath(QStringLiteral("tinyproxy.conf")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("Port %1\nListen 127.0.0.1\nTimeout 30\nAllow 127.0.0.1\nLogLevel Info\n"
                                "LogFile \"%2\"\nMaxClients 10\n")
                     .arg(port)
                     .arg(logPath)
                     .toUtf8());
    config.close();
    QProcess proxy;
    proxy.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proxy.start(tinyproxy, {QStringLiteral("-d"), QStringLiteral("-c"), config.fileName()});
    QVERIFY(proxy.waitForStarted());
    auto stopProxy = qScopeGuard([&proxy] {
        proxy.terminate();
        if (!proxy.waitForFinished(3000)) {
            proxy.kill();
            proxy.waitForFinished();
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(
        [port] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            return socket.waitForConnected(200);
        }(),
        10000);

    auto &values = Settings::instance()->values;
    values[QStringLiteral("ProxyEnabled")] = true;
    values[QStringLiteral("ProxyHost")] = QStringLiteral("127.0.0.1");
    values[QStringLiteral("ProxyPort")] = QString::number(port);
    setStored(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
    QVERIFY(m_session->connectToService());
    QCOMPARE(QNetworkProxy::applicationProxy().port(), port);
    QCOMPARE(m_session->networkManager()->proxy().hostName(), QStringLiteral("127.0.0.1"));
    m_session->login();
    QVERIFY(m_session->isLoggedIn());
    QVERIFY(m_server->requests().size() >= 3);

    QFile log(logPath);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    QVERIFY2(text.contains("tavro.test.null"), text.constData());
    QVERIFY(text.contains("tavro.auth.login"));
    QVERIFY(text.contains("tavro.projects.findByUser"));
}

void TestSession::refusedProxyMeansOffline()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    auto &values = Settings::instance()->values;
    values[QStringLiteral("ProxyEnabled")] = true;
    values[QStringLiteral("ProxyHost")] = QStringLiteral("127.0.0.1");
    values[QStringLiteral("ProxyPort")] = QString::number(port);
    QVERIFY(!m_session->connectToService());
    // The server itself was never reached: the requests went to the dead proxy.
    QVERIFY(m_server->requests().isEmpty());
    QVERIFY(m_boxes->boxes.isEmpty());
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
