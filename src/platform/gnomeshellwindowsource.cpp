#include "gnomeshellwindowsource.h"

#include "busnameowner.h"
#include "gnomeshellextension.h"
#include "logging.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

GnomeShellWindowSource::GnomeShellWindowSource(const QDBusConnection &bus,
                                               std::unique_ptr<ForegroundWindowSource> fallback, QObject *parent)
    : ReportedWindowSource(std::move(fallback), parent)
    , m_bus(bus)
    , m_shell(new BusNameOwner(bus, QStringLiteral("org.gnome.Shell"), this))
    , m_extension(new BusNameOwner(bus, QLatin1String(ServiceName), this))
{
    // Any sender: the slot itself tells the shell from impostors, and logs the latter.
    m_bus.connect(QString(), QLatin1String(ObjectPath), QLatin1String(InterfaceName), QStringLiteral("FocusChanged"),
                  this, SLOT(onFocusChanged(QDBusMessage)));
    connect(m_shell, &BusNameOwner::ownerChanged, this, &GnomeShellWindowSource::check);
    connect(m_extension, &BusNameOwner::ownerChanged, this, &GnomeShellWindowSource::check);
    check();
}

QString GnomeShellWindowSource::description() const
{
    return QStringLiteral("GNOME Shell (TavroDesk extension)");
}

void GnomeShellWindowSource::check()
{
    const QString extension = m_extension->owner();
    if (extension.isEmpty() || !m_shell->isOwnedBy(extension)) {
        if (!extension.isEmpty()) {
            refuse(extension, QStringLiteral("owns %1 but is not GNOME Shell").arg(m_extension->name()));
        }
        // Without the shell a new login is no cure: it comes back on its own or with the session.
        lose((m_shell->owner().isEmpty() ? tr("GNOME Shell is not running.") : notRunningNote()) + QLatin1Char(' ') +
             fallbackSentence());
        return;
    }
    // Ask the shell's own connection, so the answer cannot come from anybody else.
    const QDBusMessage call = QDBusMessage::createMethodCall(extension, QLatin1String(ObjectPath),
                                                             QLatin1String(InterfaceName), QStringLiteral("GetFocus"));
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const QDBusMessage reply = finished->reply();
        if (reply.type() == QDBusMessage::ReplyMessage) {
            take(reply);
        } else {
            qCWarning(lcPlatform).noquote() << "GNOME Shell extension did not answer:" << reply.errorMessage();
        }
    });
}

QString GnomeShellWindowSource::notRunningNote() const
{
    QString shellError;
    switch (GnomeShellExtension(m_bus).state(&shellError)) {
    case GnomeShellExtension::State::NotInstalled:
        return tr("The GNOME Shell extension is not installed (File menu).");
    case GnomeShellExtension::State::Disabled:
        return tr("The GNOME Shell extension is switched off in GNOME's Extensions.");
    case GnomeShellExtension::State::UserExtensionsOff:
        return tr("GNOME has extensions switched off: switch them on in GNOME's Extensions.");
    case GnomeShellExtension::State::Failed:
        return tr("GNOME Shell could not start the extension: %1.").arg(shellError);
    case GnomeShellExtension::State::NextLogin:
        return tr("The GNOME Shell extension starts at the next login.");
    case GnomeShellExtension::State::Running:
        break;
    }
    // Enabled and started, yet its name is not on the bus: it is just starting, or it broke.
    return tr("The GNOME Shell extension does not answer.");
}

void GnomeShellWindowSource::onFocusChanged(const QDBusMessage &message)
{
    take(message);
}

void GnomeShellWindowSource::take(const QDBusMessage &message)
{
    if (!m_shell->isOwnedBy(message.service())) {
        refuse(message.service(), QStringLiteral("sender is not GNOME Shell"));
        return;
    }
    QString why;
    if (const auto report = WindowReport::parse(message.arguments(), 1, &why)) {
        accept(*report);
    } else {
        refuse(message.service(), why);
    }
}
