#pragma once

#include <QDate>
#include <QObject>

#include <functional>

class Clock;
class Recorder;
class SuspendMonitor;

// Pauses recording while the system sleeps and resumes it on wake-up when it was on before. Waking
// up on another day than the one shown asks the main window to show today.
class SuspendHandler : public QObject
{
    Q_OBJECT

public:
    // `monitor` may be null when the session offers no suspend notifications. `selectedDate` gives
    // the day the main window shows. Nothing is owned.
    SuspendHandler(SuspendMonitor *monitor, Recorder *recorder, Clock *clock, std::function<QDate()> selectedDate,
                   QObject *parent = nullptr);

    bool wasRecordingOnSuspend() const { return m_wasRecordingOnSuspend; }

public Q_SLOTS:
    void onSuspend();
    void onResume();

Q_SIGNALS:
    void dateChangedSinceSuspend(const QDate &today);

private:
    Recorder *m_recorder;
    Clock *m_clock;
    std::function<QDate()> m_selectedDate;
    bool m_wasRecordingOnSuspend = false;
};
