#include "recordingjournal.h"

#include "timetext.h"

#include <QByteArrayList>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <limits>
#include <unistd.h>

namespace {
QString stamp(const QDateTime &dateTime)
{
    return TimeText::formatDateTime(dateTime);
}

// The offset beside a stamp tells its instant in the hour a clock change repeats; journals of
// earlier versions have none and are read in the local time zone.
QString offsetKey(const QString &key)
{
    return key + QStringLiteral("Offset");
}

QDateTime readStamp(const QJsonObject &object, const QString &key)
{
    // Date and time are read apart: a time the clock change repeats or skips is still a time.
    const QString text = object.value(key).toString();
    const QDate date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(text.mid(11), QStringLiteral("hh:mm:ss"));
    if (text.size() != 19 || text.at(10) != QLatin1Char(' ') || !date.isValid() || !time.isValid()) {
        return {};
    }
    const QJsonValue offset = object.value(offsetKey(key));
    if (!offset.isDouble()) {
        return QDateTime(date, time);
    }
    return QDateTime(date, time, Qt::OffsetFromUTC, offset.toInt()).toLocalTime();
}

JournalStretch readStretch(const QJsonObject &object, const QString &endKey)
{
    JournalStretch stretch;
    stretch.info.path = object.value(QStringLiteral("path")).toString();
    stretch.info.name = object.value(QStringLiteral("name")).toString();
    stretch.info.title = object.value(QStringLiteral("title")).toString().left(RecordingJournal::MaxTitleLength);
    stretch.start = readStamp(object, QStringLiteral("start"));
    stretch.end = readStamp(object, endKey);
    return stretch;
}

QString implausibility(const JournalStretch &stretch, const QDateTime &now, const QDateTime &notBefore)
{
    if (stretch.info.path.isEmpty()) {
        return QStringLiteral("no application path");
    }
    if (!stretch.start.isValid() || !stretch.end.isValid() || stretch.end < stretch.start) {
        return QStringLiteral("no valid start and end");
    }
    if (stretch.end > now.addSecs(RecordingJournal::FutureSlackSecs)) {
        return QStringLiteral("ends in the future");
    }
    if (notBefore.isValid() && stretch.start < notBefore) {
        return QStringLiteral("starts before the stored entries end");
    }
    return {};
}
} // namespace

RecordingJournal::RecordingJournal(const QString &path)
    : m_path(path)
{}

bool RecordingJournal::exists() const
{
    return !m_path.isEmpty() && QFileInfo::exists(m_path);
}

QByteArray RecordingJournal::serialize(const QList<JournalStretch> &stretches)
{
    return serialize(stretches, std::numeric_limits<qint64>::max(), nullptr);
}

QByteArray RecordingJournal::serialize(const QList<JournalStretch> &stretches, qint64 maxBytes, qsizetype *leftOut)
{
    QByteArrayList objects;
    objects.reserve(stretches.size());
    for (const JournalStretch &stretch : stretches) {
        objects << QJsonDocument(QJsonObject{
                                     {QStringLiteral("path"), stretch.info.path},
                                     {QStringLiteral("name"), stretch.info.name},
                                     {QStringLiteral("title"), stretch.info.title},
                                     {QStringLiteral("start"), stamp(stretch.start)},
                                     {offsetKey(QStringLiteral("start")), stretch.start.offsetFromUtc()},
                                     {QStringLiteral("end"), stamp(stretch.end)},
                                     {offsetKey(QStringLiteral("end")), stretch.end.offsetFromUtc()},
                                 })
                       .toJson(QJsonDocument::Compact);
    }
    const QByteArray head("{\"stretches\":[");
    const QByteArray tail("]}");
    qint64 size = head.size() + tail.size() + (objects.isEmpty() ? 0 : objects.constLast().size());
    qsizetype kept = 0;
    while (kept + 1 < objects.size() && size + objects.at(kept).size() + 1 <= maxBytes) {
        size += objects.at(kept).size() + 1;
        ++kept;
    }
    if (leftOut) {
        *leftOut = objects.isEmpty() ? 0 : objects.size() - 1 - kept;
    }
    if (!objects.isEmpty()) {
        objects.remove(kept, objects.size() - 1 - kept);
    }
    return head + objects.join(',') + tail;
}

bool RecordingJournal::write(const QList<JournalStretch> &stretches, qint64 now, bool sync)
{
    if (m_path.isEmpty()) {
        return false;
    }
    const bool durable = sync || isSyncDue(now);
    const QString temporary = m_path + QStringLiteral(".new");
    QFile file(temporary);
    const QByteArray bytes = serialize(stretches, MaxBytes, &m_leftOut);
    bool written =
        file.open(QIODevice::WriteOnly | QIODevice::Truncate, QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
        file.write(bytes) == bytes.size() && file.flush();
    // Only a power cut needs the data on the disk; a crashed process leaves the page cache behind.
    if (written && durable) {
        written = ::fdatasync(file.handle()) == 0;
    }
    file.close();
    // The rename replaces the journal in one step: a reader sees the old or the new one, never half.
    written =
        written && std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(m_path).constData()) == 0;
    if (!written) {
        QFile::remove(temporary);
        return false;
    }
    if (durable) {
        m_lastSync = now;
        m_synced = true;
    }
    return true;
}

bool RecordingJournal::isSyncDue(qint64 now) const
{
    return !m_synced || qAbs(now - m_lastSync) >= SyncIntervalSecs;
}

QString RecordingJournal::keepAside(const QDateTime &now)
{
    const QString aside = m_path + QStringLiteral(".unread-") + now.toString(QStringLiteral("yyyyMMdd-hhmmss"));
    if (std::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(aside).constData()) != 0) {
        return {};
    }
    return aside;
}

void RecordingJournal::remove()
{
    if (!m_path.isEmpty()) {
        QFile::remove(m_path);
    }
    m_synced = false;
}

RecordingJournal::Contents RecordingJournal::read(const QDateTime &now, const QDateTime &notBefore) const
{
    // A FIFO would block the start for ever and a link to a device could be read without end.
    const QFileInfo info(m_path);
    if (!info.isFile()) {
        return {{}, QStringLiteral("not a regular file"), true};
    }
    if (info.size() > MaxReadBytes) {
        return {{}, QStringLiteral("larger than %1 bytes").arg(MaxReadBytes), true};
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {{}, file.errorString(), true};
    }
    return parse(file.read(MaxReadBytes + 1), now, notBefore);
}

RecordingJournal::Contents RecordingJournal::parse(const QByteArray &bytes, const QDateTime &now,
                                                   const QDateTime &notBefore)
{
    Contents contents;
    contents.unread = true;
    if (bytes.size() > MaxReadBytes) {
        contents.problem = QStringLiteral("larger than %1 bytes").arg(MaxReadBytes);
        return contents;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        contents.problem = QStringLiteral("not a journal");
        return contents;
    }
    contents.unread = false;
    const QJsonObject journal = document.object();
    QList<JournalStretch> candidates;
    if (journal.contains(QStringLiteral("checkpoint"))) {
        candidates.append(readStretch(journal, QStringLiteral("checkpoint")));
    } else {
        const QJsonArray list = journal.value(QStringLiteral("stretches")).toArray();
        for (const QJsonValue &value : list) {
            candidates.append(readStretch(value.toObject(), QStringLiteral("end")));
        }
    }
    if (candidates.isEmpty()) {
        contents.problem = QStringLiteral("no stretches");
    }
    QDateTime previousEnd = notBefore;
    for (const JournalStretch &stretch : std::as_const(candidates)) {
        const QString why = implausibility(stretch, now, previousEnd);
        if (!why.isEmpty()) {
            contents.problem = QStringLiteral("a stretch ") + why;
            continue;
        }
        previousEnd = stretch.end;
        contents.stretches.append(stretch);
    }
    return contents;
}
