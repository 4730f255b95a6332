#pragma once

#include "foregroundwindow.h"

#include <QByteArray>

#include <memory>

struct xcb_connection_t;
struct _XDisplay;

// The window in front on an X11 display, read through one long-lived xcb connection of our own.
// xcb reports a window that vanished between two requests as an error reply, so a closing window
// never takes the process down (Xlib's default error handler would exit).
class X11ForegroundWindowSource : public ForegroundWindowSource
{
public:
    // Null when no X server answers on `display` (empty: $DISPLAY). `xwayland`: the server is the
    // XWayland of a Wayland session, which shows only the windows of X11 programs.
    static std::unique_ptr<X11ForegroundWindowSource> connect(const QByteArray &display = {}, bool xwayland = false);
    ~X11ForegroundWindowSource() override;

    ForegroundSample sample() override;
    QString windowText(quint64 window) override;
    quint64 parentWindow(quint64 window) override;
    bool isAvailable() const override;
    QString problem() const override;
    QString description() const override;
    QString note() const override;

    // The process that owns `window`: _NET_WM_PID, else the X-Resource extension; 0 when unknown.
    quint32 windowPid(quint64 window);
    // The foreground top-level client window, or 0 when nothing has the focus.
    quint32 foregroundWindow();

private:
    struct Atoms
    {
        quint32 netActiveWindow = 0;
        quint32 netWmName = 0;
        quint32 netWmPid = 0;
        quint32 utf8String = 0;
        quint32 compoundText = 0;
        quint32 wmState = 0;
    };

    struct TitleRequest
    {
        unsigned int netWmName = 0;
        unsigned int wmName = 0;
    };

    X11ForegroundWindowSource(const QByteArray &display, bool xwayland);
    bool ensureConnected();
    void disconnect();
    void setUp(int screen);
    TitleRequest requestTitle(quint32 window);
    QString takeTitle(const TitleRequest &request);
    // Reads the property events that arrived since the last sample; true when _NET_ACTIVE_WINDOW moved.
    bool readEvents();
    // Selects property events of `window` (0: of none) in place of the window watched so far.
    void watch(quint32 window);
    quint32 focusTopLevel();
    quint32 clientWindow(quint32 frame, int depth);
    bool hasWmState(quint32 window);
    quint32 resourcePid(quint32 window);
    QString decodeTitle(quint32 type, const char *data, int length);
    QString decodeCompoundText(const char *data, int length);

    QByteArray m_display;
    bool m_xwayland;
    xcb_connection_t *m_connection = nullptr;
    // Opened on the first COMPOUND_TEXT title; only used to decode such titles.
    _XDisplay *m_xlibDisplay = nullptr;
    quint32 m_root = 0;
    Atoms m_atoms;
    // _NET_ACTIVE_WINDOW as last read; kept until the root reports that the property changed.
    quint32 m_activeWindow = 0;
    bool m_activeKnown = false;
    // The active window whose property changes are selected, and whether one arrived since its last read.
    quint32 m_watchedWindow = 0;
    bool m_watchedChanged = true;
    ForegroundSample m_lastSample;
    bool m_hasResourceExtension = false;
};
