#include "swayipc.h"

#include "swayreply.h"

SwayIpc::SwayIpc(const QString &socketPath)
    : CompositorIpc(socketPath)
{}

QByteArray SwayIpc::request() const
{
    return SwayReply::request();
}

std::unique_ptr<IpcReplyReader> SwayIpc::newReader() const
{
    return std::make_unique<SwayReply>();
}
