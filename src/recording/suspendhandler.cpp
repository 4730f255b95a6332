#include "suspendhandler.h"

#include "clock.h"
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
    qDebug() << "suspend";
    m_wasRecordingOnSuspend = m_recorder->isRecording();
    if (m_wasRecordingOnSuspend) {
        qDebug() << "timer running on suspend";
        qDebug() << "pause recording";
        m_recorder->setRecording(false);
    } else {
        qDebug() << "not recording";
    }
}

void SuspendHandler::onResume()
{
    qDebug() << "resume suspend";
    if (m_wasRecordingOnSuspend) {
        qDebug() << "was recording on suspend. start recording";
        m_recorder->setRecording(true);
    } else {
        qDebug() << "was not recording";
    }
    const QDate today = m_clock->today();
    const QDate selected = m_selectedDate ? m_selectedDate() : QDate();
    if (today != selected) {
        qDebug() << "date has changed since suspend. old =" << selected << ", new =" << today;
        Q_EMIT dateChangedSinceSuspend(today);
    }
}
