#pragma once

#include "settingsfile.h"

#include <QDialog>

#include <memory>

namespace Ui {
class SettingsDialog;
}

// Edits the account, connection, away-time and tray settings. A value holder: the caller fills
// `values`, calls putData(), runs exec() and reads `values` back after getData().
class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget *parent = nullptr);
    ~SettingsDialog() override;

    void putData();
    void getData();

    SettingsFile::DialogValues values;
    // Whether an autostart entry starts the program at log-in.
    bool startAtLogin = false;
    // False shows the note that the password is kept in the settings file.
    bool keyringInUse = true;

private Q_SLOTS:
    void on_checkSslEnabled_toggled(bool checked);
    void on_editProxyPort_textChanged(const QString &text);
    void on_editProxyHost_textChanged(const QString &text);
    void on_checkProxyEnabled_toggled(bool checked);
    void on_checkAwayEnabled_toggled(bool checked);

private:
    std::unique_ptr<Ui::SettingsDialog> m_ui;
};
