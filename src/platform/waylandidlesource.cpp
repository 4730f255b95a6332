#include "waylandidlesource.h"

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"
#include "logging.h"

#include <QDebug>

#include <cstring>
#include <wayland-client.h>

namespace {
WaylandIdleSource *self(void *data)
{
    return static_cast<WaylandIdleSource *>(data);
}

const wl_registry_listener RegistryListener = {
    [](void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version) {
        self(data)->onGlobal(registry, name, interface, version);
    },
    [](void *, wl_registry *, uint32_t) {},
};

const ext_idle_notification_v1_listener NotificationListener = {
    [](void *data, ext_idle_notification_v1 *) { self(data)->onIdle(); },
    [](void *data, ext_idle_notification_v1 *) { self(data)->onResumed(); },
};

const org_kde_kwin_idle_timeout_listener KdeTimeoutListener = {
    [](void *data, org_kde_kwin_idle_timeout *) { self(data)->onIdle(); },
    [](void *data, org_kde_kwin_idle_timeout *) { self(data)->onResumed(); },
};
} // namespace

std::unique_ptr<WaylandIdleSource> WaylandIdleSource::connect(const QByteArray &socket)
{
    std::unique_ptr<WaylandIdleSource> source(new WaylandIdleSource(socket));
    if (!source->open()) {
        return nullptr;
    }
    return source;
}

WaylandIdleSource::WaylandIdleSource(const QByteArray &socket)
    : m_connection(socket)
{}

WaylandIdleSource::~WaylandIdleSource()
{
    close();
}

QString WaylandIdleSource::description() const
{
    return m_useKde ? QStringLiteral("Wayland org_kde_kwin_idle") : QStringLiteral("Wayland ext-idle-notify");
}

bool WaylandIdleSource::open()
{
    if (!m_connection.open()) {
        return false;
    }
    m_registry = wl_display_get_registry(m_connection.display());
    wl_registry_add_listener(m_registry, &RegistryListener, this);
    if (!m_connection.roundtrip() || !m_seat || (!m_notifier && !m_kdeIdle)) {
        close();
        return false;
    }
    m_useKde = !m_notifier;
    if (m_notifier) {
        m_notification = ext_idle_notifier_v1_get_idle_notification(m_notifier, TimeoutMs, m_seat);
        ext_idle_notification_v1_add_listener(m_notification, &NotificationListener, this);
    } else {
        m_kdeTimeout = org_kde_kwin_idle_get_idle_timeout(m_kdeIdle, m_seat, TimeoutMs);
        org_kde_kwin_idle_timeout_add_listener(m_kdeTimeout, &KdeTimeoutListener, this);
    }
    if (!m_connection.roundtrip()) {
        close();
        return false;
    }
    return true;
}

void WaylandIdleSource::close()
{
    // Destroying the proxies sends nothing: the connection may be gone already.
    for (wl_proxy *proxy : {reinterpret_cast<wl_proxy *>(m_notification), reinterpret_cast<wl_proxy *>(m_kdeTimeout),
                            reinterpret_cast<wl_proxy *>(m_notifier), reinterpret_cast<wl_proxy *>(m_kdeIdle),
                            reinterpret_cast<wl_proxy *>(m_seat), reinterpret_cast<wl_proxy *>(m_registry)}) {
        if (proxy) {
            wl_proxy_destroy(proxy);
        }
    }
    m_notification = nullptr;
    m_kdeTimeout = nullptr;
    m_notifier = nullptr;
    m_kdeIdle = nullptr;
    m_seat = nullptr;
    m_registry = nullptr;
    m_idleSince.invalidate();
    m_connection.close();
}

bool WaylandIdleSource::ensureConnected()
{
    if (m_connection.isOpen()) {
        if (m_connection.dispatchPending()) {
            return true;
        }
        close();
        qCWarning(lcPlatform).noquote() << "Idle source" << description()
                                        << "lost its compositor; idle time reads 0 until it is back";
        return false;
    }
    if (!m_connection.reconnectDue() || !open()) {
        return false;
    }
    qCDebug(lcPlatform).noquote() << "Idle source" << description() << "connected again";
    return true;
}

int WaylandIdleSource::idleSeconds()
{
    if (!ensureConnected() || !m_idleSince.isValid()) {
        return 0;
    }
    return int((m_idleSince.elapsed() + TimeoutMs) / 1000);
}

void WaylandIdleSource::onGlobal(wl_registry *registry, quint32 name, const char *interface, quint32 version)
{
    Q_UNUSED(version)
    if (!m_seat && std::strcmp(interface, wl_seat_interface.name) == 0) {
        m_seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (!m_notifier && std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0) {
        m_notifier =
            static_cast<ext_idle_notifier_v1 *>(wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
    } else if (!m_kdeIdle && std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0) {
        m_kdeIdle = static_cast<org_kde_kwin_idle *>(wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
    }
}

void WaylandIdleSource::onIdle()
{
    m_idleSince.start();
}

void WaylandIdleSource::onResumed()
{
    m_idleSince.invalidate();
}
