#include "aboutdialog.h"

#include "hosts.h"
#include "settingsfile.h"
#include "ui_aboutdialog.h"

#include <QDir>

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::AboutDialog>())
{
    m_ui->setupUi(this);
    m_ui->labelBuilt->setText(QStringLiteral("Built on %1 at %2")
                                  .arg(QString::fromLatin1(__DATE__).simplified(), QString::fromLatin1(__TIME__)));
    const QString site = Hosts::webSiteUrl().toHtmlEscaped();
    m_ui->labelWebSite->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(site));
    m_ui->label_files->setText(filesText());
    m_ui->labelWindowSource->hide();
}

AboutDialog::~AboutDialog() = default;

QString AboutDialog::filesText()
{
    return QStringLiteral("Data Folder:\n") + QDir::toNativeSeparators(SettingsFile::dataFolder()) +
           QStringLiteral("\nINI File:\n") + QDir::toNativeSeparators(SettingsFile::iniPath()) +
           QStringLiteral("\nSQLite File:\n") + QDir::toNativeSeparators(SettingsFile::databasePath()) +
           QStringLiteral("\nDebug Log:\n") + QDir::toNativeSeparators(SettingsFile::debugLogPath());
}

void AboutDialog::setWindowSource(const QString &description)
{
    m_ui->labelWindowSource->setText(QStringLiteral("Window source: ") + description);
    m_ui->labelWindowSource->setVisible(!description.isEmpty());
}

void AboutDialog::on_btnCheckForUpdates_clicked()
{
    Q_EMIT checkForUpdates();
}
