#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

// The tray icon's animation: eight frames, one every 500 ms, while recording; a still frame while
// paused. Frames keep step with the recorder's ticks so that both share one wake-up: a tick shows
// the next frame and the one after follows half a tick later. Connect Recorder::recordingChanged to
// setRecording(), Recorder::ticked to step() and iconChanged() to the tray icon.
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

    bool isRunning() const { return m_running; }
    int frameIndex() const { return m_frameIndex; }
    QString currentIconPath() const;
    QIcon currentIcon() const;

public Q_SLOTS:
    void setRecording(bool on);
    // A recorder tick: the next frame now, the one after half a tick later.
    void step();

Q_SIGNALS:
    void iconChanged(const QIcon &icon);

private:
    void showNextFrame();

    QList<QIcon> m_frames;
    QIcon m_idleIcon;
    // The frame between two ticks.
    QTimer m_halfStep;
    bool m_running = false;
    int m_frameIndex = 0;
};
