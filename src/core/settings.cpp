#include "settings.h"

#include "buildinfo.h"
#include "hosts.h"
#include "settingsfile.h"

#include <QMutex>
#include <QSettings>

namespace {

// How a value is kept in the ini file.
enum class Format {
    Plain,
    // A whole number; text, or a number the program cannot use, reads as the default.
    Number,
    // A proxy port as text; anything but 1 to 65535 reads as empty.
    Port,
    // Base64 of the UTF-8 bytes.
    Password,
};

enum class Place {
    Settings,
    // Read from the settings file, never written back.
    SettingsReadOnly,
    // Read from the window state file; the window writes it.
    WindowState,
};

struct Row
{
    const char *iniKey = nullptr;
    QVariant fallback;
    Format format = Format::Plain;
    Place place = Place::Settings;
    bool (*usable)(int) = nullptr;
};

bool usableIdleLimit(int minutes)
{
    return minutes >= SettingsFile::MinIdleLimit && minutes <= SettingsFile::MaxIdleLimit;
}

bool usableHideUnder(int seconds)
{
    return SettingsFile::hideUnderChoices().contains(seconds);
}

bool usablePort(int port)
{
    return port >= 1 && port <= 65535;
}

class Table
{
public:
    Table()
        : m_rows(Setting::KeyCount)
    {
        using namespace Setting;
        add(HideUnder, "Application/HideUnder", 0, Format::Number, usableHideUnder);
        add(IgnoredApps, "Application/Ignored", QStringList());
        add(NeverRecordedApps, "Application/NeverRecorded", QStringList());
        add(NeverRecordedKeepTime, "Application/NeverRecordedKeepTime", true);
        add(IdleLimit, "Application/IdleLimit", 5, Format::Number, usableIdleLimit);
        add(IdleEnabled, "Application/IdleEnabled", true);
        add(InhibitedIdleIsPresence, "Application/InhibitedIdleIsPresence", true);
        add(Username, "API/Username", QString());
        add(KeyringState, "API/Keyring", QString());
        add(Password, "API/Password", QString(), Format::Password);
        add(AuthToken, "API/AuthToken", QString());
        add(GroupByHour, "Application/GroupByHour", false);
        add(ProxyEnabled, "Proxy/Enabled", false);
        add(ProxyHost, "Proxy/Host", QString());
        add(ProxyPort, "Proxy/Port", QString(), Format::Port, usablePort);
        add(SslEnabled, "API/SslEnabled", true);
        add(CloseToTray, "Application/CloseToTray", true);
        add(MinimizeToTray, "Application/MinimizeToTray", false);
        add(SingleClickTrayOpen, "Application/SingleClickTrayOpen", true);
        add(ExtensionsAdobeEnabled, "Extensions/AdobeEnabled", true);
        add(GnomeExtensionOffered, "Extensions/GnomeShellOffered", false);
        add(NoTrayCloseExplained, "Application/NoTrayCloseExplained", false);
        add(CheckForUpdates, "Updates/CheckAutomatically", true);
        add(UpdateFeedUrl, "Updates/FeedUrl", Hosts::appcastUrl());
        add(HelpUrl, "Help/Url", Hosts::helpPageUrl());
        add(ApiKey, "API/ApiKey", QString()).place = Place::SettingsReadOnly;
        add(UnlinkedListState, "Window/UnlinkedListState", QByteArray()).place = Place::WindowState;
        add(UnlinkedListGeometry, "Window/UnlinkedListGeometry", QByteArray()).place = Place::WindowState;
        add(LinkedListState, "Window/LinkedListState", QByteArray()).place = Place::WindowState;
        add(LinkedListGeometry, "Window/LinkedListGeometry", QByteArray()).place = Place::WindowState;
        for (const Row &row : m_rows) {
            if (!row.iniKey) {
                qFatal("a settings key has no row in the table");
            }
        }
    }

    const QList<Row> &rows() const { return m_rows; }

private:
    // The fallback's type must be the key's: a key cannot be read as anything else.
    template <typename T>
    Row &add(SettingKey<T> key, const char *iniKey, const T &fallback, Format format = Format::Plain,
             bool (*usable)(int) = nullptr)
    {
        Row &row = m_rows[key.id];
        row = Row{iniKey, QVariant::fromValue(fallback), format, Place::Settings, usable};
        return row;
    }

    QList<Row> m_rows;
};

const Table &table()
{
    static const Table instance;
    return instance;
}

// Settings of the update check: a build without it neither reads nor writes them, and leaves what an
// earlier build stored.
bool skipped(const Row &row)
{
    return !BuildInfo::UpdateCheck && QLatin1String(row.iniKey).startsWith(QLatin1String("Updates/"));
}

int checkedNumber(const QVariant &stored, int fallback, bool (*usable)(int))
{
    bool ok = false;
    const int value = stored.toString().trimmed().toInt(&ok);
    return ok && usable(value) ? value : fallback;
}

QVariant read(QSettings &ini, const Row &row)
{
    const QString key = QLatin1String(row.iniKey);
    switch (row.format) {
    case Format::Number:
        return checkedNumber(ini.value(key, row.fallback), row.fallback.toInt(), row.usable);
    case Format::Port: {
        const int port = checkedNumber(ini.value(key), 0, row.usable);
        return port == 0 ? QString() : QString::number(port);
    }
    case Format::Password:
        return SettingsFile::decodePassword(ini.value(key).toString());
    case Format::Plain:
        break;
    }
    const QVariant stored = ini.value(key, row.fallback);
    if (stored.metaType() == row.fallback.metaType()) {
        return stored;
    }
    // A list read as one word, a flag read as text: convert by QVariant's rules; what does not convert
    // reads as the type's empty value.
    QVariant converted = stored;
    return converted.convert(row.fallback.metaType()) ? converted : QVariant(row.fallback.metaType());
}

QVariant written(const Row &row, const QVariant &value)
{
    return row.format == Format::Password ? QVariant(SettingsFile::encodePassword(value.toString())) : value;
}

bool isSecret(int id)
{
    return id == Setting::Password.id || id == Setting::AuthToken.id;
}

} // namespace

Settings *Settings::instance()
{
    static Settings *settings = nullptr;
    static QMutex creation;
    if (!settings) {
        QMutexLocker lock(&creation);
        if (!settings) {
            settings = new Settings;
        }
    }
    return settings;
}

Settings::Settings()
{
    restoreDefaults();
}

void Settings::restoreDefaults()
{
    m_values.clear();
    for (const Row &row : table().rows()) {
        m_values.append(row.fallback);
    }
    m_serviceUrl = SettingsFile::defaultServiceUrl();
}

void Settings::load(QSettings &ini)
{
    const QList<Row> &rows = table().rows();
    for (int id = 0; id < rows.size(); ++id) {
        if (rows[id].place != Place::WindowState && !skipped(rows[id])) {
            m_values[id] = read(ini, rows[id]);
        }
    }
    const QString storedUrl = ini.value(QStringLiteral("API/Url")).toString();
    const QString url = storedUrl.trimmed().isEmpty() ? SettingsFile::defaultServiceUrl() : storedUrl;
    m_serviceUrl = SettingsFile::realApiUrl(url, value(Setting::SslEnabled));
}

void Settings::save(QSettings &ini, bool withSecrets) const
{
    const QList<Row> &rows = table().rows();
    for (int id = 0; id < rows.size(); ++id) {
        const Row &row = rows[id];
        if (row.place != Place::Settings || skipped(row)) {
            continue;
        }
        if (isSecret(id) && !withSecrets) {
            ini.remove(QLatin1String(row.iniKey));
        } else {
            ini.setValue(QLatin1String(row.iniKey), written(row, m_values[id]));
        }
    }
}

void Settings::loadWindowState(QSettings &state)
{
    const QList<Row> &rows = table().rows();
    for (int id = 0; id < rows.size(); ++id) {
        if (rows[id].place == Place::WindowState) {
            m_values[id] = read(state, rows[id]);
        }
    }
}
