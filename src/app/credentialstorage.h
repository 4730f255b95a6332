#pragma once

#include <QMap>
#include <QObject>
#include <QString>

#include <functional>

class QSettings;
class SecretStore;
class Settings;

// Decides where the password and the session token live: in the keyring when one answers, in the
// ini file otherwise. A secret leaves the ini only after the keyring confirmed it holds it, and a
// keyring that stops answering sends the secrets back to the ini rather than losing them. The
// keyring is asked only when a secret is to be kept or is kept there: on a session without an
// unlocked keyring every question makes the desktop prompt for a new one. A first question that
// fails is a refusal, remembered in the settings ("KeyringState"): it is not asked again.
class CredentialStorage : public QObject
{
    Q_OBJECT

public:
    // `keyring` may be null (no keyring at all); it is not owned.
    explicit CredentialStorage(SecretStore *keyring, QObject *parent = nullptr);

    // After the settings were loaded from the ini: reads the secrets from the keyring when it holds
    // them, and moves the ones the ini still holds into it; then calls `done`. The keyring answers
    // in its own time: `ini` and `settings` must last until then.
    void load(QSettings &ini, Settings &settings, std::function<void()> done);
    // Before the ini is written: puts changed secrets into the keyring and notes in the settings whether
    // it took them. True when the ini must not hold them; false when they stay in the ini.
    bool store(Settings &settings);
    // Removes the secrets from the keyring and the ini.
    void forget(QSettings &ini);

    bool keyringInUse() const { return m_inUse; }
    // Where the secrets are and why, for the settings dialog; empty while the keyring holds them.
    QString note() const;

private:
    // Reads the secrets from the `next` one on, collecting them in `found`, then takes them over.
    void readFrom(int next, QMap<QString, QString> found, QSettings &ini, Settings &settings,
                  std::function<void()> done);
    void takeOver(const QMap<QString, QString> &found, QSettings &ini, Settings &settings);

    SecretStore *m_keyring;
    bool m_inUse = false;
    // The keyring was refused when it was first asked; it stays unasked.
    bool m_refused = false;
    // What the keyring holds, to spare it writes of unchanged values.
    QMap<QString, QString> m_stored;
};
