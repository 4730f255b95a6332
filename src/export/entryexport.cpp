#include "entryexport.h"

#include "projectscatalogue.h"

#include <QCoreApplication>
#include <QFileDevice>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

QString EntryExport::rangeProblem() const
{
    if (!from.isValid() || !to.isValid()) {
        return QCoreApplication::translate("EntryExport", "The range needs a valid first and last day.");
    }
    if (to < from) {
        return QCoreApplication::translate("EntryExport", "The range ends (%1) before it starts (%2).")
            .arg(to.toString(Qt::ISODate), from.toString(Qt::ISODate));
    }
    return QString();
}

namespace {
// The figures of the days from `from` to `to`, a week at a time as the week view reads them.
QList<DayFigures> dayFigures(const QDate &from, const QDate &to, bool *ok)
{
    QList<DayFigures> days;
    *ok = true;
    for (QDate monday = WeekDays::weekStart(from); *ok && monday <= to; monday = monday.addDays(7)) {
        for (const DayFigures &day : WeekFigures::load(monday, {}, ok)) {
            if (day.date >= from && day.date <= to) {
                days << day;
            }
        }
    }
    return days;
}
} // namespace

bool EntryExport::writeTo(QIODevice *device, QString *error) const
{
    const QString problem = rangeProblem();
    if (!problem.isEmpty()) {
        *error = problem;
        return false;
    }
    bool ok = false;
    if (perDay) {
        const QList<DayFigures> days = dayFigures(from, to, &ok);
        return ok ? written(device, ExportWriter::writeDays(device, days, format), error) : unread(error);
    }
    QList<ExportRecord> records = ExportReader::read(from, to, &ok);
    if (!ok) {
        return unread(error);
    }
    fillClients(&records, catalogue);
    return written(device, ExportWriter::write(device, records, format), error);
}

bool EntryExport::unread(QString *error)
{
    *error = QCoreApplication::translate("EntryExport",
                                         "The entries could not be read from the database; it may be damaged.");
    return false;
}

bool EntryExport::written(QIODevice *device, bool writerOk, QString *error)
{
    // What a file device still buffers counts too: a full disk shows only when it goes out.
    auto *file = qobject_cast<QFileDevice *>(device);
    if (!writerOk || (file && !file->flush())) {
        *error = QCoreApplication::translate("EntryExport", "The export could not be written: %1")
                     .arg(device->errorString());
        return false;
    }
    return true;
}

bool EntryExport::writeFile(const QString &path, QString *error) const
{
    // The new file replaces the old one by renaming: that would replace a device or a pipe too.
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile()) {
        *error = QCoreApplication::translate("EntryExport", "Could not write %1: not a regular file.").arg(path);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QCoreApplication::translate("EntryExport", "Could not write %1: %2").arg(path, file.errorString());
        return false;
    }
    if (!writeTo(&file, error)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = QCoreApplication::translate("EntryExport", "Could not write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

void EntryExport::fillClients(QList<ExportRecord> *records, const ProjectsCatalogue *catalogue)
{
    if (!catalogue || !catalogue->isUsable()) {
        return;
    }
    QHash<qint64, const ProjectsCatalogue::Project *> projects;
    for (const ProjectsCatalogue::Project &project : catalogue->projects()) {
        projects.insert(project.id, &project);
    }
    for (ExportRecord &record : *records) {
        if (record.projectId.isNull()) {
            continue;
        }
        const auto project = projects.constFind(record.projectId.toLongLong());
        if (project != projects.cend()) {
            // A project without a client leaves the column empty.
            record.clientId = (*project)->clientId == 0 ? QString() : QString::number((*project)->clientId);
            record.clientName = (*project)->clientName;
        }
    }
}
