#pragma once

#include <QMap>
#include <QString>
#include <QVariant>

class QNetworkAccessManager;

// The process-wide settings map. Every layer reads and writes its keys directly; the ini file
// behind it is handled by SettingsFile. Run-time keys such as "isLoggedIn" live here too.
class Settings
{
public:
    static Settings *instance();

    QVariant value(const QString &key) const { return values.value(key); }

    QMap<QString, QVariant> values;
    // Shared by every service request; created by the session set-up, owned elsewhere.
    QNetworkAccessManager *networkManager = nullptr;

private:
    Settings() = default;
};
