#pragma once

#include "appmetadata.h"
#include "clock.h"
#include "foregroundwindow.h"
#include "idleinhibition.h"
#include "idlesource.h"
#include "sessionlock.h"

#include <memory>

// What recording looks at. Sources left empty are made for the running desktop.
struct RecordingSources
{
    std::unique_ptr<ForegroundWindowSource> windows;
    std::unique_ptr<IdleSource> idle;
    std::unique_ptr<SessionLock> lock;
    std::unique_ptr<IdleInhibition> inhibition;
    std::unique_ptr<AppMetadata> metadata;
    // Not owned; the system clock when null.
    Clock *clock = nullptr;
};
