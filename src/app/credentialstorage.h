#pragma once

#include <QMap>
#include <QString>
#include <QVariant>

class QSettings;
class SecretStore;

// Decides where the password and the session token live: in the keyring when one answers, in the
// ini file otherwise. A secret leaves the ini only after the keyring confirmed it holds it, and a
// keyring that stops answering sends the secrets back to the ini rather than losing them.
class CredentialStorage
{
public:
    // `keyring` may be null (no keyring at all); it is not owned.
    explicit CredentialStorage(SecretStore *keyring);

    // After the settings were loaded from the ini: reads the secrets from the keyring and moves the
    // ones the ini still holds into it.
    void load(QSettings &ini, QMap<QString, QVariant> &map);
    // Before the ini is written: puts changed secrets into the keyring. True when the ini must not
    // hold them; false when they stay in the ini.
    bool store(const QMap<QString, QVariant> &map);
    // Removes the secrets from the keyring and the ini.
    void forget(QSettings &ini);

    bool keyringInUse() const { return m_inUse; }

    // The settings-map keys of the secrets, each with its ini key.
    static const QMap<QString, QString> &secretKeys();

private:
    SecretStore *m_keyring;
    bool m_inUse = false;
    // What the keyring holds, to spare it writes of unchanged values.
    QMap<QString, QString> m_stored;
};
