#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

// The tray icon's animation: eight frames, one every 500 ms, while recording; a still frame while
// paused. Connect Recorder::recordingChanged to setRecording() and iconChanged() to the tray icon.
class TrayAnimation : public QObject
{
    Q_OBJECT

public:
    static constexpr int FrameCount = 8;
    static constexpr int FrameIntervalMs = 500;

    explicit TrayAnimation(QObject *parent = nullptr);

    // Resource path of animation frame `index` (0-based) and of the paused icon.
    static QString framePath(int index);
    static QString idleIconPath();

    bool isRunning() const { return m_timer.isActive(); }
    int frameIndex() const { return m_frameIndex; }
    QString currentIconPath() const;
    QIcon currentIcon() const;

public Q_SLOTS:
    void setRecording(bool on);
    // Shows the next frame.
    void updateTrayIcon();

Q_SIGNALS:
    void iconChanged(const QIcon &icon);

private:
    QList<QIcon> m_frames;
    QIcon m_idleIcon;
    QTimer m_timer;
    int m_frameIndex = 0;
};
