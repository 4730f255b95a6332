#pragma once

#include "idlesource.h"

// Without a display or compositor nobody can be seen idling: always 0, so no away time is ever recorded.
class NullIdleSource : public IdleSource
{
public:
    int idleSeconds() override { return 0; }
    QString description() const override { return QStringLiteral("none"); }
};
