#include "swayreply.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstring>

namespace {
const QByteArray Magic("i3-ipc");
// Real trees are a handful of levels deep; a hostile reply must not exhaust the stack.
constexpr int MaxDepth = 64;

quint32 headerField(const QByteArray &header, int offset)
{
    quint32 value = 0;
    std::memcpy(&value, header.constData() + offset, sizeof value);
    return value;
}

bool findFocused(const QJsonObject &node, IpcFocus &found, int depth)
{
    if (node.value(QLatin1String("focused")).toBool()) {
        const qint64 pid = node.value(QLatin1String("pid")).toInteger();
        found.pid = pid > 0 && pid <= 0xFFFFFFFF ? quint32(pid) : 0;
        found.appId = node.value(QLatin1String("app_id")).toString();
        found.title = node.value(QLatin1String("name")).toString();
        return true;
    }
    if (depth > MaxDepth) {
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

QByteArray SwayReply::request()
{
    return header(0);
}

QByteArray SwayReply::header(quint32 length, quint32 type)
{
    QByteArray message = Magic;
    const quint32 fields[2] = {length, type};
    message.append(reinterpret_cast<const char *>(fields), sizeof fields);
    return message;
}

IpcFocus SwayReply::focusedNode(const QByteArray &tree)
{
    IpcFocus found;
    if (!findFocused(QJsonDocument::fromJson(tree).object(), found, 0)) {
        return {};
    }
    return found;
}

IpcReplyReader::State SwayReply::read(const char *data, qsizetype size)
{
    if (m_state != State::Incomplete) {
        return m_state;
    }
    if (m_header.size() < HeaderSize) {
        const qsizetype taken = qMin(size, qsizetype(HeaderSize - m_header.size()));
        m_header.append(data, taken);
        data += taken;
        size -= taken;
        if (m_header.size() < HeaderSize) {
            return m_state;
        }
        m_length = headerField(m_header, 6);
        if (!m_header.startsWith(Magic) || headerField(m_header, 10) != GetTree || m_length > MaxPayload) {
            return m_state = State::Invalid;
        }
        m_payload.reserve(qsizetype(m_length));
    }
    m_payload.append(data, qMin(size, qsizetype(m_length) - m_payload.size()));
    if (m_payload.size() == qsizetype(m_length)) {
        m_state = State::Complete;
    }
    return m_state;
}

IpcReplyReader::State SwayReply::end()
{
    return m_state == State::Complete ? m_state : State::Invalid;
}

IpcFocus SwayReply::focus() const
{
    return m_state == State::Complete ? focusedNode(m_payload) : IpcFocus();
}
