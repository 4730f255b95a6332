#include "x11screensaver.h"

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

xcb_connection_t *connectWithScreenSaver(const QByteArray &display, quint32 *root)
{
    int screen = 0;
    xcb_connection_t *connection = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screen);
    const xcb_query_extension_reply_t *extension =
        xcb_connection_has_error(connection) ? nullptr : xcb_get_extension_data(connection, &xcb_screensaver_id);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; extension && i < screen && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    if (!extension || !extension->present || !it.data) {
        xcb_disconnect(connection);
        return nullptr;
    }
    *root = it.data->root;
    return connection;
}
