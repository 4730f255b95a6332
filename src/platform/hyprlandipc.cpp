#include "hyprlandipc.h"

#include "hyprlandreply.h"

HyprlandIpc::HyprlandIpc(const QString &socketPath)
    : CompositorIpc(socketPath)
{}

QByteArray HyprlandIpc::request() const
{
    return QByteArrayLiteral("j/activewindow");
}

std::unique_ptr<IpcReplyReader> HyprlandIpc::newReader() const
{
    return std::make_unique<HyprlandReply>();
}
