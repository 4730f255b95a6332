#pragma once

#include "exportreader.h"
#include "weekfigures.h"

#include <QList>
#include <QString>

class QIODevice;

// Writes exported entries as CSV (RFC 4180: a header row, CRLF line ends, fields quoted when they
// hold a comma, quote or line break) or as a JSON array of objects, both in UTF-8.
class ExportWriter
{
public:
    enum class Format { Csv, Json };

    // "csv" or "json" (any case); false for anything else.
    static bool parseFormat(const QString &text, Format *format);

    // The column names of the CSV header, which are also the keys of the JSON objects.
    static const QStringList &columns();

    // False when the device refused the data.
    static bool write(QIODevice *device, const QList<ExportRecord> &records, Format format);
    static bool writeCsv(QIODevice *device, const QList<ExportRecord> &records);
    static bool writeJson(QIODevice *device, const QList<ExportRecord> &records);

    // One row per day instead of one per entry, in the same formats: the day, its recorded seconds
    // (what the day's entries' "seconds" add up to) and how they split into linked, unlinked and
    // away time, and what is still to book.
    static const QStringList &dayColumns();
    static bool writeDays(QIODevice *device, const QList<DayFigures> &days, Format format);
};
