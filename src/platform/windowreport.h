#pragma once

#include <QString>
#include <QVariantList>

#include <optional>

// What a compositor-side helper (GNOME Shell extension, KWin script) reports about the window in
// front. Reports arrive over the session bus, so they are checked before anything uses them.
struct WindowReport
{
    QString title;
    QString appId;
    quint32 pid = 0;

    // Far beyond any real title; a longer one is an attack or a bug, never stored.
    static constexpr int MaxTitleLength = 4096;
    // Application ids are D-Bus-name-like and desktop file names are file names: both are short.
    static constexpr int MaxAppIdLength = 255;

    // Reads `arguments` as strings followed by one process id: title, then the application id
    // candidates in order of preference (the first non-empty one is taken), then the pid as any
    // integer type or an integral double. Anything else (wrong count, wrong types, overlong or
    // undecodable text, a negative or fractional pid) gives no report and sets `why`.
    static std::optional<WindowReport> parse(const QVariantList &arguments, int appIdCandidates, QString *why);
};
