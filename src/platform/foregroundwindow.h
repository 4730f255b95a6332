#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QtGlobal>

#include <memory>

// One raw look at the window in front: the native window handle, its title (at most 260
// characters), the executable of the process that owns it (empty when it cannot be read) and, on
// Wayland, the application id that names its desktop entry (empty when unknown).
struct ForegroundSample
{
    quint64 window = 0;
    QString path;
    QString title;
    QString appId;
};

// Tells which window the user works in. Implementations: X11 and Wayland compositors (each with a
// long-lived connection of our own) and a null source for sessions where nothing can be seen.
class ForegroundWindowSource
{
public:
    virtual ~ForegroundWindowSource() = default;

    virtual ForegroundSample sample() = 0;
    // The title of `window`, or empty.
    virtual QString windowText(quint64 window) = 0;
    // The window `window` belongs to (transient-for on X11), or 0.
    virtual quint64 parentWindow(quint64 window) = 0;

    // False when no window can ever be seen (no display); `problem()` then says why, for the user.
    virtual bool isAvailable() const = 0;
    virtual QString problem() const = 0;
    // Which backend this is, for the About box and the debug log: "sway (foreign-toplevel + IPC)".
    virtual QString description() const = 0;
    // A sentence for the user, shown once, when the source sees only part of the desktop (X11
    // clients of a Wayland session see only XWayland windows); empty otherwise.
    virtual QString note() const { return {}; }
};

// The best backend for the session (see windowBackendCandidates()) that connects, else the null
// source. The choice goes to the debug log.
std::unique_ptr<ForegroundWindowSource>
createForegroundWindowSource(const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
