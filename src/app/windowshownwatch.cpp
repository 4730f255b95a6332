#include "windowshownwatch.h"

#include <QEvent>
#include <QWidget>

WindowShownWatch::WindowShownWatch(QWidget *window)
    : QObject(window)
    , m_shown(window->isVisible() && !window->isMinimized())
{
    window->installEventFilter(this);
}

bool WindowShownWatch::eventFilter(QObject *watched, QEvent *event)
{
    // A minimised window gets a hide event of its own while it stays "visible".
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
        const bool shown = event->type() == QEvent::Show;
        if (shown != m_shown) {
            m_shown = shown;
            Q_EMIT shownChanged(shown);
        }
    }
    return QObject::eventFilter(watched, event);
}
