#pragma once

#include "compositoripc.h"

// Hyprland's request socket ($XDG_RUNTIME_DIR/hypr/<instance>/.socket.sock): "j/activewindow".
// Hyprland answers one request per connection and then closes it.
class HyprlandIpc : public CompositorIpc
{
    Q_OBJECT

public:
    explicit HyprlandIpc(const QString &socketPath);

protected:
    QByteArray request() const override;
    std::unique_ptr<IpcReplyReader> newReader() const override;
};
