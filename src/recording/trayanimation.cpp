#include "trayanimation.h"

TrayAnimation::TrayAnimation(QObject *parent)
    : QObject(parent)
    , m_idleIcon(idleIconPath())
{
    for (int i = 0; i < FrameCount; ++i) {
        m_frames.append(QIcon(framePath(i)));
    }
    m_halfStep.setSingleShot(true);
    m_halfStep.setInterval(FrameIntervalMs);
    m_halfStep.setTimerType(Qt::PreciseTimer);
    connect(&m_halfStep, &QTimer::timeout, this, &TrayAnimation::showNextFrame);
}

QString TrayAnimation::framePath(int index)
{
    return QStringLiteral(":/icons/res/frame%1.png").arg(index + 1);
}

QString TrayAnimation::idleIconPath()
{
    return QStringLiteral(":/icons/res/frame9.png");
}

QString TrayAnimation::currentIconPath() const
{
    return m_running ? framePath(m_frameIndex) : idleIconPath();
}

QIcon TrayAnimation::currentIcon() const
{
    return m_running ? m_frames.at(m_frameIndex) : m_idleIcon;
}

void TrayAnimation::setRecording(bool on)
{
    m_running = on;
    if (on) {
        // Until the first tick, the second frame follows the first as any other.
        m_halfStep.start();
    } else {
        m_halfStep.stop();
        m_frameIndex = 0;
    }
    Q_EMIT iconChanged(currentIcon());
}

void TrayAnimation::step()
{
    if (!m_running) {
        return;
    }
    showNextFrame();
    m_halfStep.start();
}

void TrayAnimation::showNextFrame()
{
    m_frameIndex = (m_frameIndex + 1) % FrameCount;
    Q_EMIT iconChanged(currentIcon());
}
