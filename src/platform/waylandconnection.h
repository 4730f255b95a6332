#pragma once

#include <QByteArray>
#include <QElapsedTimer>

#include <memory>

class QSocketNotifier;
struct wl_display;

// One client connection of our own to a Wayland compositor, independent of the Qt platform plugin.
// With an event loop running, events are handled as they arrive (so their time is right); without
// one, at each `dispatchPending()`. A connection that broke stays open, with its proxies valid,
// until the owner has destroyed them and calls `close()`; `reconnectDue()` then paces new attempts.
class WaylandConnection
{
public:
    static constexpr int ReconnectIntervalMs = 2000;

    // `socket`: a name under $XDG_RUNTIME_DIR or an absolute path; empty means $WAYLAND_DISPLAY.
    explicit WaylandConnection(const QByteArray &socket);
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection &) = delete;
    WaylandConnection &operator=(const WaylandConnection &) = delete;

    bool open();
    void close();
    bool isOpen() const { return m_display != nullptr; }
    wl_display *display() const { return m_display; }
    const QByteArray &socket() const { return m_socket; }

    // Handles what the compositor has sent so far, without waiting. False when the connection broke.
    bool dispatchPending();
    // Waits until the compositor has handled every request sent so far and its events are handled.
    bool roundtrip();
    // True at most once per ReconnectIntervalMs while the connection is closed.
    bool reconnectDue();

private:
    bool fail();

    QByteArray m_socket;
    wl_display *m_display = nullptr;
    bool m_broken = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QElapsedTimer m_lastAttempt;
};
