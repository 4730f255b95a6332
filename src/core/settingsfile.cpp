#include "settingsfile.h"

#include "buildinfo.h"
#include "hosts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <functional>

namespace {

enum class Kind { Bool, Int, Port, String, StringList, Password, Bytes };

struct KeyEntry
{
    const char *mapKey;
    const char *iniKey;
    Kind kind;
    QVariant fallback;
};

// The map keys that are read from the ini file, in the order they are loaded.
const QList<KeyEntry> &keyTable()
{
    static const QList<KeyEntry> table{
        {"ApiKey", "API/ApiKey", Kind::String, QString()},
        {"Username", "API/Username", Kind::String, QString()},
        {"Password", "API/Password", Kind::Password, QString()},
        {"AuthToken", "API/AuthToken", Kind::String, QString()},
        {"KeyringState", "API/Keyring", Kind::String, QString()},
        {"IgnoredApps", "Application/Ignored", Kind::StringList, QStringList()},
        {"NeverRecordedApps", "Application/NeverRecorded", Kind::StringList, QStringList()},
        {"NeverRecordedKeepTime", "Application/NeverRecordedKeepTime", Kind::Bool, true},
        {"IdleLimit", "Application/IdleLimit", Kind::Int, 5},
        {"IdleEnabled", "Application/IdleEnabled", Kind::Bool, true},
        {"InhibitedIdleIsPresence", "Application/InhibitedIdleIsPresence", Kind::Bool, true},
        {"HideUnder", "Application/HideUnder", Kind::Int, 0},
        {"GroupByHour", "Application/GroupByHour", Kind::Bool, false},
        {"ProxyEnabled", "Proxy/Enabled", Kind::Bool, false},
        {"ProxyHost", "Proxy/Host", Kind::String, QString()},
        {"ProxyPort", "Proxy/Port", Kind::Port, QString()},
        {"SslEnabled", "API/SslEnabled", Kind::Bool, true},
        {"CloseToTray", "Application/CloseToTray", Kind::Bool, true},
        {"MinimizeToTray", "Application/MinimizeToTray", Kind::Bool, false},
        {"SingleClickTrayOpen", "Application/SingleClickTrayOpen", Kind::Bool, true},
        {"ExtensionsAdobeEnabled", "Extensions/AdobeEnabled", Kind::Bool, true},
        {"GnomeExtensionOffered", "Extensions/GnomeShellOffered", Kind::Bool, false},
        {"NoTrayCloseExplained", "Application/NoTrayCloseExplained", Kind::Bool, false},
        {"CheckForUpdates", "Updates/CheckAutomatically", Kind::Bool, true},
        {"UpdateFeedUrl", "Updates/FeedUrl", Kind::String, Hosts::appcastUrl()},
        {"HelpUrl", "Help/Url", Kind::String, Hosts::helpPageUrl()},
    };
    return table;
}

// The entry views' header keys, read from the state file.
const QList<KeyEntry> &windowKeyTable()
{
    static const QList<KeyEntry> table{
        {"UnlinkedListState", "Window/UnlinkedListState", Kind::Bytes, QVariant()},
        {"UnlinkedListGeometry", "Window/UnlinkedListGeometry", Kind::Bytes, QVariant()},
        {"LinkedListState", "Window/LinkedListState", Kind::Bytes, QVariant()},
        {"LinkedListGeometry", "Window/LinkedListGeometry", Kind::Bytes, QVariant()},
    };
    return table;
}

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

// A number stored as text; anything else, or a number the program cannot use, gives `fallback`.
int checkedNumber(const QVariant &stored, int fallback, const std::function<bool(int)> &usable)
{
    bool ok = false;
    const int value = stored.toString().trimmed().toInt(&ok);
    return ok && usable(value) ? value : fallback;
}

bool usableSetting(const char *mapKey, int value)
{
    if (qstrcmp(mapKey, "IdleLimit") == 0) {
        return value >= SettingsFile::MinIdleLimit && value <= SettingsFile::MaxIdleLimit;
    }
    if (qstrcmp(mapKey, "HideUnder") == 0) {
        return SettingsFile::hideUnderChoices().contains(value);
    }
    return true;
}

// Settings of the update check: a build without it neither reads nor writes them, and leaves what an
// earlier build stored.
bool isUpdateKey(const char *iniKey)
{
    return QLatin1String(iniKey).startsWith(QLatin1String("Updates/"));
}

QVariant readEntry(QSettings &ini, const KeyEntry &entry)
{
    const QString key = QLatin1String(entry.iniKey);
    switch (entry.kind) {
    case Kind::Bool:
        return ini.value(key, entry.fallback).toBool();
    case Kind::Int:
        return checkedNumber(ini.value(key, entry.fallback), entry.fallback.toInt(),
                             [&entry](int value) { return usableSetting(entry.mapKey, value); });
    case Kind::Port: {
        const QString port = ini.value(key).toString().trimmed();
        const int number = checkedNumber(port, 0, [](int value) { return value >= 1 && value <= 65535; });
        return number == 0 ? QString() : QString::number(number);
    }
    case Kind::String:
        return ini.value(key, entry.fallback).toString();
    case Kind::StringList:
        return ini.value(key, entry.fallback).toStringList();
    case Kind::Password:
        return SettingsFile::decodePassword(ini.value(key).toString());
    case Kind::Bytes:
        return ini.value(key);
    }
    return {};
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
    DialogValues values;
    values.idleLimit = checkedNumber(ini.value(QStringLiteral("Application/IdleLimit")), 5,
                                     [](int value) { return usableSetting("IdleLimit", value); });
    values.idleEnabled = ini.value(QStringLiteral("Application/IdleEnabled"), true).toBool();
    values.inhibitedIdleIsPresence = ini.value(QStringLiteral("Application/InhibitedIdleIsPresence"), true).toBool();
    values.username = ini.value(QStringLiteral("API/Username")).toString();
    values.password = decodePassword(ini.value(QStringLiteral("API/Password")).toString());
    values.proxyEnabled = ini.value(QStringLiteral("Proxy/Enabled"), false).toBool();
    values.proxyHost = ini.value(QStringLiteral("Proxy/Host")).toString();
    values.proxyPort = ini.value(QStringLiteral("Proxy/Port")).toString();
    values.sslEnabled = ini.value(QStringLiteral("API/SslEnabled"), true).toBool();
    values.closeToTray = ini.value(QStringLiteral("Application/CloseToTray"), true).toBool();
    values.minimizeToTray = ini.value(QStringLiteral("Application/MinimizeToTray"), false).toBool();
    values.singleClickTrayOpen = ini.value(QStringLiteral("Application/SingleClickTrayOpen"), true).toBool();
    values.checkForUpdates = ini.value(QStringLiteral("Updates/CheckAutomatically"), true).toBool();
    values.updateFeedUrl = ini.value(QStringLiteral("Updates/FeedUrl"), Hosts::appcastUrl()).toString();
    values.helpUrl = ini.value(QStringLiteral("Help/Url"), Hosts::helpPageUrl()).toString();
    return values;
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

void SettingsFile::storeDialogValues(QMap<QString, QVariant> &map, const DialogValues &values)
{
    map[QStringLiteral("IdleEnabled")] = values.idleEnabled;
    map[QStringLiteral("IdleLimit")] = values.idleLimit;
    map[QStringLiteral("InhibitedIdleIsPresence")] = values.inhibitedIdleIsPresence;
    map[QStringLiteral("Username")] = values.username;
    map[QStringLiteral("Password")] = values.password;
    map[QStringLiteral("ProxyEnabled")] = values.proxyEnabled;
    map[QStringLiteral("ProxyHost")] = values.proxyHost;
    map[QStringLiteral("ProxyPort")] = values.proxyPort;
    map[QStringLiteral("SslEnabled")] = values.sslEnabled;
    map[QStringLiteral("CloseToTray")] = values.closeToTray;
    map[QStringLiteral("MinimizeToTray")] = values.minimizeToTray;
    map[QStringLiteral("SingleClickTrayOpen")] = values.singleClickTrayOpen;
    map[QStringLiteral("CheckForUpdates")] = values.checkForUpdates;
    map[QStringLiteral("UpdateFeedUrl")] = values.updateFeedUrl;
    map[QStringLiteral("HelpUrl")] = values.helpUrl;
}

SettingsFile::DialogValues SettingsFile::dialogValuesFromMap(const QMap<QString, QVariant> &map)
{
    DialogValues values;
    values.idleEnabled = map.value(QStringLiteral("IdleEnabled")).toBool();
    values.idleLimit = map.value(QStringLiteral("IdleLimit")).toInt();
    values.inhibitedIdleIsPresence = map.value(QStringLiteral("InhibitedIdleIsPresence"), true).toBool();
    values.username = map.value(QStringLiteral("Username")).toString();
    values.password = map.value(QStringLiteral("Password")).toString();
    values.proxyEnabled = map.value(QStringLiteral("ProxyEnabled")).toBool();
    values.proxyHost = map.value(QStringLiteral("ProxyHost")).toString();
    values.proxyPort = map.value(QStringLiteral("ProxyPort")).toString();
    values.sslEnabled = map.value(QStringLiteral("SslEnabled")).toBool();
    values.closeToTray = map.value(QStringLiteral("CloseToTray")).toBool();
    values.minimizeToTray = map.value(QStringLiteral("MinimizeToTray")).toBool();
    values.singleClickTrayOpen = map.value(QStringLiteral("SingleClickTrayOpen")).toBool();
    values.checkForUpdates = map.value(QStringLiteral("CheckForUpdates"), true).toBool();
    values.updateFeedUrl = map.value(QStringLiteral("UpdateFeedUrl"), Hosts::appcastUrl()).toString();
    values.helpUrl = map.value(QStringLiteral("HelpUrl"), Hosts::helpPageUrl()).toString();
    return values;
}

void SettingsFile::load(QSettings &ini, QMap<QString, QVariant> &map)
{
    // An ini file left readable by others by an earlier version is closed now, not at the next save.
    protectIniFile(ini.fileName());
    map[QStringLiteral("UserAgent")] = userAgent();
    const QString storedUrl = ini.value(QStringLiteral("API/Url")).toString();
    const QString serviceUrl = storedUrl.trimmed().isEmpty() ? defaultServiceUrl() : storedUrl;
    for (const KeyEntry &entry : keyTable()) {
        if (isUpdateKey(entry.iniKey) && !BuildInfo::UpdateCheck) {
            continue;
        }
        map[QLatin1String(entry.mapKey)] = readEntry(ini, entry);
    }
    map[QStringLiteral("RealApiBaseUrl")] = realApiUrl(serviceUrl, map.value(QStringLiteral("SslEnabled")).toBool());
}

void SettingsFile::save(QSettings &ini, const QMap<QString, QVariant> &map, const WindowValues &window,
                        bool withSecrets)
{
    auto fromMap = [&](const char *iniKey, const char *mapKey) {
        ini.setValue(QLatin1String(iniKey), map.value(QLatin1String(mapKey)));
    };
    ini.setValue(QStringLiteral("Application/Started"), window.recording);
    ini.setValue(QStringLiteral("Application/HideUnder"), map.value(QStringLiteral("HideUnder")).toInt());
    fromMap("Application/Ignored", "IgnoredApps");
    fromMap("Application/NeverRecorded", "NeverRecordedApps");
    fromMap("Application/NeverRecordedKeepTime", "NeverRecordedKeepTime");
    ini.setValue(QStringLiteral("Application/IdleLimit"), map.value(QStringLiteral("IdleLimit")).toInt());
    ini.setValue(QStringLiteral("Application/IdleEnabled"), map.value(QStringLiteral("IdleEnabled")).toBool());
    fromMap("Application/InhibitedIdleIsPresence", "InhibitedIdleIsPresence");
    fromMap("API/Username", "Username");
    fromMap("API/Keyring", "KeyringState");
    if (withSecrets) {
        ini.setValue(QStringLiteral("API/Password"), encodePassword(map.value(QStringLiteral("Password")).toString()));
        fromMap("API/AuthToken", "AuthToken");
    } else {
        ini.remove(QStringLiteral("API/Password"));
        ini.remove(QStringLiteral("API/AuthToken"));
    }
    fromMap("Application/GroupByHour", "GroupByHour");
    fromMap("Proxy/Enabled", "ProxyEnabled");
    fromMap("Proxy/Host", "ProxyHost");
    fromMap("Proxy/Port", "ProxyPort");
    fromMap("API/SslEnabled", "SslEnabled");
    fromMap("Application/CloseToTray", "CloseToTray");
    fromMap("Application/MinimizeToTray", "MinimizeToTray");
    fromMap("Application/SingleClickTrayOpen", "SingleClickTrayOpen");
    fromMap("Extensions/AdobeEnabled", "ExtensionsAdobeEnabled");
    fromMap("Extensions/GnomeShellOffered", "GnomeExtensionOffered");
    fromMap("Application/NoTrayCloseExplained", "NoTrayCloseExplained");
    if (BuildInfo::UpdateCheck) {
        fromMap("Updates/CheckAutomatically", "CheckForUpdates");
        fromMap("Updates/FeedUrl", "UpdateFeedUrl");
    }
    fromMap("Help/Url", "HelpUrl");
    ini.sync();
    protectIniFile(ini.fileName());
}

void SettingsFile::loadWindowState(QSettings &state, QMap<QString, QVariant> &map)
{
    for (const KeyEntry &entry : windowKeyTable()) {
        map[QLatin1String(entry.mapKey)] = readEntry(state, entry);
    }
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
