#pragma once

#include "foregroundwindow.h"

// Used when neither an X11 display nor a supported Wayland compositor can be reached: every sample is empty, so
// recording stores nothing, and `problem()` tells the user why.
class NullForegroundWindowSource : public ForegroundWindowSource
{
public:
    ForegroundSample sample() override { return {}; }
    QString windowText(quint64) override { return {}; }
    quint64 parentWindow(quint64) override { return 0; }
    bool isAvailable() const override { return false; }
    QString problem() const override;
    QString description() const override { return QStringLiteral("none"); }
};
