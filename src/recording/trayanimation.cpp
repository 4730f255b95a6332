#include "trayanimation.h"

TrayAnimation::TrayAnimation(QObject *parent)
    : QObject(parent)
    , m_idleIcon(idleIconPath())
{
    for (int i = 0; i < FrameCount; ++i) {
        m_frames.append(QIcon(framePath(i)));
    }
    m_timer.setInterval(FrameIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &TrayAnimation::updateTrayIcon);
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
    return isRunning() ? framePath(m_frameIndex) : idleIconPath();
}

QIcon TrayAnimation::currentIcon() const
{
    return isRunning() ? m_frames.at(m_frameIndex) : m_idleIcon;
}

void TrayAnimation::setRecording(bool on)
{
    if (on) {
        m_timer.start();
    } else {
        m_timer.stop();
        m_frameIndex = 0;
    }
    Q_EMIT iconChanged(currentIcon());
}

void TrayAnimation::updateTrayIcon()
{
    m_frameIndex = (m_frameIndex + 1) % FrameCount;
    Q_EMIT iconChanged(currentIcon());
}
