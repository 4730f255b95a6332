#include "swayipc.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstring>

namespace {
const QByteArray Magic("i3-ipc");
constexpr quint32 GetTree = 4;
constexpr int HeaderSize = 14; // magic, payload length, message type (native byte order)

quint32 headerField(const QByteArray &message, int offset)
{
    quint32 value = 0;
    std::memcpy(&value, message.constData() + offset, sizeof value);
    return value;
}

bool findFocused(const QJsonObject &node, CompositorIpc::Focused &found, int depth)
{
    if (node.value(QLatin1String("focused")).toBool()) {
        found.pid = quint32(node.value(QLatin1String("pid")).toInteger());
        found.appId = node.value(QLatin1String("app_id")).toString();
        found.title = node.value(QLatin1String("name")).toString();
        return true;
    }
    // Real trees are a handful of levels deep; a hostile reply must not exhaust the stack.
    if (depth > 64) {
        return false;
    }
    for (const char *children : {"nodes", "floating_nodes"}) {
        const QJsonArray array = node.value(QLatin1String(children)).toArray();
        for (const QJsonValue &child : array) {
            if (findFocused(child.toObject(), found, depth + 1)) {
                return true;
            }
        }
    }
    return false;
}
} // namespace

SwayIpc::SwayIpc(const QString &socketPath)
    : m_socketPath(socketPath)
{}

CompositorIpc::Focused SwayIpc::focused()
{
    QByteArray request = Magic;
    const quint32 header[2] = {0, GetTree};
    request.append(reinterpret_cast<const char *>(header), sizeof header);
    const QByteArray reply = exchange(m_socketPath, request, [](const QByteArray &bytes) {
        return bytes.size() >= HeaderSize && quint64(bytes.size()) >= HeaderSize + quint64(headerField(bytes, 6));
    });
    if (!reply.startsWith(Magic) || headerField(reply, 10) != GetTree) {
        return {};
    }
    return focusedNode(reply.mid(HeaderSize, qsizetype(headerField(reply, 6))));
}

CompositorIpc::Focused SwayIpc::focusedNode(const QByteArray &tree)
{
    Focused found;
    if (!findFocused(QJsonDocument::fromJson(tree).object(), found, 0)) {
        return {};
    }
    return found;
}
