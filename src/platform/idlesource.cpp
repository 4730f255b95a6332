#include "idlesource.h"

#include "nullidlesource.h"
#include "x11idlesource.h"

std::unique_ptr<IdleSource> createIdleSource()
{
    if (auto x11 = X11IdleSource::connect()) {
        return x11;
    }
    return std::make_unique<NullIdleSource>();
}
