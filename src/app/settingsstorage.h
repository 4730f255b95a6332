#pragma once

#include "settingsfile.h"

#include <functional>
#include <memory>

class CredentialStorage;
class SecretStore;
class QSettings;
class QWidget;

// Keeps the settings in step with the ini file and the keyring: loads them at start (asking
// for the first settings on a first start), saves them with the window's layout, and runs the
// settings dialog.
class SettingsStorage
{
public:
    // `window` parents the ini file's object and the dialogs; it is not owned.
    explicit SettingsStorage(QWidget *window);
    ~SettingsStorage();

    SettingsStorage(const SettingsStorage &) = delete;
    SettingsStorage &operator=(const SettingsStorage &) = delete;

    QSettings *file() const { return m_file; }
    // The window's layout, kept apart from the settings.
    QSettings *stateFile() const { return m_state; }

    // Ends the process when the data folder cannot be made: nothing could be kept. The keyring is
    // not asked here.
    void load();
    // Reads the secrets the keyring keeps, once the window is up: a keyring that prompts or hangs
    // never holds back the window. `done` runs once they are in the settings (or the keyring failed).
    void loadSecrets(std::function<void()> done);
    void save(const SettingsFile::WindowValues &window);
    // The settings dialog, with starting at log-in; false when it was cancelled.
    bool editInDialog();
    // A new password or token reaches the keyring at once, not only when the window closes.
    void storeSecrets();
    // Signing out forgets the stored password and token, wherever they were kept.
    void forgetSecrets();

private:
    QWidget *m_window;
    QSettings *m_file = nullptr;
    QSettings *m_state = nullptr;
    std::unique_ptr<SecretStore> m_keyring;
    std::unique_ptr<CredentialStorage> m_credentials;
};
