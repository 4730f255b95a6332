#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

// Base of the task and task-list dialogs, whose name field is required: it offers a default text to
// type over, and acceptance with a blank name marks the field pink and keeps the dialog open until a
// name is typed.
class NameRequiredDialog : public QDialog
{
    Q_OBJECT

public:
    explicit NameRequiredDialog(QWidget *parent = nullptr);

public Q_SLOTS:
    void done(int r) override;

protected:
    // Called once by the subclass after its form is set up.
    void guardNameField(QLineEdit *field, const QString &defaultText);
    // For the subclass's textChanged slot: clears the mark once the text holds more than blanks.
    void nameTextChanged(const QString &text);
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_nameField = nullptr;
    QString m_defaultText;
};
