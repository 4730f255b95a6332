#include "xvfbsession.h"

#include "rawwindows.h"

#include <QDeadlineTimer>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

namespace {
constexpr int StartTimeoutMs = 10000;

// Polls `done` until it holds or the start time-out passes.
template <typename Check> bool poll(Check done)
{
    for (const QDeadlineTimer deadline(StartTimeoutMs); !deadline.hasExpired(); QThread::msleep(20)) {
        if (done()) {
            return true;
        }
    }
    return false;
}
} // namespace

XvfbSession::~XvfbSession()
{
    // Clients first, so they do not see the server vanish under them.
    for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it) {
        (*it)->terminate();
        if (!(*it)->waitForFinished(3000)) {
            (*it)->kill();
            (*it)->waitForFinished(3000);
        }
    }
}

void XvfbSession::endWithTest(QProcess &process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
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
    for (const QString &program : {QStringLiteral("Xvfb"), QStringLiteral("openbox")}) {
        if (!haveProgram(program) && (windowManager || program == QLatin1String("Xvfb"))) {
            *error = program + QStringLiteral(" is not installed");
            return false;
        }
    }
    QProcess *server = m_processes.emplace_back(std::make_unique<QProcess>()).get();
    endWithTest(*server);
    // -displayfd picks a free display and writes its number to stdout once the server listens.
    server->start(QStringLiteral("Xvfb"),
                  QStringLiteral("-displayfd 1 -screen 0 1280x800x24 -nolisten tcp -noreset").split(QLatin1Char(' ')));
    QByteArray number;
    poll([&] {
        server->waitForReadyRead(20);
        number += server->readAllStandardOutput();
        return number.contains('\n') || server->state() == QProcess::NotRunning;
    });
    if (!number.contains('\n')) {
        *error =
            QStringLiteral("Xvfb gave no display number: ") + QString::fromLocal8Bit(server->readAllStandardError());
        return false;
    }
    m_display = ':' + number.trimmed();
    if (!windowManager) {
        return true;
    }
    // An EWMH window manager announces itself through this root property once it runs.
    RawWindows windows(m_display);
    const auto announced = [&] {
        return windows.isValid() && windows.propertyType(windows.root(), "_NET_SUPPORTING_WM_CHECK") == XCB_ATOM_WINDOW;
    };
    if (!startClient(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")}) || !poll(announced)) {
        *error = QStringLiteral("openbox does not come up");
        return false;
    }
    return true;
}

bool XvfbSession::startClient(const QString &program, const QStringList &arguments, const QProcessEnvironment &extra)
{
    QProcess *process = m_processes.emplace_back(std::make_unique<QProcess>()).get();
    QProcessEnvironment env = environment();
    env.insert(extra);
    process->setProcessEnvironment(env);
    endWithTest(*process);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start(program, arguments);
    return process->waitForStarted(StartTimeoutMs);
}

bool XvfbSession::run(const QString &program, const QStringList &arguments, QString *output)
{
    return runTool(environment(), program, arguments, output);
}

bool XvfbSession::runTool(const QProcessEnvironment &env, const QString &program, const QStringList &arguments,
                          QString *output)
{
    QProcess process;
    process.setProcessEnvironment(env);
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
    QString output;
    poll([&] {
        return run(QStringLiteral("xdotool"), QStringList{QStringLiteral("search")} + searchArguments, &output);
    });
    return output.section(QLatin1Char('\n'), 0, 0).toULongLong();
}

bool XvfbSession::activate(quint64 window)
{
    // A window mapped a moment ago may not be managed yet; openbox ignores requests until it is.
    const QString id = QString::number(window);
    return poll([&] {
        QString active;
        return run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), id}) &&
               run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}, &active) && active.trimmed() == id;
    });
}
