#pragma once

// Seconds since the user last touched keyboard or mouse. A failed query reads as 0.
class IdleSource
{
public:
    virtual ~IdleSource() = default;
    virtual int idleSeconds() = 0;
};
