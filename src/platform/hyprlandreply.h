#pragma once

#include "ipcreplyreader.h"

#include <QByteArray>

// A reply of Hyprland's request socket to "j/activewindow": a JSON object, or a word such as
// "Invalid" followed by the end of the connection.
class HyprlandReply : public IpcReplyReader
{
public:
    // An active window's description takes a few hundred bytes; a longer reply is refused.
    static constexpr qsizetype MaxSize = 256 * 1024;

    // The active window of a "j/activewindow" reply; pid 0 when there is none.
    static IpcFocus activeWindow(const QByteArray &reply);

    State read(const char *data, qsizetype size) override;
    State end() override;
    IpcFocus focus() const override;

private:
    QByteArray m_text;
    State m_state = State::Incomplete;
    // Where the JSON value stands after the bytes so far: it ends when its outer bracket closes,
    // found without parsing the text again for every piece.
    bool m_started = false;
    bool m_bracketed = false;
    bool m_inString = false;
    bool m_escaped = false;
    qint64 m_depth = 0;
};
