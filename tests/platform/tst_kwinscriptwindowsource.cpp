#include "buildinfo.h"
#include "fakekwin.h"
#include "fallbackstandin.h"
#include "kwinscriptwindowsource.h"
#include "privatebus.h"
#include "processpath.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

// The KWin script and its loader against a fake KWin on a private bus: the fake runs the shipped
// script in a QJSEngine with Plasma 6's names, so the loader, the script and the trust checks are
// exercised together. The real KWin 5.27 runs in tst_kwinwayland.
namespace {
int refusalLines = 0;

void countRefusals(QtMsgType, const QMessageLogContext &, const QString &message)
{
    refusalLines += message.contains(QStringLiteral("dropped:")) ? 1 : 0;
}
} // namespace

class TestKWinScriptWindowSource : public QObject
{
    Q_OBJECT

private:
    // The script's name derives from the app id, like every name of the desktop helpers.
    static QString scriptName() { return BuildInfo::appId() + QStringLiteral(".focusedwindow"); }

    PrivateBus m_bus;
    QString m_address;
    QTemporaryDir m_scripts;
    int m_kwins = 0;

    std::unique_ptr<FakeKWin> startKWin()
    {
        return std::make_unique<FakeKWin>(m_address, QStringLiteral("kwin-%1").arg(++m_kwins));
    }

    std::unique_ptr<KWinScriptWindowSource> makeSource()
    {
        return std::make_unique<KWinScriptWindowSource>(QDBusConnection::sessionBus(), m_scripts.path(),
                                                        std::make_unique<FallbackStandIn>());
    }

    QDBusMessage report(QDBusConnection &from, const QVariantList &arguments,
                        const QString &member = QStringLiteral("WindowActivated"))
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QDBusConnection::sessionBus().baseService(), QLatin1String(KWinScriptWindowSource::ObjectPath),
            QLatin1String(KWinScriptWindowSource::InterfaceName), member);
        call.setArguments(arguments);
        return from.call(call, QDBus::BlockWithGui, 5000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_address = m_bus.start(m_scripts.path());
        QVERIFY2(!m_address.isEmpty(), "dbus-daemon did not start");
        // The source works on the session bus, as in the program.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toLocal8Bit());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }

    void reportsActivationsAndCaptionsWithPlasma6Names()
    {
        auto kwin = startKWin();
        auto source = makeSource();
        QSignalSpy started(source.get(), &KWinScriptWindowSource::scriptStarted);
        QTRY_VERIFY(kwin->isRunning());
        QCOMPARE(kwin->calls, QStringList({QStringLiteral("unloadScript ") + scriptName(),
                                           QStringLiteral("loadScript %1 %2").arg(source->scriptPath(), scriptName()),
                                           QStringLiteral("run ") + source->scriptPath()}));
        QTRY_COMPARE(started.size(), 1);
        // The script reports the (empty) active window at once: nothing in front, nothing recorded.
        QTRY_VERIFY(source->isLive());
        QCOMPARE(source->sample().path, QString());

        const QString pid = QString::number(::getpid());
        kwin->evaluate(QStringLiteral("var a = makeWindow('Notes', 'org.example.Notes', 'notes', %1);"
                                      "var b = makeWindow('Plans', '', 'plans-class', %1); activate(a);")
                           .arg(pid));
        QTRY_COMPARE(source->sample().title, QStringLiteral("Notes"));
        QCOMPARE(source->sample().path, executablePath(quint32(::getpid())));
        QCOMPARE(source->sample().appId, QStringLiteral("org.example.Notes"));

        kwin->evaluate(QStringLiteral("setCaption(a, 'Notes 2')"));
        QTRY_COMPARE(source->sample().title, QStringLiteral("Notes 2"));
        kwin->evaluate(QStringLiteral("activate(b)"));
        QTRY_COMPARE(source->sample().title, QStringLiteral("Plans"));
        QCOMPARE(source->sample().appId, QStringLiteral("plans-class"));
        // The window left behind is no longer followed.
        QCOMPARE(kwin->evaluate(QStringLiteral("a.captionChanged.handlers.length")).toInt(), 0);
        kwin->evaluate(QStringLiteral("setCaption(a, 'Notes 3'); setCaption(b, 'Plans 2')"));
        QTRY_COMPARE(source->sample().title, QStringLiteral("Plans 2"));
        kwin->evaluate(QStringLiteral("activate(null)"));
        QTRY_COMPARE(source->sample().title, QString());

        // Quitting unloads the script (the fake answers once the blocking call gave up: it shares
        // this thread).
        source.reset();
        QTRY_COMPARE(kwin->calls.constLast(), QStringLiteral("unloadScript ") + scriptName());
        QVERIFY(!kwin->isRunning());
    }

    void refusesStrangersAndMalformedCalls()
    {
        auto kwin = startKWin();
        auto source = makeSource();
        QTRY_VERIFY(kwin->isRunning());
        QVERIFY(report(kwin->bus(), {QStringLiteral("Real"), QString(), QString(), 1}).type() ==
                QDBusMessage::ReplyMessage);
        QTRY_COMPARE(source->sample().title, QStringLiteral("Real"));

        QDBusConnection stranger = QDBusConnection::connectToBus(m_address, QStringLiteral("stranger"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("dropped: caller is not KWin")));
        QCOMPARE(report(stranger, {QStringLiteral("Bank login"), QString(), QString(), 1}).errorName(),
                 QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"));

        // From KWin's own connection, but malformed: every one is refused, logged and not used.
        const QList<QPair<QVariantList, const char *>> malformed = {
            {{42, QString(), QString(), 1}, "type int where a string belongs"},
            {{QString(1024 * 1024, u'x'), QString(), QString(), 1}, "text of 1048576 characters"},
            {{QByteArray("\xff\xfe broken"), QString(), QString(), 1}, "type QByteArray where a string belongs"},
            {{QStringLiteral("t"), QString(), QString(), -5}, "process id out of range"},
            {{QStringLiteral("t"), QString(), QString(), 1.5}, "process id out of range"},
            {{QStringLiteral("t"), QString(), 1}, "3 arguments where 4 belong"},
            {{QStringLiteral("t"), QString(256, u'a'), QString(), 1}, "text of 256 characters"},
        };
        for (const auto &[arguments, why] : malformed) {
            const QDBusMessage refused = report(kwin->bus(), arguments);
            QCOMPARE(refused.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
            QVERIFY2(refused.errorMessage().contains(QLatin1String(why)), qPrintable(refused.errorMessage()));
        }
        QVERIFY(report(kwin->bus(), {}, QStringLiteral("Focus"))
                    .errorMessage()
                    .contains(QStringLiteral("unknown method Focus")));
        QCOMPARE(source->sample().title, QStringLiteral("Real"));

        // Anyone on the bus can call: a flood adds a few lines to the log, not one per call.
        refusalLines = 0;
        const QtMessageHandler previous = qInstallMessageHandler(countRefusals);
        for (int i = 0; i < 1000; ++i) {
            report(stranger, {QStringLiteral("Bank login"), QString(), QString(), 1});
        }
        qInstallMessageHandler(previous);
        QVERIFY2(refusalLines <= ReportedWindowSource::MaxRefusalLines, qPrintable(QString::number(refusalLines)));
        QCOMPARE(source->sample().title, QStringLiteral("Real"));
        QDBusConnection::disconnectFromBus(QStringLiteral("stranger"));
    }

    void kwinRestartLoadsTheScriptAgain()
    {
        auto kwin = startKWin();
        auto source = makeSource();
        QTRY_VERIFY(source->isLive());
        kwin.reset();
        QTRY_VERIFY(!source->isLive());
        QVERIFY(source->note().contains(QStringLiteral("XWayland")));
        QCOMPARE(source->sample().title, FallbackStandIn::title());

        QSignalSpy notes(source.get(), &ReportedWindowSource::noteChanged);
        kwin = startKWin();
        QTRY_VERIFY(kwin->isRunning());
        QTRY_VERIFY(source->isLive());
        QVERIFY(source->note().isEmpty());
        QCOMPARE(notes.size(), 1);
    }

    void refusedOrSilentScriptFallsBackWithNote()
    {
        auto kwin = startKWin();
        kwin->nextId = -1;
        auto source = makeSource();
        QTRY_VERIFY(source->note().contains(QStringLiteral("KWin refused to load")));
        QVERIFY(!source->isLive());
        QCOMPARE(source->sample().title, FallbackStandIn::title());
        // Tried again a few times, then left alone.
        const auto loads = [&] {
            return kwin->calls.filter(QRegularExpression(QStringLiteral("^loadScript "))).size();
        };
        const int waitMs = KWinScriptWindowSource::LoadRetryDelayMs * (KWinScriptWindowSource::LoadAttempts + 1);
        QTRY_COMPARE_WITH_TIMEOUT(loads(), KWinScriptWindowSource::LoadAttempts, waitMs);
        QTest::qWait(KWinScriptWindowSource::LoadRetryDelayMs * 2);
        QCOMPARE(loads(), KWinScriptWindowSource::LoadAttempts);
        source.reset();

        // KWin owns its name a moment before it serves /Scripting: a later attempt succeeds.
        source = makeSource();
        QTRY_VERIFY(source->note().contains(QStringLiteral("KWin refused to load")));
        kwin->nextId = 2;
        QTRY_VERIFY_WITH_TIMEOUT(source->isLive(), KWinScriptWindowSource::LoadRetryDelayMs * 3);
        source.reset();

        // Loaded and started, but the script never calls back (broken by a KWin update, say).
        kwin->nextId = 3;
        kwin->runScripts = false;
        source = makeSource();
        QTRY_VERIFY(kwin->calls.constLast().startsWith(QStringLiteral("run ")));
        QVERIFY(!source->isLive());
        QTRY_VERIFY_WITH_TIMEOUT(source->note().contains(QStringLiteral("does not answer")),
                                 KWinScriptWindowSource::FirstReportTimeoutMs + 5000);
    }
};

QTEST_MAIN(TestKWinScriptWindowSource)
#include "tst_kwinscriptwindowsource.moc"
