#pragma once

#include "idlesource.h"
#include "waylandconnection.h"

#include <QElapsedTimer>

#include <memory>

struct wl_registry;
struct wl_seat;
struct ext_idle_notifier_v1;
struct ext_idle_notification_v1;
struct org_kde_kwin_idle;
struct org_kde_kwin_idle_timeout;

// Idle time on a Wayland compositor, on a connection of its own: ext_idle_notifier_v1 where offered,
// else KDE's org_kde_kwin_idle. Both only say "idle for the timeout now" and "active again", so a
// short timeout is registered and the start of idleness is back-dated by it.
class WaylandIdleSource : public IdleSource
{
public:
    static constexpr int TimeoutMs = 1000;

    // Null when no compositor answers on `socket` (empty: $WAYLAND_DISPLAY) or it offers neither
    // interface or no seat.
    static std::unique_ptr<WaylandIdleSource> connect(const QByteArray &socket);
    ~WaylandIdleSource() override;

    int idleSeconds() override;
    QString description() const override;

    // Handlers of the protocol's events.
    void onGlobal(wl_registry *registry, quint32 name, const char *interface, quint32 version);
    void onIdle();
    void onResumed();

private:
    explicit WaylandIdleSource(const QByteArray &socket);
    bool open();
    void close();
    bool ensureConnected();

    WaylandConnection m_connection;
    wl_registry *m_registry = nullptr;
    wl_seat *m_seat = nullptr;
    ext_idle_notifier_v1 *m_notifier = nullptr;
    ext_idle_notification_v1 *m_notification = nullptr;
    org_kde_kwin_idle *m_kdeIdle = nullptr;
    org_kde_kwin_idle_timeout *m_kdeTimeout = nullptr;
    bool m_useKde = false;
    // Runs while the user is idle; started when the notification came, back-dated by TimeoutMs.
    QElapsedTimer m_idleSince;
};
