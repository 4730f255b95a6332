#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class LoginDialog;
}

// Asks for the account's e-mail address and password. A value holder like SettingsDialog.
class LoginDialog : public QDialog
{
    Q_OBJECT

public:
    explicit LoginDialog(QWidget *parent = nullptr);
    ~LoginDialog() override;

    void putData();
    void getData();

    QString username;
    QString password;
    bool remember = false;
    // Shown in red above the fields when not empty; never read back.
    QString errorMessage;

private:
    std::unique_ptr<Ui::LoginDialog> m_ui;
};
