#pragma once

#include "exportwriter.h"

#include <QDate>
#include <QString>

class QIODevice;

// One export: the entries of a range of days, completed with client names from the projects
// catalogue when there is one, written in a format. Reads the default connection.
class ProjectsCatalogue;

class EntryExport
{
public:
    QDate from;
    QDate to;
    ExportWriter::Format format = ExportWriter::Format::Csv;
    // The signed-in user's catalogue (not owned); without a usable one the client columns stay empty.
    const ProjectsCatalogue *catalogue = nullptr;
    // One row per day with its figures (see ExportWriter::writeDays) instead of one per entry.
    bool perDay = false;

    // Empty when the range is usable, else why not.
    QString rangeProblem() const;

    // False with a reason in `error` when the range is unusable, the database could not be read
    // or the device refused the data.
    bool writeTo(QIODevice *device, QString *error) const;
    // Writes the whole file or, on failure, leaves an existing file as it was.
    bool writeFile(const QString &path, QString *error) const;

    // Sets the client of every linked record whose project the catalogue knows.
    static void fillClients(QList<ExportRecord> *records, const ProjectsCatalogue *catalogue);

private:
    static bool unread(QString *error);
    // Whether what the writer wrote all reached the device; else why not in `error`.
    static bool written(QIODevice *device, bool writerOk, QString *error);
};
