#include "recorder.h"

#include "applicationstore.h"
#include "clock.h"
#include "entrystore.h"
#include "idlesource.h"
#include "settings.h"
#include "timetext.h"
#include "windowprobe.h"

#include <QDebug>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QVariant>

namespace {
const QString TimeOfDayFormat = QStringLiteral("hh:mm:ss");

QString stamp(const QDateTime &dateTime)
{
    return TimeText::formatDateTime(dateTime);
}

QDateTime readStamp(const QJsonObject &object, const QString &key)
{
    return QDateTime::fromString(object.value(key).toString(), QLatin1String(TimeText::DateTimeFormat));
}
} // namespace

Recorder::Recorder(WindowProbe *probe, IdleSource *idle, Clock *clock, QObject *parent)
    : QObject(parent)
    , m_probe(probe)
    , m_idle(idle)
    , m_clock(clock)
{
    m_samplingTimer.setInterval(TickIntervalMs);
    connect(&m_samplingTimer, &QTimer::timeout, this, &Recorder::updateApps);
}

void Recorder::setJournalPath(const QString &path)
{
    m_journalPath = path;
    m_journalOwned = false;
    m_journalRecovered = false;
}

void Recorder::setRecording(bool on)
{
    const bool changed = on != m_recording;
    m_recording = on;
    if (on) {
        if (!m_journalRecovered) {
            recoverJournal();
        }
        m_samplingTimer.start();
    } else {
        m_samplingTimer.stop();
        flush();
    }
    if (changed) {
        Q_EMIT recordingChanged(on);
    }
}

void Recorder::flush()
{
    if (!m_currentWindow.path.isEmpty()) {
        closeStretch(m_clock->now());
    }
    m_currentWindow = WindowInfo();
    removeJournal();
}

void Recorder::updateApps()
{
    WindowInfo sample = m_probe->currentWindowInfo();
    const QDateTime tickTime = m_clock->now();
    QDateTime now = tickTime;

    if (Settings::instance()->values.value(QStringLiteral("IdleEnabled"), true).toBool()) {
        idleHook(sample, now, tickTime);
    }

    bool opened = false;
    if (m_currentWindow.path.isEmpty()) {
        m_currentStart = tickTime;
        m_currentWindow = sample;
        opened = true;
    }
    if (m_currentWindow.path != sample.path || m_currentWindow.title != sample.title) {
        closeStretch(now);
        m_currentWindow = sample;
        m_currentStart = now;
        opened = true;
    }

    if (opened || !m_lastCheckpoint.isValid() || qAbs(m_lastCheckpoint.secsTo(tickTime)) >= JournalIntervalSecs) {
        checkpoint(tickTime);
    }
}

void Recorder::idleHook(WindowInfo &sample, QDateTime &now, const QDateTime &tickTime)
{
    const qint64 idle = qMax(0, m_idle->idleSeconds());
    const qint64 limit =
        qMax(0LL, Settings::instance()->values.value(QStringLiteral("IdleLimit"), 5).toLongLong() * 60);

    if (idle < limit) {
        if (m_inIdle) {
            m_inIdle = false;
            qDebug() << "out of idle";
            Q_EMIT awayTimeDetected(QStringLiteral("Away time detected"), awayMessage(m_currentStart, tickTime));
        }
        return;
    }

    if (m_inIdle) {
        sample = m_currentWindow;
        return;
    }
    m_inIdle = true;
    qDebug() << "Entered IDLE";
    QDateTime awayStart = tickTime.addSecs(-limit);
    // A window that came to the front by itself during the inactivity must not end before it began.
    if (!m_currentWindow.path.isEmpty() && awayStart < m_currentStart) {
        awayStart = m_currentStart;
    }
    sample = idleWindowInfo();
    sample.title = QStringLiteral("at ") + awayStart.time().toString(TimeOfDayFormat);
    now = awayStart;
}

QString Recorder::awayMessage(const QDateTime &start, const QDateTime &end)
{
    return QStringLiteral("Duration: ") + formatDuration(start.secsTo(end)) + QStringLiteral("\nInactivity period: ") +
           start.time().toString(TimeOfDayFormat) + QStringLiteral(" - ") + end.time().toString(TimeOfDayFormat);
}

void Recorder::closeStretch(const QDateTime &end)
{
    const QPair<qint64, qint64> ids = storeEntry(m_currentStart, end, m_currentWindow);
    Q_EMIT entryStored(m_currentStart, end, m_currentWindow, ids.first, ids.second);
}

QPair<qint64, qint64> Recorder::storeEntry(const QDateTime &start, const QDateTime &end, const WindowInfo &info)
{
    qint64 appId = findApplication(info);
    if (appId == 0) {
        appId = insertApplication(info);
    }
    const qint64 entryId = insertEntry(start, end, info, appId);
    return qMakePair(appId, entryId);
}

qint64 Recorder::findApplication(const WindowInfo &info)
{
    qint64 id = 0;
    const StoreResult found = ApplicationStore::find(info.path, info.name, &id);
    if (!found.ok()) {
        qDebug() << "application could not be looked up:" << found.error();
    }
    return id;
}

qint64 Recorder::insertApplication(const WindowInfo &info)
{
    qint64 id = 0;
    const StoreResult added = ApplicationStore::add(info.path, info.name, &id);
    if (!added.ok()) {
        qDebug() << "application could not be stored:" << added.error();
    }
    return id;
}

qint64 Recorder::insertEntry(const QDateTime &start, const QDateTime &end, const WindowInfo &info, qint64 appId)
{
    qint64 id = 0;
    const StoreResult inserted = EntryStore::insertEntry(info.title, stamp(start), stamp(end), appId, &id);
    if (!inserted.ok()) {
        qDebug() << "entry could not be stored:" << inserted.error();
    }
    return id;
}

void Recorder::checkpoint(const QDateTime &tickTime)
{
    if (m_journalPath.isEmpty()) {
        return;
    }
    if (m_currentWindow.path.isEmpty()) {
        removeJournal();
        return;
    }
    // A journal left by a previous run is stored before this run's replaces it.
    if (!m_journalOwned && !m_journalRecovered) {
        recoverJournal();
    }
    m_lastCheckpoint = tickTime;
    const QJsonObject journal{
        {QStringLiteral("path"), m_currentWindow.path},   {QStringLiteral("name"), m_currentWindow.name},
        {QStringLiteral("title"), m_currentWindow.title}, {QStringLiteral("start"), stamp(m_currentStart)},
        {QStringLiteral("checkpoint"), stamp(tickTime)},
    };
    QSaveFile file(m_journalPath);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(QJsonDocument(journal).toJson(QJsonDocument::Compact)) >= 0 && file.commit();
    if (!written && !m_journalFailed) {
        qWarning() << "cannot write recording journal" << m_journalPath << file.errorString();
    }
    m_journalFailed = !written;
    m_journalOwned = m_journalOwned || written;
}

void Recorder::removeJournal()
{
    m_lastCheckpoint = QDateTime();
    if (m_journalOwned) {
        QFile::remove(m_journalPath);
        m_journalOwned = false;
    }
}

bool Recorder::recoverJournal()
{
    if (m_journalPath.isEmpty() || m_journalOwned) {
        return false;
    }
    m_journalRecovered = true;
    QFile file(m_journalPath);
    if (!file.exists()) {
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "cannot read recording journal" << m_journalPath << file.errorString();
        return false;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    file.close();

    const QJsonObject journal = document.object();
    WindowInfo info;
    info.path = journal.value(QStringLiteral("path")).toString();
    info.name = journal.value(QStringLiteral("name")).toString();
    info.title = journal.value(QStringLiteral("title")).toString();
    const QDateTime start = readStamp(journal, QStringLiteral("start"));
    const QDateTime end = readStamp(journal, QStringLiteral("checkpoint"));

    const bool valid = error.error == QJsonParseError::NoError && document.isObject() && !info.path.isEmpty() &&
                       start.isValid() && end.isValid() && start <= end;
    if (!valid) {
        qWarning() << "discarding corrupt recording journal" << m_journalPath;
        QFile::remove(m_journalPath);
        return false;
    }

    info.icon = m_probe->getAppIcon(info.path);
    const QPair<qint64, qint64> ids = storeEntry(start, end, info);
    if (ids.second == 0) {
        // Keep the journal for a later start rather than lose the stretch.
        qWarning() << "cannot store the stretch of the recording journal" << m_journalPath;
        return false;
    }
    Q_EMIT entryStored(start, end, info, ids.first, ids.second);
    QFile::remove(m_journalPath);
    return true;
}
