#include "startupactivation.h"

#include <QDebug>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {
const QString WaylandPrefix = QStringLiteral("wayland:");
const QString X11Prefix = QStringLiteral("x11:");
// Startup notification messages travel in client messages of 20 bytes each.
constexpr size_t ChunkSize = 20;

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return result;
}

// Quotes a value as the startup notification protocol reads it.
QByteArray quoted(const QByteArray &value)
{
    QByteArray result = "\"";
    for (const char c : value) {
        if (c == '"' || c == '\\') {
            result += '\\';
        }
        result += c;
    }
    return result + '"';
}

bool sendRemove(const QByteArray &id)
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_atom_t begin = atom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = atom(connection, "_NET_STARTUP_INFO");
    // The messages name a window of the sender's own.
    const xcb_window_t window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, -100, -100, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    // The text with its terminating zero, cut into chunks.
    const QByteArray message = "remove: ID=" + quoted(id) + '\0';
    for (size_t offset = 0; offset < size_t(message.size()); offset += ChunkSize) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = window;
        event.type = offset == 0 ? begin : more;
        memcpy(event.data.data8, message.constData() + offset, qMin(ChunkSize, size_t(message.size()) - offset));
        xcb_send_event(connection, 0, screen->root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char *>(&event));
    }
    xcb_destroy_window(connection, window);
    // A round trip: the server has handled the messages before this connection goes.
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    const bool sent = !xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    return sent;
}
} // namespace

QString StartupActivation::fromEnvironment()
{
    const QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    if (!token.isEmpty()) {
        return WaylandPrefix + token;
    }
    const QString id = qEnvironmentVariable("DESKTOP_STARTUP_ID");
    return id.isEmpty() ? QString() : X11Prefix + id;
}

void StartupActivation::prepare(const QString &activation)
{
    if (activation.startsWith(WaylandPrefix)) {
        qDebug() << "activating with the launcher's xdg-activation token";
        qputenv("XDG_ACTIVATION_TOKEN", activation.mid(WaylandPrefix.size()).toUtf8());
    }
}

bool StartupActivation::complete(const QString &activation)
{
    if (!activation.startsWith(X11Prefix) || qEnvironmentVariableIsEmpty("DISPLAY")) {
        return !activation.startsWith(X11Prefix);
    }
    if (!sendRemove(activation.mid(X11Prefix.size()).toUtf8())) {
        qWarning() << "cannot end the startup notification: the X server does not answer";
        return false;
    }
    return true;
}
