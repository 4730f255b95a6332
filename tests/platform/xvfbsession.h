#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// A private X server for tests and benchmarks: Xvfb on a free display, optionally openbox, and the
// X clients started on it. Everything started here is stopped again by the destructor.
class XvfbSession
{
public:
    XvfbSession() = default;
    XvfbSession(const XvfbSession &) = delete;
    XvfbSession &operator=(const XvfbSession &) = delete;
    ~XvfbSession();

    // Starts the server (and the window manager when asked). On failure `error` says why; a
    // missing program is reported as missing, so tests can skip.
    bool start(bool windowManager, QString *error);
    static bool haveProgram(const QString &program);
    // Makes the kernel stop `process` when the test dies without cleaning up (a crash, a time-out).
    static void endWithTest(QProcess &process);

    QByteArray display() const { return m_display; }
    // Starts an X client on this display, with `extra` added to its environment; it is stopped
    // with the session.
    bool startClient(const QString &program, const QStringList &arguments,
                     const QProcessEnvironment &extra = QProcessEnvironment());
    // Runs a short X tool (xdotool) to its end; false when it fails.
    bool run(const QString &program, const QStringList &arguments, QString *output = nullptr);
    // The first window `xdotool search <arguments>` finds, waiting until one appears; 0 when none does.
    quint64 waitForWindow(const QStringList &searchArguments);
    // Raises and focuses `window` through the window manager and waits until it is active.
    bool activate(quint64 window);

private:
    bool waitForWindowManager();
    QProcessEnvironment environment() const;
    void stop(QProcess *process);

    QByteArray m_display;
    std::unique_ptr<QProcess> m_server;
    std::vector<std::unique_ptr<QProcess>> m_clients;
};
