#include "exportcommand.h"

#include "database.h"

#include <QCommandLineParser>
#include <QIODevice>
#include <QRegularExpression>
#include <QStringList>
#include <QTextStream>

namespace {

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

QCommandLineOption ExportCommand::exportOption()
{
    return QCommandLineOption(
        QStringLiteral("export"),
        QStringLiteral("Write the entries of the days FROM to TO (YYYY-MM-DD, TO follows FROM) and exit."),
        QStringLiteral("FROM"));
}

QCommandLineOption ExportCommand::formatOption()
{
    return QCommandLineOption(QStringLiteral("format"), QStringLiteral("With --export: csv (the default) or json."),
                              QStringLiteral("FORMAT"), QStringLiteral("csv"));
}

QCommandLineOption ExportCommand::outputOption()
{
    return QCommandLineOption(QStringLiteral("output"),
                              QStringLiteral("With --export: the file to write instead of standard output."),
                              QStringLiteral("FILE"));
}

QCommandLineOption ExportCommand::perDayOption()
{
    return QCommandLineOption(QStringLiteral("per-day"),
                              QStringLiteral("With --export: one row per day with its recorded, linked, unlinked, "
                                             "away and still-to-book seconds instead of one per entry."));
}

bool ExportCommand::read(const QCommandLineParser &parser, Request *request, QString *error)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        // A day or two too many are the usual slips: say which, then how it goes.
        *error = (positional.isEmpty() ? QStringLiteral("--export needs the last day too, for example: tavrodesk "
                                                        "--export 2026-12-01 2026-12-07\n")
                                       : QStringLiteral("--export takes two days, FROM and TO; also given: %1\n")
                                             .arg(positional.mid(1).join(QLatin1Char(' ')))) +
                 QStringLiteral("Usage: tavrodesk --export FROM TO [--per-day] [--format csv|json] [--output FILE]");
        return false;
    }
    EntryExport &run = request->exportRun;
    const QString fromText = parser.value(exportOption().names().constFirst());
    if (!parseDay(fromText, &run.from)) {
        *error = badDay(fromText);
        return false;
    }
    if (!parseDay(positional.constFirst(), &run.to)) {
        *error = badDay(positional.constFirst());
        return false;
    }
    const QString problem = run.rangeProblem();
    if (!problem.isEmpty()) {
        *error = problem;
        return false;
    }
    const QString format = parser.value(formatOption().names().constFirst());
    if (!ExportWriter::parseFormat(format, &run.format)) {
        *error = QStringLiteral("Unknown format \"%1\" (csv or json).").arg(format);
        return false;
    }
    request->outputPath = parser.value(outputOption().names().constFirst());
    run.perDay = parser.isSet(perDayOption().names().constFirst());
    return true;
}

int ExportCommand::run(const QCommandLineParser &parser, const QString &databasePath,
                       const ProjectsCatalogue *catalogue, QIODevice *standardOutput, QTextStream &messages)
{
    Request request;
    QString error;
    if (!read(parser, &request, &error)) {
        messages << "tavrodesk: " << error << Qt::endl;
        return BadUsage;
    }
    request.exportRun.catalogue = catalogue;
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
