#include "exportwriter.h"

#include <QIODevice>

#include <algorithm>

namespace {

// Written in blocks of this size rather than entry by entry.
constexpr qsizetype FlushBytes = 1 << 16;

void appendNumber(QByteArray *out, int value, int width)
{
    char digits[12];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = char('0' + value % 10);
        value /= 10;
    }
    out->append(digits, width);
}

// ISO 8601 with the UTC offset, e.g. 2026-03-29T03:30:00+02:00; written by hand because
// QDateTime::toString() was most of the cost of a large export.
void appendStamp(QByteArray *out, const QDateTime &time)
{
    if (!time.isValid()) {
        return;
    }
    const QDate date = time.date();
    const QTime clock = time.time();
    appendNumber(out, date.year(), 4);
    out->append('-');
    appendNumber(out, date.month(), 2);
    out->append('-');
    appendNumber(out, date.day(), 2);
    out->append('T');
    appendNumber(out, clock.hour(), 2);
    out->append(':');
    appendNumber(out, clock.minute(), 2);
    out->append(':');
    appendNumber(out, clock.second(), 2);
    const int offset = time.offsetFromUtc();
    out->append(offset < 0 ? '-' : '+');
    appendNumber(out, qAbs(offset) / 3600, 2);
    out->append(':');
    appendNumber(out, qAbs(offset) / 60 % 60, 2);
}

QByteArray stamp(const QDateTime &time)
{
    QByteArray text;
    appendStamp(&text, time);
    return text;
}

QByteArray idText(const QVariant &id)
{
    return id.isNull() ? QByteArray() : QByteArray::number(id.toLongLong());
}

// A spreadsheet reads a cell that starts with = + - @ (or a tab or return before one) as a formula,
// and window titles are whatever a web page or document chose: such a text cell gets a leading
// apostrophe, the usual mark for "text, not formula". Plain numbers stay numbers.
bool readsAsFormula(const QByteArray &field)
{
    static const QByteArray triggers = QByteArrayLiteral("=+-@\t\r");
    if (field.isEmpty() || !triggers.contains(field.front())) {
        return false;
    }
    const QByteArrayView digits = QByteArrayView(field).sliced(1);
    return field.front() != '-' || digits.isEmpty() ||
           !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void appendCsvField(QByteArray *out, const QByteArray &value)
{
    const QByteArray field = readsAsFormula(value) ? '\'' + value : value;
    if (!field.contains(',') && !field.contains('"') && !field.contains('\n') && !field.contains('\r')) {
        out->append(field);
        return;
    }
    out->append('"');
    for (const char c : field) {
        if (c == '"') {
            out->append('"');
        }
        out->append(c);
    }
    out->append('"');
}

// The fields of one record in the order of ExportWriter::columns().
QList<QByteArray> fields(const ExportRecord &record)
{
    return {record.date.toString(Qt::ISODate).toLatin1(),
            stamp(record.start),
            stamp(record.end),
            QByteArray::number(record.seconds),
            record.appName.toUtf8(),
            record.appPath.toUtf8(),
            record.title.toUtf8(),
            record.away ? QByteArrayLiteral("true") : QByteArrayLiteral("false"),
            idText(record.taskId),
            record.taskName.toUtf8(),
            idText(record.tasklistId),
            record.tasklistName.toUtf8(),
            idText(record.projectId),
            record.projectName.toUtf8(),
            record.clientId.toUtf8(),
            record.clientName.toUtf8(),
            idText(record.remoteEntryId)};
}

void appendCsvLine(QByteArray *out, const QList<QByteArray> &values)
{
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0) {
            out->append(',');
        }
        appendCsvField(out, values.at(i));
    }
    out->append("\r\n");
}

// A JSON string: quotes, backslashes and control characters escaped, everything else as UTF-8.
void appendJsonString(QByteArray *out, const QString &text)
{
    static const char hex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    out->append('"');
    const bool plain = std::none_of(utf8.cbegin(), utf8.cend(), [](char c) {
        return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
    });
    if (plain) {
        out->append(utf8);
        out->append('"');
        return;
    }
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out->append('\\');
            out->append(c);
        } else if (c == '\n') {
            out->append("\\n");
        } else if (c == '\r') {
            out->append("\\r");
        } else if (c == '\t') {
            out->append("\\t");
        } else if (byte < 0x20) {
            out->append("\\u00");
            out->append(hex[byte >> 4]);
            out->append(hex[byte & 0xf]);
        } else {
            out->append(c);
        }
    }
    out->append('"');
}

void appendJsonId(QByteArray *out, const QVariant &id)
{
    out->append(id.isNull() ? QByteArrayLiteral("null") : QByteArray::number(id.toLongLong()));
}

void appendJsonObject(QByteArray *out, const ExportRecord &record)
{
    // ,"name": for every column, made once.
    static const QList<QByteArray> keys = [] {
        QList<QByteArray> prefixes;
        for (const QString &column : ExportWriter::columns()) {
            prefixes << ",\"" + column.toLatin1() + "\":";
        }
        return prefixes;
    }();
    const auto key = [out](int index) {
        const QByteArray &prefix = keys.at(index);
        if (index == 0) {
            out->append('{');
            out->append(prefix.constData() + 1, prefix.size() - 1);
        } else {
            out->append(prefix);
        }
    };
    key(0);
    appendJsonString(out, record.date.toString(Qt::ISODate));
    key(1);
    out->append('"' + stamp(record.start) + '"');
    key(2);
    out->append('"' + stamp(record.end) + '"');
    key(3);
    out->append(QByteArray::number(record.seconds));
    key(4);
    appendJsonString(out, record.appName);
    key(5);
    appendJsonString(out, record.appPath);
    key(6);
    appendJsonString(out, record.title);
    key(7);
    out->append(record.away ? "true" : "false");
    key(8);
    appendJsonId(out, record.taskId);
    key(9);
    appendJsonString(out, record.taskName);
    key(10);
    appendJsonId(out, record.tasklistId);
    key(11);
    appendJsonString(out, record.tasklistName);
    key(12);
    appendJsonId(out, record.projectId);
    key(13);
    appendJsonString(out, record.projectName);
    key(14);
    appendJsonId(out, record.clientId.isEmpty() ? QVariant() : QVariant(record.clientId));
    key(15);
    appendJsonString(out, record.clientName);
    key(16);
    appendJsonId(out, record.remoteEntryId);
    out->append('}');
}

bool flush(QIODevice *device, QByteArray *buffer)
{
    const bool written = buffer->isEmpty() || device->write(*buffer) == buffer->size();
    buffer->clear();
    return written;
}

} // namespace

bool ExportWriter::parseFormat(const QString &text, Format *format)
{
    if (text.compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0) {
        *format = Format::Csv;
        return true;
    }
    if (text.compare(QLatin1String("json"), Qt::CaseInsensitive) == 0) {
        *format = Format::Json;
        return true;
    }
    return false;
}

const QStringList &ExportWriter::columns()
{
    static const QStringList names{
        QStringLiteral("date"),       QStringLiteral("start"),          QStringLiteral("end"),
        QStringLiteral("seconds"),    QStringLiteral("application"),    QStringLiteral("path"),
        QStringLiteral("title"),      QStringLiteral("away"),           QStringLiteral("task_id"),
        QStringLiteral("task"),       QStringLiteral("tasklist_id"),    QStringLiteral("tasklist"),
        QStringLiteral("project_id"), QStringLiteral("project"),        QStringLiteral("client_id"),
        QStringLiteral("client"),     QStringLiteral("remote_entry_id")};
    return names;
}

bool ExportWriter::write(QIODevice *device, const QList<ExportRecord> &records, Format format)
{
    return format == Format::Csv ? writeCsv(device, records) : writeJson(device, records);
}

bool ExportWriter::writeCsv(QIODevice *device, const QList<ExportRecord> &records)
{
    QByteArray buffer;
    QList<QByteArray> header;
    for (const QString &column : columns()) {
        header << column.toLatin1();
    }
    appendCsvLine(&buffer, header);
    bool written = true;
    for (const ExportRecord &record : records) {
        appendCsvLine(&buffer, fields(record));
        if (buffer.size() >= FlushBytes) {
            written = flush(device, &buffer) && written;
        }
    }
    return flush(device, &buffer) && written;
}

const QStringList &ExportWriter::dayColumns()
{
    static const QStringList names{QStringLiteral("date"),           QStringLiteral("seconds"),
                                   QStringLiteral("linked_seconds"), QStringLiteral("unlinked_seconds"),
                                   QStringLiteral("away_seconds"),   QStringLiteral("to_book_seconds")};
    return names;
}

bool ExportWriter::writeDays(QIODevice *device, const QList<DayFigures> &days, Format format)
{
    QByteArray out;
    if (format == Format::Csv) {
        QList<QByteArray> header;
        for (const QString &column : dayColumns()) {
            header << column.toLatin1();
        }
        appendCsvLine(&out, header);
    } else {
        out += '[';
    }
    for (qsizetype i = 0; i < days.size(); ++i) {
        const DayFigures &day = days.at(i);
        const QList<QByteArray> values{day.date.toString(Qt::ISODate).toLatin1(),
                                       QByteArray::number(day.recorded),
                                       QByteArray::number(day.linked),
                                       QByteArray::number(day.unlinked),
                                       QByteArray::number(day.away),
                                       QByteArray::number(day.toBook)};
        if (format == Format::Csv) {
            appendCsvLine(&out, values);
            continue;
        }
        out += i == 0 ? "\n{" : ",\n{";
        for (qsizetype column = 0; column < values.size(); ++column) {
            out += (column == 0 ? "\"" : ",\"") + dayColumns().at(column).toLatin1() + "\":";
            // The date is the one text; the rest are numbers.
            out += column == 0 ? '"' + values.at(column) + '"' : values.at(column);
        }
        out += '}';
    }
    if (format == Format::Json) {
        out += "\n]\n";
    }
    return flush(device, &out);
}

bool ExportWriter::writeJson(QIODevice *device, const QList<ExportRecord> &records)
{
    QByteArray buffer("[");
    bool written = true;
    for (qsizetype i = 0; i < records.size(); ++i) {
        buffer += i == 0 ? "\n" : ",\n";
        appendJsonObject(&buffer, records.at(i));
        if (buffer.size() >= FlushBytes) {
            written = flush(device, &buffer) && written;
        }
    }
    buffer += "\n]\n";
    return flush(device, &buffer) && written;
}
