#include "dockshare.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QResizeEvent>

#include <cmath>

DockShare::DockShare(QMainWindow *window, QDockWidget *dock)
    : QObject(window)
    , m_window(window)
    , m_dock(dock)
{
    window->installEventFilter(this);
}

bool DockShare::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Resize && m_dock->isVisible()) {
        const auto *resize = static_cast<QResizeEvent *>(event);
        const int oldHeight = resize->oldSize().height();
        const int newHeight = resize->size().height();
        if (oldHeight > 0 && newHeight != oldHeight) {
            const double share = double(m_dock->height()) / oldHeight;
            m_window->resizeDocks({m_dock}, {int(std::lround(share * newHeight))}, Qt::Vertical);
        }
    }
    return QObject::eventFilter(watched, event);
}
