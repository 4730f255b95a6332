#include "waylandconnection.h"

#include "logging.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSocketNotifier>

#include <cerrno>
#include <poll.h>
#include <wayland-client.h>

WaylandConnection::WaylandConnection(const QByteArray &socket)
    : m_socket(socket)
{}

WaylandConnection::~WaylandConnection()
{
    close();
}

bool WaylandConnection::open()
{
    close();
    m_lastAttempt.start();
    m_display = wl_display_connect(m_socket.isEmpty() ? nullptr : m_socket.constData());
    if (m_display && QCoreApplication::instance()) {
        m_notifier = std::make_unique<QSocketNotifier>(wl_display_get_fd(m_display), QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                         [this] { dispatchPending(); });
    }
    return m_display != nullptr;
}

void WaylandConnection::close()
{
    if (m_notifier) {
        // close() may run inside the notifier's own signal.
        m_notifier->setEnabled(false);
        m_notifier.release()->deleteLater();
    }
    if (m_display) {
        wl_display_disconnect(m_display);
        m_display = nullptr;
    }
    m_broken = false;
}

bool WaylandConnection::fail()
{
    if (!m_broken) {
        qCWarning(lcPlatform) << "The Wayland connection" << m_socket << "broke, error"
                              << wl_display_get_error(m_display);
    }
    m_broken = true;
    if (m_notifier) {
        m_notifier->setEnabled(false);
    }
    return false;
}

bool WaylandConnection::dispatchPending()
{
    if (!m_display || m_broken) {
        return false;
    }
    while (wl_display_prepare_read(m_display) != 0) {
        if (wl_display_dispatch_pending(m_display) < 0) {
            return fail();
        }
    }
    if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(m_display);
        return fail();
    }
    pollfd readable{wl_display_get_fd(m_display), POLLIN, 0};
    if (::poll(&readable, 1, 0) > 0) {
        // A closed socket reads as end of file, which marks the display as broken.
        if (wl_display_read_events(m_display) < 0) {
            return fail();
        }
    } else {
        wl_display_cancel_read(m_display);
    }
    return wl_display_dispatch_pending(m_display) >= 0 || fail();
}

bool WaylandConnection::roundtrip()
{
    return m_display && !m_broken && (wl_display_roundtrip(m_display) >= 0 || fail());
}

bool WaylandConnection::reconnectDue()
{
    return !m_display && (!m_lastAttempt.isValid() || m_lastAttempt.elapsed() >= ReconnectIntervalMs);
}
