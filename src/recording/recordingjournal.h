#pragma once

#include "windowinfo.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// A stretch of recorded time that is not (yet) a row of the database.
struct JournalStretch
{
    QDateTime start;
    QDateTime end;
    WindowInfo info; // without icon
};

// The crash journal: the stretches the database does not hold yet, the open one last, ending at its
// latest checkpoint. It is rewritten whenever more than that end changes, and otherwise every
// SyncIntervalSecs, when it is also forced to the disk: a crash or a power cut takes at most the last
// SyncIntervalSecs of the open stretch.
class RecordingJournal
{
public:
    static constexpr int SyncIntervalSecs = 10;
    // A journal holds a handful of stretches, or a few thousand while the database cannot be written;
    // what would make it larger is left out of it (see leftOut()) and waits in memory only.
    static constexpr qint64 MaxBytes = 4 * 1024 * 1024;
    // Earlier versions wrote journals without a cap: those are read up to this size. A larger one
    // is kept aside unread.
    static constexpr qint64 MaxReadBytes = 32 * 1024 * 1024;
    static constexpr int MaxTitleLength = 260;
    // Checkpoints this far ahead of the clock are still taken (a clock set back a little).
    static constexpr int FutureSlackSecs = 60;

    struct Contents
    {
        QList<JournalStretch> stretches;
        // Stretches that were left out, and why (empty when all were taken).
        QString problem;
        // The file could not be read at all (too large, not a journal): it must not be replaced.
        bool unread = false;
    };

    explicit RecordingJournal(const QString &path = {});
    QString path() const { return m_path; }

    // Replaces the journal by these stretches (mode 0600). `now` (seconds since the epoch) decides
    // whether the file is forced to the disk: the first write and then every SyncIntervalSecs, or
    // always when `sync` is set. Beyond MaxBytes the newest stretches but the last (the open one) are
    // left out.
    bool write(const QList<JournalStretch> &stretches, qint64 now, bool sync = false);
    // The first write, or SyncIntervalSecs since the last forced one (seconds since the epoch: a tick
    // asks this without a time-zone lookup).
    bool isSyncDue(qint64 now) const;
    // How many stretches the last write left out.
    qsizetype leftOut() const { return m_leftOut; }
    void remove();
    bool exists() const;
    // Renames the journal to "<path>.unread-<now>" so that nothing replaces it; the new path, or empty.
    QString keepAside(const QDateTime &now);

    // Reads a journal left behind: only a regular file of at most MaxReadBytes is read.
    Contents read(const QDateTime &now, const QDateTime &notBefore) const;
    // The stretches of a journal text that are plausible: start <= end, not after `now` (with slack),
    // not starting before `notBefore` (the end of what the database holds, when valid); titles cut to
    // MaxTitleLength. Earlier versions wrote one object with "start" and "checkpoint"; that is read too.
    static Contents parse(const QByteArray &bytes, const QDateTime &now, const QDateTime &notBefore);
    static QByteArray serialize(const QList<JournalStretch> &stretches);

private:
    // The journal text of `stretches` within `maxBytes`: the oldest that fit, then the last one.
    static QByteArray serialize(const QList<JournalStretch> &stretches, qint64 maxBytes, qsizetype *leftOut);

    QString m_path;
    // Seconds since the epoch of the last forced write, if any.
    qint64 m_lastSync = 0;
    bool m_synced = false;
    qsizetype m_leftOut = 0;
};
