#pragma once

#include "idlesource.h"

// Without a display nobody can be seen idling: always 0, so no away time is ever recorded.
class NullIdleSource : public IdleSource
{
public:
    int idleSeconds() override { return 0; }
};
