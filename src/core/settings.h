#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class QNetworkAccessManager;
class QSettings;

// A kept setting, typed by the value it holds. The id is the key's row in the table of settings.cpp,
// which gives its ini key, default and the range of values that are read back.
template <typename T> struct SettingKey
{
    int id;
};

// Every setting TavroDesk keeps, in the order they are written.
namespace Setting {
inline constexpr SettingKey<int> HideUnder{0};
inline constexpr SettingKey<QStringList> IgnoredApps{1};
inline constexpr SettingKey<int> IdleLimit{2};
inline constexpr SettingKey<bool> IdleEnabled{3};
// Idle time while an application inhibits idling (a video, a presentation) is not away time.
inline constexpr SettingKey<bool> InhibitedIdleIsPresence{4};
inline constexpr SettingKey<QString> Username{5};
// Whether the keyring holds the secrets ("used", "refused" or empty: not asked yet).
inline constexpr SettingKey<QString> KeyringState{6};
inline constexpr SettingKey<QString> Password{7};
inline constexpr SettingKey<QString> AuthToken{8};
inline constexpr SettingKey<bool> GroupByHour{9};
inline constexpr SettingKey<bool> ProxyEnabled{10};
inline constexpr SettingKey<QString> ProxyHost{11};
// Kept as text: empty, or a port from 1 to 65535.
inline constexpr SettingKey<QString> ProxyPort{12};
inline constexpr SettingKey<bool> SslEnabled{13};
inline constexpr SettingKey<bool> CloseToTray{14};
inline constexpr SettingKey<bool> MinimizeToTray{15};
inline constexpr SettingKey<bool> SingleClickTrayOpen{16};
inline constexpr SettingKey<bool> ExtensionsAdobeEnabled{17};
inline constexpr SettingKey<bool> GnomeExtensionOffered{18};
inline constexpr SettingKey<bool> NoTrayCloseExplained{19};
inline constexpr SettingKey<bool> CheckForUpdates{20};
inline constexpr SettingKey<QString> UpdateFeedUrl{21};
inline constexpr SettingKey<QString> HelpUrl{22};
// Set by the sign-in replies; read from the ini but never written back.
inline constexpr SettingKey<QString> ApiKey{23};
// The entry views' headers, kept in the window state file.
inline constexpr SettingKey<QByteArray> UnlinkedListState{24};
inline constexpr SettingKey<QByteArray> UnlinkedListGeometry{25};
inline constexpr SettingKey<QByteArray> LinkedListState{26};
inline constexpr SettingKey<QByteArray> LinkedListGeometry{27};
// Applications whose titles are never recorded; whether their time is kept under a "Private" title.
inline constexpr SettingKey<QStringList> NeverRecordedApps{28};
inline constexpr SettingKey<bool> NeverRecordedKeepTime{29};
inline constexpr int KeyCount = 30;
} // namespace Setting

// The settings of this run: every key of the table, typed, starting at its default. Loaded from the
// ini file at start and written back by SettingsFile.
class Settings
{
    // Keeps the value's type from being deduced: a literal converts to the key's type.
    template <typename T> struct Plain
    {
        using Type = T;
    };

public:
    // This run's settings. Further objects hold settings read apart from them (the first-start dialog's).
    static Settings *instance();
    Settings();

    template <typename T> T value(SettingKey<T> key) const { return m_values.at(key.id).template value<T>(); }
    template <typename T> void setValue(SettingKey<T> key, const typename Plain<T>::Type &value)
    {
        m_values[key.id] = QVariant::fromValue(value);
    }

    // Every key back to its default, as before the first load.
    void restoreDefaults();

    // Reads the keys of the settings file; a missing key gives its default, a value out of range too.
    void load(QSettings &ini);
    // Writes them back, in table order. Without `withSecrets` the password and the session token are
    // removed from the ini instead (they live in the keyring).
    void save(QSettings &ini, bool withSecrets) const;
    // Reads the entry views' header keys from the window state file.
    void loadWindowState(QSettings &state);

    // The address every service request goes to, derived at load from "API/Url" and SslEnabled.
    QString serviceUrl() const { return m_serviceUrl; }
    void setServiceUrl(const QString &url) { m_serviceUrl = url; }

    // Shared by every service request; created by the session set-up, owned elsewhere.
    QNetworkAccessManager *networkManager() const { return m_networkManager; }
    void setNetworkManager(QNetworkAccessManager *manager) { m_networkManager = manager; }

private:
    QList<QVariant> m_values;
    QString m_serviceUrl;
    QNetworkAccessManager *m_networkManager = nullptr;
};
