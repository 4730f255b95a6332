#pragma once

#include <QDialog>

class QLineEdit;

// Asks for the executable to exclude: a path typed in or chosen with the file chooser.
class ApplicationPathDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ApplicationPathDialog(QWidget *parent = nullptr);

    QString path() const;
    void setPath(const QString &path);
    QLineEdit *pathEdit() const { return m_edit; }

    // Runs the dialog; the trimmed path, or an empty text when cancelled.
    static QString ask(QWidget *parent);

private:
    void browse();

    QLineEdit *m_edit;
};
