#include "namerequireddialog.h"

#include <QLineEdit>

NameRequiredDialog::NameRequiredDialog(QWidget *parent)
    : QDialog(parent)
{}

void NameRequiredDialog::guardNameField(QLineEdit *field, const QString &defaultText)
{
    m_nameField = field;
    m_defaultText = defaultText;
}

void NameRequiredDialog::done(int r)
{
    if (r == QDialog::Accepted && m_nameField && m_nameField->text().trimmed().isEmpty()) {
        m_nameField->setStyleSheet(QStringLiteral("background-color: #F5BACE;"));
        m_nameField->setFocus();
        return;
    }
    QDialog::done(r);
}

void NameRequiredDialog::nameTextChanged(const QString &text)
{
    if (m_nameField && !text.trimmed().isEmpty()) {
        m_nameField->setStyleSheet(QStringLiteral("background-color:;"));
    }
}

void NameRequiredDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_nameField && m_nameField->text().isEmpty()) {
        m_nameField->setText(m_defaultText);
        m_nameField->selectAll();
        m_nameField->setFocus();
    }
}
