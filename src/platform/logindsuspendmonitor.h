#pragma once

#include "suspendmonitor.h"

// Listens on the system bus for logind's PrepareForSleep(bool): true before the system sleeps,
// false after it woke up. Without a system bus nothing is watched and the program carries on.
class LogindSuspendMonitor : public SuspendMonitor
{
    Q_OBJECT

public:
    explicit LogindSuspendMonitor(QObject *parent = nullptr);

    // False when the system bus could not be reached.
    bool isWatching() const { return m_watching; }

private Q_SLOTS:
    void onPrepareForSleep(bool start);

private:
    bool m_watching = false;
};
