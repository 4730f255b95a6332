#pragma once

#include "compositoripc.h"

// Hyprland's request socket ($XDG_RUNTIME_DIR/hypr/<instance>/.socket.sock): "j/activewindow".
class HyprlandIpc : public CompositorIpc
{
public:
    explicit HyprlandIpc(const QString &socketPath);
    Focused focused() override;

    // The active window of a "j/activewindow" reply; pid 0 when there is none.
    static Focused activeWindow(const QByteArray &reply);

private:
    QString m_socketPath;
};
