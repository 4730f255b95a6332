#pragma once

#include "clock.h"
#include "idlereader.h"
#include "recordingjournal.h"
#include "windowinfo.h"

#include <QDateTime>
#include <QObject>
#include <QPair>
#include <QString>
#include <QTimer>

class IdleInhibition;
class IdleSource;
class SessionLock;
class WindowProbe;

// The recording engine. While recording it samples the window in front once a second and keeps one
// open stretch: the window and the moment it became current. When the path or the title changes,
// the stretch is stored as one `entries` row and announced through entryStored(). Idle time beyond
// the "IdleLimit" is cut off the window in front and stored under the away pseudo-application; a
// locked session is away from the moment it locks until it unlocks. Applications never to be
// recorded (see NeverRecorded) lose their titles, or their time, before a sample is kept.
//
// Wiring expected from the main window:
//   setJournalPath() once after the database is open (starting recording then stores a stretch a
//   crashed run left behind, see recoverJournal());
//   record button / tray actions / saved "Application/Started" -> setRecording();
//   entryStored -> the unlinked model's addEntry; recordingChanged -> TrayAnimation::setRecording,
//   ticked -> TrayAnimation::step;
//   storageFailing -> a visible warning while recorded time cannot be stored;
//   awayTimeDetected -> tray balloon (Information, AwayBalloonTimeoutMs);
//   flush() when the application quits, while the database is still open.
class Recorder : public QObject
{
    Q_OBJECT

public:
    static constexpr int TickIntervalMs = 1000;
    static constexpr int AwayBalloonTimeoutMs = 10000;
    // While the database refuses writes, stretches wait in memory and in the journal; storing them is
    // tried again this often (each try may wait the database's busy timeout).
    static constexpr int StoreRetrySecs = 10;
    // Ticks are timed to fall this long before a whole second, so the whole-second stamps (rounded)
    // lose less than a second to a crash.
    static constexpr int TickLeadMs = 50;

    // None of the three is owned; all must outlive the recorder.
    Recorder(WindowProbe *probe, IdleSource *idle, Clock *clock, QObject *parent = nullptr);

    // Where the open stretch is checkpointed, e.g. "<data folder>/recording.journal". Empty (the
    // default) keeps no journal.
    void setJournalPath(const QString &path);
    QString journalPath() const { return m_journalPath; }

    // Stores the stretches a previous run left in the journal (the open one ending at its last
    // checkpoint). Implausible stretches (see RecordingJournal::parse) are logged and dropped; what
    // cannot be stored now waits like any unstored stretch. Runs by itself when recording starts or
    // the journal is first written, so a journal of this run is never taken for one left behind.
    // Returns whether an entry was stored.
    bool recoverJournal();

    // Not owned; must outlive the recorder. Without one the session never counts as locked.
    void setSessionLock(SessionLock *lock);
    // Not owned; must outlive the recorder. While it reports an inhibitor and the setting
    // "InhibitedIdleIsPresence" holds, idle time is not away time.
    void setIdleInhibition(IdleInhibition *inhibition) { m_inhibition = inhibition; }

    // The program's own executable: time in its own windows (settings, rules, linking...) is
    // not recorded; they count like windows whose program is unknown. Defaults to this process's.
    void setOwnPath(const QString &path) { m_ownPath = path; }

    // Stores the open stretch up to now and starts afresh at the next tick. Called on quit. The
    // journal stays while stretches could not be stored, for the next start. False when recorded
    // time could be neither stored nor journalled: a quit now loses it.
    bool flush();

    // Closed stretches the database has not taken yet, oldest first.
    const QList<JournalStretch> &unstored() const { return m_unstored; }
    bool isStorageFailing() const { return m_storageFailing; }

    bool isRecording() const { return m_recording; }
    const WindowInfo &currentWindow() const { return m_currentWindow; }
    QDateTime currentStart() const { return m_currentStart; }
    bool inIdle() const { return m_inIdle; }

    // Finds or creates the application, inserts the entry; returns (application id, entry id),
    // 0 for a failed step (no entry is tried without an application).
    QPair<qint64, qint64> storeEntry(const QDateTime &start, const QDateTime &end, const WindowInfo &info);
    static qint64 findApplication(const WindowInfo &info);
    static qint64 insertApplication(const WindowInfo &info);
    // The names the application is stored under, the one new rows get first.
    static QStringList applicationNames(const WindowInfo &info);
    static qint64 insertEntry(const QDateTime &start, const QDateTime &end, const WindowInfo &info, qint64 appId);

    // The tray balloon text for an away period from `start` to `end`.
    static QString awayMessage(const QDateTime &start, const QDateTime &end);

public Q_SLOTS:
    // Pausing stores the open stretch up to now; the next start opens a new one at its first tick.
    void setRecording(bool on);
    // One sampling tick.
    void updateApps();

Q_SIGNALS:
    // A stretch is a row of the database now; only then is it announced.
    void entryStored(const QDateTime &start, const QDateTime &end, const WindowInfo &info, qint64 appId,
                     qint64 entryId);
    // Storing failed (with the text to show) or works again (empty text).
    void storageFailing(bool failing, const QString &text);
    void recordingChanged(bool recording);
    // A timed tick is over; what runs once a second keeps step with it (TrayAnimation::step).
    void ticked();
    // An away period ended; the tray shows `message` under `title`.
    void awayTimeDetected(const QString &title, const QString &message);

private:
    QString m_ownPath;
    void idleHook(WindowInfo &sample, QDateTime &now, const WholeSecond &tick);
    void lockHook(WindowInfo &sample, const QDateTime &tickTime);
    bool isLocked() const;
    // Locking and unlocking are acted on at once, as a tick of their own.
    void onLockChanged();
    void closeStretch(const QDateTime &end);
    // Stores the unstored stretches in order; stops at the first failure. Unless `force`, a failing
    // database is tried again only every StoreRetrySecs.
    void storeUnstored(const QDateTime &now, bool force);
    void setStorageFailing(bool failing);
    QString storageFailingText() const;
    void checkpoint(const WholeSecond &tick, bool sync = false);
    void removeJournal();
    // What the journal holds: the unstored stretches and the open one up to `checkpoint`.
    QList<JournalStretch> journalStretches(const QDateTime &checkpoint) const;
    void scheduleNextTick();

    WindowProbe *m_probe;
    IdleReader m_idle;
    SessionLock *m_lock = nullptr;
    IdleInhibition *m_inhibition = nullptr;
    Clock *m_clock;
    QTimer m_samplingTimer;
    bool m_recording = false;
    WindowInfo m_currentWindow;
    QDateTime m_currentStart;
    // Where the last stretch ended, or the first tick since recording started: away time never
    // reaches back before it.
    QDateTime m_lastEnd;
    // The last tick an idle inhibitor was held: away time never reaches back before it.
    QDateTime m_lastInhibited;
    bool m_inIdle = false;
    // Away time that a pause or suspend ended: its notice waits until recording goes on, and gives
    // the period stored, not the time the machine was off.
    QDateTime m_pausedAwayStart;
    QDateTime m_pausedAwayEnd;
    QString m_journalPath;
    RecordingJournal m_journal;
    QList<JournalStretch> m_unstored;
    bool m_storageFailing = false;
    QDateTime m_nextStoreTry;
    bool m_journalFailed = false;
    // The journal lacks more than the open stretch's latest end (a stretch closed or stored, another window).
    bool m_journalStale = true;
    // Stretches the journal could not take (it is full); they wait in memory only.
    qsizetype m_journalLeftOut = 0;
    // The journal file on disk is this run's, not one left by a crash.
    bool m_journalOwned = false;
    bool m_journalRecovered = false;
};
