#include "x11idlesource.h"

#include "x11screensaver.h"

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <cstdlib>

std::unique_ptr<X11IdleSource> X11IdleSource::connect(const QByteArray &display)
{
    quint32 root = 0;
    xcb_connection_t *connection = connectWithScreenSaver(display, &root);
    return connection ? std::unique_ptr<X11IdleSource>(new X11IdleSource(connection, root)) : nullptr;
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
