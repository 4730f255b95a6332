#include "hyprlandipc.h"

#include <QJsonDocument>
#include <QJsonObject>

HyprlandIpc::HyprlandIpc(const QString &socketPath)
    : m_socketPath(socketPath)
{}

CompositorIpc::Focused HyprlandIpc::focused()
{
    // Hyprland answers one request per connection and then closes it.
    return activeWindow(exchange(m_socketPath, QByteArrayLiteral("j/activewindow"),
                                 [](const QByteArray &bytes) { return QJsonDocument::fromJson(bytes).isObject(); }));
}

CompositorIpc::Focused HyprlandIpc::activeWindow(const QByteArray &reply)
{
    const QJsonObject window = QJsonDocument::fromJson(reply).object();
    const qint64 pid = window.value(QLatin1String("pid")).toInteger();
    if (pid <= 0 || pid > 0xFFFFFFFF) {
        return {};
    }
    return {quint32(pid), window.value(QLatin1String("class")).toString(),
            window.value(QLatin1String("title")).toString()};
}
