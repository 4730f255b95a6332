#include "appmetadata.h"

#include "desktopappmetadata.h"

std::unique_ptr<AppMetadata> createAppMetadata()
{
    return std::make_unique<DesktopAppMetadata>();
}
