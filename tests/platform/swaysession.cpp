#include "swaysession.h"

#include "xvfbsession.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <unistd.h>

namespace {
constexpr int StartTimeoutMs = 10000;
// sway drops no privileges; it must not run as root. nobody:nogroup on Debian.
constexpr uid_t Nobody = 65534;

template <typename Check> bool poll(Check done)
{
    for (const QDeadlineTimer deadline(StartTimeoutMs); !deadline.hasExpired(); QThread::msleep(20)) {
        if (done()) {
            return true;
        }
    }
    return false;
}

void stopProcess(QProcess &process)
{
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}
} // namespace

SwaySession::SwaySession()
    : m_runtime(QDir::tempPath() + QStringLiteral("/tavro-sway-XXXXXX"))
{}

SwaySession::~SwaySession()
{
    stop();
}

bool SwaySession::start(QString *error)
{
    if (!m_runtime.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    const QString config = m_runtime.filePath(QStringLiteral("sway.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) || file.write("output HEADLESS-1 resolution 1280x800\n") < 0) {
        *error = QStringLiteral("cannot write the sway configuration");
        return false;
    }
    file.close();
    const bool root = ::geteuid() == 0;
    if (root && ::chown(QFile::encodeName(m_runtime.path()).constData(), Nobody, Nobody) != 0) {
        *error = QStringLiteral("cannot hand the runtime folder to nobody");
        return false;
    }
    QFile::setPermissions(config, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup);

    m_sway = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    env.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    for (const char *name : {"WAYLAND_DISPLAY", "DISPLAY", "SWAYSOCK", "DBUS_SESSION_BUS_ADDRESS"}) {
        env.remove(QString::fromLatin1(name));
    }
    m_sway->setProcessEnvironment(env);
    m_sway->setProcessChannelMode(QProcess::MergedChannels);
    XvfbSession::endWithTest(*m_sway);
    const QStringList swayArguments{QStringLiteral("-c"), config};
    if (root) {
        m_sway->start(QStringLiteral("setpriv"),
                      QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                  QStringLiteral("--clear-groups"), QStringLiteral("sway")} +
                          swayArguments);
    } else {
        m_sway->start(QStringLiteral("sway"), swayArguments);
    }
    const QDir dir(m_runtime.path());
    const bool up = poll([&] {
        const QStringList wayland = dir.entryList({QStringLiteral("wayland-*")}, QDir::System)
                                        .filter(QRegularExpression(QStringLiteral("^wayland-\\d+$")));
        const QStringList ipc = dir.entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System);
        if (!wayland.isEmpty() && !ipc.isEmpty()) {
            m_waylandDisplay = wayland.first();
            m_swaySocket = dir.filePath(ipc.first());
            return true;
        }
        return m_sway->state() == QProcess::NotRunning;
    });
    if (!up || m_sway->state() == QProcess::NotRunning ||
        !swaymsg({QStringLiteral("-t"), QStringLiteral("get_version")})) {
        *error = QStringLiteral("sway does not come up: ") + QString::fromLocal8Bit(m_sway->readAll().right(2000));
        return false;
    }
    return true;
}

void SwaySession::stop()
{
    for (auto &client : m_clients) {
        stopProcess(*client);
    }
    m_clients.clear();
    if (m_sway) {
        stopProcess(*m_sway);
        m_sway.reset();
    }
    // A new sway in the same folder must find no stale sockets.
    const QDir dir(m_runtime.path());
    for (const QString &name :
         dir.entryList({QStringLiteral("sway-ipc.*"), QStringLiteral("wayland-*")}, QDir::System | QDir::Files)) {
        QFile::remove(dir.filePath(name));
    }
}

QProcessEnvironment SwaySession::environment(const QProcessEnvironment &base) const
{
    QProcessEnvironment env = base;
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), m_waylandDisplay);
    env.insert(QStringLiteral("SWAYSOCK"), m_swaySocket);
    return env;
}

qint64 SwaySession::startFoot(const QString &title, const QStringList &options, const QStringList &command)
{
    QProcess *foot = m_clients.emplace_back(std::make_unique<QProcess>()).get();
    foot->setProcessEnvironment(environment());
    foot->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    foot->setStandardOutputFile(QProcess::nullDevice());
    XvfbSession::endWithTest(*foot);
    QStringList footArguments = QStringList{QStringLiteral("-T"), title} + options;
    footArguments += command.isEmpty() ? QStringList{QStringLiteral("sleep"), QStringLiteral("1000")} : command;
    foot->start(QStringLiteral("foot"), footArguments);
    return foot->waitForStarted(StartTimeoutMs) ? foot->processId() : 0;
}

bool SwaySession::swaymsg(const QStringList &arguments, QString *output)
{
    return XvfbSession::runTool(environment(), QStringLiteral("swaymsg"), arguments, output);
}

bool SwaySession::waitForTitle(const QString &title)
{
    const QString quoted = QLatin1Char('"') + title + QLatin1Char('"');
    return poll([&] {
        QString tree;
        return swaymsg({QStringLiteral("-t"), QStringLiteral("get_tree")}, &tree) &&
               tree.contains(QStringLiteral("\"name\": ") + quoted);
    });
}
