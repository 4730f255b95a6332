#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <memory>
#include <vector>

// A private headless sway for tests and benchmarks, in a runtime folder of its own. sway refuses to
// run as root, so under root it runs as nobody; root's clients may still use its sockets.
// Everything started here is stopped again by the destructor.
class SwaySession
{
public:
    SwaySession();
    ~SwaySession();

    // On failure `error` says why.
    bool start(QString *error);
    // Ends sway (its clients lose their connection and end too).
    void stop();

    // WAYLAND_DISPLAY, SWAYSOCK and XDG_RUNTIME_DIR of this session, on top of the given environment.
    QProcessEnvironment environment(const QProcessEnvironment &base = QProcessEnvironment::systemEnvironment()) const;
    QString runtimeDir() const { return m_runtime.path(); }
    QString waylandDisplay() const { return m_waylandDisplay; }

    // Starts `foot -T title options... command...` (command: a long sleep when empty); its PID, or 0.
    qint64 startFoot(const QString &title, const QStringList &options = {}, const QStringList &command = {});
    // Runs swaymsg with `arguments`; false when it fails.
    bool swaymsg(const QStringList &arguments, QString *output = nullptr);
    // Waits until sway's tree has a window titled `title` (true) or the start time-out passes.
    bool waitForTitle(const QString &title);

private:
    QTemporaryDir m_runtime;
    QString m_waylandDisplay;
    QString m_swaySocket;
    std::unique_ptr<QProcess> m_sway;
    std::vector<std::unique_ptr<QProcess>> m_clients;
};
