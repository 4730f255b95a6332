#include "commandline.h"

#include "buildinfo.h"

#include <algorithm>
#include <utility>

namespace {
// Switches QGuiApplication and QApplication take from the command line themselves.
const char *const qtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry", "geometry", "qwindowtitle",
    "title",    "qwindowicon",        "icon",          "session", "display",         "name",     "visual",
    "style",    "stylesheet",         "qmljsdebugger"};
const char *const qtFlags[] = {"reverse", "widgetcount", "sync", "nograb", "dograb", "testability"};

QCommandLineOption hidden(QCommandLineOption option)
{
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}
} // namespace

CommandLine::CommandLine()
    : m_help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit."))
    , m_version({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version and exit."))
    , m_debugOption(QStringLiteral("debug"),
                    QStringLiteral("Write every diagnostic message to debug.log in $XDG_STATE_HOME/TavroDesk."))
    , m_autostartOption(QStringLiteral("autostart"),
                        QStringLiteral("Start in the tray, without a window, as at log-in."))
{
    // "-debug" is a word, not the letters d, e, b, u and g.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    addOption(m_help);
    addOption(m_version);
    addOption(m_debugOption);
    addOption(m_autostartOption);
    for (const char *name : qtOptionsWithValue) {
        addOption(hidden(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value"))));
    }
    for (const char *name : qtFlags) {
        addOption(hidden(QCommandLineOption(QString::fromLatin1(name), QString())));
    }
}

void CommandLine::addOption(const QCommandLineOption &option)
{
    addCommand(option, Handler());
}

void CommandLine::addCommand(const QCommandLineOption &option, const Handler &handler)
{
    m_parser.addOption(option);
    m_entries.append({option, handler});
}

QStringList CommandLine::arguments(int argc, char **argv)
{
    QStringList list;
    for (int i = 0; i < argc; ++i) {
        list.append(QString::fromLocal8Bit(argv[i]));
    }
    return list;
}

CommandLine::Action CommandLine::exitWith(int code, const QString &output, const QString &error)
{
    m_exitCode = code;
    m_output = output;
    m_error = error;
    return Action::Exit;
}

CommandLine::Action CommandLine::parse(const QStringList &arguments)
{
    m_debug = false;
    m_autostarted = false;
    m_command = Handler();
    const QString usageHint = QStringLiteral("\nTry 'tavrodesk --help' for the options.\n");
    // The log switch has always been exactly "-debug"; the parser would also take "--debug".
    for (const QString &argument : arguments.mid(1)) {
        if (argument == QLatin1String("--debug") || argument.startsWith(QLatin1String("--debug="))) {
            return exitWith(UsageError, QString(),
                            QStringLiteral("Unknown option '%1'; the log switch is -debug.").arg(argument) + usageHint);
        }
    }
    if (!m_parser.parse(arguments)) {
        return exitWith(UsageError, QString(), m_parser.errorText() + usageHint);
    }
    if (m_parser.isSet(m_help)) {
        return exitWith(0, helpText(), QString());
    }
    if (m_parser.isSet(m_version)) {
        return exitWith(0, QStringLiteral("tavrodesk %1\n").arg(BuildInfo::version()), QString());
    }
    m_debug = m_parser.isSet(m_debugOption);
    m_autostarted = m_parser.isSet(m_autostartOption);
    for (const Entry &entry : std::as_const(m_entries)) {
        if (!entry.handler || !m_parser.isSet(entry.option)) {
            continue;
        }
        if (m_command) {
            return exitWith(UsageError, QString(), QStringLiteral("Give one command at a time.") + usageHint);
        }
        m_command = entry.handler;
    }
    if (!m_command && !m_parser.positionalArguments().isEmpty()) {
        return exitWith(UsageError, QString(),
                        QStringLiteral("Unexpected argument '%1'.").arg(m_parser.positionalArguments().constFirst()) +
                            usageHint);
    }
    return m_command ? Action::RunCommand : Action::RunWindow;
}

int CommandLine::runCommand() const
{
    return m_command ? m_command(m_parser) : UsageError;
}

QString CommandLine::displayName(const QString &name)
{
    // "-debug" keeps its single dash; every other long option is written with two.
    if (name == QLatin1String("debug") || name.size() == 1) {
        return QLatin1Char('-') + name;
    }
    return QStringLiteral("--") + name;
}

QString CommandLine::helpText() const
{
    QStringList names;
    QStringList descriptions;
    for (const Entry &entry : m_entries) {
        if (entry.option.flags().testFlag(QCommandLineOption::HiddenFromHelp)) {
            continue;
        }
        QStringList shown;
        for (const QString &name : entry.option.names()) {
            shown.append(displayName(name));
        }
        QString text = shown.join(QStringLiteral(", "));
        if (!entry.option.valueName().isEmpty()) {
            text += QLatin1Char(' ') + entry.option.valueName();
        }
        names.append(text);
        descriptions.append(entry.option.description());
    }
    qsizetype width = 0;
    for (const QString &name : std::as_const(names)) {
        width = std::max(width, name.size());
    }
    QString text = QStringLiteral("Usage: tavrodesk [options]\n"
                                  "Records the window in front and links the time with Tavro tasks.\n\nOptions:\n");
    for (qsizetype i = 0; i < names.size(); ++i) {
        text += QStringLiteral("  ") + names.at(i).leftJustified(width) + QStringLiteral("  ") + descriptions.at(i) +
                QLatin1Char('\n');
    }
    return text;
}
