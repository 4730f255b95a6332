#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The program's command line, read before the application object exists so that --help, --version
// and the commands run without a display. A command is an option whose handler runs instead of the
// window and whose return value is the exit code; its handler reads its own values from the parser.
// Qt's own switches (-platform, -style, ...) are accepted and left for Qt.
class CommandLine
{
public:
    using Handler = std::function<int(const QCommandLineParser &parser)>;

    // Exit code for arguments the program does not understand.
    static constexpr int UsageError = 2;

    CommandLine();

    // An option a command reads, e.g. the file it writes to.
    void addOption(const QCommandLineOption &option);
    // An option that runs `handler` instead of the window.
    void addCommand(const QCommandLineOption &option, const Handler &handler);

    enum class Action {
        RunWindow,  // start the application as usual
        RunCommand, // call runCommand() instead
        Exit,       // print output() or error() and leave with exitCode()
    };
    // `arguments` as the process got them, the program's path first.
    Action parse(const QStringList &arguments);

    int runCommand() const;
    bool debugRequested() const { return m_debug; }
    // Started by the log-in autostart entry: the window stays in the tray.
    bool autostarted() const { return m_autostarted; }
    // Text for standard output (help, version) and standard error (what went wrong).
    QString output() const { return m_output; }
    QString error() const { return m_error; }
    int exitCode() const { return m_exitCode; }
    QString helpText() const;

    static QStringList arguments(int argc, char **argv);

private:
    struct Entry
    {
        QCommandLineOption option;
        Handler handler;
    };

    Action exitWith(int code, const QString &output, const QString &error);
    static QString displayName(const QString &name);

    QCommandLineParser m_parser;
    QList<Entry> m_entries;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
    QCommandLineOption m_debugOption;
    QCommandLineOption m_autostartOption;
    bool m_debug = false;
    bool m_autostarted = false;
    Handler m_command;
    QString m_output;
    QString m_error;
    int m_exitCode = 0;
};
