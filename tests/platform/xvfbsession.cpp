#include "xvfbsession.h"

#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <cstdlib>
#include <sys/prctl.h>
#include <xcb/xcb.h>

namespace {
constexpr int StartTimeoutMs = 10000;
constexpr int PollMs = 20;
} // namespace

XvfbSession::~XvfbSession()
{
    // Clients first, so they do not see the server vanish under them.
    for (auto it = m_clients.rbegin(); it != m_clients.rend(); ++it) {
        stop(it->get());
    }
    if (m_server) {
        stop(m_server.get());
    }
}

void XvfbSession::stop(QProcess *process)
{
    if (process->state() == QProcess::NotRunning) {
        return;
    }
    process->terminate();
    if (!process->waitForFinished(3000)) {
        process->kill();
        process->waitForFinished(3000);
    }
}

void XvfbSession::endWithTest(QProcess &process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

bool XvfbSession::haveProgram(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

QProcessEnvironment XvfbSession::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(m_display));
    // Clients must not talk to a desktop session of the developer's.
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    return env;
}

bool XvfbSession::start(bool windowManager, QString *error)
{
    const QStringList needed = windowManager ? QStringList{QStringLiteral("Xvfb"), QStringLiteral("openbox")}
                                             : QStringList{QStringLiteral("Xvfb")};
    for (const QString &program : needed) {
        if (!haveProgram(program)) {
            *error = program + QStringLiteral(" is not installed");
            return false;
        }
    }
    m_server = std::make_unique<QProcess>();
    m_server->setProcessChannelMode(QProcess::SeparateChannels);
    endWithTest(*m_server);
    // -displayfd picks a free display and writes its number to stdout once the server listens.
    m_server->start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                     QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                     QStringLiteral("-noreset")});
    if (!m_server->waitForStarted(StartTimeoutMs)) {
        *error = QStringLiteral("Xvfb does not start: ") + m_server->errorString();
        return false;
    }
    QByteArray number;
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!number.contains('\n') && !deadline.hasExpired() && m_server->state() == QProcess::Running) {
        m_server->waitForReadyRead(PollMs);
        number += m_server->readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        *error =
            QStringLiteral("Xvfb gave no display number: ") + QString::fromLocal8Bit(m_server->readAllStandardError());
        return false;
    }
    m_display = ':' + number.trimmed();
    if (!windowManager) {
        return true;
    }
    if (!startClient(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")}) || !waitForWindowManager()) {
        *error = QStringLiteral("openbox does not come up");
        return false;
    }
    return true;
}

bool XvfbSession::waitForWindowManager()
{
    const QDeadlineTimer deadline(StartTimeoutMs);
    xcb_connection_t *connection = xcb_connect(m_display.constData(), nullptr);
    const xcb_screen_t *screen =
        xcb_connection_has_error(connection) ? nullptr : xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    static const char CheckName[] = "_NET_SUPPORTING_WM_CHECK";
    xcb_intern_atom_reply_t *check =
        screen ? xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof CheckName - 1, CheckName),
                                       nullptr)
               : nullptr;
    bool ready = false;
    // An EWMH window manager announces itself through this root property once it runs.
    while (check && !ready && !deadline.hasExpired()) {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, screen->root, check->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
        ready = reply && reply->type == XCB_ATOM_WINDOW;
        std::free(reply);
        if (!ready) {
            QThread::msleep(PollMs);
        }
    }
    std::free(check);
    xcb_disconnect(connection);
    return ready;
}

bool XvfbSession::startClient(const QString &program, const QStringList &arguments, const QProcessEnvironment &extra)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = environment();
    env.insert(extra);
    process->setProcessEnvironment(env);
    endWithTest(*process);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start(program, arguments);
    if (!process->waitForStarted(StartTimeoutMs)) {
        return false;
    }
    m_clients.push_back(std::move(process));
    return true;
}

bool XvfbSession::run(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    if (!process.waitForFinished(StartTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output) {
        *output = QString::fromLocal8Bit(process.readAllStandardOutput());
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

quint64 XvfbSession::waitForWindow(const QStringList &searchArguments)
{
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!deadline.hasExpired()) {
        QString output;
        if (run(QStringLiteral("xdotool"), QStringList{QStringLiteral("search")} + searchArguments, &output)) {
            const QStringList ids = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            if (!ids.isEmpty()) {
                return ids.first().toULongLong();
            }
        }
        QThread::msleep(PollMs);
    }
    return 0;
}

bool XvfbSession::activate(quint64 window)
{
    // A window mapped a moment ago may not be managed yet; openbox ignores requests until it is.
    const QDeadlineTimer deadline(StartTimeoutMs);
    const QString id = QString::number(window);
    while (!deadline.hasExpired()) {
        QString active;
        if (run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), id}) &&
            run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}, &active) && active.trimmed() == id) {
            return true;
        }
        QThread::msleep(PollMs);
    }
    return false;
}
