#include "settingsfile.h"

#include "buildinfo.h"
#include "hosts.h"
#include "settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

QString stateHome()
{
    // Only an absolute path counts; Qt 6.4 has no standard location for it.
    const QString configured = qEnvironmentVariable("XDG_STATE_HOME");
    return QDir::isAbsolutePath(configured) ? configured : QDir::homePath() + QStringLiteral("/.local/state");
}

bool ensurePrivateFolder(const QString &folder)
{
    // A file of that name cannot hold our files: say so before anything is asked.
    if (QFile::exists(folder) && !QFileInfo(folder).isDir()) {
        qDebug() << folder << " is not a folder";
        return false;
    }
    if (!QFile::exists(folder)) {
        qDebug() << folder << " does not exist";
        if (!QDir().mkpath(folder)) {
            qDebug() << "could not create " << folder;
            return false;
        }
        qDebug() << folder << " created";
    }
    // The folders hold the session token, the password and window titles: keep them private even if
    // they predate us.
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return true;
}

} // namespace

const QList<int> &SettingsFile::hideUnderChoices()
{
    static const QList<int> choices{0, 10, 30, 60, 300, 600};
    return choices;
}

QString SettingsFile::dataLocation()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString SettingsFile::dataFolder()
{
    return QDir::toNativeSeparators(dataLocation() + QStringLiteral("/TavroDesk"));
}

QString SettingsFile::configFolder()
{
    return QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                    QStringLiteral("/TavroDesk"));
}

QString SettingsFile::stateFolder()
{
    return QDir::toNativeSeparators(stateHome() + QStringLiteral("/TavroDesk"));
}

QString SettingsFile::iniPath()
{
    const QString current = configFolder() + QStringLiteral("/tavrodesk.ini");
    const QFileInfo earlier(dataFolder() + QStringLiteral("/tavrodesk.ini"));
    if (!QFile::exists(current) && earlier.isFile() && !earlier.isSymLink()) {
        return earlier.filePath();
    }
    return current;
}

QString SettingsFile::windowStatePath()
{
    return stateFolder() + QStringLiteral("/window.ini");
}

QString SettingsFile::databasePath()
{
    return dataFolder() + QStringLiteral("/tavrodesk.sqlite");
}

QString SettingsFile::debugLogPath()
{
    return stateFolder() + QStringLiteral("/debug.log");
}

bool SettingsFile::ensureFolders(QString *failed)
{
    for (const QString &folder : {dataFolder(), configFolder(), stateFolder()}) {
        if (!ensurePrivateFolder(folder)) {
            if (failed) {
                *failed = folder;
            }
            return false;
        }
    }
    return true;
}

void SettingsFile::protectIniFile(const QString &path)
{
    if (QFile::exists(path)) {
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

QString SettingsFile::defaultServiceUrl()
{
    return Hosts::defaultServiceUrl();
}

QString SettingsFile::userAgent()
{
    return QStringLiteral("TavroDesk/") + BuildInfo::version() + QStringLiteral(" Linux");
}

QString SettingsFile::realApiUrl(const QString &url, bool sslEnabled)
{
    if (!sslEnabled && url.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
        return QStringLiteral("http://") + url.mid(8);
    }
    return url;
}

QString SettingsFile::encodePassword(const QString &password)
{
    if (password.isEmpty()) {
        return password;
    }
    return QString::fromLatin1(password.toUtf8().toBase64());
}

QString SettingsFile::decodePassword(const QString &stored)
{
    if (stored.isEmpty()) {
        return {};
    }
    QByteArray bytes = QByteArray::fromBase64(stored.toLatin1());
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0) {
        bytes.truncate(zero);
    }
    return QString::fromUtf8(bytes);
}

SettingsFile::DialogValues SettingsFile::readDialogValues(QSettings &ini)
{
    Settings stored;
    stored.load(ini);
    return dialogValues(stored);
}

void SettingsFile::writeFirstStart(QSettings &ini, const DialogValues &values)
{
    ini.setValue(QStringLiteral("API/Url"), defaultServiceUrl());
    ini.setValue(QStringLiteral("Application/IdleLimit"), values.idleLimit);
    ini.setValue(QStringLiteral("Application/IdleEnabled"), values.idleEnabled);
    ini.setValue(QStringLiteral("Application/InhibitedIdleIsPresence"), values.inhibitedIdleIsPresence);
    ini.setValue(QStringLiteral("API/Username"), values.username);
    ini.setValue(QStringLiteral("API/Password"), encodePassword(values.password));
    ini.setValue(QStringLiteral("Proxy/Enabled"), values.proxyEnabled);
    ini.setValue(QStringLiteral("Proxy/Host"), values.proxyHost);
    ini.setValue(QStringLiteral("Proxy/Port"), values.proxyPort);
    ini.setValue(QStringLiteral("API/SslEnabled"), values.sslEnabled);
    ini.setValue(QStringLiteral("Application/CloseToTray"), values.closeToTray);
    ini.setValue(QStringLiteral("Application/MinimizeToTray"), values.minimizeToTray);
    ini.setValue(QStringLiteral("Application/SingleClickTrayOpen"), values.singleClickTrayOpen);
    if (BuildInfo::UpdateCheck) {
        ini.setValue(QStringLiteral("Updates/CheckAutomatically"), values.checkForUpdates);
        ini.setValue(QStringLiteral("Updates/FeedUrl"), values.updateFeedUrl);
    }
    ini.setValue(QStringLiteral("Help/Url"), values.helpUrl);
    ini.sync();
    protectIniFile(ini.fileName());
}

void SettingsFile::storeDialogValues(Settings &settings, const DialogValues &values)
{
    settings.setValue(Setting::IdleEnabled, values.idleEnabled);
    settings.setValue(Setting::IdleLimit, values.idleLimit);
    settings.setValue(Setting::InhibitedIdleIsPresence, values.inhibitedIdleIsPresence);
    settings.setValue(Setting::Username, values.username);
    settings.setValue(Setting::Password, values.password);
    settings.setValue(Setting::ProxyEnabled, values.proxyEnabled);
    settings.setValue(Setting::ProxyHost, values.proxyHost);
    settings.setValue(Setting::ProxyPort, values.proxyPort);
    settings.setValue(Setting::SslEnabled, values.sslEnabled);
    settings.setValue(Setting::CloseToTray, values.closeToTray);
    settings.setValue(Setting::MinimizeToTray, values.minimizeToTray);
    settings.setValue(Setting::SingleClickTrayOpen, values.singleClickTrayOpen);
    settings.setValue(Setting::CheckForUpdates, values.checkForUpdates);
    settings.setValue(Setting::UpdateFeedUrl, values.updateFeedUrl);
    settings.setValue(Setting::HelpUrl, values.helpUrl);
}

SettingsFile::DialogValues SettingsFile::dialogValues(const Settings &settings)
{
    DialogValues values;
    values.idleEnabled = settings.value(Setting::IdleEnabled);
    values.idleLimit = settings.value(Setting::IdleLimit);
    values.inhibitedIdleIsPresence = settings.value(Setting::InhibitedIdleIsPresence);
    values.username = settings.value(Setting::Username);
    values.password = settings.value(Setting::Password);
    values.proxyEnabled = settings.value(Setting::ProxyEnabled);
    values.proxyHost = settings.value(Setting::ProxyHost);
    values.proxyPort = settings.value(Setting::ProxyPort);
    values.sslEnabled = settings.value(Setting::SslEnabled);
    values.closeToTray = settings.value(Setting::CloseToTray);
    values.minimizeToTray = settings.value(Setting::MinimizeToTray);
    values.singleClickTrayOpen = settings.value(Setting::SingleClickTrayOpen);
    values.checkForUpdates = settings.value(Setting::CheckForUpdates);
    values.updateFeedUrl = settings.value(Setting::UpdateFeedUrl);
    values.helpUrl = settings.value(Setting::HelpUrl);
    return values;
}

void SettingsFile::load(QSettings &ini, Settings &settings)
{
    // An ini file left readable by others by an earlier version is closed now, not at the next save.
    protectIniFile(ini.fileName());
    settings.load(ini);
}

void SettingsFile::save(QSettings &ini, const Settings &settings, const WindowValues &window, bool withSecrets)
{
    ini.setValue(QStringLiteral("Application/Started"), window.recording);
    settings.save(ini, withSecrets);
    ini.sync();
    protectIniFile(ini.fileName());
}

void SettingsFile::loadWindowState(QSettings &state, Settings &settings)
{
    settings.loadWindowState(state);
}

void SettingsFile::saveWindowState(QSettings &state, const WindowValues &window)
{
    state.setValue(QStringLiteral("Window/Geometry"), window.geometry);
    state.setValue(QStringLiteral("Window/State"), window.state);
    state.setValue(QStringLiteral("Window/UnlinkedListGeometry"), window.unlinkedListGeometry);
    state.setValue(QStringLiteral("Window/UnlinkedListState"), window.unlinkedListState);
    state.setValue(QStringLiteral("Window/LinkedListGeometry"), window.linkedListGeometry);
    state.setValue(QStringLiteral("Window/LinkedListState"), window.linkedListState);
    state.sync();
}
