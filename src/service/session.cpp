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
#include <QScopeGuard>

#include <algorithm>

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
            if (online) {
                restoreSession();
                setStatus(tr("Ready"));
            }
            Q_EMIT startUpFinished();
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
    const QString token = stored(Setting::AuthToken);
    setLoggedIn(false);
    if (!token.isEmpty()) {
        QMap<QString, QVariant> user;
        if (checkToken(token, user)) {
            m_user = user;
            setLoggedIn(true);
        } else if (m_unreachable) {
            // Nothing says the token is bad: no password is asked for.
            goOffline();
            return;
        } else {
            qCDebug(lcService) << "auth token not valid";
        }
    }
    if (!m_loggedIn) {
        login();
    } else {
        setStatus(tr("Loading projects..."));
        loadProjects();
    }
}

bool Session::checkToken(const QString &token, QMap<QString, QVariant> &user)
{
    setStatus(tr("Verifying session..."));
    qCDebug(lcService) << "check token " << tokenForLog(token);
    ApiRequest request(false);
    QString reply;
    const bool sent =
        request.get(QStringLiteral("tavro.auth.checkToken"), {{QStringLiteral("auth_token"), token}}, reply, true);
    m_unreachable = !sent && request.document().isNull();
    QString problem;
    if (!replyIsOk(sent, request) || !takeUser(request.document(), user, problem)) {
        setStatus(tr("Ready"));
        return false;
    }
    setStatus(tr("Ready"));
    return true;
}

bool Session::doLogin(const QString &username, const QString &password, QString &token, QMap<QString, QVariant> &user,
                      QString &error)
{
    setStatus(tr("Signing into Tavro..."));
    qCDebug(lcService) << "login, username = " << username;
    ApiRequest request(false);
    QString reply;
    const bool sent =
        request.get(QStringLiteral("tavro.auth.login"),
                    {{QStringLiteral("email"), username}, {QStringLiteral("password"), password}}, reply, true);
    error = QString();
    m_unreachable = !sent && request.document().isNull();
    const QDomDocument &document = request.document();
    if (!replyIsOk(sent, request)) {
        QString code;
        ApiReply::isError(document, code, error);
        setStatus(tr("Ready"));
        return false;
    }
    const QString sentToken = ApiReply::firstElement(document, QStringLiteral("token")).text();
    if (!isUsableToken(sentToken)) {
        error = tr("The Tavro service accepted the sign-in but sent no usable session token.");
        setStatus(tr("Ready"));
        return false;
    }
    if (!takeUser(document, user, error)) {
        setStatus(tr("Ready"));
        return false;
    }
    token = sentToken;
    setStatus(tr("Ready"));
    return true;
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
    // Requests wait in nested event loops: a second "Log In..." or double-click meanwhile must not
    // start a second sign-in with its own dialog.
    if (m_signingIn) {
        qCDebug(lcService) << "sign-in already under way";
        return;
    }
    m_signingIn = true;
    const auto done = qScopeGuard([this] { m_signingIn = false; });
    setStatus(tr("Signing in..."));
    QString error;
    bool firstPass = true;
    for (;;) {
        const QString storedUsername = stored(Setting::Username);
        const QString storedPassword = stored(Setting::Password);
        QString token;
        QMap<QString, QVariant> user;
        bool signedIn = false;
        if (firstPass && !storedUsername.isEmpty() && !storedPassword.isEmpty()) {
            signedIn = doLogin(storedUsername, storedPassword, token, user, error);
        } else {
            LoginPrompt::Values entered;
            entered.username = storedUsername;
            entered.password = storedPassword;
            entered.remember = !storedPassword.isEmpty();
            entered.errorMessage = error;
            if (!m_prompt || !m_prompt->ask(entered)) {
                setStatus(tr("Ready"));
                return;
            }
            if (entered.remember) {
                store(Setting::Username, entered.username);
                store(Setting::Password, entered.password);
            }
            signedIn = doLogin(entered.username, entered.password, token, user, error);
        }
        firstPass = false;
        if (!signedIn && m_unreachable) {
            // The service was not reached: the password may well be right, so it is not asked again.
            goOffline();
            return;
        }
        if (signedIn) {
            store(Setting::AuthToken, token);
            m_user = user;
            setLoggedIn(true);
            break;
        }
    }
    setStatus(tr("Loading projects..."));
    loadProjects();
    setStatus(tr("Ready"));
}

bool Session::logoutRequest(const QString &token)
{
    setStatus(tr("Signing out from Tavro..."));
    ApiRequest request(false);
    QString reply;
    const bool sent = request.get(
        QStringLiteral("tavro.auth.logout"),
        {{QStringLiteral("api_key"), stored(Setting::ApiKey)}, {QStringLiteral("auth_token"), token}}, reply, false);
    setStatus(tr("Ready"));
    return replyIsOk(sent, request);
}

void Session::logout()
{
    // The local session ends whatever the service answers.
    logoutRequest(stored(Setting::AuthToken));
    store(Setting::AuthToken, QString());
    m_user.clear();
    setLoggedIn(false);
    Q_EMIT projectsCleared();
    setIndicatorText(signedOutText());
}

void Session::loadProjects()
{
    if (!m_loggedIn) {
        qCDebug(lcService) << "abort init projects. not logged in.";
        return;
    }
    qCDebug(lcService) << "auth user: " << m_user.value(QStringLiteral("username")).toString();
    ApiRequest request(false);
    QString reply;
    const bool sent = request.get(QStringLiteral("tavro.projects.findByUser"),
                                  {{QStringLiteral("api_key"), stored(Setting::ApiKey)},
                                   {QStringLiteral("auth_token"), stored(Setting::AuthToken)},
                                   {QStringLiteral("user_id"), m_user.value(QStringLiteral("id")).toString()},
                                   {QStringLiteral("include_task_lists"), QStringLiteral("1")},
                                   {QStringLiteral("include_tasks"), QStringLiteral("1")}},
                                  reply, false);
    if (!replyIsOk(sent, request)) {
        qCDebug(lcService) << "error loading projects xml";
    }
    // Every reply replaces what the tree and the dialogs offer; an unusable one leaves them nothing to show.
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

void Session::setLoggedIn(bool loggedIn)
{
    m_loggedIn = loggedIn;
    Q_EMIT loginStateChanged(loggedIn);
}
