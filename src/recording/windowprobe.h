#pragma once

#include "windowinfo.h"

#include <QIcon>
#include <QMap>
#include <QRegularExpression>
#include <QString>

class AppMetadata;
class ForegroundWindowSource;

// Turns the raw foreground sample of the platform into a complete WindowInfo: display name and icon
// are looked up once per executable and then served from two caches that live as long as the probe.
class WindowProbe
{
public:
    // Titles longer than this are cut; the native probes never deliver more either.
    static constexpr int MaxTitleLength = 260;

    // Neither object is owned; both must outlive the probe.
    WindowProbe(ForegroundWindowSource *source, AppMetadata *metadata);

    // The window the user works in now.
    WindowInfo currentWindowInfo();

    // Display name from the desktop's metadata; empty when a file does not exist at `path` or
    // nothing claims it.
    QString getFileProductName(const QString &path);
    // The away icon for the away pseudo-application, else the executable's icon.
    QIcon getAppIcon(const QString &path);
    // getAppIcon through the per-path cache that sampling fills, so that a rebuilt view shows the
    // same icons as the live one.
    QIcon cachedAppIcon(const QString &path);
    // The desktop's icon for an existing executable, else the generic application icon.
    QIcon extractFileIcon(const QString &path);

    // Image-editor windows carry zoom and layer details after the document name; this keeps the
    // document name only. Other windows keep `title`.
    QString fixWindowTitle(const QString &path, const QString &name, const QString &title);

    // Whether the source can see windows at all, and why not for the user.
    bool isAvailable() const;
    QString problem() const;
    // What the source cannot see, for the user (empty when it sees everything), and which one it is.
    QString note() const;
    QString sourceDescription() const;

    const QMap<QString, QString> &appNameCache() const { return m_appNameCache; }
    const QMap<QString, QIcon> &appIconCache() const { return m_appIconCache; }

    // Pure helpers, usable without a display.
    static bool isImageEditor(const QString &path, const QString &name);
    static QString stripZoomSuffix(const QString &title);
    // The title of `window` or of its nearest ancestor whose title contains `pattern`; the window's
    // own title when none does.
    static QString findTitleUpwards(ForegroundWindowSource &source, quint64 window, const QRegularExpression &pattern);
    static const QRegularExpression &zoomPattern();

private:
    ForegroundWindowSource *m_source;
    AppMetadata *m_metadata;
    QMap<QString, QString> m_appNameCache;
    QMap<QString, QIcon> m_appIconCache;
    QMap<QString, QStringList> m_knownNamesCache;
};
