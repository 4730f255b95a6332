#pragma once

#include "entryexport.h"

#include <QString>
#include <QStringList>

class QIODevice;
class QTextStream;

// `tavrodesk --export FROM TO [--format csv|json] [--output FILE]`: writes the entries of the days
// FROM to TO without a window, beside a running instance, reading the database read-only.
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

    // Whether the arguments ask for an export instead of the program.
    static bool requested(int argc, char **argv);

    // Reads the arguments (the program name first). False with a message in `error` for a bad
    // date, range, format or option.
    static bool parse(const QStringList &arguments, Request *request, QString *error);

    // Parses, opens the database at `databasePath` read-only and writes to the output file or
    // `standardOutput`. Messages go to `messages`. Returns the process's exit code.
    static int run(const QStringList &arguments, const QString &databasePath, QIODevice *standardOutput,
                   QTextStream &messages);
};
