#include "windowprobe.h"

#include "appmetadata.h"
#include "foregroundwindow.h"
#include "settings.h"

#include <QFileInfo>
#include <QSet>

namespace {
const QString GenericIconPath = QStringLiteral(":/icons/res/app.png");

// Parent chains come from other programs; a cycle or an absurd depth must not hang the tick.
constexpr int MaxAncestors = 32;

// Looks `path` up once; later calls are served from `cache`, empty results included.
template <typename T, typename Lookup> T cachedLookup(QMap<QString, T> &cache, const QString &path, Lookup lookup)
{
    auto found = cache.constFind(path);
    if (found == cache.constEnd()) {
        found = cache.insert(path, lookup(path));
    }
    return found.value();
}

bool adobeExtensionEnabled()
{
    return Settings::instance()->value(Setting::ExtensionsAdobeEnabled);
}
} // namespace

WindowProbe::WindowProbe(ForegroundWindowSource *source, AppMetadata *metadata)
    : m_source(source)
    , m_metadata(metadata)
{}

WindowInfo WindowProbe::currentWindowInfo()
{
    const ForegroundSample sample = m_source->sample();
    WindowInfo info;
    info.path = sample.path;
    info.title = sample.title.left(MaxTitleLength);

    // The executable decides first, as on X11, so one program keeps one applications row on
    // both; the Wayland app id names programs no entry's Exec points at (sandboxed ones, wrappers).
    info.name = cachedLookup(m_appNameCache, info.path, [this, &sample](const QString &path) {
        const QString name = getFileProductName(path);
        return name.isEmpty() && !sample.appId.isEmpty() ? m_metadata->productNameForAppId(sample.appId) : name;
    });

    info.knownNames = cachedLookup(m_knownNamesCache, info.path, [this](const QString &path) {
        return path.isEmpty() || !QFileInfo::exists(path) ? QStringList() : m_metadata->knownNames(path);
    });

    if (adobeExtensionEnabled()) {
        info.title = fixWindowTitle(info.path, info.name, info.title);
    }
    if (info.name.isEmpty()) {
        info.name = QFileInfo(info.path).fileName();
    }
    if (info.title.isEmpty()) {
        info.title = QStringLiteral("(no title)");
    }

    info.icon = cachedLookup(m_appIconCache, info.path, [this, &sample](const QString &path) {
        const QIcon byAppId = sample.appId.isEmpty() || !getFileProductName(path).isEmpty()
                                  ? QIcon()
                                  : m_metadata->iconForAppId(sample.appId);
        return byAppId.isNull() ? getAppIcon(path) : byAppId;
    });
    return info;
}

QString WindowProbe::getFileProductName(const QString &path)
{
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        return {};
    }
    return m_metadata->productName(path);
}

QIcon WindowProbe::cachedAppIcon(const QString &path)
{
    return cachedLookup(m_appIconCache, path, [this](const QString &uncached) { return getAppIcon(uncached); });
}

QIcon WindowProbe::getAppIcon(const QString &path)
{
    if (path == QLatin1String(AwayApp::Path)) {
        return QIcon(QLatin1String(AwayApp::IconPath));
    }
    return extractFileIcon(path);
}

QIcon WindowProbe::extractFileIcon(const QString &path)
{
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        const QIcon icon = m_metadata->icon(path);
        if (!icon.isNull()) {
            return icon;
        }
    }
    return QIcon(GenericIconPath);
}

QString WindowProbe::fixWindowTitle(const QString &path, const QString &name, const QString &title)
{
    if (!isImageEditor(path, name)) {
        return title;
    }
    const quint64 window = m_source->sample().window;
    const QString found = findTitleUpwards(*m_source, window, zoomPattern());
    if (found.contains(zoomPattern())) {
        return stripZoomSuffix(found);
    }
    return found;
}

bool WindowProbe::isAvailable() const
{
    return m_source->isAvailable();
}

QString WindowProbe::problem() const
{
    return m_source->problem();
}

QString WindowProbe::note() const
{
    return m_source->note();
}

QString WindowProbe::sourceDescription() const
{
    return m_source->description();
}

bool WindowProbe::isImageEditor(const QString &path, const QString &name)
{
    if (path.endsWith(QLatin1String("Photoshop.exe"))) {
        return true;
    }
    // Most windows are not the editor: they are told apart without compiling the pattern.
    if (!name.startsWith(QLatin1String("Adobe"), Qt::CaseInsensitive)) {
        return false;
    }
    static const QRegularExpression editorName(QStringLiteral("^Adobe\\sPhotoshop(\\sCS\\d*)$"),
                                               QRegularExpression::CaseInsensitiveOption);
    return editorName.match(name).hasMatch();
}

QString WindowProbe::stripZoomSuffix(const QString &title)
{
    static const QRegularExpression zoomValue(QStringLiteral("\\s@\\s[\\d\\.,]+"));
    QString result = title;
    const QRegularExpressionMatch match = zoomValue.match(result);
    if (match.hasMatch()) {
        const qsizetype start = match.capturedStart();
        const qsizetype matchLength = match.capturedLength();
        // The character right after the number, normally "%", goes with it.
        const qsizetype after = start + matchLength + 1;
        if (result.mid(after, 2) == QLatin1String(" (")) {
            int depth = 1;
            qsizetype pos = after + 2;
            for (; pos < result.size(); ++pos) {
                if (result.at(pos) == QLatin1Char('(')) {
                    ++depth;
                } else if (result.at(pos) == QLatin1Char(')')) {
                    --depth;
                    if (depth == 0) {
                        break;
                    }
                }
            }
            if (depth == 0) {
                result.remove(start, pos - start + 1);
            }
        } else {
            result.remove(start, matchLength + 1);
        }
    }
    if (result.endsWith(QLatin1String(" *"))) {
        result.chop(2);
    }
    return result;
}

QString WindowProbe::findTitleUpwards(ForegroundWindowSource &source, quint64 window, const QRegularExpression &pattern)
{
    const QString own = source.windowText(window).left(MaxTitleLength);
    if (own.contains(pattern)) {
        return own;
    }
    QSet<quint64> seen{window};
    quint64 current = source.parentWindow(window);
    for (int depth = 0; depth < MaxAncestors && current != 0 && !seen.contains(current); ++depth) {
        const QString title = source.windowText(current).left(MaxTitleLength);
        if (title.contains(pattern)) {
            return title;
        }
        seen.insert(current);
        current = source.parentWindow(current);
    }
    return own;
}

const QRegularExpression &WindowProbe::zoomPattern()
{
    static const QRegularExpression pattern(QStringLiteral("\\s@\\s[\\d\\.,]+%"));
    return pattern;
}
