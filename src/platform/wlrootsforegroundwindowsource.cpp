#include "wlrootsforegroundwindowsource.h"

#include "logging.h"
#include "processpath.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

#include <QDebug>

#include <cstring>
#include <utility>
#include <wayland-client.h>

namespace {
constexpr quint32 ManagerVersion = 3;
constexpr int MaxTitleLength = 260;
// App ids come from other programs; one that long is no id.
constexpr int MaxAppIdLength = 255;

WlrootsForegroundWindowSource *self(void *data)
{
    return static_cast<WlrootsForegroundWindowSource *>(data);
}

QString clipped(const char *text, int length)
{
    QString result = QString::fromUtf8(text ? text : "");
    if (result.size() > length) {
        result.truncate(length);
        // Never keep half of a surrogate pair.
        if (result.back().isHighSurrogate()) {
            result.chop(1);
        }
    }
    return result;
}

const zwlr_foreign_toplevel_handle_v1_listener HandleListener = {
    [](void *data, zwlr_foreign_toplevel_handle_v1 *handle, const char *title) { self(data)->onTitle(handle, title); },
    [](void *data, zwlr_foreign_toplevel_handle_v1 *handle, const char *appId) { self(data)->onAppId(handle, appId); },
    [](void *, zwlr_foreign_toplevel_handle_v1 *, wl_output *) {},
    [](void *, zwlr_foreign_toplevel_handle_v1 *, wl_output *) {},
    [](void *data, zwlr_foreign_toplevel_handle_v1 *handle, wl_array *states) {
        bool activated = false;
        const auto *state = static_cast<const quint32 *>(states->data);
        for (size_t i = 0; i < states->size / sizeof(quint32); ++i) {
            activated = activated || state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
        }
        self(data)->onState(handle, activated);
    },
    [](void *data, zwlr_foreign_toplevel_handle_v1 *handle) { self(data)->onDone(handle); },
    [](void *data, zwlr_foreign_toplevel_handle_v1 *handle) { self(data)->onClosed(handle); },
    [](void *data, zwlr_foreign_toplevel_handle_v1 *handle, zwlr_foreign_toplevel_handle_v1 *parent) {
        self(data)->onParent(handle, parent);
    },
};

const zwlr_foreign_toplevel_manager_v1_listener ManagerListener = {
    [](void *data, zwlr_foreign_toplevel_manager_v1 *, zwlr_foreign_toplevel_handle_v1 *handle) {
        self(data)->onToplevel(handle);
    },
    [](void *data, zwlr_foreign_toplevel_manager_v1 *) { self(data)->onFinished(); },
};

const wl_registry_listener RegistryListener = {
    [](void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version) {
        self(data)->onGlobal(registry, name, interface, version);
    },
    [](void *, wl_registry *, uint32_t) {},
};
} // namespace

std::unique_ptr<WlrootsForegroundWindowSource>
WlrootsForegroundWindowSource::connect(const QByteArray &socket, const QString &compositor,
                                       std::unique_ptr<CompositorIpc> ipc)
{
    std::unique_ptr<WlrootsForegroundWindowSource> source(
        new WlrootsForegroundWindowSource(socket, compositor, std::move(ipc)));
    if (!source->open()) {
        return nullptr;
    }
    return source;
}

WlrootsForegroundWindowSource::WlrootsForegroundWindowSource(const QByteArray &socket, const QString &compositor,
                                                             std::unique_ptr<CompositorIpc> ipc)
    : m_connection(socket)
    , m_compositor(compositor)
    , m_ipc(std::move(ipc))
{
    if (m_ipc) {
        QObject::connect(m_ipc.get(), &CompositorIpc::answered, m_ipc.get(),
                         [this](const IpcFocus &focused) { onIpcAnswer(focused); });
    }
}

WlrootsForegroundWindowSource::~WlrootsForegroundWindowSource()
{
    close();
}

QString WlrootsForegroundWindowSource::description() const
{
    return m_compositor + (m_ipc ? QStringLiteral(" (foreign-toplevel + IPC)") : QStringLiteral(" (foreign-toplevel)"));
}

bool WlrootsForegroundWindowSource::open()
{
    if (!m_connection.open()) {
        return false;
    }
    m_registry = wl_display_get_registry(m_connection.display());
    wl_registry_add_listener(m_registry, &RegistryListener, this);
    // The first round trip announces the globals, the second the windows that exist already.
    if (!m_connection.roundtrip() || !m_manager || !m_connection.roundtrip()) {
        close();
        return false;
    }
    return true;
}

void WlrootsForegroundWindowSource::close()
{
    // Destroying the proxies sends nothing: the connection may be gone already.
    for (auto it = m_toplevels.cbegin(); it != m_toplevels.cend(); ++it) {
        wl_proxy_destroy(reinterpret_cast<wl_proxy *>(quintptr(it.key())));
    }
    m_toplevels.clear();
    m_active = 0;
    m_asking = 0;
    if (m_manager) {
        wl_proxy_destroy(reinterpret_cast<wl_proxy *>(m_manager));
        m_manager = nullptr;
    }
    if (m_registry) {
        wl_registry_destroy(m_registry);
        m_registry = nullptr;
    }
    m_connection.close();
}

bool WlrootsForegroundWindowSource::ensureConnected()
{
    if (m_connection.isOpen()) {
        if (m_connection.dispatchPending() && m_manager) {
            return true;
        }
        close();
        qCWarning(lcPlatform).noquote() << "Window source" << description()
                                        << "lost its compositor; sampling stops until it is back";
        return false;
    }
    if (!m_connection.reconnectDue()) {
        return false;
    }
    if (!open()) {
        return false;
    }
    qCDebug(lcPlatform).noquote() << "Window source" << description() << "connected again";
    return true;
}

ForegroundSample WlrootsForegroundWindowSource::sample()
{
    if (!ensureConnected()) {
        return {};
    }
    auto it = m_toplevels.find(m_active);
    if (it == m_toplevels.end()) {
        return {};
    }
    if (!it->pathKnown) {
        resolvePath(it.key());
        if (!it->pathKnown) {
            return {};
        }
    }
    return {it.key(), it->path, it->title, it->appId};
}

QString WlrootsForegroundWindowSource::windowText(quint64 window)
{
    return m_toplevels.value(window).title;
}

quint64 WlrootsForegroundWindowSource::parentWindow(quint64 window)
{
    return m_toplevels.value(window).parent;
}

void WlrootsForegroundWindowSource::resolvePath(quint64 window)
{
    if (!m_ipc) {
        Toplevel &toplevel = m_toplevels[window];
        toplevel.path = m_desktopEntries.waylandAppPath(toplevel.appId);
        toplevel.pathKnown = true;
    } else if (m_asking != window || !m_ipc->isAsking()) {
        m_asking = window;
        m_ipc->ask();
    }
}

void WlrootsForegroundWindowSource::onIpcAnswer(const IpcFocus &focused)
{
    const quint64 window = std::exchange(m_asking, 0);
    auto it = m_toplevels.find(window);
    if (it == m_toplevels.end()) {
        return;
    }
    // The IPC may lag behind the protocol's events; trust it only when it describes this window.
    const bool describesIt = focused.pid != 0 && (focused.appId == it->appId || focused.title == it->title);
    it->path = describesIt ? executablePath(focused.pid) : QString();
    if (it->path.isEmpty()) {
        it->path = m_desktopEntries.waylandAppPath(it->appId);
    }
    it->pathKnown = true;
}

void WlrootsForegroundWindowSource::onGlobal(wl_registry *registry, quint32 name, const char *interface,
                                             quint32 version)
{
    if (!m_manager && std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) == 0) {
        m_manager = static_cast<zwlr_foreign_toplevel_manager_v1 *>(wl_registry_bind(
            registry, name, &zwlr_foreign_toplevel_manager_v1_interface, qMin(version, ManagerVersion)));
        zwlr_foreign_toplevel_manager_v1_add_listener(m_manager, &ManagerListener, this);
    }
}

void WlrootsForegroundWindowSource::onToplevel(zwlr_foreign_toplevel_handle_v1 *handle)
{
    m_toplevels.insert(key(handle), Toplevel());
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &HandleListener, this);
}

void WlrootsForegroundWindowSource::onFinished()
{
    // The compositor destroyed the manager; the next sample reconnects.
    wl_proxy_destroy(reinterpret_cast<wl_proxy *>(m_manager));
    m_manager = nullptr;
}

void WlrootsForegroundWindowSource::onTitle(zwlr_foreign_toplevel_handle_v1 *handle, const char *title)
{
    m_toplevels[key(handle)].pendingTitle = clipped(title, MaxTitleLength);
}

void WlrootsForegroundWindowSource::onAppId(zwlr_foreign_toplevel_handle_v1 *handle, const char *appId)
{
    m_toplevels[key(handle)].pendingAppId = clipped(appId, MaxAppIdLength);
}

void WlrootsForegroundWindowSource::onState(zwlr_foreign_toplevel_handle_v1 *handle, bool activated)
{
    m_toplevels[key(handle)].pendingActivated = activated;
}

void WlrootsForegroundWindowSource::onDone(zwlr_foreign_toplevel_handle_v1 *handle)
{
    Toplevel &toplevel = m_toplevels[key(handle)];
    toplevel.title = toplevel.pendingTitle;
    if (toplevel.appId != toplevel.pendingAppId) {
        toplevel.appId = toplevel.pendingAppId;
        toplevel.pathKnown = false;
    }
    if (toplevel.pendingActivated && !toplevel.activated) {
        m_active = key(handle);
    } else if (!toplevel.pendingActivated && m_active == key(handle)) {
        m_active = 0;
    }
    toplevel.activated = toplevel.pendingActivated;
    // Asked now, the IPC has answered long before the next sample wants the path.
    if (m_active == key(handle) && !toplevel.pathKnown) {
        resolvePath(m_active);
    }
}

void WlrootsForegroundWindowSource::onClosed(zwlr_foreign_toplevel_handle_v1 *handle)
{
    m_toplevels.remove(key(handle));
    if (m_active == key(handle)) {
        m_active = 0;
    }
    zwlr_foreign_toplevel_handle_v1_destroy(handle);
}

void WlrootsForegroundWindowSource::onParent(zwlr_foreign_toplevel_handle_v1 *handle,
                                             zwlr_foreign_toplevel_handle_v1 *parent)
{
    m_toplevels[key(handle)].parent = parent ? key(parent) : 0;
}
