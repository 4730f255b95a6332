#include "logindialog.h"

#include "ui_logindialog.h"

LoginDialog::LoginDialog(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::LoginDialog>())
{
    m_ui->setupUi(this);
}

LoginDialog::~LoginDialog() = default;

void LoginDialog::putData()
{
    m_ui->editUsername->setText(username);
    m_ui->editPassword->setText(password);
    m_ui->checkRemember->setChecked(remember);
    m_ui->labelError->setText(errorMessage);
    m_ui->labelError->setVisible(!errorMessage.isEmpty());
}

void LoginDialog::getData()
{
    username = m_ui->editUsername->text();
    password = m_ui->editPassword->text();
    remember = m_ui->checkRemember->isChecked();
}
