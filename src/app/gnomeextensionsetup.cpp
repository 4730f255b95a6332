#include "gnomeextensionsetup.h"

#include "messagebox.h"
#include "settings.h"

#include <QAction>
#include <QDebug>
#include <QWidget>

namespace {
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

QString GnomeExtensionSetup::installedText(GnomeShellExtension::State state)
{
    switch (state) {
    case GnomeShellExtension::State::Running:
        return QStringLiteral("The TavroDesk extension is installed and running: TavroDesk records all your windows.");
    case GnomeShellExtension::State::UserExtensionsOff:
        return QStringLiteral("The TavroDesk extension is installed and enabled, but GNOME has extensions switched "
                              "off for your account. Switch them on in GNOME's Extensions app and log out and back "
                              "in; until then TavroDesk records only windows of programs that run through XWayland.");
    default:
        return QStringLiteral("The TavroDesk extension is installed and enabled. GNOME loads a new extension at the "
                              "next login: log out and back in, and TavroDesk records all your windows. Until then it "
                              "records only windows of programs that run through XWayland.");
    }
}

void GnomeExtensionSetup::startUp()
{
    if (m_extension.hasEarlierCopy()) {
        // Installed with the user's consent under the earlier uuid: the consent carries over.
        const QString shellVersion = m_extension.shellVersion();
        if (shellVersion.isEmpty()) {
            qDebug() << "GNOME Shell does not answer; the earlier extension is moved at a later start";
            return;
        }
        QString error;
        if (m_extension.replaceEarlierCopy(shellVersion, &error)) {
            qDebug() << "GNOME Shell extension moved to" << GnomeShellExtension::Uuid;
        } else {
            qWarning().noquote() << "cannot replace the earlier GNOME Shell extension:" << error;
        }
        Q_EMIT extensionChanged();
        return;
    }
    if (m_extension.isInstalled()) {
        // The user agreed once: keep the extension enabled and fitting this TavroDesk.
        QString error;
        const QString shellVersion = m_extension.shellVersion();
        if (!shellVersion.isEmpty() && m_extension.isOutdated(shellVersion)) {
            if (m_extension.install(shellVersion, &error)) {
                qDebug() << "GNOME Shell extension replaced by the version for" << shellVersion;
            } else {
                qWarning().noquote() << "cannot replace the GNOME Shell extension:" << error;
            }
        }
        if (m_extension.state() == GnomeShellExtension::State::Disabled) {
            if (m_extension.enable(&error)) {
                qDebug() << "GNOME Shell extension enabled again";
            } else {
                qWarning().noquote() << "cannot enable the GNOME Shell extension:" << error;
            }
        }
        Q_EMIT extensionChanged();
        return;
    }
    Settings *settings = Settings::instance();
    if (settings->value(Setting::GnomeExtensionOffered)) {
        return;
    }
    if (m_extension.shellVersion().isEmpty()) {
        qDebug() << "GNOME Shell does not answer; the extension is offered at a later start";
        return;
    }
    settings->setValue(Setting::GnomeExtensionOffered, true);
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
        Q_EMIT extensionChanged();
        QString shellError;
        const GnomeShellExtension::State state = m_extension.state(&shellError);
        if (state != GnomeShellExtension::State::Failed) {
            MessageBox::information(m_window, Title, installedText(state));
            return true;
        }
        error = QStringLiteral("GNOME Shell could not start it: ") + shellError;
    }
    MessageBox::critical(m_window, QStringLiteral("Error"),
                         QStringLiteral("The GNOME Shell extension could not be installed: %1").arg(error));
    return false;
}
