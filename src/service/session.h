#pragma once

#include "apicall.h"

#include <QDateTime>
#include <QDomDocument>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariant>

#include <functional>

class ApiRequest;
class LoginPrompt;
class QNetworkAccessManager;

// Brings the client on line, signs the user in and out and fetches the projects catalogue into the
// catalogue cache. Owns the sign-in state and the signed-in user; keeps the settings AuthToken, ApiKey,
// Username and Password up to date. The main window owns one and shows what the signals report.
class Session : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultRetryInterval = 30000;
    static constexpr int connectAttempts = 3;
    // Longer session tokens are refused: they would be stored and sent with every call.
    static constexpr int MaxTokenLength = 512;

    // The prompt is not owned and may be null (every prompt then counts as cancelled).
    explicit Session(LoginPrompt *prompt, QObject *parent = nullptr);
    ~Session() override;

    static QString signedOutText();
    // The indicator text for a signed-in user map ("realname", else "username"), escaped for rich text.
    static QString signedInText(const QMap<QString, QVariant> &user);

    bool isLoggedIn() const { return m_loggedIn; }
    bool isOnline() const { return m_online; }
    QDateTime retryAt() const { return m_retryAt; }
    QString indicatorText() const { return m_indicatorText; }
    QNetworkAccessManager *networkManager() const { return m_manager; }

    // Only tests shorten the pause between start-up connection attempts.
    void setRetryInterval(int milliseconds) { m_retryInterval = milliseconds; }
    // Whether anybody sees the countdown (the window may be hidden): it ticks only while shown, and
    // shows the time left at once when shown again.
    void setCountdownShown(bool shown);

    // The deferred start-up: network set-up, connectivity test, then the stored session and projects;
    // startUpFinished tells when it is through.
    void startUp();
    // Creates the shared network manager (once), applies the proxy and tests the connection up to
    // three times, pausing between attempts with a countdown in the status bar; connectionChecked
    // tells the outcome. A call while attempts are under way only waits for their outcome.
    void connectToService();
    // Checks the stored session token and signs in with it, else as login() does.
    void restoreSession();
    // The proxy settings changed: requests from now on follow them, no restart needed.
    void applyNetworkSettings();
    // A sign-in or a projects load is under way; no second one starts meanwhile.
    bool isBusy() const { return m_busy; }

public Q_SLOTS:
    // Signs in with the stored credentials, else with what the prompt is given, until the service
    // accepts them, the user cancels or the service cannot be reached; then loads the projects.
    void login();
    // Ends the session here and on the service.
    void logout();
    // Fetches the projects catalogue while signed in.
    void loadProjects();
    // The indicator's double-click signs in only while signed out.
    void onStatusLoginIndicatorDblClicked();
    void onStatusbarUpdateTimer();

Q_SIGNALS:
    void statusMessage(const QString &text, int timeout);
    // Rich text for the sign-in indicator.
    void indicatorTextChanged(const QString &text);
    // Signed in: "Log In..." disabled, "Log Out" enabled; signed out the other way round.
    void loginStateChanged(bool loggedIn);
    // A findByUser reply that is not empty is in the shared catalogue (usable or not): show it in the tree.
    void projectsReceived();
    // Logout: empty the projects tree.
    void projectsCleared();
    // The connection attempts are over: on line or working offline.
    void connectionChecked(bool online);
    void startUpFinished();
    // A sign-in or a projects load began or is over.
    void busyChanged(bool busy);

private:
    // One test of the connection; onConnectionTested goes on from its answer.
    void attemptConnection();
    void onConnectionTested();
    void finishConnecting(bool online);
    void applyProxy();
    // A request did not reach the service: say so and stay offline.
    void goOffline();
    void setStatus(const QString &text);
    void setIndicatorText(const QString &text);
    void setLoggedIn(bool loggedIn);
    void setBusy(bool busy);
    // One call of a sign-in flow; `then` runs with its outcome unless the session went first.
    void call(const QString &method, const ApiCall::Parameters &parameters, bool silentApiErrors,
              const std::function<void(const ApiRequest &)> &then);
    // The steps of signing in: with the stored credentials first, else through the prompt (showing
    // the service's last reason), one attempt per step.
    void startSignIn();
    void signIn(bool firstPass, const QString &error);
    void requestSignIn(const QString &username, const QString &password);
    void onSignInAnswered(const ApiRequest &request);
    // Loads the projects, then ends the flow under way ("Ready" when `sayReady`).
    void fetchProjects(bool sayReady);
    void onProjectsAnswered(const ApiRequest &request);
    // Steps shared by the token check and the sign-in once the reply is "ok": API key, user,
    // indicator. A reply without a user id is refused with the reason in `error`.
    bool takeUser(const QDomDocument &document, QMap<QString, QVariant> &user, QString &error);

    LoginPrompt *m_prompt;
    QNetworkAccessManager *m_manager = nullptr;
    bool m_loggedIn = false;
    // "id", "username" and "realname" of the signed-in user; empty while signed out.
    QMap<QString, QVariant> m_user;
    bool m_online = false;
    bool m_busy = false;
    QDateTime m_retryAt;
    QString m_indicatorText;
    int m_retryInterval = defaultRetryInterval;
    // 0 while no connection attempts are under way.
    int m_attempt = 0;
    QTimer m_retryPause;
    // Ticks the "Retrying in" countdown during the pause.
    QTimer m_countdown;
    bool m_countdownShown = true;
};
