#pragma once

#include "entryexport.h"

#include <QCommandLineOption>
#include <QString>

class ProjectsCatalogue;
class QCommandLineParser;
class QIODevice;
class QTextStream;

// `tavrodesk --export FROM TO [--per-day] [--format csv|json] [--output FILE]`: writes the entries
// (or each day's figures) of the days FROM to TO without a window, beside a running instance,
// reading the database read-only.
class ExportCommand
{
public:
    enum ExitCode { Done = 0, Failed = 1, BadUsage = 2 };

    struct Request
    {
        EntryExport exportRun;
        // Empty: standard output.
        QString outputPath;
    };

    // The command's option (its value is FROM; TO is the one positional argument) and the two
    // options it reads.
    static QCommandLineOption exportOption();
    static QCommandLineOption formatOption();
    static QCommandLineOption outputOption();
    static QCommandLineOption perDayOption();

    // Reads the export from a parser that has parsed the four options. False with a message in
    // `error` for a bad date, range or format, or a missing or extra day.
    static bool read(const QCommandLineParser &parser, Request *request, QString *error);

    // Reads the request, opens the database at `databasePath` read-only and writes to the output
    // file or `standardOutput`, naming the clients of linked records from `catalogue` (may be null).
    // Messages go to `messages`. Returns the process's exit code.
    static int run(const QCommandLineParser &parser, const QString &databasePath, const ProjectsCatalogue *catalogue,
                   QIODevice *standardOutput, QTextStream &messages);
};
