#include "gnomeshellextension.h"

#include "gnomeshellsettings.h"
#include "logging.h"

#include <QCoreApplication>
#include <QDBusArgument>
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
// The shell's ExtensionState values.
constexpr int ShellStateEnabled = 1;
constexpr int ShellStateError = 3;
constexpr int ShellStateOutOfDate = 4;
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
    // A demo run keeps its own XDG_DATA_HOME; GNOME Shell reads the session's.
    if (m_dataHome.isEmpty()) {
        m_dataHome = qEnvironmentVariable("TAVRO_SESSION_DATA_HOME");
    }
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
        *error = QCoreApplication::translate("GnomeShellExtension", "cannot create %1").arg(folder());
        return false;
    }
    for (const QString &name : ExtensionFiles) {
        QFile shipped(QStringLiteral(":/gnome-shell/%1/%2").arg(flavour, name));
        QSaveFile target(folder() + QLatin1Char('/') + name);
        if (!shipped.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly) ||
            target.write(shipped.readAll()) < 0 || !target.commit()) {
            *error = QCoreApplication::translate("GnomeShellExtension", "cannot write %1: %2")
                         .arg(target.fileName(), target.errorString());
            return false;
        }
    }
    return true;
}

bool GnomeShellExtension::enable(QString *error)
{
    // The shell answers false for an extension it has not discovered (it scans only at its start)
    // and then leaves the settings alone.
    const QDBusMessage reply = callExtensions(QStringLiteral("EnableExtension"), QLatin1String(Uuid));
    if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool()) {
        return true;
    }
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qCDebug(lcPlatform).noquote() << "GNOME Shell did not enable the extension:" << reply.errorMessage();
    }
    return GnomeShellSettings::enable(QLatin1String(Uuid), error);
}

GnomeShellExtension::State GnomeShellExtension::state(QString *shellError) const
{
    if (!isInstalled()) {
        return State::NotInstalled;
    }
    if (!GnomeShellSettings::isEnabled(QLatin1String(Uuid))) {
        return State::Disabled;
    }
    if (GnomeShellSettings::userExtensionsDisabled()) {
        return State::UserExtensionsOff;
    }
    // An empty answer (or none): the running shell has not seen the extension.
    QVariantMap info;
    const QDBusMessage reply = callExtensions(QStringLiteral("GetExtensionInfo"), QLatin1String(Uuid));
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
        reply.arguments().constFirst().value<QDBusArgument>() >> info;
    }
    switch (info.value(QStringLiteral("state")).toInt()) {
    case ShellStateEnabled:
        return State::Running;
    case ShellStateError:
    case ShellStateOutOfDate:
        if (shellError) {
            *shellError = info.value(QStringLiteral("error")).toString();
        }
        return State::Failed;
    default:
        return State::NextLogin;
    }
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
        *error = QCoreApplication::translate("GnomeShellExtension", "cannot remove %1").arg(earlierFolder());
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
