#include "namerequireddialog.h"

#include "contrast.h"

#include <QLineEdit>

namespace {
// A pink field on a light palette, a dark red one on a dark palette, its text readable on either.
QString markedStyle(const QPalette &palette)
{
    const QColor base = palette.color(QPalette::Base);
    const QColor pink(0xF5, 0xBA, 0xCE);
    QColor tint = pink;
    if (base.lightnessF() < 0.5) {
        const QColor red(0xCC, 0x33, 0x55);
        tint = QColor::fromRgbF(base.redF() * 0.65f + red.redF() * 0.35f, base.greenF() * 0.65f + red.greenF() * 0.35f,
                                base.blueF() * 0.65f + red.blueF() * 0.35f);
    }
    const QColor text = Contrast::readable(palette.color(QPalette::Text), tint);
    return QStringLiteral("background-color: %1; color: %2;").arg(tint.name(), text.name());
}
} // namespace

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
        m_nameField->setStyleSheet(markedStyle(m_nameField->palette()));
        m_nameField->setFocus();
        return;
    }
    QDialog::done(r);
}

void NameRequiredDialog::nameTextChanged(const QString &text)
{
    if (m_nameField && !text.trimmed().isEmpty()) {
        m_nameField->setStyleSheet(QString());
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
