#include "exportcommand.h"

#include "database.h"

#include <QCommandLineParser>
#include <QIODevice>
#include <QRegularExpression>
#include <QTextStream>

#include <cstring>

namespace {

const char ExportOption[] = "--export";

// Only the stored day form: "2026-3-1" or "01.03.2026" would be guesses.
bool parseDay(const QString &text, QDate *day)
{
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    *day = form.match(text).hasMatch() ? QDate::fromString(text, Qt::ISODate) : QDate();
    return day->isValid();
}

QString badDay(const QString &text)
{
    return QStringLiteral("Not a date: \"%1\" (expected YYYY-MM-DD, e.g. 2026-03-01).").arg(text);
}

} // namespace

bool ExportCommand::requested(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], ExportOption) == 0 || std::strncmp(argv[i], "--export=", 9) == 0) {
            return true;
        }
    }
    return false;
}

bool ExportCommand::parse(const QStringList &arguments, Request *request, QString *error)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption exportOption(QStringLiteral("export"), QStringLiteral("First day to export."),
                                          QStringLiteral("FROM"));
    const QCommandLineOption formatOption(QStringLiteral("format"), QStringLiteral("csv or json."),
                                          QStringLiteral("FORMAT"), QStringLiteral("csv"));
    const QCommandLineOption outputOption(QStringLiteral("output"), QStringLiteral("File to write."),
                                          QStringLiteral("FILE"));
    // The program's own switch is harmless beside an export.
    const QCommandLineOption debugOption(QStringLiteral("debug"));
    parser.addOptions({exportOption, formatOption, outputOption, debugOption});
    parser.addPositionalArgument(QStringLiteral("TO"), QStringLiteral("Last day to export."));
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        *error = QStringLiteral("Usage: tavrodesk --export FROM TO [--format csv|json] [--output FILE]");
        return false;
    }
    EntryExport &run = request->exportRun;
    const QString fromText = parser.value(exportOption);
    if (!parseDay(fromText, &run.from)) {
        *error = badDay(fromText);
        return false;
    }
    if (!parseDay(positional.first(), &run.to)) {
        *error = badDay(positional.first());
        return false;
    }
    const QString problem = run.rangeProblem();
    if (!problem.isEmpty()) {
        *error = problem;
        return false;
    }
    if (!ExportWriter::parseFormat(parser.value(formatOption), &run.format)) {
        *error = QStringLiteral("Unknown format \"%1\" (csv or json).").arg(parser.value(formatOption));
        return false;
    }
    request->outputPath = parser.value(outputOption);
    return true;
}

int ExportCommand::run(const QStringList &arguments, const QString &databasePath, QIODevice *standardOutput,
                       QTextStream &messages)
{
    Request request;
    QString error;
    if (!parse(arguments, &request, &error)) {
        messages << "tavrodesk: " << error << Qt::endl;
        return BadUsage;
    }
    Database database;
    if (!database.openReadOnly(databasePath, &error)) {
        messages << "tavrodesk: could not open the database " << databasePath << ": " << error << Qt::endl;
        return Failed;
    }
    const bool written = request.outputPath.isEmpty() ? request.exportRun.writeTo(standardOutput, &error)
                                                      : request.exportRun.writeFile(request.outputPath, &error);
    database.close();
    if (!written) {
        messages << "tavrodesk: " << error << Qt::endl;
        return Failed;
    }
    return Done;
}
