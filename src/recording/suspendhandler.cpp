#include "suspendhandler.h"

#include "clock.h"
#include "logging.h"
#include "recorder.h"
#include "suspendmonitor.h"

#include <QDebug>

SuspendHandler::SuspendHandler(SuspendMonitor *monitor, Recorder *recorder, Clock *clock,
                               std::function<QDate()> selectedDate, QObject *parent)
    : QObject(parent)
    , m_recorder(recorder)
    , m_clock(clock)
    , m_selectedDate(std::move(selectedDate))
{
    if (monitor) {
        connect(monitor, &SuspendMonitor::suspending, this, &SuspendHandler::onSuspend);
        connect(monitor, &SuspendMonitor::resumed, this, &SuspendHandler::onResume);
    }
}

void SuspendHandler::onSuspend()
{
    qCDebug(lcRecording) << "suspend";
    m_wasRecordingOnSuspend = m_recorder->isRecording();
    if (m_wasRecordingOnSuspend) {
        qCDebug(lcRecording) << "timer running on suspend";
        qCDebug(lcRecording) << "pause recording";
        m_recorder->setRecording(false);
    } else {
        qCDebug(lcRecording) << "not recording";
    }
}

void SuspendHandler::onResume()
{
    qCDebug(lcRecording) << "resume suspend";
    if (m_wasRecordingOnSuspend) {
        qCDebug(lcRecording) << "was recording on suspend. start recording";
        m_recorder->setRecording(true);
    } else {
        qCDebug(lcRecording) << "was not recording";
    }
    const QDate today = m_clock->today();
    const QDate selected = m_selectedDate ? m_selectedDate() : QDate();
    if (today != selected) {
        qCDebug(lcRecording) << "date has changed since suspend. old =" << selected << ", new =" << today;
        Q_EMIT dateChangedSinceSuspend(today);
    }
}
