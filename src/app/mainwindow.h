#pragma once

#include "database.h"

#include <QMainWindow>

#include <memory>

class QSettings;

namespace Ui {
class MainWindow;
}

// The program's hub: owns the form, the settings file and the database connection, and carries
// out what the views and dialogs ask for.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    ~MainWindow() override;

    // False when the database could not be opened: the start-up then ends.
    bool isUsable() const { return m_usable; }
    bool isRecording() const { return recording; }

    void loadSettings();
    void saveSettings();
    bool initDatabase();

public Q_SLOTS:
    void onTrayMenuShow();
    void onTrayMenuOptions();
    void on_action_Settings_triggered();
    void on_actionExit_triggered();

protected:
    bool eventFilter(QObject *object, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    std::unique_ptr<Ui::MainWindow> m_ui;
    Database database;
    QSettings *settingsFile = nullptr;
    bool recording = false;
    bool m_usable = false;
};
