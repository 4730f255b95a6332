#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QStringList>

class QDBusMessage;

// Notices through the desktop's notification server (org.freedesktop.Notifications) on the session
// bus: shown with TavroDesk's name and desktop entry whether or not a tray icon exists. Calls never
// wait for the server.
class DesktopNotifications : public QObject
{
    Q_OBJECT

public:
    // `desktopEntry` is the desktop entry's name without ".desktop"; it names the sender.
    DesktopNotifications(const QDBusConnection &bus, const QString &desktopEntry, QObject *parent = nullptr);

    // Shows a notice; with `actionLabel` it offers one action, reported by actionInvoked(`action`).
    // A later notice of the same `kind` replaces the earlier one.
    void notify(const QString &kind, const QString &summary, const QString &body, const QString &action = {},
                const QString &actionLabel = {});

Q_SIGNALS:
    void actionInvoked(const QString &action);
    // No notification server took the notice.
    void notShown(const QString &summary, const QString &body);

private Q_SLOTS:
    void onActionInvoked(const QDBusMessage &message);
    void onClosed(const QDBusMessage &message);

private:
    QDBusConnection m_bus;
    QString m_desktopEntry;
    // Servers that take markup would read "<" in a window title as a tag.
    bool m_bodyMarkup = false;
    // The server's id of the notice shown for each kind, and the action each offers.
    QHash<QString, uint> m_ids;
    QHash<uint, QString> m_actions;
};
