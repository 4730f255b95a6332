#pragma once

#include "database.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>

// A fresh database with the schema in a temporary folder, open as the default connection for as
// long as the object lives.
class BenchDatabase
{
public:
    BenchDatabase();

    bool isOpen() const { return m_open; }
    QString path() const { return m_dir.filePath(QStringLiteral("bench.sqlite")); }

    // Applications 1 to `count`: "/usr/bin/app<N>" named "App <N>".
    static void addApplications(int count);

private:
    QTemporaryDir m_dir;
    Database m_database;
    bool m_open = false;
};

// Processor time of this process: on a machine shared with other work the wall clock also counts
// the time spent waiting for a core.
double processCpuMs();
// The same for the calling thread alone.
double threadCpuMs();
double median(QList<double> values);
// The peak resident memory of this process (VmHWM), in KiB; -1 when it cannot be read.
long peakRssKiB();
// The resident memory now (VmRSS), in KiB; -1 when it cannot be read.
long rssKiB();
// Starts the peak afresh at the resident memory now, so a step's peak is not hidden by an earlier one.
void resetPeakRss();
