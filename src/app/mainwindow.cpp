#include "mainwindow.h"

#include "messagebox.h"
#include "settings.h"
#include "settingsdialog.h"
#include "settingsfile.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QSettings>

MainWindow::MainWindow(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
    , m_ui(std::make_unique<Ui::MainWindow>())
{
    m_ui->setupUi(this);
    installEventFilter(this);
    statusBar()->showMessage(tr("Loading..."));
    loadSettings();
    m_usable = initDatabase();
}

MainWindow::~MainWindow()
{
    database.close();
}

void MainWindow::loadSettings()
{
    if (!SettingsFile::ensureDataFolder()) {
        MessageBox::critical(this, QStringLiteral("Error"),
                             QStringLiteral("Could not create directory: ") + SettingsFile::dataFolder());
        ::exit(-1);
    }
    const QString iniPath = SettingsFile::iniPath();
    const bool firstStart = !QFile::exists(iniPath);
    settingsFile = new QSettings(iniPath, QSettings::IniFormat, this);
    Settings *settings = Settings::instance();
    settings->values[QStringLiteral("UserAgent")] = SettingsFile::userAgent();

    if (firstStart) {
        SettingsDialog dialog(this);
        dialog.values = SettingsFile::readDialogValues(*settingsFile);
        dialog.putData();
        if (dialog.exec() == QDialog::Accepted) {
            dialog.getData();
            SettingsFile::writeFirstStart(*settingsFile, dialog.values);
        }
    }
    SettingsFile::load(*settingsFile, settings->values);
    QApplication::setQuitOnLastWindowClosed(!settings->value(QStringLiteral("CloseToTray")).toBool());
}

void MainWindow::saveSettings()
{
    SettingsFile::WindowValues window;
    window.recording = recording;
    window.geometry = saveGeometry();
    window.state = saveState(0);
    SettingsFile::save(*settingsFile, Settings::instance()->values, window);
}

bool MainWindow::initDatabase()
{
    const QString path = SettingsFile::databasePath();
    QString error;
    if (!database.open(path, &error)) {
        MessageBox::warning(this, QStringLiteral("Database error"),
                            QStringLiteral("Could not open database: ") + path + QLatin1Char('\n') + error);
        close();
        return false;
    }
    Database::createSchema();
    return true;
}

void MainWindow::onTrayMenuShow()
{
    if (isMinimized()) {
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    }
    show();
    raise();
    activateWindow();
}

void MainWindow::onTrayMenuOptions()
{
    SettingsDialog dialog(this);
    Settings *settings = Settings::instance();
    dialog.values = SettingsFile::dialogValuesFromMap(settings->values);
    dialog.putData();
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    dialog.getData();
    SettingsFile::storeDialogValues(settings->values, dialog.values);
    QApplication::setQuitOnLastWindowClosed(!settings->value(QStringLiteral("CloseToTray")).toBool());
}

void MainWindow::on_action_Settings_triggered()
{
    onTrayMenuOptions();
}

void MainWindow::on_actionExit_triggered()
{
    close();
    QCoreApplication::quit();
}

bool MainWindow::eventFilter(QObject *object, QEvent *event)
{
    // Hovering over menu entries must not replace the status-bar message.
    if (event->type() == QEvent::StatusTip) {
        return true;
    }
    return QMainWindow::eventFilter(object, event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    saveSettings();
    QMainWindow::closeEvent(event);
}
