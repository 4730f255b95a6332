#pragma once

#include <QProcess>
#include <QStandardPaths>

#include <memory>
#include <vector>

// A private X server for tests and benchmarks: Xvfb on a free display, optionally openbox, and X clients on
// it. Everything started here is stopped again by the destructor.
class XvfbSession
{
public:
    ~XvfbSession();
    // On failure `error` says why, naming a missing program.
    bool start(bool windowManager, QString *error);
    static bool haveProgram(const QString &program) { return !QStandardPaths::findExecutable(program).isEmpty(); }
    // Makes the kernel stop `process` when the test dies without cleaning up.
    static void endWithTest(QProcess &process);

    QByteArray display() const { return m_display; }
    bool startClient(const QString &program, const QStringList &arguments,
                     const QProcessEnvironment &extra = QProcessEnvironment());
    // Runs a short tool to its end in `env`; false when it fails or takes longer than 10 s.
    static bool runTool(const QProcessEnvironment &env, const QString &program, const QStringList &arguments,
                        QString *output = nullptr);
    // Runs a short X tool to its end; false when it fails.
    bool run(const QString &program, const QStringList &arguments, QString *output = nullptr);
    // The first window `xdotool search <arguments>` finds, waiting until one appears; 0 when none does.
    quint64 waitForWindow(const QStringList &searchArguments);
    // Raises and focuses `window` through the window manager and waits until it is active.
    bool activate(quint64 window);

private:
    QProcessEnvironment environment() const;

    QByteArray m_display;
    std::vector<std::unique_ptr<QProcess>> m_processes; // the server first
};
