#include "windowiconloader.h"

#include "tavroapp.h"

#include <QEvent>
#include <QWidget>

namespace {
bool isManagedWindow(const QWidget *widget)
{
    if (!widget->isWindow() || widget->windowFlags().testFlag(Qt::BypassWindowManagerHint)) {
        return false;
    }
    const Qt::WindowType type = widget->windowType();
    return type == Qt::Window || type == Qt::Dialog || type == Qt::Sheet || type == Qt::Tool;
}
} // namespace

WindowIconLoader::WindowIconLoader(QObject *parent)
    : QObject(parent)
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool WindowIconLoader::eventFilter(QObject *watched, QEvent *event)
{
    // A widget's show event comes after its native window exists and before the window is mapped, so
    // the icon is in place when the window manager first looks.
    if (event->type() == QEvent::Show && watched->isWidgetType() && isManagedWindow(static_cast<QWidget *>(watched))) {
        QCoreApplication::instance()->removeEventFilter(this);
        QApplication::setWindowIcon(TavroApp::applicationIcon());
    }
    return QObject::eventFilter(watched, event);
}
