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
    // Where the password is kept when not in the keyring; empty hides the note.
    QString keyringNote;
    // The service address the requests go to, for the note on SSL.
    QString serviceUrl;

    static QString proxyNote();
    // What switching SSL does for `serviceUrl`.
    static QString sslNote(const QString &serviceUrl, bool sslEnabled);

private Q_SLOTS:
    void on_checkSslEnabled_toggled(bool checked);
    void on_editProxyPort_textChanged(const QString &text);
    void on_editProxyHost_textChanged(const QString &text);
    void on_checkProxyEnabled_toggled(bool checked);
    void on_checkAwayEnabled_toggled(bool checked);

private:
    void showConnectionNote(const QString &note);

    std::unique_ptr<Ui::SettingsDialog> m_ui;
};
