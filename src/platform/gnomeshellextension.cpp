#include "gnomeshellextension.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {
constexpr int CallTimeoutMs = 3000;
const QStringList ExtensionFiles = {QStringLiteral("metadata.json"), QStringLiteral("extension.js")};

int majorOf(const QString &version)
{
    return version.section(QLatin1Char('.'), 0, 0).toInt();
}

QJsonObject readMetadata(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QJsonDocument::fromJson(file.read(64 * 1024)).object();
}
} // namespace

GnomeShellExtension::GnomeShellExtension(const QDBusConnection &bus, const QString &dataHome)
    : m_bus(bus)
    , m_dataHome(dataHome)
{
    if (m_dataHome.isEmpty()) {
        m_dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    }
    if (m_dataHome.isEmpty()) {
        m_dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    }
}

bool GnomeShellExtension::isGnomeWayland(const QProcessEnvironment &environment)
{
    const bool wayland =
        environment.value(QStringLiteral("XDG_SESSION_TYPE")).compare(QLatin1String("wayland"), Qt::CaseInsensitive) ==
            0 ||
        !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    const QStringList desktops = environment.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(QLatin1Char(':'));
    return wayland && desktops.contains(QStringLiteral("GNOME"), Qt::CaseInsensitive);
}

QString GnomeShellExtension::folder() const
{
    return m_dataHome + QStringLiteral("/gnome-shell/extensions/") + QLatin1String(Uuid);
}

QString GnomeShellExtension::earlierFolder() const
{
    return m_dataHome + QStringLiteral("/gnome-shell/extensions/") + QLatin1String(EarlierUuid);
}

QString GnomeShellExtension::shellVersion() const
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << QStringLiteral("org.gnome.Shell") << QStringLiteral("ShellVersion");
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, CallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {};
    }
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toString();
}

QString GnomeShellExtension::flavourFor(const QString &shellVersion)
{
    return majorOf(shellVersion) >= 45 ? QStringLiteral("45") : QStringLiteral("43");
}

int GnomeShellExtension::shippedVersion(const QString &flavour)
{
    return readMetadata(QStringLiteral(":/gnome-shell/%1/metadata.json").arg(flavour))
        .value(QStringLiteral("version"))
        .toInt();
}

bool GnomeShellExtension::isInstalled() const
{
    return QFile::exists(folder() + QStringLiteral("/metadata.json"));
}

bool GnomeShellExtension::isOutdated(const QString &shellVersion) const
{
    if (!isInstalled()) {
        return false;
    }
    const QJsonObject installed = readMetadata(folder() + QStringLiteral("/metadata.json"));
    const QString major = QString::number(majorOf(shellVersion));
    const bool fitsShell = installed.value(QStringLiteral("shell-version")).toArray().contains(major);
    return !fitsShell || installed.value(QStringLiteral("version")).toInt() < shippedVersion(flavourFor(shellVersion));
}

bool GnomeShellExtension::install(const QString &shellVersion, QString *error)
{
    const QString flavour = flavourFor(shellVersion);
    if (!QDir().mkpath(folder())) {
        *error = QStringLiteral("cannot create %1").arg(folder());
        return false;
    }
    for (const QString &name : ExtensionFiles) {
        QFile shipped(QStringLiteral(":/gnome-shell/%1/%2").arg(flavour, name));
        QSaveFile target(folder() + QLatin1Char('/') + name);
        if (!shipped.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly) ||
            target.write(shipped.readAll()) < 0 || !target.commit()) {
            *error = QStringLiteral("cannot write %1: %2").arg(target.fileName(), target.errorString());
            return false;
        }
    }
    return true;
}

bool GnomeShellExtension::enable(QString *error)
{
    const QDBusMessage reply = callExtensions(QStringLiteral("EnableExtension"), QLatin1String(Uuid));
    if (reply.type() != QDBusMessage::ReplyMessage) {
        *error = reply.errorMessage();
        return false;
    }
    return true;
}

bool GnomeShellExtension::hasEarlierCopy() const
{
    return QFile::exists(earlierFolder() + QStringLiteral("/metadata.json"));
}

bool GnomeShellExtension::replaceEarlierCopy(const QString &shellVersion, QString *error)
{
    if (!install(shellVersion, error) || !enable(error)) {
        return false;
    }
    // Off first, so that the shell does not look for it at the next login; a shell that never
    // loaded it answers with an error, which changes nothing.
    callExtensions(QStringLiteral("DisableExtension"), QLatin1String(EarlierUuid));
    if (!QDir(earlierFolder()).removeRecursively()) {
        *error = QStringLiteral("cannot remove %1").arg(earlierFolder());
        return false;
    }
    return true;
}

QDBusMessage GnomeShellExtension::callExtensions(const QString &method, const QString &uuid) const
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
                                       QStringLiteral("org.gnome.Shell.Extensions"), method);
    call << uuid;
    return m_bus.call(call, QDBus::Block, CallTimeoutMs);
}
