#include "aboutdialog.h"

#include "buildinfo.h"
#include "hosts.h"
#include "linkopener.h"
#include "settings.h"
#include "settingsfile.h"
#include "ui_aboutdialog.h"

#include <QDir>
#include <QLayout>
#include <QUrl>

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::AboutDialog>())
{
    m_ui->setupUi(this);
    m_ui->labelTitle->setText(QStringLiteral("TavroDesk ") + BuildInfo::version());
    m_ui->labelBuilt->setText(QStringLiteral("Built on %1").arg(BuildInfo::buildDate()));
    const QString site = Settings::instance()->value(Setting::HelpUrl);
    const QString shown = site.isEmpty() ? Hosts::helpPageUrl() : site;
    m_ui->labelWebSite->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(shown.toHtmlEscaped()));
    m_ui->label_files->setText(filesText());
    // Links go through the opener, which says so when no browser can be started.
    for (QLabel *label : {m_ui->labelWebSite, m_ui->labelQt}) {
        connect(label, &QLabel::linkActivated, this,
                [this](const QString &link) { LinkOpener::open(this, QUrl(link)); });
    }
    // Never smaller than the texts: the last line of the file list must not be cut off.
    layout()->setSizeConstraint(QLayout::SetMinimumSize);
    m_ui->labelWindowSource->hide();
    m_ui->btnCheckForUpdates->setVisible(BuildInfo::UpdateCheck);
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
    m_ui->labelWindowSource->setText(QStringLiteral("Window source: ") + description +
                                     QStringLiteral("\nTime in TavroDesk's own windows is not recorded; idle time in "
                                                    "front of them still becomes away time."));
    m_ui->labelWindowSource->setVisible(!description.isEmpty());
}

void AboutDialog::on_btnCheckForUpdates_clicked()
{
    Q_EMIT checkForUpdates();
}
