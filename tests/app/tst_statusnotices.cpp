#include "desktopnotifications.h"
#include "privatebus.h"
#include "statusnotices.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

// Plays the desktop's notification server: keeps every notice it is sent and can press a button.
class FakeNotificationServer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Notice
    {
        QString appName;
        uint replaces;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
    };
    QList<Notice> notices;
    QStringList capabilities{QStringLiteral("body"), QStringLiteral("body-markup"), QStringLiteral("actions")};

public Q_SLOTS:
    QStringList GetCapabilities() { return capabilities; }
    uint Notify(const QString &appName, uint replacesId, const QString &, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &hints, int)
    {
        notices.append({appName, replacesId, summary, body, actions, hints});
        return replacesId != 0 ? replacesId : uint(40 + notices.size());
    }
};

class TestStatusNotices : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    PrivateBus m_daemon;
    QString m_address;

    void pressButton(QDBusConnection &server, uint id, const QString &action)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                         QStringLiteral("org.freedesktop.Notifications"),
                                                         QStringLiteral("ActionInvoked"));
        signal << id << action;
        QVERIFY(server.send(signal));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_address = m_daemon.start(m_dir.path());
        QVERIFY2(!m_address.isEmpty(), "dbus-daemon did not start");
    }

    // With no tray at all the away notice reaches the desktop's notification server, named as
    // TavroDesk and its desktop entry, its text never read as markup; its button opens the
    // description, and a later notice replaces it.
    void awayNoticeWithoutTray()
    {
        FakeNotificationServer server;
        QDBusConnection serverBus = QDBusConnection::connectToBus(m_address, QStringLiteral("server"));
        QVERIFY(serverBus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server,
                                         QDBusConnection::ExportAllSlots));
        QVERIFY(serverBus.registerService(QStringLiteral("org.freedesktop.Notifications")));

        QStatusBar bar;
        StatusNotices notices(&bar);
        QSystemTrayIcon tray;
        notices.setTray(&tray, [] { return false; });
        DesktopNotifications notifications(QDBusConnection::connectToBus(m_address, QStringLiteral("app")),
                                           QStringLiteral("org.tavrodesk.TavroDesk"));
        notices.setNotifications(&notifications);
        QSignalSpy describe(&notices, &StatusNotices::awayDescriptionRequested);
        QTest::qWait(200); // the server's capabilities arrive first

        notices.showAwayTime(QStringLiteral("Away time detected"),
                             QStringLiteral("Duration: 1 m 21 s\nInactivity period: 10:00:00 - 10:01:21 <i>"));
        QTRY_COMPARE(server.notices.size(), 1);
        const FakeNotificationServer::Notice away = server.notices.constFirst();
        QCOMPARE(away.appName, QStringLiteral("TavroDesk"));
        QCOMPARE(away.hints.value(QStringLiteral("desktop-entry")).toString(),
                 QStringLiteral("org.tavrodesk.TavroDesk"));
        QCOMPARE(away.summary, QStringLiteral("Away time detected"));
        QVERIFY2(away.body.endsWith(QStringLiteral("10:01:21 &lt;i&gt;")), qPrintable(away.body));
        QCOMPARE(away.actions.size(), 2);
        QCOMPARE(away.replaces, 0u);

        // Another program's notice with the same action name is not ours.
        pressButton(serverBus, 7, away.actions.constFirst());
        QTest::qWait(200);
        QCOMPARE(describe.size(), 0);
        pressButton(serverBus, 41, away.actions.constFirst());
        QTRY_COMPARE(describe.size(), 1);

        notices.showAwayTime(QStringLiteral("Away time detected"), QStringLiteral("Duration: 5 m"));
        QTRY_COMPARE(server.notices.size(), 2);
        QCOMPARE(server.notices.constLast().replaces, 41u);
        // Notes about recording go the same way.
        notices.showSessionNote(QStringLiteral("Only XWayland windows are recorded."));
        QTRY_COMPARE(server.notices.size(), 3);
        QCOMPARE(server.notices.constLast().body, QStringLiteral("Only XWayland windows are recorded."));
        serverBus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    }

    // A desktop helper that starts answering takes its "not running" note off the status bar, but
    // not a message shown since.
    void sessionNoteClearedWhenTheHelperAnswers()
    {
        QStatusBar bar;
        StatusNotices notices(&bar);
        const QString note = QStringLiteral("The GNOME Shell extension is not running.");
        notices.showSessionNote(note);
        QCOMPARE(bar.currentMessage(), note);
        notices.showSessionNote(QString());
        QCOMPARE(bar.currentMessage(), QString());

        notices.showSessionNote(note);
        bar.showMessage(QStringLiteral("Ready"));
        notices.showSessionNote(QString());
        QCOMPARE(bar.currentMessage(), QStringLiteral("Ready"));
    }
};

QTEST_MAIN(TestStatusNotices)
#include "tst_statusnotices.moc"
