#include "cataloguefile.h"
#include "devserver.h"
#include "devservicestore.h"
#include "loginprompt.h"
#include "projectscatalogue.h"
#include "recordingpresenter.h"
#include "session.h"
#include "sessionconnection.h"
#include "settings.h"

#include <QFile>
#include <QLoggingCategory>
#include <QNetworkProxy>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
// Answers the login prompt with queued passwords (user demo@tavro.test) and records what it was shown.
class ScriptedPrompt : public LoginPrompt
{
public:
    bool ask(Values &values) override
    {
        shown.append(values);
        if (passwords.isEmpty()) {
            return false;
        }
        values.username = QStringLiteral("demo@tavro.test");
        values.password = passwords.takeFirst();
        values.remember = false;
        return true;
    }

    QStringList passwords;
    QList<Values> shown;
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
    void init()
    {
        m_server = std::make_unique<DevServer>();
        QVERIFY2(m_server->listen(), qPrintable(m_server->errorString()));
        m_boxes = std::make_unique<RecordingPresenter>();
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_session = std::make_unique<Session>(m_prompt.get());
        m_session->setRetryInterval(50);
        Settings::instance()->restoreDefaults();
        ProjectsCatalogue::shared().clear();
        Settings::instance()->setServiceUrl(m_server->url().toString());
        m_demoUser = m_server->store()->authenticate(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
        QVERIFY(m_demoUser > 0);
    }

    void cleanup()
    {
        m_session.reset();
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
        m_prompt.reset();
        m_boxes.reset();
        m_server.reset();
    }

    void offlineStartCountsDown()
    {
        setStored(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
        m_server->close();
        m_session->setRetryInterval(2500);
        QSignalSpy status(m_session.get(), &Session::statusMessage);
        QSignalSpy finished(m_session.get(), &Session::startUpFinished);
        m_session->startUp();
        // The pauses leave the program to its events: the start-up is still under way.
        QCOMPARE(finished.count(), 0);
        QVERIFY(finished.wait(15000));
        QVERIFY(!m_session->isOnline() && !m_session->isLoggedIn());
        QVERIFY(m_prompt->shown.isEmpty());
        QVERIFY(m_boxes->boxes().isEmpty());
        QStringList messages;
        for (const auto &arguments : status) {
            messages << arguments.at(0).toString();
        }
        QCOMPARE(messages.count(QStringLiteral("Connecting to Tavro...")), 3);
        QCOMPARE(messages.last(), QStringLiteral("Could not connect to Tavro. Working offline."));
        const QString countdown = QStringLiteral("Could not connect to Tavro. Working offline. Retrying in 1 sec...");
        // The countdown runs only during the pauses, after the failure message.
        QVERIFY(messages.indexOf(countdown) > messages.indexOf(QStringLiteral("Could not connect to Tavro")));
    }

    // Nobody sees the countdown while the window is hidden: it does not tick, and says the time left as
    // soon as it is seen again.
    void hiddenCountdownRests()
    {
        setStored(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
        m_server->close();
        m_session->setRetryInterval(3000);
        m_session->setCountdownShown(false);
        QSignalSpy status(m_session.get(), &Session::statusMessage);
        QSignalSpy finished(m_session.get(), &Session::startUpFinished);
        const auto countdowns = [&status] {
            QStringList texts;
            for (const auto &arguments : status) {
                if (arguments.at(0).toString().contains(QStringLiteral("Retrying in"))) {
                    texts << arguments.at(0).toString();
                }
            }
            return texts;
        };
        m_session->startUp();
        QTest::qWait(1500);
        QCOMPARE(countdowns(), QStringList());
        m_session->setCountdownShown(true);
        QCOMPARE(countdowns().size(), 1);
        QVERIFY2(countdowns().constFirst().contains(QRegularExpression(QStringLiteral("Retrying in [12] sec"))),
                 qPrintable(countdowns().constFirst()));
        QTRY_VERIFY(countdowns().size() > 1);
        m_session->setCountdownShown(false);
        const qsizetype ticked = countdowns().size();
        QVERIFY(finished.wait(15000));
        QCOMPARE(countdowns().size(), ticked);
    }

    void storedToken_data()
    {
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QStringList>("methods");
        const QString null = QStringLiteral("tavro.test.null"), check = QStringLiteral("tavro.auth.checkToken"),
                      find = QStringLiteral("tavro.projects.findByUser");
        QTest::newRow("accepted") << true << QStringList{null, check, find};
        QTest::newRow("rejected") << false << QStringList{null, check, QStringLiteral("tavro.auth.login"), find};
    }

    void storedToken()
    {
        QFETCH(bool, valid);
        QFETCH(QStringList, methods);
        const QString token = valid ? m_server->store()->createToken(m_demoUser) : QStringLiteral("expired-token");
        setStored(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"), token);
        QSignalSpy projects(m_session.get(), &Session::projectsReceived);
        QSignalSpy finished(m_session.get(), &Session::startUpFinished);
        m_session->startUp();
        QVERIFY(finished.wait(10000));
        QVERIFY(m_session->isLoggedIn());
        QVERIFY(m_prompt->shown.isEmpty());
        QCOMPARE(methodsReceived(), methods);
        QCOMPARE(m_server->requests().at(1).parameters, (DevServiceParameters{{QStringLiteral("auth_token"), token}}));
        const QString current = value(Setting::AuthToken);
        QCOMPARE(current == token, valid);
        QCOMPARE(m_server->requests().last().value(QStringLiteral("auth_token")), current);
        QCOMPARE(projects.size(), 1);
        QVERIFY(ProjectsCatalogue::shared().isUsable());
        // Kept for work done without signing in (the command-line export), for the user alone.
        ProjectsCatalogue kept;
        QVERIFY(CatalogueFile::load(kept));
        QCOMPARE(kept.projects().size(), ProjectsCatalogue::shared().projects().size());
        QVERIFY(!(QFile::permissions(CatalogueFile::path()) & (QFileDevice::ReadGroup | QFileDevice::ReadOther)));
    }

    void prompt_data()
    {
        QTest::addColumn<QString>("storedPassword");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("shownError");
        QTest::addColumn<int>("logins");
        QTest::addColumn<QString>("storedAfter");
        const QString demo = QStringLiteral("demo");
        QTest::newRow("empty password, remember unticked")
            << QString() << QStringList{demo} << QString() << 1 << QStringLiteral("old@tavro.test:");
        QTest::newRow("wrong password") << QStringLiteral("wrong") << QStringList{QStringLiteral("still wrong"), demo}
                                        << QStringLiteral("Wrong e-mail or password") << 3
                                        << QStringLiteral("old@tavro.test:wrong");
    }

    void prompt()
    {
        QFETCH(QString, storedPassword);
        QFETCH(QStringList, answers);
        QFETCH(QString, shownError);
        QFETCH(int, logins);
        QFETCH(QString, storedAfter);
        setStored(QStringLiteral("old@tavro.test"), storedPassword);
        m_prompt->passwords = answers;
        QVERIFY(SessionTest::connect(*m_session));
        m_session->restoreSession();
        QVERIFY(SessionTest::settled(*m_session));
        QVERIFY(m_session->isLoggedIn());
        QCOMPARE(m_prompt->shown.size(), answers.size());
        for (const LoginPrompt::Values &shown : std::as_const(m_prompt->shown)) {
            QCOMPARE(shown.username, QStringLiteral("old@tavro.test"));
            QCOMPARE(shown.errorMessage, shownError);
        }
        // With an empty stored password no silent attempt goes out before the prompt.
        QCOMPARE(methodsReceived().count(QStringLiteral("tavro.auth.login")), logins);
        QCOMPARE(value(Setting::Username) + QLatin1Char(':') + value(Setting::Password), storedAfter);
    }

    // While a sign-in runs, the program goes on; what would start a second one (a second "Log In...",
    // the indicator's double-click, "Refresh") changes nothing, and the first ends as it would alone.
    void oneSignInAtATime()
    {
        setStored(QStringLiteral("demo@tavro.test"), QStringLiteral("wrong"));
        m_prompt->passwords = {QStringLiteral("demo")};
        QVERIFY(SessionTest::connect(*m_session));
        QSignalSpy busy(m_session.get(), &Session::busyChanged);
        m_session->login();
        QVERIFY(m_session->isBusy());
        m_session->login();
        m_session->onStatusLoginIndicatorDblClicked();
        m_session->restoreSession();
        m_session->loadProjects();
        QVERIFY(SessionTest::settled(*m_session));
        QVERIFY(m_session->isLoggedIn());
        QCOMPARE(busy.size(), 2);
        QCOMPARE(m_prompt->shown.size(), 1);
        QCOMPARE(methodsReceived(),
                 (QStringList{QStringLiteral("tavro.test.null"), QStringLiteral("tavro.auth.login"),
                              QStringLiteral("tavro.auth.login"), QStringLiteral("tavro.projects.findByUser")}));
        // Once it is over, "Refresh" loads again.
        m_session->loadProjects();
        QVERIFY(SessionTest::settled(*m_session));
        QCOMPARE(methodsReceived().count(QStringLiteral("tavro.projects.findByUser")), 2);
    }

    // Quitting while the service is asked: the call ends with the session, and nothing of it is taken in.
    void quitDuringSignIn()
    {
        setStored(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
        QVERIFY(SessionTest::connect(*m_session));
        m_session->login();
        QVERIFY(m_session->isBusy());
        m_session.reset();
        QTest::qWait(200);
        QCOMPARE(value(Setting::AuthToken), QString());
        QVERIFY(m_prompt->shown.isEmpty());
    }

    void indicator()
    {
        const QString icon = QStringLiteral(" <img src=':/icons/res/online.png'>");
        const auto shown = [](const QString &realname, const QString &username) {
            return Session::signedInText(
                {{QStringLiteral("realname"), realname}, {QStringLiteral("username"), username}});
        };
        QCOMPARE(shown(QString(), QStringLiteral("a<b")), QStringLiteral("Signed in as a&lt;b") + icon);
        QCOMPARE(shown(QStringLiteral("<img src=x> Jürgen & \"Eve\""), QStringLiteral("eve")),
                 QStringLiteral("Signed in as &lt;img src=x&gt; Jürgen &amp; &quot;Eve&quot;") + icon);
    }

    void logoutClearsSessionAndTree()
    {
        setStored(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
        QVERIFY(SessionTest::connect(*m_session));
        m_session->login();
        QVERIFY(SessionTest::settled(*m_session));
        QVERIFY(m_session->isLoggedIn());
        const QString token = value(Setting::AuthToken);
        QSignalSpy cleared(m_session.get(), &Session::projectsCleared);
        m_session->logout();
        QVERIFY(!m_session->isLoggedIn());
        QCOMPARE(cleared.size(), 1);
        QCOMPARE(value(Setting::AuthToken), QString());
        QCOMPARE(m_session->indicatorText(), Session::signedOutText());
        QTRY_COMPARE(m_server->requests().last().method, QStringLiteral("tavro.auth.logout"));
        QTRY_COMPARE(m_server->store()->userForToken(token), 0);
    }

    void logKeepsSecretsOut()
    {
        const QString password = QStringLiteral("S3cret-Passw0rd");
        m_server->store()->addUser(QStringLiteral("sec@tavro.test"), password, QStringLiteral("Sec"),
                                   QStringLiteral("s"));
        setStored(QStringLiteral("sec@tavro.test"), password);
        QVERIFY(SessionTest::connect(*m_session));
        capturedLog.clear();
        // As -debug does: the service client's debug messages are off otherwise.
        QLoggingCategory::setFilterRules(QStringLiteral("tavro.service.debug=true"));
        const QtMessageHandler previous = qInstallMessageHandler(captureLog);
        m_session->login();
        QVERIFY(SessionTest::settled(*m_session));
        // The token the sign-in stored is checked as at the next start.
        m_session->restoreSession();
        QVERIFY(SessionTest::settled(*m_session));
        qInstallMessageHandler(previous);
        QVERIFY(m_session->isLoggedIn());
        const QString log = capturedLog.join(QLatin1Char('\n'));
        QVERIFY(log.contains(QLatin1String("login, username = ")) && log.contains(QLatin1String("check token ")));
        for (const QString &line : std::as_const(capturedLog)) {
            // Not even the start of the token, which the log once showed.
            QVERIFY2(!line.contains(password) && !line.contains(value(Setting::AuthToken).left(8)), qPrintable(line));
        }
    }

    void throughProxy()
    {
        QTemporaryDir dir;
        const Tinyproxy proxy = startTinyproxy(dir);
        QVERIFY(proxy.port != 0);
        Settings *settings = Settings::instance();
        settings->setValue(Setting::ProxyEnabled, true);
        settings->setValue(Setting::ProxyHost, QStringLiteral("127.0.0.1"));
        settings->setValue(Setting::ProxyPort, QString::number(proxy.port));
        setStored(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
        // Retried until the proxy listens.
        QTRY_VERIFY_WITH_TIMEOUT(SessionTest::connect(*m_session), 10000);
        m_session->login();
        QVERIFY(SessionTest::settled(*m_session));
        QVERIFY(m_session->isLoggedIn());
        const QByteArray text = proxy.log();
        QVERIFY2(text.contains("tavro.test.null") && text.contains("tavro.auth.login"), text.constData());
    }

    // A service that cannot be reached says nothing about the password: no login dialog, just offline.
    void networkErrorsNeverAskForThePassword()
    {
        setStored(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"), QStringLiteral("stored-token"));
        QVERIFY(SessionTest::connect(*m_session));
        m_server->close();
        m_session->restoreSession();
        QVERIFY(SessionTest::settled(*m_session));
        QVERIFY(m_prompt->shown.isEmpty());
        QVERIFY(!m_session->isLoggedIn() && !m_session->isOnline());
        // "Log In..." while the service is away: the network error is shown, not the dialog.
        m_session->login();
        QVERIFY(SessionTest::settled(*m_session));
        QVERIFY(m_prompt->shown.isEmpty());
        QVERIFY(!m_boxes->boxes().isEmpty());
        QCOMPARE(m_boxes->lastTitle(), QStringLiteral("Network error"));
    }

    // With its own proxy off the program goes through the system's (here http_proxy); errors name
    // the proxy they went through, and a proxy set later applies at once.
    void systemProxyAndProxyErrors()
    {
        QTemporaryDir dir;
        const Tinyproxy proxy = startTinyproxy(dir);
        QVERIFY(proxy.port != 0);
        const QString proxyAddress = QStringLiteral("127.0.0.1:%1").arg(proxy.port);
        qputenv("http_proxy", "http://" + proxyAddress.toLatin1());
        auto unset = qScopeGuard([] { qunsetenv("http_proxy"); });
        // Loopback addresses skip the system's proxy: the service is named as a user's would be.
        Settings::instance()->setServiceUrl(QStringLiteral("http://tavro.invalid/"));
        setStored(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
        QVERIFY(!SessionTest::connect(*m_session));
        m_session->login();
        QVERIFY(SessionTest::settled(*m_session));
        QVERIFY(m_prompt->shown.isEmpty());
        QTRY_VERIFY2(proxy.log().contains("tavro.invalid"), proxy.log().constData());
        QVERIFY2(m_boxes->lastText().contains(QStringLiteral("through the proxy ") + proxyAddress),
                 qPrintable(m_boxes->lastText()));

        // Nothing listens on the port the user now enters; the next request says so.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 closed = probe.serverPort();
        probe.close();
        Settings *settings = Settings::instance();
        settings->setValue(Setting::ProxyEnabled, true);
        settings->setValue(Setting::ProxyHost, QStringLiteral("127.0.0.1"));
        settings->setValue(Setting::ProxyPort, QString::number(closed));
        m_session->applyNetworkSettings();
        m_session->login();
        QVERIFY(SessionTest::settled(*m_session));
        QVERIFY(m_prompt->shown.isEmpty());
        QVERIFY2(m_boxes->lastText().contains(QStringLiteral("through the proxy 127.0.0.1:%1").arg(closed)),
                 qPrintable(m_boxes->lastText()));
    }

private:
    struct Tinyproxy
    {
        quint16 port = 0;
        QString logPath;
        std::shared_ptr<QProcess> process;
        QByteArray log() const
        {
            QFile file(logPath);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }
    };

    // A real proxy on a free loopback port, logging every request; it ends with the returned object.
    static Tinyproxy startTinyproxy(const QTemporaryDir &dir)
    {
        Tinyproxy proxy;
        const QString program = QStandardPaths::findExecutable(QStringLiteral("tinyproxy"));
        if (program.isEmpty()) {
            qWarning("tinyproxy is not installed (scripts/install-deps.sh installs it)");
            return proxy;
        }
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        const quint16 port = probe.serverPort();
        probe.close();
        proxy.logPath = dir.filePath(QStringLiteral("tinyproxy.log"));
        QFile config(dir.filePath(QStringLiteral("tinyproxy.conf")));
        config.open(QIODevice::WriteOnly);
        config.write(QStringLiteral("Port %1\nListen 127.0.0.1\nAllow 127.0.0.1\nLogLevel Info\nLogFile \"%2\"\n")
                         .arg(port)
                         .arg(proxy.logPath)
                         .toUtf8());
        config.close();
        proxy.process = std::shared_ptr<QProcess>(new QProcess, [](QProcess *process) {
            process->kill();
            process->waitForFinished();
            delete process;
        });
        proxy.process->start(program, {QStringLiteral("-d"), QStringLiteral("-c"), config.fileName()});
        if (!proxy.process->waitForStarted()) {
            return proxy;
        }
        // Ready once it accepts connections.
        for (int i = 0; i < 200; ++i) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            if (socket.waitForConnected(50)) {
                proxy.port = port;
                break;
            }
            QTest::qWait(25);
        }
        return proxy;
    }

    void setStored(const QString &username, const QString &password, const QString &token = {})
    {
        Settings *settings = Settings::instance();
        settings->setValue(Setting::Username, username);
        settings->setValue(Setting::Password, password);
        settings->setValue(Setting::AuthToken, token);
    }

    QStringList methodsReceived() const
    {
        QStringList methods;
        for (const DevServerRequest &request : m_server->requests()) {
            methods << request.method;
        }
        return methods;
    }

    static QString value(SettingKey<QString> key) { return Settings::instance()->value(key); }

    std::unique_ptr<DevServer> m_server;
    std::unique_ptr<RecordingPresenter> m_boxes;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<Session> m_session;
    int m_demoUser = 0;
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
