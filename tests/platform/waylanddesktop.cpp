#include "waylanddesktop.h"

#include "xvfbsession.h"

#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

namespace {
// A desktop on a loaded two-core machine takes a few seconds; leave room.
constexpr int StartTimeoutMs = 60000;
const QString SocketName = QStringLiteral("wayland-tavro");
} // namespace

WaylandDesktop::WaylandDesktop(Compositor compositor)
    : m_compositor(compositor)
    , m_dir(QStringLiteral("/tmp/tavro-desktop-XXXXXX"))
{}

WaylandDesktop::~WaylandDesktop()
{
    for (auto it = m_clients.rbegin(); it != m_clients.rend(); ++it) {
        stop(**it);
    }
    if (m_compositorProcess) {
        stop(*m_compositorProcess);
    }
    const QString name = m_bus.name();
    m_bus = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(name);
    for (auto &bus : m_buses) {
        stop(*bus);
    }
}

void WaylandDesktop::stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning) {
        return;
    }
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

QProcessEnvironment WaylandDesktop::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
    env.insert(QStringLiteral("XDG_CACHE_HOME"), m_dir.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_sessionAddress);
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_systemAddress);
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), SocketName);
    return env;
}

void WaylandDesktop::joinSessionBus() const
{
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_sessionAddress.toLocal8Bit());
}

bool WaylandDesktop::startBus(const QString &socket, QString *address, QString *error)
{
    QProcess *bus = m_buses.emplace_back(std::make_unique<QProcess>()).get();
    XvfbSession::endWithTest(*bus);
    bus->setProcessEnvironment(environment());
    bus->start(QStringLiteral("dbus-daemon"),
               {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                QStringLiteral("--address=unix:path=") + m_dir.filePath(socket)});
    if (!bus->waitForStarted(5000) || !bus->waitForReadyRead(10000)) {
        *error = QStringLiteral("dbus-daemon did not start: ") + bus->errorString();
        return false;
    }
    *address = QString::fromLocal8Bit(bus->readLine().trimmed());
    return true;
}

bool WaylandDesktop::startBuses(QString *error)
{
    if (!m_dir.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    for (const char *folder : {"home", "run", "config", "data", "cache"}) {
        QDir(m_dir.path()).mkpath(QString::fromLatin1(folder));
    }
    QFile::setPermissions(m_dir.filePath(QStringLiteral("run")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!startBus(QStringLiteral("system.sock"), &m_systemAddress, error) ||
        !startBus(QStringLiteral("session.sock"), &m_sessionAddress, error)) {
        return false;
    }
    m_bus = QDBusConnection::connectToBus(m_sessionAddress, QStringLiteral("desktop-") + m_dir.path());
    if (!m_bus.isConnected()) {
        *error = QStringLiteral("cannot connect to the private bus: ") + m_bus.lastError().message();
        return false;
    }
    return true;
}

bool WaylandDesktop::setGSetting(const QString &schema, const QString &key, const QString &value, QString *error)
{
    QProcess gsettings;
    gsettings.setProcessEnvironment(environment());
    gsettings.start(QStringLiteral("gsettings"), {QStringLiteral("set"), schema, key, value});
    if (!gsettings.waitForFinished(10000) || gsettings.exitStatus() != QProcess::NormalExit ||
        gsettings.exitCode() != 0) {
        *error = QStringLiteral("gsettings failed: ") + gsettings.errorString() +
                 QString::fromLocal8Bit(gsettings.readAllStandardError());
        return false;
    }
    return true;
}

bool WaylandDesktop::startCompositor(QString *error)
{
    QString program;
    QStringList arguments;
    QString busName;
    QProcessEnvironment env = environment();
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (m_compositor == Compositor::GnomeShell) {
        program = QStandardPaths::findExecutable(QStringLiteral("gnome-shell"));
        arguments =
            QStringList{QStringLiteral("--headless"), QStringLiteral("--virtual-monitor"), QStringLiteral("1280x800"),
                        QStringLiteral("--wayland"),  QStringLiteral("--wayland-display"), SocketName};
        busName = QStringLiteral("org.gnome.Shell");
    } else {
        // The installed binary carries file capabilities that forbid running it here; a copy has none.
        const QString installed = QStandardPaths::findExecutable(QStringLiteral("kwin_wayland"));
        program = m_dir.filePath(QStringLiteral("kwin_wayland"));
        if (!installed.isEmpty() && !QFile::exists(program) && !QFile::copy(installed, program)) {
            *error = QStringLiteral("cannot copy kwin_wayland");
            return false;
        }
        if (installed.isEmpty()) {
            program.clear();
        }
        arguments = QStringList{QStringLiteral("--virtual"), QStringLiteral("--no-lockscreen"),
                                QStringLiteral("--socket"),  SocketName,
                                QStringLiteral("--width"),   QStringLiteral("1280"),
                                QStringLiteral("--height"),  QStringLiteral("800")};
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        busName = QStringLiteral("org.kde.KWin");
    }
    if (program.isEmpty()) {
        *error = QStringLiteral("the compositor is not installed (scripts/install-deps.sh installs it)");
        return false;
    }
    m_compositorProcess = std::make_unique<QProcess>();
    XvfbSession::endWithTest(*m_compositorProcess);
    m_compositorProcess->setProcessEnvironment(env);
    m_compositorProcess->setStandardOutputFile(m_dir.filePath(QStringLiteral("compositor.log")), QIODevice::Append);
    m_compositorProcess->setStandardErrorFile(m_dir.filePath(QStringLiteral("compositor.log")), QIODevice::Append);
    m_compositorProcess->start(program, arguments);
    for (const QDeadlineTimer deadline(StartTimeoutMs); !deadline.hasExpired(); QThread::msleep(50)) {
        if (m_compositorProcess->state() == QProcess::NotRunning) {
            break;
        }
        if (m_bus.interface()->isServiceRegistered(busName) &&
            QFile::exists(m_dir.filePath(QStringLiteral("run/")) + SocketName)) {
            return true;
        }
    }
    QFile log(m_dir.filePath(QStringLiteral("compositor.log")));
    log.open(QIODevice::ReadOnly);
    *error = program + QStringLiteral(" did not come up: ") + QString::fromLocal8Bit(log.readAll().right(2000));
    return false;
}

void WaylandDesktop::killCompositor()
{
    if (m_compositorProcess) {
        m_compositorProcess->kill();
        m_compositorProcess->waitForFinished(5000);
    }
}

QProcess *WaylandDesktop::startClient(const QString &program, const QStringList &arguments,
                                      const QProcessEnvironment &extra)
{
    QProcess *client = m_clients.emplace_back(std::make_unique<QProcess>()).get();
    XvfbSession::endWithTest(*client);
    QProcessEnvironment env = environment();
    env.insert(extra);
    client->setProcessEnvironment(env);
    client->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    client->setStandardOutputFile(QProcess::nullDevice());
    client->start(program, arguments);
    return client;
}

void WaylandDesktop::stopClient(QProcess *client)
{
    stop(*client);
}
