#pragma once

#include "compositoripc.h"

// sway's IPC ($SWAYSOCK, i3's message format): the focused node of the layout tree.
class SwayIpc : public CompositorIpc
{
    Q_OBJECT

public:
    explicit SwayIpc(const QString &socketPath);

protected:
    QByteArray request() const override;
    std::unique_ptr<IpcReplyReader> newReader() const override;
};
