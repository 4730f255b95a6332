#include "nullforegroundwindowsource.h"

#include <QCoreApplication>

QString NullForegroundWindowSource::problem() const
{
    return QCoreApplication::translate(
        "NullForegroundWindowSource",
        "No X11 display and no supported Wayland compositor is available, so TavroDesk cannot see "
        "which window is in front. "
        "Recording stores nothing.");
}
