#include "namerequireddialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

NameRequiredDialog::NameRequiredDialog(QWidget *parent)
    : QDialog(parent)
{}

void NameRequiredDialog::guardNameField(QLineEdit *field, const QString &placeholder)
{
    m_nameField = field;
    field->setPlaceholderText(placeholder);
    connect(field, &QLineEdit::textChanged, this, &NameRequiredDialog::updateAcceptance);
    updateAcceptance();
}

bool NameRequiredDialog::hasName() const
{
    return m_nameField && !m_nameField->text().trimmed().isEmpty();
}

void NameRequiredDialog::updateAcceptance()
{
    if (auto *buttons = findChild<QDialogButtonBox *>()) {
        if (QPushButton *ok = buttons->button(QDialogButtonBox::Ok)) {
            ok->setEnabled(hasName());
        }
    }
}

void NameRequiredDialog::done(int r)
{
    if (r == QDialog::Accepted && !hasName()) {
        m_nameField->setFocus();
        return;
    }
    QDialog::done(r);
}
