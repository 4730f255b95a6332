#pragma once

#include "foregroundwindow.h"

// Used when no X11 display can be reached: every sample is empty, so recording stores nothing,
// and `problem()` tells the user why.
class NullForegroundWindowSource : public ForegroundWindowSource
{
public:
    ForegroundSample sample() override { return {}; }
    QString windowText(quint64) override { return {}; }
    quint64 parentWindow(quint64) override { return 0; }
    bool isAvailable() const override { return false; }
    QString problem() const override;
};
