#include "credentialstorage.h"

#include "secretstore.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSettings>

namespace {
const QString StateKey = QStringLiteral("KeyringState");
const QString Used = QStringLiteral("used");
const QString Refused = QStringLiteral("refused");
} // namespace

CredentialStorage::CredentialStorage(SecretStore *keyring)
    : m_keyring(keyring)
{}

QString CredentialStorage::note() const
{
    if (m_inUse) {
        return {};
    }
    if (!m_keyring || m_refused) {
        return QCoreApplication::translate(
            "CredentialStorage", "No keyring (Secret Service) took your password: it is kept in the settings file "
                                 "tavrodesk.ini.");
    }
    return QCoreApplication::translate(
        "CredentialStorage", "Your password goes to the keyring (Secret Service) when it is saved; until the keyring "
                             "takes it, it is kept in the settings file tavrodesk.ini.");
}

const QMap<QString, QString> &CredentialStorage::secretKeys()
{
    static const QMap<QString, QString> keys{{QStringLiteral("Password"), QStringLiteral("API/Password")},
                                             {QStringLiteral("AuthToken"), QStringLiteral("API/AuthToken")}};
    return keys;
}

void CredentialStorage::load(QSettings &ini, QMap<QString, QVariant> &map)
{
    m_inUse = false;
    m_stored.clear();
    const QString state = map.value(StateKey).toString();
    m_refused = state == Refused;
    if (!m_keyring || state != Used) {
        return;
    }
    QMap<QString, QString> found;
    for (auto key = secretKeys().cbegin(); key != secretKeys().cend(); ++key) {
        QString value;
        switch (m_keyring->read(key.key(), value)) {
        case SecretStore::Result::Ok:
            found.insert(key.key(), value);
            break;
        case SecretStore::Result::NotFound:
            break;
        case SecretStore::Result::Failed:
            qDebug() << "the keyring does not answer: the password stays in the settings file";
            return;
        }
    }
    for (auto key = secretKeys().cbegin(); key != secretKeys().cend(); ++key) {
        const QString inIni = map.value(key.key()).toString();
        if (inIni.isEmpty()) {
            if (found.contains(key.key())) {
                map[key.key()] = found.value(key.key());
                m_stored.insert(key.key(), found.value(key.key()));
            }
            continue;
        }
        // A secret in the ini was written while no keyring answered: it is the newer one.
        if (m_keyring->write(key.key(), inIni) != SecretStore::Result::Ok) {
            qDebug() << "the keyring refused the password: it stays in the settings file";
            return;
        }
        m_stored.insert(key.key(), inIni);
        ini.remove(key.value());
        ini.sync();
        qDebug() << "moved" << key.key() << "from the settings file to the keyring";
    }
    m_inUse = true;
}

bool CredentialStorage::store(QMap<QString, QVariant> &map)
{
    if (!m_keyring || m_refused) {
        return false;
    }
    const bool firstQuestion = !m_inUse && map.value(StateKey).toString() != Used;
    bool anySecret = false;
    for (auto key = secretKeys().cbegin(); key != secretKeys().cend(); ++key) {
        anySecret = anySecret || !map.value(key.key()).toString().isEmpty();
    }
    // Nothing to keep: the keyring is not asked.
    if (!m_inUse && !anySecret) {
        return false;
    }
    for (auto key = secretKeys().cbegin(); key != secretKeys().cend(); ++key) {
        const QString value = map.value(key.key()).toString();
        if (m_stored.contains(key.key()) ? m_stored.value(key.key()) == value : value.isEmpty()) {
            continue;
        }
        const SecretStore::Result result =
            value.isEmpty() ? m_keyring->remove(key.key()) : m_keyring->write(key.key(), value);
        if (result != SecretStore::Result::Ok) {
            m_inUse = false;
            if (firstQuestion) {
                qDebug() << "the keyring was refused: the password stays in the settings file";
                m_refused = true;
                map[StateKey] = Refused;
            } else {
                qDebug() << "the keyring stopped answering: the password goes to the settings file";
            }
            return false;
        }
        if (value.isEmpty()) {
            m_stored.remove(key.key());
        } else {
            m_stored.insert(key.key(), value);
        }
    }
    m_inUse = true;
    map[StateKey] = Used;
    return true;
}

void CredentialStorage::forget(QSettings &ini)
{
    for (auto key = secretKeys().cbegin(); key != secretKeys().cend(); ++key) {
        if (m_keyring && m_keyring->remove(key.key()) != SecretStore::Result::Ok) {
            qDebug() << "could not remove" << key.key() << "from the keyring";
        }
        ini.remove(key.value());
    }
    ini.sync();
    m_stored.clear();
}
