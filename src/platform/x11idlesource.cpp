#include "x11idlesource.h"

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <cstdlib>

std::unique_ptr<X11IdleSource> X11IdleSource::connect(const QByteArray &display)
{
    int screen = 0;
    xcb_connection_t *connection = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screen);
    const xcb_query_extension_reply_t *extension =
        xcb_connection_has_error(connection) ? nullptr : xcb_get_extension_data(connection, &xcb_screensaver_id);
    if (!extension || !extension->present) {
        xcb_disconnect(connection);
        return nullptr;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screen && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    return std::unique_ptr<X11IdleSource>(new X11IdleSource(connection, it.data ? it.data->root : 0));
}

X11IdleSource::X11IdleSource(xcb_connection_t *connection, quint32 root)
    : m_connection(connection)
    , m_root(root)
{}

X11IdleSource::~X11IdleSource()
{
    xcb_disconnect(m_connection);
}

int X11IdleSource::idleSeconds()
{
    if (xcb_connection_has_error(m_connection)) {
        return 0;
    }
    xcb_generic_error_t *error = nullptr;
    xcb_screensaver_query_info_reply_t *info =
        xcb_screensaver_query_info_reply(m_connection, xcb_screensaver_query_info(m_connection, m_root), &error);
    std::free(error);
    if (!info) {
        return 0;
    }
    const int seconds = int(info->ms_since_user_input / 1000);
    std::free(info);
    return seconds;
}
