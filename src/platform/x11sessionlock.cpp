#include "x11sessionlock.h"

#include "x11screensaver.h"

#include <QSocketNotifier>

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace {
// "Cycle" is the saver changing pictures: still on.
bool isOn(quint8 state)
{
    return state == XCB_SCREENSAVER_STATE_ON || state == XCB_SCREENSAVER_STATE_CYCLE;
}
} // namespace

std::unique_ptr<X11SessionLock> X11SessionLock::connect(const QByteArray &display)
{
    quint32 root = 0;
    xcb_connection_t *connection = connectWithScreenSaver(display, &root);
    return connection ? std::unique_ptr<X11SessionLock>(new X11SessionLock(connection, root)) : nullptr;
}

X11SessionLock::X11SessionLock(xcb_connection_t *connection, quint32 root)
    : m_connection(connection)
    , m_notifier(new QSocketNotifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read, this))
{
    xcb_screensaver_select_input(m_connection, root, XCB_SCREENSAVER_EVENT_NOTIFY_MASK);
    xcb_screensaver_query_info_reply_t *info =
        xcb_screensaver_query_info_reply(m_connection, xcb_screensaver_query_info(m_connection, root), nullptr);
    if (info) {
        setLocked(isOn(info->state));
        std::free(info);
    }
    QObject::connect(m_notifier, &QSocketNotifier::activated, this, &X11SessionLock::readEvents);
    // The reply may have brought events along that the socket will not announce again.
    readEvents();
}

X11SessionLock::~X11SessionLock()
{
    delete m_notifier;
    xcb_disconnect(m_connection);
}

void X11SessionLock::readEvents()
{
    const quint8 notifyEvent =
        xcb_get_extension_data(m_connection, &xcb_screensaver_id)->first_event + XCB_SCREENSAVER_NOTIFY;
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        if ((event->response_type & 0x7f) == notifyEvent) {
            const auto *notify = reinterpret_cast<xcb_screensaver_notify_event_t *>(event);
            setLocked(isOn(notify->state));
        }
        std::free(event);
    }
    if (xcb_connection_has_error(m_connection)) {
        // The server went away: nobody can be shown a locked screen by it any more.
        m_notifier->setEnabled(false);
        setLocked(false);
    }
}
