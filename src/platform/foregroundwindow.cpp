#include "foregroundwindow.h"

#include "nullforegroundwindowsource.h"
#include "x11foregroundwindowsource.h"

std::unique_ptr<ForegroundWindowSource> createForegroundWindowSource()
{
    if (auto x11 = X11ForegroundWindowSource::connect()) {
        return x11;
    }
    return std::make_unique<NullForegroundWindowSource>();
}

QString sessionNote(const QProcessEnvironment &environment)
{
    const bool wayland =
        environment.value(QStringLiteral("XDG_SESSION_TYPE")).compare(QLatin1String("wayland"), Qt::CaseInsensitive) ==
            0 ||
        !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    if (!wayland) {
        return {};
    }
    return QStringLiteral("This is a Wayland session: TavroDesk can only see windows of programs that run through "
                          "XWayland. Time in native Wayland windows is not recorded.");
}
