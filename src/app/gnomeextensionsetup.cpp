#include "gnomeextensionsetup.h"

#include "messagebox.h"
#include "settings.h"

#include <QAction>
#include <QDebug>
#include <QWidget>

namespace {
const QString OfferedKey = QStringLiteral("GnomeExtensionOffered");
const QString Title = QStringLiteral("GNOME Shell extension");
} // namespace

GnomeExtensionSetup::GnomeExtensionSetup(const QDBusConnection &bus, const QString &dataHome, QWidget *parent)
    : QObject(parent)
    , m_extension(bus, dataHome)
    , m_window(parent)
    , m_action(new QAction(QStringLiteral("Install &GNOME Shell Extension..."), this))
{
    connect(m_action, &QAction::triggered, this, &GnomeExtensionSetup::install);
}

QString GnomeExtensionSetup::consentText()
{
    return QStringLiteral(
        "On GNOME with Wayland, programs cannot see which window is in front. To record the windows you work in, "
        "TavroDesk needs a small GNOME Shell extension that tells it the title, application and process of the "
        "focused window. The extension only reports, to programs of your own session, and changes nothing on "
        "your desktop.\n\n"
        "Install and enable the extension now? GNOME loads a new extension at the next login.\n\n"
        "Until then, or if you decline, TavroDesk records only windows of programs that run through XWayland. "
        "You can install the extension later from the File menu.");
}

QString GnomeExtensionSetup::installedText()
{
    return QStringLiteral("The TavroDesk extension is installed and enabled. GNOME loads a new extension at the next "
                          "login: log out and back in, and TavroDesk records all your windows. Until then it records "
                          "only windows of programs that run through XWayland.");
}

void GnomeExtensionSetup::startUp()
{
    const QString shellVersion = m_extension.shellVersion();
    if (shellVersion.isEmpty()) {
        qDebug() << "GNOME Shell does not answer; the extension is left as it is";
        return;
    }
    if (m_extension.hasEarlierCopy()) {
        // Installed with the user's consent under the earlier uuid: the consent carries over.
        QString error;
        if (m_extension.replaceEarlierCopy(shellVersion, &error)) {
            qDebug() << "GNOME Shell extension moved to" << GnomeShellExtension::Uuid;
        } else {
            qWarning().noquote() << "cannot replace the earlier GNOME Shell extension:" << error;
        }
        return;
    }
    if (m_extension.isInstalled()) {
        // The user agreed once; a newer TavroDesk brings the extension that fits it.
        QString error;
        if (m_extension.isOutdated(shellVersion)) {
            if (m_extension.install(shellVersion, &error)) {
                qDebug() << "GNOME Shell extension replaced by the version for" << shellVersion;
            } else {
                qWarning().noquote() << "cannot replace the GNOME Shell extension:" << error;
            }
        }
        return;
    }
    auto &values = Settings::instance()->values;
    if (values.value(OfferedKey).toBool()) {
        return;
    }
    values[OfferedKey] = true;
    if (MessageBox::question(m_window, Title, consentText(), MessageBox::Buttons(MessageBox::Yes) | MessageBox::No,
                             MessageBox::Yes) == MessageBox::Yes) {
        install();
    }
}

bool GnomeExtensionSetup::install()
{
    const QString shellVersion = m_extension.shellVersion();
    QString error;
    if (shellVersion.isEmpty()) {
        error = QStringLiteral("GNOME Shell does not answer on the session bus.");
    } else if (m_extension.install(shellVersion, &error) && m_extension.enable(&error)) {
        MessageBox::information(m_window, Title, installedText());
        return true;
    }
    MessageBox::critical(m_window, QStringLiteral("Error"),
                         QStringLiteral("The GNOME Shell extension could not be installed: %1").arg(error));
    return false;
}
