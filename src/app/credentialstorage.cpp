#include "credentialstorage.h"

#include "secretstore.h"
#include "settings.h"

#include <QDebug>
#include <QSettings>

namespace {
const QString Used = QStringLiteral("used");
const QString Refused = QStringLiteral("refused");

// A secret: its name in the keyring, its setting and its ini key.
struct Secret
{
    QString name;
    SettingKey<QString> key;
    QString iniKey;
};

const QList<Secret> &secrets()
{
    static const QList<Secret> secrets{
        {QStringLiteral("AuthToken"), Setting::AuthToken, QStringLiteral("API/AuthToken")},
        {QStringLiteral("Password"), Setting::Password, QStringLiteral("API/Password")}};
    return secrets;
}
} // namespace

CredentialStorage::CredentialStorage(SecretStore *keyring, QObject *parent)
    : QObject(parent)
    , m_keyring(keyring)
{}

QString CredentialStorage::note() const
{
    if (m_inUse) {
        return {};
    }
    if (!m_keyring || m_refused) {
        return QStringLiteral("No keyring (Secret Service) took your password: it is kept in the settings file "
                              "tavrodesk.ini.");
    }
    return QStringLiteral("Your password goes to the keyring (Secret Service) when it is saved; until the keyring "
                          "takes it, it is kept in the settings file tavrodesk.ini.");
}

void CredentialStorage::load(QSettings &ini, Settings &settings, std::function<void()> done)
{
    m_inUse = false;
    m_stored.clear();
    const QString state = settings.value(Setting::KeyringState);
    m_refused = state == Refused;
    if (!m_keyring || state != Used) {
        done();
        return;
    }
    readFrom(0, {}, ini, settings, std::move(done));
}

void CredentialStorage::readFrom(int next, QMap<QString, QString> found, QSettings &ini, Settings &settings,
                                 std::function<void()> done)
{
    if (next == secrets().size()) {
        takeOver(found, ini, settings);
        done();
        return;
    }
    const Secret &secret = secrets().at(next);
    m_keyring->read(secret.name, this,
                    [this, next, found, &ini, &settings, done, name = secret.name](SecretStore::Result result,
                                                                                   const QString &value) mutable {
                        switch (result) {
                        case SecretStore::Result::Ok:
                            found.insert(name, value);
                            break;
                        case SecretStore::Result::NotFound:
                            break;
                        case SecretStore::Result::Failed:
                            qDebug() << "the keyring does not answer: the password stays in the settings file";
                            done();
                            return;
                        }
                        readFrom(next + 1, found, ini, settings, done);
                    });
}

void CredentialStorage::takeOver(const QMap<QString, QString> &found, QSettings &ini, Settings &settings)
{
    for (const Secret &secret : secrets()) {
        const QString inIni = settings.value(secret.key);
        if (inIni.isEmpty()) {
            if (found.contains(secret.name)) {
                settings.setValue(secret.key, found.value(secret.name));
                m_stored.insert(secret.name, found.value(secret.name));
            }
            continue;
        }
        // A secret in the ini was written while no keyring answered: it is the newer one.
        if (m_keyring->write(secret.name, inIni) != SecretStore::Result::Ok) {
            qDebug() << "the keyring refused the password: it stays in the settings file";
            return;
        }
        m_stored.insert(secret.name, inIni);
        ini.remove(secret.iniKey);
        ini.sync();
        qDebug() << "moved" << secret.name << "from the settings file to the keyring";
    }
    m_inUse = true;
}

bool CredentialStorage::store(Settings &settings)
{
    if (!m_keyring || m_refused) {
        return false;
    }
    const bool firstQuestion = !m_inUse && settings.value(Setting::KeyringState) != Used;
    bool anySecret = false;
    for (const Secret &secret : secrets()) {
        anySecret = anySecret || !settings.value(secret.key).isEmpty();
    }
    // Nothing to keep: the keyring is not asked.
    if (!m_inUse && !anySecret) {
        return false;
    }
    for (const Secret &secret : secrets()) {
        const QString value = settings.value(secret.key);
        if (m_stored.contains(secret.name) ? m_stored.value(secret.name) == value : value.isEmpty()) {
            continue;
        }
        const SecretStore::Result result =
            value.isEmpty() ? m_keyring->remove(secret.name) : m_keyring->write(secret.name, value);
        if (result != SecretStore::Result::Ok) {
            m_inUse = false;
            if (firstQuestion) {
                qDebug() << "the keyring was refused: the password stays in the settings file";
                m_refused = true;
                settings.setValue(Setting::KeyringState, Refused);
            } else {
                qDebug() << "the keyring stopped answering: the password goes to the settings file";
            }
            return false;
        }
        if (value.isEmpty()) {
            m_stored.remove(secret.name);
        } else {
            m_stored.insert(secret.name, value);
        }
    }
    m_inUse = true;
    settings.setValue(Setting::KeyringState, Used);
    return true;
}

void CredentialStorage::forget(QSettings &ini)
{
    for (const Secret &secret : secrets()) {
        if (m_keyring && m_keyring->remove(secret.name) != SecretStore::Result::Ok) {
            qDebug() << "could not remove" << secret.name << "from the keyring";
        }
        ini.remove(secret.iniKey);
    }
    ini.sync();
    m_stored.clear();
}
