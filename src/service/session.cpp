#include "session.h"

#include "apicall.h"
#include "apireply.h"
#include "apirequest.h"
#include "cataloguefile.h"
#include "cataloguereader.h"
#include "logging.h"
#include "loginprompt.h"
#include "settings.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>

#include <algorithm>
#include <memory>

namespace {
QString stored(SettingKey<QString> key)
{
    return Settings::instance()->value(key);
}

void store(SettingKey<QString> key, const QString &value)
{
    Settings::instance()->setValue(key, value);
}

// A session token is a credential: the log shows only enough of it to tell tokens apart.
// Only the length: even a few characters of a token narrow down a guess.
QString tokenForLog(const QString &token)
{
    return QStringLiteral("(%1 characters)").arg(token.size());
}

bool replyIsOk(bool sent, const ApiRequest &request)
{
    return sent && ApiReply::isOk(request.document());
}

// The request failed before any answer of the service arrived.
bool unreachable(const ApiRequest &request)
{
    return !request.isOk() && request.document().isNull();
}

// A session token is short printable text; anything else is no session to keep or send.
bool isUsableToken(const QString &token)
{
    if (token.isEmpty() || token.size() > Session::MaxTokenLength) {
        return false;
    }
    return std::all_of(token.cbegin(), token.cend(), [](QChar c) { return c.unicode() > 0x20 && c.unicode() < 0x7f; });
}
} // namespace

Session::Session(LoginPrompt *prompt, QObject *parent)
    : QObject(parent)
    , m_prompt(prompt)
    , m_indicatorText(signedOutText())
{
    m_retryPause.setSingleShot(true);
    connect(&m_retryPause, &QTimer::timeout, this, &Session::attemptConnection);
    m_countdown.setInterval(1000);
    connect(&m_countdown, &QTimer::timeout, this, &Session::onStatusbarUpdateTimer);
}

Session::~Session()
{
    if (m_manager && Settings::instance()->networkManager() == m_manager) {
        Settings::instance()->setNetworkManager(nullptr);
    }
}

QString Session::signedOutText()
{
    return tr("Not signed in") + QStringLiteral(" <img src=':/icons/res/offline.png'>");
}

QString Session::signedInText(const QMap<QString, QVariant> &user)
{
    QString name = user.value(QStringLiteral("realname")).toString();
    if (name.isEmpty()) {
        name = user.value(QStringLiteral("username")).toString();
    }
    return tr("Signed in as %1").arg(name.toHtmlEscaped()) + QStringLiteral(" <img src=':/icons/res/online.png'>");
}

void Session::startUp()
{
    setStatus(tr("Initializing network..."));
    connect(
        this, &Session::connectionChecked, this,
        [this](bool online) {
            if (!online) {
                Q_EMIT startUpFinished();
                return;
            }
            // Through once the stored session is restored, or the user's own sign-in meanwhile is over.
            auto restored = std::make_shared<QMetaObject::Connection>();
            *restored = connect(this, &Session::busyChanged, this, [this, restored](bool busy) {
                if (!busy) {
                    disconnect(*restored);
                    setStatus(tr("Ready"));
                    Q_EMIT startUpFinished();
                }
            });
            restoreSession();
        },
        Qt::SingleShotConnection);
    connectToService();
}

void Session::connectToService()
{
    if (m_attempt > 0) {
        return;
    }
    if (!m_manager) {
        m_manager = new QNetworkAccessManager(this);
    }
    Settings::instance()->setNetworkManager(m_manager);
    applyProxy();
    attemptConnection();
}

void Session::attemptConnection()
{
    m_countdown.stop();
    ++m_attempt;
    setStatus(tr("Connecting to Tavro..."));
    qCDebug(lcService) << "connecting...";
    auto *request = new ApiRequest(true);
    request->setParent(this);
    connect(request, &ApiRequest::finished, this, [this, request](bool sent) {
        request->deleteLater();
        m_online = replyIsOk(sent, *request);
        onConnectionTested();
    });
    QNetworkRequest test =
        ApiCall::getRequest(QStringLiteral("tavro.test.null"), {{QStringLiteral("api_key"), stored(Setting::ApiKey)}});
    request->start(test, QStringLiteral("GET"), QByteArray(), true);
}

void Session::onConnectionTested()
{
    if (m_online) {
        setStatus(tr("Ready"));
        finishConnecting(true);
        return;
    }
    if (m_attempt == connectAttempts) {
        setStatus(tr("Could not connect to Tavro. Working offline."));
        finishConnecting(false);
        return;
    }
    setStatus(tr("Could not connect to Tavro"));
    m_retryAt = QDateTime::currentDateTime().addMSecs(m_retryInterval);
    m_retryPause.start(m_retryInterval);
    if (m_countdownShown) {
        m_countdown.start();
    }
}

void Session::finishConnecting(bool online)
{
    m_attempt = 0;
    Q_EMIT connectionChecked(online);
}

void Session::applyProxy()
{
    const Settings *settings = Settings::instance();
    if (settings->value(Setting::ProxyEnabled)) {
        const QNetworkProxy proxy(QNetworkProxy::HttpProxy, settings->value(Setting::ProxyHost),
                                  quint16(settings->value(Setting::ProxyPort).toInt()));
        QNetworkProxy::setApplicationProxy(proxy);
        // The application proxy is skipped for loopback addresses; the manager's own one is not.
        m_manager->setProxy(proxy);
    } else {
        // The desktop's proxy settings and the http_proxy family of variables apply.
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        m_manager->setProxy(QNetworkProxy(QNetworkProxy::DefaultProxy));
    }
    // Connections made through the old proxy must not carry new requests.
    m_manager->clearConnectionCache();
}

void Session::applyNetworkSettings()
{
    if (m_manager) {
        applyProxy();
    }
}

void Session::goOffline()
{
    m_online = false;
    setStatus(tr("Could not reach Tavro. Working offline."));
}

void Session::restoreSession()
{
    if (m_busy) {
        return;
    }
    setBusy(true);
    setLoggedIn(false);
    const QString token = stored(Setting::AuthToken);
    if (token.isEmpty()) {
        startSignIn();
        return;
    }
    setStatus(tr("Verifying session..."));
    qCDebug(lcService) << "check token " << tokenForLog(token);
    call(QStringLiteral("tavro.auth.checkToken"), {{QStringLiteral("auth_token"), token}}, true,
         [this](const ApiRequest &request) {
             setStatus(tr("Ready"));
             QMap<QString, QVariant> user;
             QString problem;
             if (ApiReply::isOk(request.document()) && takeUser(request.document(), user, problem)) {
                 m_user = user;
                 setLoggedIn(true);
                 setStatus(tr("Loading projects..."));
                 fetchProjects(false);
             } else if (unreachable(request)) {
                 // Nothing says the token is bad: no password is asked for.
                 goOffline();
                 setBusy(false);
             } else {
                 qCDebug(lcService) << "auth token not valid";
                 startSignIn();
             }
         });
}

bool Session::takeUser(const QDomDocument &document, QMap<QString, QVariant> &user, QString &error)
{
    const QDomElement userElement = ApiReply::firstElement(document, QStringLiteral("user"));
    const QString id = userElement.attribute(QStringLiteral("id"));
    bool numeric = false;
    id.toLongLong(&numeric);
    if (!numeric) {
        // Later calls would go out for no user at all.
        error = tr("The Tavro service accepted the sign-in but named no user.");
        return false;
    }
    const QDomElement apiKey = ApiReply::firstElement(document, QStringLiteral("api_key"));
    if (!apiKey.isNull()) {
        store(Setting::ApiKey, apiKey.text());
    }
    user[QStringLiteral("id")] = id;
    user[QStringLiteral("username")] = ApiReply::fromWire(userElement.attribute(QStringLiteral("username")));
    user[QStringLiteral("realname")] = ApiReply::fromWire(userElement.attribute(QStringLiteral("realname")));
    setIndicatorText(signedInText(user));
    return true;
}

void Session::login()
{
    if (m_busy) {
        qCDebug(lcService) << "sign-in not started: another call is under way";
        return;
    }
    setBusy(true);
    startSignIn();
}

void Session::startSignIn()
{
    setStatus(tr("Signing in..."));
    signIn(true, QString());
}

void Session::signIn(bool firstPass, const QString &error)
{
    const QString storedUsername = stored(Setting::Username);
    const QString storedPassword = stored(Setting::Password);
    if (firstPass && !storedUsername.isEmpty() && !storedPassword.isEmpty()) {
        requestSignIn(storedUsername, storedPassword);
        return;
    }
    LoginPrompt::Values entered;
    entered.username = storedUsername;
    entered.password = storedPassword;
    entered.remember = !storedPassword.isEmpty();
    entered.errorMessage = error;
    if (!m_prompt || !m_prompt->ask(entered)) {
        setStatus(tr("Ready"));
        setBusy(false);
        return;
    }
    if (entered.remember) {
        store(Setting::Username, entered.username);
        store(Setting::Password, entered.password);
    }
    requestSignIn(entered.username, entered.password);
}

void Session::requestSignIn(const QString &username, const QString &password)
{
    setStatus(tr("Signing into Tavro..."));
    qCDebug(lcService) << "login, username = " << username;
    call(QStringLiteral("tavro.auth.login"),
         {{QStringLiteral("email"), username}, {QStringLiteral("password"), password}}, true,
         [this](const ApiRequest &request) { onSignInAnswered(request); });
}

void Session::onSignInAnswered(const ApiRequest &request)
{
    setStatus(tr("Ready"));
    const QDomDocument &document = request.document();
    QString error;
    if (!request.isOk() || !ApiReply::isOk(document)) {
        if (unreachable(request)) {
            // The service was not reached: the password may well be right, so it is not asked again.
            goOffline();
            setBusy(false);
            return;
        }
        QString code;
        ApiReply::isError(document, code, error);
        signIn(false, error);
        return;
    }
    const QString token = ApiReply::firstElement(document, QStringLiteral("token")).text();
    QMap<QString, QVariant> user;
    if (!isUsableToken(token)) {
        signIn(false, tr("The Tavro service accepted the sign-in but sent no usable session token."));
        return;
    }
    if (!takeUser(document, user, error)) {
        signIn(false, error);
        return;
    }
    store(Setting::AuthToken, token);
    m_user = user;
    setLoggedIn(true);
    setStatus(tr("Loading projects..."));
    fetchProjects(true);
}

void Session::logout()
{
    if (m_busy) {
        return;
    }
    setStatus(tr("Signing out from Tavro..."));
    // The local session ends at once, whatever the service answers; a sign-in may follow meanwhile.
    call(QStringLiteral("tavro.auth.logout"),
         {{QStringLiteral("api_key"), stored(Setting::ApiKey)},
          {QStringLiteral("auth_token"), stored(Setting::AuthToken)}},
         false, [this](const ApiRequest &) {
             if (!m_busy) {
                 setStatus(tr("Ready"));
             }
         });
    store(Setting::AuthToken, QString());
    m_user.clear();
    setLoggedIn(false);
    Q_EMIT projectsCleared();
    setIndicatorText(signedOutText());
}

void Session::loadProjects()
{
    if (!m_loggedIn || m_busy) {
        qCDebug(lcService) << "projects not loaded: signed out, or another call is under way";
        return;
    }
    setBusy(true);
    fetchProjects(false);
}

void Session::fetchProjects(bool sayReady)
{
    qCDebug(lcService) << "auth user: " << m_user.value(QStringLiteral("username")).toString();
    call(QStringLiteral("tavro.projects.findByUser"),
         {{QStringLiteral("api_key"), stored(Setting::ApiKey)},
          {QStringLiteral("auth_token"), stored(Setting::AuthToken)},
          {QStringLiteral("user_id"), m_user.value(QStringLiteral("id")).toString()},
          {QStringLiteral("include_task_lists"), QStringLiteral("1")},
          {QStringLiteral("include_tasks"), QStringLiteral("1")}},
         false, [this, sayReady](const ApiRequest &request) {
             onProjectsAnswered(request);
             if (sayReady) {
                 setStatus(tr("Ready"));
             }
             setBusy(false);
         });
}

void Session::onProjectsAnswered(const ApiRequest &request)
{
    if (!request.isOk() || !ApiReply::isOk(request.document())) {
        qCDebug(lcService) << "error loading projects xml";
    }
    // Every reply replaces what the tree and the dialogs offer; an unusable one leaves them nothing to show.
    const QString reply = request.reply();
    if (reply.isEmpty()) {
        ProjectsCatalogue::shared().markUnusable();
        return;
    }
    if (CatalogueReader::load(reply, ProjectsCatalogue::shared())) {
        CatalogueFile::save(reply);
    }
    Q_EMIT projectsReceived();
}

void Session::onStatusLoginIndicatorDblClicked()
{
    if (!m_loggedIn) {
        login();
    }
}

void Session::setCountdownShown(bool shown)
{
    m_countdownShown = shown;
    if (!shown) {
        m_countdown.stop();
    } else if (m_retryPause.isActive() && !m_countdown.isActive()) {
        onStatusbarUpdateTimer();
        m_countdown.start();
    }
}

void Session::onStatusbarUpdateTimer()
{
    const qint64 seconds = QDateTime::currentDateTime().secsTo(m_retryAt);
    if (seconds > 0) {
        setStatus(tr("Could not connect to Tavro. Working offline. Retrying in %1 sec...").arg(seconds));
    }
}

void Session::setStatus(const QString &text)
{
    Q_EMIT statusMessage(text, 0);
}

void Session::setIndicatorText(const QString &text)
{
    m_indicatorText = text;
    Q_EMIT indicatorTextChanged(text);
}

void Session::setBusy(bool busy)
{
    if (m_busy != busy) {
        m_busy = busy;
        Q_EMIT busyChanged(busy);
    }
}

void Session::call(const QString &method, const ApiCall::Parameters &parameters, bool silentApiErrors,
                   const std::function<void(const ApiRequest &)> &then)
{
    (new ApiRequest(false))->then(this, then)->startGet(method, parameters, silentApiErrors);
}

void Session::setLoggedIn(bool loggedIn)
{
    m_loggedIn = loggedIn;
    Q_EMIT loginStateChanged(loggedIn);
}
