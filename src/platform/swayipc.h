#pragma once

#include "compositoripc.h"

// sway's IPC ($SWAYSOCK, i3's message format): the focused node of the layout tree.
class SwayIpc : public CompositorIpc
{
public:
    explicit SwayIpc(const QString &socketPath);
    Focused focused() override;

    // The focused node of a GET_TREE reply; pid 0 when there is none.
    static Focused focusedNode(const QByteArray &tree);

private:
    QString m_socketPath;
};
