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
// latest checkpoint. It is rewritten on every tick (a crashed process leaves its page cache behind,
// so at most a tick is lost) and forced to the disk every SyncIntervalSecs (what a power cut may take).
class RecordingJournal
{
public:
    static constexpr int SyncIntervalSecs = 10;
    // A journal holds a handful of stretches, or a few thousand while the database cannot be written.
    static constexpr qint64 MaxBytes = 4 * 1024 * 1024;
    static constexpr int MaxTitleLength = 260;
    // Checkpoints this far ahead of the clock are still taken (a clock set back a little).
    static constexpr int FutureSlackSecs = 60;

    struct Contents
    {
        QList<JournalStretch> stretches;
        // Stretches that were left out, and why (empty when all were taken).
        QString problem;
    };

    explicit RecordingJournal(const QString &path = {});
    QString path() const { return m_path; }

    // Replaces the journal by these stretches (mode 0600). `now` decides whether the file is forced to
    // the disk: the first write and then every SyncIntervalSecs, or always when `sync` is set.
    bool write(const QList<JournalStretch> &stretches, const QDateTime &now, bool sync = false);
    void remove();
    bool exists() const;

    // Reads a journal left behind: only a regular file of at most MaxBytes is read.
    Contents read(const QDateTime &now, const QDateTime &notBefore) const;
    // The stretches of a journal text that are plausible: start <= end, not after `now` (with slack),
    // not starting before `notBefore` (the end of what the database holds, when valid); titles cut to
    // MaxTitleLength. Earlier versions wrote one object with "start" and "checkpoint"; that is read too.
    static Contents parse(const QByteArray &bytes, const QDateTime &now, const QDateTime &notBefore);
    static QByteArray serialize(const QList<JournalStretch> &stretches);

private:
    QString m_path;
    QDateTime m_lastSync;
};
