#include "settingsdialog.h"

#include "buildinfo.h"
#include "ui_settingsdialog.h"

SettingsDialog::SettingsDialog(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::SettingsDialog>())
{
    m_ui->setupUi(this);
    // The connection note keeps its room while hidden: showing it must not push Ok and Cancel off a
    // small screen.
    QSizePolicy notePolicy = m_ui->labelProxyNote->sizePolicy();
    notePolicy.setRetainSizeWhenHidden(true);
    m_ui->labelProxyNote->setSizePolicy(notePolicy);
    for (QLineEdit *edit : {m_ui->editUpdateFeed, m_ui->editHelpUrl}) {
        edit->setPlaceholderText(QStringLiteral("https://..."));
    }
    connect(m_ui->checkUpdates, &QCheckBox::toggled, m_ui->editUpdateFeed, &QWidget::setEnabled);
    if (!BuildInfo::UpdateCheck) {
        for (QWidget *widget :
             {static_cast<QWidget *>(m_ui->checkUpdates), static_cast<QWidget *>(m_ui->labelUpdateFeed),
              static_cast<QWidget *>(m_ui->editUpdateFeed)}) {
            widget->hide();
        }
        m_ui->groupUpdates->setTitle(QStringLiteral("Help"));
    }
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::putData()
{
    m_ui->checkAwayEnabled->setChecked(values.idleEnabled);
    m_ui->spinAwayLimit->setValue(values.idleLimit);
    m_ui->spinAwayLimit->setEnabled(values.idleEnabled);
    m_ui->checkInhibitedIdleIsPresence->setChecked(values.inhibitedIdleIsPresence);
    m_ui->checkInhibitedIdleIsPresence->setEnabled(values.idleEnabled);
    m_ui->editUsername->setText(values.username);
    m_ui->editPassword->setText(values.password);
    m_ui->checkProxyEnabled->setChecked(values.proxyEnabled);
    m_ui->editProxyHost->setText(values.proxyHost);
    m_ui->editProxyPort->setText(values.proxyPort);
    m_ui->checkSslEnabled->setChecked(values.sslEnabled);
    m_ui->editProxyHost->setEnabled(values.proxyEnabled);
    m_ui->editProxyPort->setEnabled(values.proxyEnabled);
    // Filling the fields fired the change reactions; the note is only for the user's own edits.
    m_ui->labelProxyNote->hide();
    m_ui->checkCloseToTray->setChecked(values.closeToTray);
    m_ui->checkMinimizeToTray->setChecked(values.minimizeToTray);
    m_ui->checkSingleClickTrayOpen->setChecked(values.singleClickTrayOpen);
    m_ui->checkUpdates->setChecked(values.checkForUpdates);
    m_ui->editUpdateFeed->setEnabled(values.checkForUpdates);
    m_ui->editUpdateFeed->setText(values.updateFeedUrl);
    m_ui->editHelpUrl->setText(values.helpUrl);
    // Addresses are told apart by their start: show that rather than the file name.
    m_ui->editUpdateFeed->setCursorPosition(0);
    m_ui->editHelpUrl->setCursorPosition(0);
    m_ui->checkStartAtLogin->setChecked(startAtLogin);
    m_ui->labelKeyringNote->setText(keyringNote);
    m_ui->labelKeyringNote->setVisible(!keyringNote.isEmpty());
}

void SettingsDialog::getData()
{
    values.idleEnabled = m_ui->checkAwayEnabled->isChecked();
    values.idleLimit = m_ui->spinAwayLimit->value();
    values.inhibitedIdleIsPresence = m_ui->checkInhibitedIdleIsPresence->isChecked();
    values.username = m_ui->editUsername->text();
    values.password = m_ui->editPassword->text();
    values.proxyEnabled = m_ui->checkProxyEnabled->isChecked();
    values.proxyHost = m_ui->editProxyHost->text();
    values.proxyPort = m_ui->editProxyPort->text();
    values.sslEnabled = m_ui->checkSslEnabled->isChecked();
    values.closeToTray = m_ui->checkCloseToTray->isChecked();
    values.minimizeToTray = m_ui->checkMinimizeToTray->isChecked();
    values.singleClickTrayOpen = m_ui->checkSingleClickTrayOpen->isChecked();
    values.checkForUpdates = m_ui->checkUpdates->isChecked();
    values.updateFeedUrl = m_ui->editUpdateFeed->text().trimmed();
    values.helpUrl = m_ui->editHelpUrl->text().trimmed();
    startAtLogin = m_ui->checkStartAtLogin->isChecked();
}

QString SettingsDialog::proxyNote()
{
    return QStringLiteral("Proxy changes apply as soon as you press OK. With the proxy off, the system's proxy "
                          "settings are used.");
}

QString SettingsDialog::sslNote(const QString &serviceUrl, bool sslEnabled)
{
    if (sslEnabled && serviceUrl.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) {
        return QStringLiteral("%1 is plain http: SSL does not encrypt it. Use an https:// address.").arg(serviceUrl);
    }
    return QStringLiteral("SSL changes apply after restarting TavroDesk.");
}

void SettingsDialog::showConnectionNote(const QString &note)
{
    m_ui->labelProxyNote->setText(note);
    m_ui->labelProxyNote->show();
}

void SettingsDialog::on_checkSslEnabled_toggled(bool checked)
{
    showConnectionNote(sslNote(serviceUrl, checked));
}

void SettingsDialog::on_editProxyPort_textChanged(const QString &)
{
    showConnectionNote(proxyNote());
}

void SettingsDialog::on_editProxyHost_textChanged(const QString &)
{
    showConnectionNote(proxyNote());
}

void SettingsDialog::on_checkProxyEnabled_toggled(bool checked)
{
    m_ui->editProxyHost->setEnabled(checked);
    m_ui->editProxyPort->setEnabled(checked);
    showConnectionNote(proxyNote());
}

void SettingsDialog::on_checkAwayEnabled_toggled(bool checked)
{
    m_ui->spinAwayLimit->setEnabled(checked);
    m_ui->checkInhibitedIdleIsPresence->setEnabled(checked);
}
