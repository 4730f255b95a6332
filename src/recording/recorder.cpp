#include "recorder.h"

#include "applicationstore.h"
#include "clock.h"
#include "entrystore.h"
#include "idleinhibition.h"
#include "idlesource.h"
#include "logging.h"
#include "neverrecorded.h"
#include "sessionlock.h"
#include "settings.h"
#include "timetext.h"
#include "windowprobe.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLocale>
#include <QVariant>

namespace {
const QString TimeOfDayFormat = QStringLiteral("hh:mm:ss");
} // namespace

Recorder::Recorder(WindowProbe *probe, IdleSource *idle, Clock *clock, QObject *parent)
    : QObject(parent)
    , m_probe(probe)
    , m_idle(idle)
    , m_clock(clock)
{
    m_ownPath = QCoreApplication::applicationFilePath();
    m_samplingTimer.setInterval(TickIntervalMs);
    m_samplingTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_samplingTimer, &QTimer::timeout, this, [this] {
        updateApps();
        Q_EMIT ticked();
    });
}

void Recorder::setJournalPath(const QString &path)
{
    m_journalPath = path;
    m_journal = RecordingJournal(path);
    m_journalStale = true;
    m_journalOwned = false;
    m_journalRecovered = false;
}

void Recorder::setSessionLock(SessionLock *lock)
{
    if (m_lock) {
        disconnect(m_lock, nullptr, this, nullptr);
    }
    m_lock = lock;
    if (m_lock) {
        connect(m_lock, &SessionLock::lockedChanged, this, &Recorder::onLockChanged);
    }
}

bool Recorder::isLocked() const
{
    return m_lock && m_lock->isLocked();
}

void Recorder::onLockChanged()
{
    if (m_recording) {
        updateApps();
    }
}

void Recorder::setRecording(bool on)
{
    const bool changed = on != m_recording;
    m_recording = on;
    if (on) {
        if (!m_journalRecovered) {
            recoverJournal();
        }
        m_lastEnd = QDateTime();
        m_samplingTimer.start();
        if (m_pausedAwayStart.isValid()) {
            Q_EMIT awayTimeDetected(tr("Away time detected"), awayMessage(m_pausedAwayStart, m_pausedAwayEnd));
            m_pausedAwayStart = QDateTime();
        }
    } else {
        m_samplingTimer.stop();
        flush();
    }
    if (changed) {
        Q_EMIT recordingChanged(on);
    }
}

bool Recorder::flush()
{
    const WholeSecond tick = m_clock->wholeSecondNow();
    const QDateTime &now = tick.local;
    if (m_inIdle && m_currentStart < now) {
        m_pausedAwayStart = m_currentStart;
        m_pausedAwayEnd = now;
    }
    m_inIdle = false;
    if (!m_currentWindow.path.isEmpty()) {
        closeStretch(now);
    }
    m_currentWindow = WindowInfo();
    storeUnstored(now, true);
    if (m_unstored.isEmpty()) {
        removeJournal();
        return true;
    }
    checkpoint(tick, true);
    const bool kept = !m_journalPath.isEmpty() && !m_journalFailed && m_journalLeftOut == 0;
    if (!kept) {
        qCWarning(lcRecording).noquote() << "the time recorded from"
                                         << TimeText::formatDateTime(m_unstored.constFirst().start) << "to"
                                         << TimeText::formatDateTime(m_unstored.constLast().end) << "("
                                         << m_unstored.size() << "stretches) is neither stored nor kept in the journal";
    }
    return kept;
}

void Recorder::updateApps()
{
    WindowInfo sample = m_probe->currentWindowInfo();
    if (!m_ownPath.isEmpty() && sample.path == m_ownPath) {
        sample.path.clear();
    }
    // Before anything keeps the sample: a listed application's title reaches neither the database
    // nor the journal. The open stretch follows a list that changed while it ran.
    NeverRecorded::mask(sample);
    NeverRecorded::mask(m_currentWindow);
    // The one time-zone lookup of a tick: what follows counts in epoch seconds or copies it.
    const WholeSecond tick = m_clock->wholeSecondNow();
    const QDateTime &tickTime = tick.local;
    QDateTime now = tickTime;
    if (!m_lastEnd.isValid()) {
        m_lastEnd = tickTime;
    }

    if (Settings::instance()->value(Setting::IdleEnabled)) {
        if (isLocked()) {
            lockHook(sample, tickTime);
        } else {
            idleHook(sample, now, tick);
        }
    }

    if (m_currentWindow.path.isEmpty()) {
        // Away time that began in front of an unrecorded window starts back when the user left.
        m_currentStart = now;
        m_currentWindow = sample;
        m_journalStale = m_journalStale || !sample.path.isEmpty();
    }
    if (m_currentWindow.path != sample.path || m_currentWindow.title != sample.title) {
        closeStretch(now);
        m_currentWindow = sample;
        m_currentStart = now;
        m_journalStale = true;
    } else if (!m_unstored.isEmpty()) {
        storeUnstored(tickTime, false);
    }
    checkpoint(tick);
    scheduleNextTick();
}

void Recorder::scheduleNextTick()
{
    if (!m_samplingTimer.isActive()) {
        return;
    }
    // Local time differs from UTC by whole seconds: the milliseconds need no time zone.
    const int msec = int(m_clock->msecsSinceEpoch() % 1000);
    const int toTarget = (TickIntervalMs - TickLeadMs - msec + TickIntervalMs) % TickIntervalMs;
    m_samplingTimer.start(toTarget < TickIntervalMs / 2 ? toTarget + TickIntervalMs : toTarget);
}

void Recorder::idleHook(WindowInfo &sample, QDateTime &now, const WholeSecond &tick)
{
    const QDateTime &tickTime = tick.local;
    const qint64 limit = qMax(0LL, qint64(Settings::instance()->value(Setting::IdleLimit)) * 60);
    // A video or a presentation holds the user without input.
    const bool inhibited =
        m_inhibition && Settings::instance()->value(Setting::InhibitedIdleIsPresence) && m_inhibition->isInhibited();
    if (inhibited) {
        m_lastInhibited = tickTime;
    }
    const qint64 idle = inhibited ? 0 : m_idle.idleSeconds(tick.secsSinceEpoch, limit);

    if (idle < limit) {
        if (m_inIdle) {
            m_inIdle = false;
            qCDebug(lcRecording) << "out of idle";
            Q_EMIT awayTimeDetected(tr("Away time detected"), awayMessage(m_currentStart, tickTime));
        }
        return;
    }

    if (m_inIdle) {
        sample = m_currentWindow;
        return;
    }
    m_inIdle = true;
    qCDebug(lcRecording) << "Entered IDLE";
    QDateTime awayStart = tickTime.addSecs(-limit);
    // A window that came to the front by itself during the inactivity must not end before it began;
    // in front of an unrecorded window (TavroDesk's own, say) away time reaches back to the last
    // recorded stretch, never into it.
    const QDateTime earliest = m_currentWindow.path.isEmpty() ? m_lastEnd : m_currentStart;
    for (const QDateTime &bound : {earliest, m_lastInhibited}) {
        if (bound.isValid() && awayStart < bound) {
            awayStart = bound;
        }
    }
    sample = idleWindowInfo();
    sample.title = QStringLiteral("at ") + awayStart.time().toString(TimeOfDayFormat);
    now = awayStart;
}

void Recorder::lockHook(WindowInfo &sample, const QDateTime &tickTime)
{
    // Input at the lock screen is nobody working: only unlocking ends the away period.
    if (m_inIdle) {
        sample = m_currentWindow;
        return;
    }
    m_inIdle = true;
    qCDebug(lcRecording) << "Session locked: away";
    sample = idleWindowInfo();
    sample.title = QStringLiteral("at ") + tickTime.time().toString(TimeOfDayFormat);
}

QString Recorder::awayMessage(const QDateTime &start, const QDateTime &end)
{
    return tr("Duration: %1\nInactivity period: %2 - %3")
        .arg(formatDuration(start.secsTo(end)), start.time().toString(TimeOfDayFormat),
             end.time().toString(TimeOfDayFormat));
}

void Recorder::closeStretch(const QDateTime &end)
{
    m_lastEnd = end;
    // A stretch that ends where it began holds no time: storing it would only add an empty row.
    if (!(m_currentStart < end)) {
        return;
    }
    m_unstored.append({m_currentStart, end, m_currentWindow});
    m_journalStale = true;
    storeUnstored(end, false);
}

void Recorder::storeUnstored(const QDateTime &now, bool force)
{
    if (m_storageFailing && !force && m_nextStoreTry.isValid() && now < m_nextStoreTry) {
        return;
    }
    while (!m_unstored.isEmpty()) {
        const JournalStretch &next = m_unstored.first();
        const auto [appId, entryId] = storeEntry(next.start, next.end, next.info);
        if (entryId == 0) {
            m_nextStoreTry = now.addSecs(StoreRetrySecs);
            setStorageFailing(true);
            return;
        }
        const JournalStretch stored = m_unstored.takeFirst();
        m_journalStale = true;
        Q_EMIT entryStored(stored.start, stored.end, stored.info, appId, entryId);
    }
    setStorageFailing(false);
}

void Recorder::setStorageFailing(bool failing)
{
    if (failing == m_storageFailing) {
        return;
    }
    m_storageFailing = failing;
    if (failing) {
        qCWarning(lcRecording) << "cannot store recorded time; keeping" << m_unstored.size() << "stretch(es) for later";
    } else {
        qCDebug(lcRecording) << "recorded time is stored again";
    }
    Q_EMIT storageFailing(failing, failing ? storageFailingText() : QString());
}

QString Recorder::storageFailingText() const
{
    QString text = tr("Recorded time cannot be stored in the database. TavroDesk keeps it and stores it "
                      "as soon as the database can be written again.");
    if (m_journalLeftOut > 0 && m_unstored.size() > m_journalLeftOut) {
        // The stretches left out of the journal are the newest but the open one.
        const JournalStretch &firstLeftOut = m_unstored.at(m_unstored.size() - m_journalLeftOut);
        text += tr(" The recording journal is full: should TavroDesk end unexpectedly, the time recorded "
                   "since %1 is lost.")
                    .arg(QLocale().toString(firstLeftOut.start, QLocale::ShortFormat));
    }
    return text;
}

QPair<qint64, qint64> Recorder::storeEntry(const QDateTime &start, const QDateTime &end, const WindowInfo &info)
{
    qint64 appId = findApplication(info);
    if (appId == 0) {
        appId = insertApplication(info);
    }
    // Without an application the insert would only wait for the database a second time.
    const qint64 entryId = appId == 0 ? 0 : insertEntry(start, end, info, appId);
    return qMakePair(appId, entryId);
}

qint64 Recorder::findApplication(const WindowInfo &info)
{
    // The application is the same under any of its names: rows stored under the name of another
    // language (or before the language-independent name was used) keep serving it.
    qint64 id = 0;
    const StoreResult found = ApplicationStore::findAny(info.path, applicationNames(info), &id);
    if (!found.ok()) {
        qCDebug(lcRecording) << "application could not be looked up:" << found.error();
    }
    return id;
}

qint64 Recorder::insertApplication(const WindowInfo &info)
{
    qint64 id = 0;
    const StoreResult added = ApplicationStore::add(info.path, applicationNames(info).first(), &id);
    if (!added.ok()) {
        qCDebug(lcRecording) << "application could not be stored:" << added.error();
    }
    return id;
}

QStringList Recorder::applicationNames(const WindowInfo &info)
{
    return info.knownNames.isEmpty() ? QStringList{info.name} : info.knownNames;
}

qint64 Recorder::insertEntry(const QDateTime &start, const QDateTime &end, const WindowInfo &info, qint64 appId)
{
    qint64 id = 0;
    const StoreResult inserted = EntryStore::insertEntry(info.title, start, end, appId, &id);
    if (!inserted.ok()) {
        qCDebug(lcRecording) << "entry could not be stored:" << inserted.error();
    }
    return id;
}

void Recorder::checkpoint(const WholeSecond &tick, bool sync)
{
    if (m_journalPath.isEmpty()) {
        return;
    }
    // A journal left by a previous run is stored before this run's replaces it.
    if (!m_journalOwned && !m_journalRecovered) {
        recoverJournal();
    }
    // A tick that only moves the open stretch's end waits for the journal's next sync.
    if (!sync && !m_journalStale && !m_journal.isSyncDue(tick.secsSinceEpoch)) {
        return;
    }
    const QList<JournalStretch> stretches = journalStretches(tick.local);
    if (stretches.isEmpty()) {
        removeJournal();
        return;
    }
    const bool written = m_journal.write(stretches, tick.secsSinceEpoch, sync);
    if (!written && !m_journalFailed) {
        qCWarning(lcRecording) << "cannot write recording journal" << m_journalPath;
    }
    m_journalFailed = !written;
    m_journalOwned = m_journalOwned || written;
    m_journalStale = !written;
    if (!written) {
        return;
    }
    const bool wasFull = m_journalLeftOut > 0;
    m_journalLeftOut = m_journal.leftOut();
    if ((m_journalLeftOut > 0) != wasFull) {
        qCWarning(lcRecording) << "recording journal"
                               << (wasFull ? "takes every stretch again" : "full: stretches wait in memory");
        if (m_storageFailing) {
            Q_EMIT storageFailing(true, storageFailingText());
        }
    }
}

void Recorder::removeJournal()
{
    if (m_journalOwned) {
        m_journal.remove();
        m_journalOwned = false;
    }
}

bool Recorder::recoverJournal()
{
    if (m_journalPath.isEmpty() || m_journalOwned) {
        return false;
    }
    m_journalRecovered = true;
    if (!m_journal.exists()) {
        return false;
    }
    const RecordingJournal::Contents contents = m_journal.read(m_clock->now(), EntryStore::latestEnd());
    if (contents.unread) {
        // Whatever it holds stays on the disk, where this run's journal does not replace it.
        const QString aside = m_journal.keepAside(m_clock->now());
        qCWarning(lcRecording) << "recording journal" << m_journalPath << "could not be read (" << contents.problem
                               << "); kept as" << aside;
    } else if (!contents.problem.isEmpty()) {
        qCWarning(lcRecording) << "recording journal" << m_journalPath << "had stretches left out (" << contents.problem
                               << ")";
    }
    QList<JournalStretch> recovered = contents.stretches;
    for (JournalStretch &stretch : recovered) {
        stretch.info.icon = m_probe->getAppIcon(stretch.info.path);
    }
    const qsizetype waitingBefore = m_unstored.size();
    m_unstored = recovered + m_unstored;
    storeUnstored(m_clock->now(), true);
    const bool stored = m_unstored.size() < waitingBefore + recovered.size();
    // This run owns the journal from now on: it is rewritten with what is still waiting, or goes.
    m_journalOwned = true;
    const WholeSecond now = m_clock->wholeSecondNow();
    const QList<JournalStretch> stretches = journalStretches(now.local);
    if (stretches.isEmpty()) {
        removeJournal();
    } else {
        m_journal.write(stretches, now.secsSinceEpoch, true);
    }
    return stored;
}

QList<JournalStretch> Recorder::journalStretches(const QDateTime &checkpoint) const
{
    QList<JournalStretch> stretches = m_unstored;
    if (!m_currentWindow.path.isEmpty()) {
        stretches.append({m_currentStart, checkpoint, m_currentWindow});
    }
    return stretches;
}
