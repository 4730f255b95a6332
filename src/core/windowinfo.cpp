#include "windowinfo.h"

WindowInfo idleWindowInfo()
{
    return WindowInfo{QLatin1String(AwayApp::Path),
                      QLatin1String(AwayApp::Name),
                      QString(),
                      QIcon(QLatin1String(AwayApp::IconPath)),
                      {}};
}
