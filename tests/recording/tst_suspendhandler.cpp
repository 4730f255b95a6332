#include "database.h"
#include "recorder.h"
#include "recordingfakes.h"
#include "settings.h"
#include "suspendhandler.h"
#include "suspendmonitor.h"
#include "windowprobe.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

class TestSuspendHandler : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Database m_db;
    FakeClock m_clock;
    FakeForegroundSource m_source;
    FakeAppMetadata m_metadata;
    FakeIdleSource m_idle;
    QDate m_selected;

    int entryCount()
    {
        QSqlQuery query(QStringLiteral("SELECT count(*) FROM entries"));
        return query.next() ? query.value(0).toInt() : -1;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_db.open(m_dir.filePath(QStringLiteral("s.sqlite")), nullptr));
        Database::createSchema();
        Settings::instance()->values[QStringLiteral("IdleEnabled")] = false;
        m_source.show(QStringLiteral("/opt/suspend-test/editor"), QStringLiteral("a.txt"));
    }

    void init()
    {
        QSqlQuery query;
        QVERIFY(query.exec(QStringLiteral("DELETE FROM entries")));
        m_clock.set(QDateTime(QDate(2012, 3, 10), QTime(22, 0, 0)));
        m_selected = m_clock.today();
    }

    void suspendWhileRecordingResumesRecording()
    {
        WindowProbe probe(&m_source, &m_metadata);
        Recorder recorder(&probe, &m_idle, &m_clock);
        SuspendMonitor monitor;
        SuspendHandler handler(&monitor, &recorder, &m_clock, [this] { return m_selected; });
        QSignalSpy dateChanged(&handler, &SuspendHandler::dateChangedSinceSuspend);

        recorder.setRecording(true);
        recorder.updateApps();
        m_clock.advance(30);

        QTest::ignoreMessage(QtDebugMsg, "suspend");
        QTest::ignoreMessage(QtDebugMsg, "timer running on suspend");
        QTest::ignoreMessage(QtDebugMsg, "pause recording");
        Q_EMIT monitor.suspending();
        QVERIFY(!recorder.isRecording());
        QVERIFY(handler.wasRecordingOnSuspend());
        // The stretch up to the suspend is kept.
        QCOMPARE(entryCount(), 1);

        m_clock.advance(3600);
        QTest::ignoreMessage(QtDebugMsg, "resume suspend");
        QTest::ignoreMessage(QtDebugMsg, "was recording on suspend. start recording");
        Q_EMIT monitor.resumed();
        QVERIFY(recorder.isRecording());
        QCOMPARE(dateChanged.size(), 0);
        // A fresh stretch starts at the first tick after waking up.
        recorder.updateApps();
        QCOMPARE(recorder.currentStart(), m_clock.now());
        QCOMPARE(entryCount(), 1);
    }

    void suspendWhilePausedStaysPaused()
    {
        WindowProbe probe(&m_source, &m_metadata);
        Recorder recorder(&probe, &m_idle, &m_clock);
        SuspendMonitor monitor;
        SuspendHandler handler(&monitor, &recorder, &m_clock, [this] { return m_selected; });
        QSignalSpy recordingChanged(&recorder, &Recorder::recordingChanged);

        QTest::ignoreMessage(QtDebugMsg, "suspend");
        QTest::ignoreMessage(QtDebugMsg, "not recording");
        Q_EMIT monitor.suspending();
        QTest::ignoreMessage(QtDebugMsg, "resume suspend");
        QTest::ignoreMessage(QtDebugMsg, "was not recording");
        Q_EMIT monitor.resumed();
        QVERIFY(!recorder.isRecording());
        QVERIFY(!handler.wasRecordingOnSuspend());
        QCOMPARE(recordingChanged.size(), 0);
    }

    void wakingUpOnAnotherDayShowsToday()
    {
        WindowProbe probe(&m_source, &m_metadata);
        Recorder recorder(&probe, &m_idle, &m_clock);
        SuspendMonitor monitor;
        SuspendHandler handler(&monitor, &recorder, &m_clock, [this] { return m_selected; });
        QSignalSpy dateChanged(&handler, &SuspendHandler::dateChangedSinceSuspend);

        Q_EMIT monitor.suspending();
        m_clock.advance(5 * 3600);
        QTest::ignoreMessage(QtDebugMsg, "resume suspend");
        QTest::ignoreMessage(QtDebugMsg, "was not recording");
        QTest::ignoreMessage(QtDebugMsg, "date has changed since suspend. old = QDate(\"2012-03-10\") , new = "
                                         "QDate(\"2012-03-11\")");
        Q_EMIT monitor.resumed();
        QCOMPARE(dateChanged.size(), 1);
        QCOMPARE(dateChanged.at(0).at(0).toDate(), QDate(2012, 3, 11));

        // The main window follows; a second wake-up the same day changes nothing.
        m_selected = m_clock.today();
        Q_EMIT monitor.suspending();
        Q_EMIT monitor.resumed();
        QCOMPARE(dateChanged.size(), 1);
    }

    void worksWithoutMonitor()
    {
        WindowProbe probe(&m_source, &m_metadata);
        Recorder recorder(&probe, &m_idle, &m_clock);
        SuspendHandler handler(nullptr, &recorder, &m_clock, [this] { return m_selected; });
        recorder.setRecording(true);
        handler.onSuspend();
        QVERIFY(!recorder.isRecording());
        handler.onResume();
        QVERIFY(recorder.isRecording());
    }
};

QTEST_MAIN(TestSuspendHandler)
#include "tst_suspendhandler.moc"
