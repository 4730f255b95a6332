#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

// Base of the task and task-list dialogs, whose name field is required: the field starts empty with
// a placeholder saying what goes there, and the dialog cannot be accepted until a name is typed.
class NameRequiredDialog : public QDialog
{
    Q_OBJECT

public:
    explicit NameRequiredDialog(QWidget *parent = nullptr);

public Q_SLOTS:
    void done(int r) override;

protected:
    // Called once by the subclass after its form is set up.
    void guardNameField(QLineEdit *field, const QString &placeholder);

private:
    bool hasName() const;
    void updateAcceptance();

    QLineEdit *m_nameField = nullptr;
};
