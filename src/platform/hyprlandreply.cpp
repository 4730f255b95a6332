#include "hyprlandreply.h"

#include <QJsonDocument>
#include <QJsonObject>

IpcFocus HyprlandReply::activeWindow(const QByteArray &reply)
{
    const QJsonObject window = QJsonDocument::fromJson(reply).object();
    const qint64 pid = window.value(QLatin1String("pid")).toInteger();
    if (pid <= 0 || pid > 0xFFFFFFFF) {
        return {};
    }
    return {quint32(pid), window.value(QLatin1String("class")).toString(),
            window.value(QLatin1String("title")).toString()};
}

IpcReplyReader::State HyprlandReply::read(const char *data, qsizetype size)
{
    for (qsizetype i = 0; i < size && m_state == State::Incomplete; ++i) {
        const char c = data[i];
        if (m_text.size() == MaxSize) {
            m_state = State::Invalid;
            break;
        }
        m_text.append(c);
        if (!m_started) {
            if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
                continue;
            }
            m_started = true;
            m_bracketed = c == '{' || c == '[';
            m_depth = m_bracketed ? 1 : 0;
        } else if (!m_bracketed) {
            continue;
        } else if (m_escaped) {
            m_escaped = false;
        } else if (m_inString) {
            m_escaped = c == '\\';
            m_inString = c != '"';
        } else if (c == '"') {
            m_inString = true;
        } else if (c == '{' || c == '[') {
            ++m_depth;
        } else if ((c == '}' || c == ']') && --m_depth == 0) {
            m_state = State::Complete;
        }
    }
    return m_state;
}

IpcReplyReader::State HyprlandReply::end()
{
    // A bare word ends with the connection; a JSON value cut short is no reply.
    if (m_state == State::Incomplete) {
        m_state = m_bracketed ? State::Invalid : State::Complete;
    }
    return m_state;
}

IpcFocus HyprlandReply::focus() const
{
    return m_state == State::Complete ? activeWindow(m_text) : IpcFocus();
}
