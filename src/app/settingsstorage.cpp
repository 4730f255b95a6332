#include "settingsstorage.h"

#include "autostartentry.h"
#include "buildinfo.h"
#include "credentialstorage.h"
#include "keychainsecretstore.h"
#include "messagebox.h"
#include "settings.h"
#include "settingsdialog.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QSettings>

#include <optional>
#include <utility>

namespace {
void applyCloseToTray()
{
    QApplication::setQuitOnLastWindowClosed(!Settings::instance()->value(Setting::CloseToTray));
}
} // namespace

SettingsStorage::SettingsStorage(QWidget *window)
    : m_window(window)
    , m_keyring(std::make_unique<KeychainSecretStore>(QStringLiteral("TavroDesk")))
    , m_credentials(std::make_unique<CredentialStorage>(m_keyring.get()))
{}

SettingsStorage::~SettingsStorage() = default;

void SettingsStorage::load()
{
    QString folder;
    if (!SettingsFile::ensureFolders(&folder)) {
        MessageBox::critical(m_window, QStringLiteral("Error"),
                             QStringLiteral("Could not create directory: ") + folder);
        ::exit(-1);
    }
    const QString iniPath = SettingsFile::iniPath();
    const bool firstStart = !QFile::exists(iniPath);
    m_file = new QSettings(iniPath, QSettings::IniFormat, m_window);
    m_state = new QSettings(SettingsFile::windowStatePath(), QSettings::IniFormat, m_window);
    Settings *settings = Settings::instance();

    std::optional<SettingsFile::DialogValues> typed;
    QString firstPassword;
    if (firstStart) {
        qDebug() << "first start: asking for the settings";
        SettingsDialog dialog(m_window);
        dialog.values = SettingsFile::readDialogValues(*m_file);
        dialog.putData();
        if (dialog.exec() == QDialog::Accepted) {
            dialog.getData();
            // The password goes to the ini only if the keyring does not take it.
            typed = dialog.values;
            firstPassword = std::exchange(dialog.values.password, QString());
            SettingsFile::writeFirstStart(*m_file, dialog.values);
        }
    }
    SettingsFile::load(*m_file, *settings);
    SettingsFile::loadWindowState(*m_state, *settings);
    if (!firstPassword.isEmpty()) {
        settings->setValue(Setting::Password, firstPassword);
        if (!m_credentials->store(*settings)) {
            m_file->setValue(QStringLiteral("API/Password"), SettingsFile::encodePassword(firstPassword));
        }
        // A refusal is remembered even if the program ends before it saves again.
        m_file->setValue(QStringLiteral("API/Keyring"), settings->value(Setting::KeyringState));
        m_file->sync();
    }
    // An ini file that could not be written still leaves this run with what the user just typed.
    if (typed && m_file->status() != QSettings::NoError) {
        SettingsFile::storeDialogValues(*settings, *typed);
        MessageBox::warning(m_window, QStringLiteral("Error"),
                            QStringLiteral("Could not save the settings to ") + m_file->fileName() +
                                QStringLiteral(". They are used until TavroDesk ends."));
    }
    applyCloseToTray();
}

void SettingsStorage::loadSecrets(std::function<void()> done)
{
    m_credentials->load(*m_file, *Settings::instance(), std::move(done));
}

void SettingsStorage::save(const SettingsFile::WindowValues &window)
{
    Settings *settings = Settings::instance();
    const bool secretsInKeyring = m_credentials->store(*settings);
    SettingsFile::save(*m_file, *settings, window, !secretsInKeyring);
    m_file->sync();
    SettingsFile::saveWindowState(*m_state, window);
}

bool SettingsStorage::editInDialog()
{
    SettingsDialog dialog(m_window);
    Settings *settings = Settings::instance();
    dialog.values = SettingsFile::dialogValues(*settings);
    AutostartEntry autostart(BuildInfo::appId(), QCoreApplication::applicationFilePath());
    dialog.startAtLogin = autostart.isEnabled();
    dialog.keyringNote = m_credentials->note();
    const QString storedUrl = m_file->value(QStringLiteral("API/Url")).toString().trimmed();
    dialog.serviceUrl = storedUrl.isEmpty() ? SettingsFile::defaultServiceUrl() : storedUrl;
    dialog.putData();
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    dialog.getData();
    SettingsFile::storeDialogValues(*settings, dialog.values);
    QString error;
    if (dialog.startAtLogin != autostart.isEnabled() && !autostart.setEnabled(dialog.startAtLogin, error)) {
        MessageBox::warning(m_window, QStringLiteral("Start at log-in"), error);
    }
    applyCloseToTray();
    return true;
}

void SettingsStorage::storeSecrets()
{
    m_credentials->store(*Settings::instance());
}

void SettingsStorage::forgetSecrets()
{
    Settings *settings = Settings::instance();
    settings->setValue(Setting::Password, QString());
    settings->setValue(Setting::AuthToken, QString());
    m_credentials->forget(*m_file);
}
