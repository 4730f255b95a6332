#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class AboutDialog;
}

// Version, build date, the maker's web site and where the program keeps its files.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);
    ~AboutDialog() override;

    // Names the backend that sees the foreground window: "Window source: sway (foreign-toplevel + IPC)".
    void setWindowSource(const QString &description);

    // The file locations as shown, one caption line and one path line each.
    static QString filesText();

Q_SIGNALS:
    void checkForUpdates();

public Q_SLOTS:
    void on_btnCheckForUpdates_clicked();

private:
    std::unique_ptr<Ui::AboutDialog> m_ui;
};
