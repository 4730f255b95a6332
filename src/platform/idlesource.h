#pragma once

#include <memory>

// Seconds since the user last touched keyboard or mouse. A failed query reads as 0.
class IdleSource
{
public:
    virtual ~IdleSource() = default;
    virtual int idleSeconds() = 0;
};

// The X11 source when an X server with MIT-SCREEN-SAVER answers on $DISPLAY, else a source that
// always reads 0.
std::unique_ptr<IdleSource> createIdleSource();
