#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>
#include <vector>

// A headless Wayland desktop for tests: private session and system buses, GNOME Shell or KWin on
// them, and Wayland clients. Everything lives in a temporary folder of its own, so tests run side
// by side; everything started here is stopped by the destructor.
class WaylandDesktop
{
public:
    enum class Compositor { GnomeShell, KWin };

    explicit WaylandDesktop(Compositor compositor);
    ~WaylandDesktop();

    // Starts the buses. Settings and extensions are prepared after this and before startCompositor().
    bool startBuses(QString *error);
    // Starts the compositor and waits until it owns its bus name; a missing program is an error.
    bool startCompositor(QString *error);
    // Ends the compositor the hard way, as a crash would.
    void killCompositor();

    // Sets a GSettings key for the shell (keyfile backend in our folder).
    bool setGSetting(const QString &schema, const QString &key, const QString &value, QString *error);

    QDBusConnection &bus() { return m_bus; }
    QString busAddress() const { return m_sessionAddress; }
    // Where the shell looks for "gnome-shell/extensions".
    QString dataHome() const { return m_dir.filePath(QStringLiteral("data")); }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Starts a Wayland client of this desktop; it is stopped by stopClient() or the destructor.
    QProcess *startClient(const QString &program, const QStringList &arguments,
                          const QProcessEnvironment &extra = QProcessEnvironment());
    void stopClient(QProcess *client);

    // What a program of this desktop's session sees: its buses, runtime folder and Wayland socket.
    QProcessEnvironment environment() const;
    // Makes this process a program of the session for QDBusConnection::sessionBus(); call it
    // before anything in the process first uses the session bus.
    void joinSessionBus() const;

private:
    bool startBus(const QString &socket, QString *address, QString *error);
    void stop(QProcess &process);

    Compositor m_compositor;
    QTemporaryDir m_dir;
    QString m_sessionAddress;
    QString m_systemAddress;
    QDBusConnection m_bus{QString()};
    std::vector<std::unique_ptr<QProcess>> m_buses;
    std::unique_ptr<QProcess> m_compositorProcess;
    std::vector<std::unique_ptr<QProcess>> m_clients;
};
