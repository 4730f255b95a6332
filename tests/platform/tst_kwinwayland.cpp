#include "fallbackstandin.h"
#include "kwinscriptwindowsource.h"
#include "nullidlesource.h"
#include "recordingrig.h"
#include "settings.h"
#include "waylanddesktop.h"
#include "windowbackends.h"

#include <QDBusMessage>
#include <QSignalSpy>
#include <QTest>

// KWin 5.27, headless, once for the whole program: TavroDesk's script loaded into it records
// native Wayland windows (weston-terminal windows activate themselves when they open).
class TestKWinWayland : public QObject
{
    Q_OBJECT

private:
    WaylandDesktop m_desktop{WaylandDesktop::Compositor::KWin};
    QTemporaryDir m_scripts;
    std::unique_ptr<KWinScriptWindowSource> m_source;
    NullIdleSource m_idle;
    std::unique_ptr<RecordingRig> m_rig;

    QString reportedTitle() { return m_source->sample().title; }

    bool scriptLoaded()
    {
        QDBusMessage call =
            QDBusMessage::createMethodCall(QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
                                           QStringLiteral("org.kde.kwin.Scripting"), QStringLiteral("isScriptLoaded"));
        call << QLatin1String(KWinScriptWindowSource::PluginName);
        return m_desktop.bus().call(call, QDBus::Block, 5000).arguments().value(0).toBool();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_desktop.startBuses(&error), qPrintable(error));
        QVERIFY2(m_desktop.startCompositor(&error), qPrintable(error));
        m_source = std::make_unique<KWinScriptWindowSource>(m_desktop.bus(), m_scripts.path(),
                                                            std::make_unique<FallbackStandIn>());
        QTRY_VERIFY_WITH_TIMEOUT(m_source->isLive(), 20000);
        QVERIFY(scriptLoaded());
        m_rig = std::make_unique<RecordingRig>(m_source.get(), &m_idle);
        Settings::instance()->setValue(Setting::IdleEnabled, false);
    }

    void recordsSwitchesAndTitleChanges()
    {
        const auto notes = RecordingRig::startTerminal(m_desktop, QStringLiteral("Notes"), QString());
        QTRY_COMPARE_WITH_TIMEOUT(reportedTitle(), QStringLiteral("Notes"), 20000);
        // Through the desktop file name KWin reports (weston-terminal's app id).
        QCOMPARE(m_source->sample().appId, QStringLiteral("org.freedesktop.weston.wayland-terminal"));
        m_rig->recorder().setRecording(true);
        QTest::qWait(2500);
        const auto plans =
            RecordingRig::startTerminal(m_desktop, QStringLiteral("Plans"), QStringLiteral("Plans, revised"));
        QTRY_COMPARE_WITH_TIMEOUT(reportedTitle(), QStringLiteral("Plans"), 20000);
        QTest::qWait(2500);
        QVERIFY(plans.retitle());
        QTRY_COMPARE_WITH_TIMEOUT(reportedTitle(), QStringLiteral("Plans, revised"), 10000);
        QTest::qWait(2500);
        // Closing the window in front hands the focus back to the other one.
        m_desktop.stopClient(plans.process);
        QTRY_COMPARE_WITH_TIMEOUT(reportedTitle(), QStringLiteral("Notes"), 10000);
        QTest::qWait(2500);
        m_rig->recorder().setRecording(false);

        QStringList titles;
        QList<RecordingRig::Row> rows;
        for (const auto &row : m_rig->rows()) {
            // A new terminal shows its default title for a moment before its shell sets ours.
            if (row.title != QLatin1String("Wayland Terminal")) {
                rows << row;
                titles << row.title;
            }
        }
        QCOMPARE(titles, QStringList({QStringLiteral("Notes"), QStringLiteral("Plans"),
                                      QStringLiteral("Plans, revised"), QStringLiteral("Notes")}));
        for (const auto &row : rows) {
            QCOMPARE(row.path, QStringLiteral("/usr/bin/weston-terminal"));
            QCOMPARE(row.name, QStringLiteral("weston-terminal"));
            const qint64 seconds = row.start.secsTo(row.end);
            QVERIFY2(seconds >= 1 && seconds <= 5, qPrintable(QString::number(seconds)));
        }
        QVERIFY(qAbs(rows.constLast().end.secsTo(QDateTime::currentDateTime())) <= 2);
        m_desktop.stopClient(notes.process);
        QTRY_COMPARE_WITH_TIMEOUT(reportedTitle(), QString(), 10000);
    }

    void strangersAreRefused()
    {
        QDBusConnection stranger = QDBusConnection::connectToBus(m_desktop.busAddress(), QStringLiteral("stranger"));
        QDBusMessage call = QDBusMessage::createMethodCall(
            m_desktop.bus().baseService(), QLatin1String(KWinScriptWindowSource::ObjectPath),
            QLatin1String(KWinScriptWindowSource::InterfaceName), QStringLiteral("WindowActivated"));
        call << QStringLiteral("Bank login") << QString() << QString() << 1;
        const QString before = reportedTitle();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("dropped: caller is not KWin")));
        QCOMPARE(stranger.call(call, QDBus::BlockWithGui, 5000).errorName(),
                 QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"));
        QCOMPARE(reportedTitle(), before);
        QDBusConnection::disconnectFromBus(QStringLiteral("stranger"));
    }

    void kwinRestartLoadsTheScriptAgain()
    {
        QSignalSpy started(m_source.get(), &KWinScriptWindowSource::scriptStarted);
        m_desktop.killCompositor();
        QTRY_VERIFY_WITH_TIMEOUT(!m_source->isLive(), 10000);
        QVERIFY(m_source->note().contains(QStringLiteral("XWayland")));
        QCOMPARE(reportedTitle(), FallbackStandIn::title());

        QString error;
        QVERIFY2(m_desktop.startCompositor(&error), qPrintable(error));
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(m_source->isLive(), 10000);
        const auto terminal = RecordingRig::startTerminal(m_desktop, QStringLiteral("After restart"), QString());
        QTRY_COMPARE_WITH_TIMEOUT(reportedTitle(), QStringLiteral("After restart"), 20000);

        // Quitting takes the script out of KWin.
        QVERIFY(scriptLoaded());
        m_rig.reset();
        m_source.reset();
        QVERIFY(!scriptLoaded());
        m_desktop.stopClient(terminal.process);
    }

    // As the program starts on Plasma: the session picks the KWin script and KWin's idle protocol,
    // and time nobody touches the desktop becomes an away entry.
    void sessionChoosesKWinAndIdleBecomesAway()
    {
        m_desktop.joinSessionBus();
        QProcessEnvironment session = m_desktop.environment();
        session.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("KDE"));
        std::unique_ptr<ForegroundWindowSource> source = createForegroundWindowSource(session);
        std::unique_ptr<IdleSource> idle = createIdleSource(session);
        QCOMPARE(source->description(), QStringLiteral("KWin (TavroDesk script)"));
        QVERIFY2(idle->description().contains(QLatin1String("Wayland")), qPrintable(idle->description()));
        auto *reported = dynamic_cast<ReportedWindowSource *>(source.get());
        QVERIFY(reported);
        QTRY_VERIFY_WITH_TIMEOUT(reported->isLive(), 20000);

        const auto terminal = RecordingRig::startTerminal(m_desktop, QStringLiteral("Reading"), QString());
        QTRY_COMPARE_WITH_TIMEOUT(source->sample().title, QStringLiteral("Reading"), 20000);
        Settings::instance()->setValue(Setting::IdleEnabled, true);
        Settings::instance()->setValue(Setting::IdleLimit, 1);
        RecordingRig rig(source.get(), idle.get());
        rig.recorder().setRecording(true);
        QTRY_VERIFY_WITH_TIMEOUT(rig.recorder().inIdle(), 90000);
        rig.recorder().setRecording(false);
        const QList<RecordingRig::Row> rows = rig.rows();
        QVERIFY(!rows.isEmpty());
        QCOMPARE(rows.constLast().path, QStringLiteral("tavro://idle"));
        QVERIFY(rows.constLast().title.startsWith(QStringLiteral("at ")));
        m_desktop.stopClient(terminal.process);
    }
};

QTEST_MAIN(TestKWinWayland)
#include "tst_kwinwayland.moc"
