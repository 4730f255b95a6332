#include "x11foregroundwindowsource.h"

#include "processpath.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <xcb/res.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace {
// Enough 32-bit units for 260 characters even in four-byte UTF-8 or escaped compound text.
constexpr quint32 TitleLongs = 1024;
constexpr int MaxTitleLength = 260;
// Bounds the walk from the focus to its top-level; real trees are a handful of levels deep.
constexpr int MaxTreeDepth = 64;
// A frame wraps its client one or two levels down (frame, sometimes a wrapper, then the client).
constexpr int MaxFrameDepth = 2;

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

// Takes a reply and discards the error of a request on a window that no longer exists.
template <typename T> Reply<T> take(T *reply, xcb_generic_error_t *error)
{
    std::free(error);
    return Reply<T>(reply);
}

void clipTitle(QString &title)
{
    if (title.size() > MaxTitleLength) {
        title.truncate(MaxTitleLength);
        // Never keep half of a surrogate pair.
        if (title.back().isHighSurrogate()) {
            title.chop(1);
        }
    }
}

// A single 32-bit value of `type` (a window, a PID); 0 when the property is missing or different.
quint32 value32(const xcb_get_property_reply_t *reply, xcb_atom_t type)
{
    if (!reply || reply->type != type || reply->format != 32 || xcb_get_property_value_length(reply) < 4) {
        return 0;
    }
    return *static_cast<const quint32 *>(xcb_get_property_value(reply));
}
} // namespace

std::unique_ptr<X11ForegroundWindowSource> X11ForegroundWindowSource::connect(const QByteArray &display, bool xwayland)
{
    std::unique_ptr<X11ForegroundWindowSource> source(new X11ForegroundWindowSource(display, xwayland));
    if (!source->ensureConnected()) {
        return nullptr;
    }
    return source;
}

X11ForegroundWindowSource::X11ForegroundWindowSource(const QByteArray &display, bool xwayland)
    : m_display(display)
    , m_xwayland(xwayland)
{}

X11ForegroundWindowSource::~X11ForegroundWindowSource()
{
    disconnect();
}

bool X11ForegroundWindowSource::isAvailable() const
{
    return true;
}

QString X11ForegroundWindowSource::problem() const
{
    return {};
}

QString X11ForegroundWindowSource::description() const
{
    return m_xwayland ? QStringLiteral("X11 (XWayland)") : QStringLiteral("X11");
}

QString X11ForegroundWindowSource::note() const
{
    if (!m_xwayland) {
        return {};
    }
    return QCoreApplication::translate(
        "X11ForegroundWindowSource",
        "This is a Wayland session: TavroDesk can only see windows of programs that run through "
        "XWayland. Time in native Wayland windows is not recorded.");
}

bool X11ForegroundWindowSource::ensureConnected()
{
    if (m_connection && !xcb_connection_has_error(m_connection)) {
        return true;
    }
    // The server went away (or never answered): try a fresh connection, so a restarted server is
    // picked up again. Failing to connect to a missing socket is cheap.
    disconnect();
    int screen = 0;
    xcb_connection_t *connection = xcb_connect(m_display.isEmpty() ? nullptr : m_display.constData(), &screen);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    m_connection = connection;
    setUp(screen);
    return true;
}

void X11ForegroundWindowSource::disconnect()
{
    if (m_xlibDisplay) {
        // XCloseDisplay on a dead server ends in Xlib's fatal I/O handler, which exits the process;
        // after a server crash the Xlib handle is left to the process end.
        if (m_connection && !xcb_connection_has_error(m_connection)) {
            XCloseDisplay(m_xlibDisplay);
        }
        m_xlibDisplay = nullptr;
    }
    if (m_connection) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
    }
}

void X11ForegroundWindowSource::setUp(int screen)
{
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screen && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    m_root = it.data ? it.data->root : 0;

    struct Name
    {
        const char *text;
        quint32 *atom;
    };
    const Name names[] = {
        {"_NET_ACTIVE_WINDOW", &m_atoms.netActiveWindow},
        {"_NET_WM_NAME", &m_atoms.netWmName},
        {"_NET_WM_PID", &m_atoms.netWmPid},
        {"UTF8_STRING", &m_atoms.utf8String},
        {"COMPOUND_TEXT", &m_atoms.compoundText},
        {"WM_STATE", &m_atoms.wmState},
    };
    xcb_intern_atom_cookie_t cookies[std::size(names)];
    for (size_t i = 0; i < std::size(names); ++i) {
        cookies[i] = xcb_intern_atom(m_connection, 0, uint16_t(qstrlen(names[i].text)), names[i].text);
    }
    for (size_t i = 0; i < std::size(names); ++i) {
        xcb_generic_error_t *error = nullptr;
        const auto reply = take(xcb_intern_atom_reply(m_connection, cookies[i], &error), error);
        *names[i].atom = reply ? reply->atom : 0;
    }

    // Property changes on the root tell when _NET_ACTIVE_WINDOW moves, which saves reading it
    // on every sample.
    const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
    m_activeKnown = false;
    m_watchedWindow = 0;
    m_watchedChanged = true;

    m_hasResourceExtension = false;
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(m_connection, &xcb_res_id);
    if (extension && extension->present) {
        xcb_generic_error_t *error = nullptr;
        const auto version =
            take(xcb_res_query_version_reply(m_connection, xcb_res_query_version(m_connection, 1, 2), &error), error);
        // Client ids (and with them the client's PID) came with version 1.2.
        m_hasResourceExtension =
            version && (version->server_major > 1 || (version->server_major == 1 && version->server_minor >= 2));
    }
}

ForegroundSample X11ForegroundWindowSource::sample()
{
    ForegroundSample result;
    if (!ensureConnected()) {
        return result;
    }
    const quint32 window = foregroundWindow();
    if (!window) {
        return result;
    }
    // The window the manager names keeps its title and process until it reports a property change:
    // a second in front of the same window costs no round trip.
    if (m_activeKnown && window == m_watchedWindow && !m_watchedChanged) {
        return m_lastSample;
    }
    // Watched before it is read, so a change after the read is reported.
    watch(m_activeKnown ? window : 0);
    result.window = window;
    // Title and PID requests go out together: one round trip instead of three.
    const TitleRequest title = requestTitle(window);
    const xcb_get_property_cookie_t pidCookie =
        xcb_get_property(m_connection, 0, window, m_atoms.netWmPid, XCB_ATOM_CARDINAL, 0, 1);
    result.title = takeTitle(title);
    xcb_generic_error_t *error = nullptr;
    const auto pidReply = take(xcb_get_property_reply(m_connection, pidCookie, &error), error);
    quint32 pid = value32(pidReply.get(), XCB_ATOM_CARDINAL);
    if (pid == 0) {
        pid = resourcePid(window);
    }
    result.path = executablePath(pid);
    m_lastSample = result;
    return result;
}

void X11ForegroundWindowSource::watch(quint32 window)
{
    if (window != m_watchedWindow) {
        const quint32 none = XCB_EVENT_MASK_NO_EVENT;
        const quint32 properties = XCB_EVENT_MASK_PROPERTY_CHANGE;
        if (m_watchedWindow) {
            xcb_change_window_attributes(m_connection, m_watchedWindow, XCB_CW_EVENT_MASK, &none);
        }
        if (window) {
            xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &properties);
        }
        m_watchedWindow = window;
    }
    m_watchedChanged = false;
}

quint32 X11ForegroundWindowSource::foregroundWindow()
{
    if (!ensureConnected()) {
        return 0;
    }
    if (!readEvents() && m_activeKnown) {
        return m_activeWindow;
    }
    xcb_generic_error_t *error = nullptr;
    const auto reply =
        take(xcb_get_property_reply(
                 m_connection,
                 xcb_get_property(m_connection, 0, m_root, m_atoms.netActiveWindow, XCB_ATOM_WINDOW, 0, 1), &error),
             error);
    if (reply && reply->type == XCB_ATOM_WINDOW) {
        // An EWMH window manager names the client window itself; None means nothing is active.
        m_activeWindow = value32(reply.get(), XCB_ATOM_WINDOW);
        m_activeKnown = true;
        return m_activeWindow;
    }
    m_activeKnown = false;
    return focusTopLevel();
}

bool X11ForegroundWindowSource::readEvents()
{
    bool activeChanged = false;
    // Only property events of the root and the watched window are selected; reading them never blocks.
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        const auto type = event->response_type & 0x7f;
        if (type == XCB_PROPERTY_NOTIFY) {
            const auto *property = reinterpret_cast<const xcb_property_notify_event_t *>(event);
            activeChanged = activeChanged || (property->window == m_root && property->atom == m_atoms.netActiveWindow);
            m_watchedChanged = m_watchedChanged || property->window == m_watchedWindow;
        } else if (type == 0) {
            // A watch on a window that had gone: the next sample reads afresh.
            m_watchedChanged = true;
        }
        std::free(event);
    }
    return activeChanged;
}

quint32 X11ForegroundWindowSource::focusTopLevel()
{
    xcb_generic_error_t *error = nullptr;
    const auto focus = take(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), &error), error);
    if (!focus || focus->focus == XCB_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT || focus->focus == m_root) {
        return 0;
    }
    quint32 window = focus->focus;
    for (int depth = 0; depth < MaxTreeDepth; ++depth) {
        const auto tree = take(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), &error), error);
        if (!tree) {
            return 0;
        }
        if (tree->parent == m_root || tree->parent == XCB_NONE) {
            const quint32 client = clientWindow(window, 0);
            return client ? client : window;
        }
        window = tree->parent;
    }
    return 0;
}

quint32 X11ForegroundWindowSource::clientWindow(quint32 frame, int depth)
{
    if (hasWmState(frame)) {
        return frame;
    }
    if (depth >= MaxFrameDepth) {
        return 0;
    }
    xcb_generic_error_t *error = nullptr;
    const auto tree = take(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, frame), &error), error);
    if (!tree) {
        return 0;
    }
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    // Topmost child first: a frame's client is normally its last-stacked child.
    for (int i = count - 1; i >= 0; --i) {
        if (const quint32 client = clientWindow(children[i], depth + 1)) {
            return client;
        }
    }
    return 0;
}

bool X11ForegroundWindowSource::hasWmState(quint32 window)
{
    xcb_generic_error_t *error = nullptr;
    const auto reply =
        take(xcb_get_property_reply(
                 m_connection,
                 xcb_get_property(m_connection, 0, window, m_atoms.wmState, XCB_GET_PROPERTY_TYPE_ANY, 0, 0), &error),
             error);
    return reply && reply->type != XCB_NONE;
}

quint32 X11ForegroundWindowSource::resourcePid(quint32 window)
{
    if (!m_hasResourceExtension) {
        return 0;
    }
    xcb_res_client_id_spec_t query;
    query.client = window;
    query.mask = XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID;
    xcb_generic_error_t *error = nullptr;
    const auto reply = take(
        xcb_res_query_client_ids_reply(m_connection, xcb_res_query_client_ids(m_connection, 1, &query), &error), error);
    if (!reply) {
        return 0;
    }
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem > 0; xcb_res_client_id_value_next(&it)) {
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
            xcb_res_client_id_value_value_length(it.data) > 0) {
            return *xcb_res_client_id_value_value(it.data);
        }
    }
    return 0;
}

QString X11ForegroundWindowSource::windowText(quint64 window)
{
    if (!window || !ensureConnected()) {
        return {};
    }
    return takeTitle(requestTitle(quint32(window)));
}

quint64 X11ForegroundWindowSource::parentWindow(quint64 window)
{
    if (!window || !ensureConnected()) {
        return 0;
    }
    xcb_generic_error_t *error = nullptr;
    const auto reply = take(xcb_get_property_reply(m_connection,
                                                   xcb_get_property(m_connection, 0, quint32(window),
                                                                    XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 0, 1),
                                                   &error),
                            error);
    const quint32 parent = value32(reply.get(), XCB_ATOM_WINDOW);
    // Some clients point the transient-for hint at the root window or at themselves.
    return parent == m_root || parent == window ? 0 : parent;
}

quint32 X11ForegroundWindowSource::windowPid(quint64 window)
{
    if (!window || !ensureConnected()) {
        return 0;
    }
    xcb_generic_error_t *error = nullptr;
    const auto reply =
        take(xcb_get_property_reply(
                 m_connection,
                 xcb_get_property(m_connection, 0, quint32(window), m_atoms.netWmPid, XCB_ATOM_CARDINAL, 0, 1), &error),
             error);
    if (const quint32 pid = value32(reply.get(), XCB_ATOM_CARDINAL)) {
        return pid;
    }
    return resourcePid(quint32(window));
}

X11ForegroundWindowSource::TitleRequest X11ForegroundWindowSource::requestTitle(quint32 window)
{
    TitleRequest request;
    request.netWmName =
        xcb_get_property(m_connection, 0, window, m_atoms.netWmName, m_atoms.utf8String, 0, TitleLongs).sequence;
    request.wmName =
        xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, TitleLongs).sequence;
    return request;
}

QString X11ForegroundWindowSource::takeTitle(const TitleRequest &request)
{
    xcb_generic_error_t *error = nullptr;
    const auto netWmName = take(xcb_get_property_reply(m_connection, {request.netWmName}, &error), error);
    error = nullptr;
    const auto wmName = take(xcb_get_property_reply(m_connection, {request.wmName}, &error), error);
    QString title;
    if (netWmName && netWmName->type == m_atoms.utf8String && xcb_get_property_value_length(netWmName.get()) > 0) {
        title = decodeTitle(netWmName->type, static_cast<const char *>(xcb_get_property_value(netWmName.get())),
                            xcb_get_property_value_length(netWmName.get()));
    } else if (wmName && wmName->format == 8 && xcb_get_property_value_length(wmName.get()) > 0) {
        title = decodeTitle(wmName->type, static_cast<const char *>(xcb_get_property_value(wmName.get())),
                            xcb_get_property_value_length(wmName.get()));
    }
    clipTitle(title);
    return title;
}

QString X11ForegroundWindowSource::decodeTitle(quint32 type, const char *data, int length)
{
    // Some clients count the terminating NUL into the property.
    while (length > 0 && data[length - 1] == '\0') {
        --length;
    }
    if (type == m_atoms.utf8String) {
        return QString::fromUtf8(data, length);
    }
    if (type == m_atoms.compoundText) {
        return decodeCompoundText(data, length);
    }
    if (type == XCB_ATOM_STRING) {
        // Some clients (xterm in the C locale) label UTF-8 bytes as STRING. Latin-1 text with
        // accents is hardly ever valid UTF-8, so valid UTF-8 is taken as such.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8(QByteArrayView(data, length));
        return utf8.hasError() ? QString::fromLatin1(data, length) : text;
    }
    return QString::fromLocal8Bit(data, length);
}

QString X11ForegroundWindowSource::decodeCompoundText(const char *data, int length)
{
    if (!m_xlibDisplay) {
        m_xlibDisplay = XOpenDisplay(m_display.isEmpty() ? nullptr : m_display.constData());
    }
    if (m_xlibDisplay) {
        XTextProperty property;
        property.value = reinterpret_cast<unsigned char *>(const_cast<char *>(data));
        property.encoding = m_atoms.compoundText;
        property.format = 8;
        property.nitems = static_cast<unsigned long>(length);
        char **list = nullptr;
        int count = 0;
        // A positive result counts characters without a UTF-8 form; the rest is still usable.
        if (Xutf8TextPropertyToTextList(m_xlibDisplay, &property, &list, &count) >= 0 && list) {
            QString text;
            for (int i = 0; i < count; ++i) {
                text += QString::fromUtf8(list[i]);
            }
            XFreeStringList(list);
            return text;
        }
    }
    // Compound text starts in Latin-1; without a decoder that part is still right.
    return QString::fromLatin1(data, length);
}
