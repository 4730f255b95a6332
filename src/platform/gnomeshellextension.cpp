#include "gnomeshellextension.h"

#include "gnomeshellsettings.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDebug>
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

QDBusMessage GnomeShellExtension::callShell(const QString &method) const
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
                                       QStringLiteral("org.gnome.Shell.Extensions"), method);
    call << QLatin1String(Uuid);
    return m_bus.call(call, QDBus::Block, CallTimeoutMs);
}

bool GnomeShellExtension::enable(QString *error)
{
    // The shell answers false for an extension it has not discovered (it scans only at its start)
    // and then leaves the settings alone.
    const QDBusMessage reply = callShell(QStringLiteral("EnableExtension"));
    if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool()) {
        return true;
    }
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qDebug().noquote() << "GNOME Shell did not enable the extension:" << reply.errorMessage();
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
    const QDBusMessage reply = callShell(QStringLiteral("GetExtensionInfo"));
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
