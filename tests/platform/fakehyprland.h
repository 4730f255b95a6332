#pragma once

#include "fakeipcserver.h"

// Stands in for Hyprland's request socket at <runtimeDir>/hypr/<instance>/.socket.sock.
class FakeHyprland : public FakeIpcServer
{
public:
    FakeHyprland(const QString &runtimeDir, const QString &instance, const QByteArray &reply)
        : FakeIpcServer(runtimeDir + QStringLiteral("/hypr/") + instance + QStringLiteral("/.socket.sock"), reply)
    {}
};
