#pragma once

#include "foregroundwindow.h"

// Stands in for the XWayland source a Wayland source falls back to: one fixed X11 window.
class FallbackStandIn : public ForegroundWindowSource
{
public:
    static QString title() { return QStringLiteral("an XWayland window"); }
    ForegroundSample sample() override { return ForegroundSample{7, QStringLiteral("/usr/bin/true"), title(), {}}; }
    QString windowText(quint64) override { return title(); }
    quint64 parentWindow(quint64) override { return 0; }
    bool isAvailable() const override { return true; }
    QString problem() const override { return {}; }
    QString description() const override { return QStringLiteral("XWayland stand-in"); }
};
