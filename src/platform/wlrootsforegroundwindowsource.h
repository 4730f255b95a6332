#pragma once

#include "compositoripc.h"
#include "desktopappmetadata.h"
#include "foregroundwindow.h"
#include "waylandconnection.h"

#include <QByteArray>
#include <QHash>

#include <memory>

struct wl_registry;
struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;

// The window in front on a wlroots compositor (sway, Hyprland, river, labwc, wayfire...), from the
// foreign-toplevel interface on a Wayland connection of our own. Title, app id and activated state
// arrive as events and are kept, so a sample costs no round trip. The interface tells no process:
// the compositor's IPC (when there is one) names the focused process, else the app id leads to the
// application's desktop entry, else to a pseudo-path naming the app id. The IPC is asked when a
// window is activated; until it has answered, the window is not reported.
class WlrootsForegroundWindowSource : public ForegroundWindowSource
{
public:
    // Null when no compositor answers on `socket` (empty: $WAYLAND_DISPLAY) or it lacks the
    // interface. `compositor` names it in the description; `ipc` may be null.
    static std::unique_ptr<WlrootsForegroundWindowSource> connect(const QByteArray &socket, const QString &compositor,
                                                                  std::unique_ptr<CompositorIpc> ipc);
    ~WlrootsForegroundWindowSource() override;

    ForegroundSample sample() override;
    QString windowText(quint64 window) override;
    quint64 parentWindow(quint64 window) override;
    bool isAvailable() const override { return true; }
    QString problem() const override { return {}; }
    QString description() const override;

    // Handlers of the protocol's events.
    void onToplevel(zwlr_foreign_toplevel_handle_v1 *handle);
    void onFinished();
    void onTitle(zwlr_foreign_toplevel_handle_v1 *handle, const char *title);
    void onAppId(zwlr_foreign_toplevel_handle_v1 *handle, const char *appId);
    void onState(zwlr_foreign_toplevel_handle_v1 *handle, bool activated);
    void onDone(zwlr_foreign_toplevel_handle_v1 *handle);
    void onClosed(zwlr_foreign_toplevel_handle_v1 *handle);
    void onParent(zwlr_foreign_toplevel_handle_v1 *handle, zwlr_foreign_toplevel_handle_v1 *parent);
    void onGlobal(wl_registry *registry, quint32 name, const char *interface, quint32 version);

private:
    // What the compositor told about one window. Changes wait for the "done" event.
    struct Toplevel
    {
        QString title;
        QString appId;
        bool activated = false;
        QString pendingTitle;
        QString pendingAppId;
        bool pendingActivated = false;
        quint64 parent = 0;
        // The executable (or stand-in) once looked up; kept while the window lives.
        QString path;
        bool pathKnown = false;
    };

    WlrootsForegroundWindowSource(const QByteArray &socket, const QString &compositor,
                                  std::unique_ptr<CompositorIpc> ipc);
    bool open();
    void close();
    bool ensureConnected();
    void resolvePath(quint64 window);
    void onIpcAnswer(const IpcFocus &focused);
    static quint64 key(zwlr_foreign_toplevel_handle_v1 *handle) { return quint64(quintptr(handle)); }

    WaylandConnection m_connection;
    QString m_compositor;
    std::unique_ptr<CompositorIpc> m_ipc;
    DesktopAppMetadata m_desktopEntries;
    wl_registry *m_registry = nullptr;
    zwlr_foreign_toplevel_manager_v1 *m_manager = nullptr;
    QHash<quint64, Toplevel> m_toplevels;
    // The window that was activated last, or 0.
    quint64 m_active = 0;
    // The window whose process the IPC is asked for, or 0.
    quint64 m_asking = 0;
};
