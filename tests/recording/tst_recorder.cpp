#include "database.h"
#include "recorder.h"
#include "recordingfakes.h"
#include "settings.h"
#include "suspendhandler.h"
#include "suspendmonitor.h"
#include "timetext.h"
#include "trayanimation.h"
#include "windowprobe.h"

#include <QFile>
#include <QSet>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Every stored entry as "path|title|dd hh:mm:ss|dd hh:mm:ss", in insertion order.
QStringList rows()
{
    QStringList result;
    QSqlQuery query(QStringLiteral("SELECT a.path, e.title, e.start_time, e.end_time FROM entries e JOIN "
                                   "applications a ON a.id = e.application_id ORDER BY e.id"));
    while (query.next()) {
        result << QStringList{query.value(0).toString(), query.value(1).toString(), query.value(2).toString().mid(8),
                              query.value(3).toString().mid(8)}
                      .join(QLatin1Char('|'));
    }
    return result;
}
} // namespace

class TestRecorder : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Database m_db;
    FakeClock m_clock;
    FakeForegroundSource m_source;
    FakeAppMetadata m_metadata;
    FakeIdleSource m_idle;
    std::unique_ptr<WindowProbe> m_probe;
    std::unique_ptr<Recorder> m_recorder;
    QDate m_day;

    QString journalPath() const { return m_dir.filePath(QStringLiteral("recording.journal")); }

    std::unique_ptr<Recorder> makeRecorder()
    {
        auto recorder = std::make_unique<Recorder>(m_probe.get(), &m_idle, &m_clock);
        recorder->setJournalPath(journalPath());
        return recorder;
    }

    // One step a line: "hh:mm:ss path title [idle seconds]" is a tick ("-" for no path); "hh:mm:ss pause",
    // "record" and "flush" set the clock first; "show path title" fronts a window between ticks; "idle off",
    // "idle on" and "idle <minutes>" change the settings. A time earlier than the one before is the next day.
    void run(const QStringList &script)
    {
        QTime last(0, 0);
        for (const QString &step : script) {
            const QStringList field = step.split(QLatin1Char(' '));
            if (field.at(0) == QLatin1String("idle")) {
                auto &values = Settings::instance()->values;
                if (field.at(1) == QLatin1String("on") || field.at(1) == QLatin1String("off")) {
                    values[QStringLiteral("IdleEnabled")] = field.at(1) == QLatin1String("on");
                } else {
                    values[QStringLiteral("IdleLimit")] = field.at(1).toInt();
                }
                continue;
            }
            if (field.at(0) == QLatin1String("show")) {
                m_source.show(field.at(1), field.at(2));
                continue;
            }
            const QTime time = QTime::fromString(field.at(0));
            m_day = time < last ? m_day.addDays(1) : m_day;
            last = time;
            m_clock.set(QDateTime(m_day, time));
            if (field.at(1) == QLatin1String("pause") || field.at(1) == QLatin1String("record")) {
                m_recorder->setRecording(field.at(1) == QLatin1String("record"));
            } else if (field.at(1) == QLatin1String("flush")) {
                m_recorder->flush();
            } else {
                m_source.show(field.at(1) == QLatin1String("-") ? QString() : field.at(1), field.at(2));
                m_idle.seconds = field.value(3).toInt();
                m_recorder->updateApps();
            }
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_db.open(m_dir.filePath(QStringLiteral("r.sqlite")), nullptr));
        Database::createSchema();
    }

    void init()
    {
        QSqlQuery query;
        QVERIFY(query.exec(QStringLiteral("DELETE FROM entries")));
        QVERIFY(query.exec(QStringLiteral("DELETE FROM applications")));
        QFile::remove(journalPath());
        Settings::instance()->values[QStringLiteral("IdleEnabled")] = true;
        Settings::instance()->values[QStringLiteral("IdleLimit")] = 5;
        m_day = QDate(2012, 3, 10);
        m_idle.seconds = 0;
        m_probe = std::make_unique<WindowProbe>(&m_source, &m_metadata);
        m_recorder = makeRecorder();
        m_recorder->setRecording(true);
    }

    void cleanup() { m_recorder.reset(); }

    void script_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("balloons");
        const auto add = [](const char *name, const char *script, const char *expected, const char *balloon = "") {
            const auto split = [](const char *text) {
                return QString::fromUtf8(text).split(QStringLiteral("; "), Qt::SkipEmptyParts);
            };
            QTest::newRow(name) << split(script) << split(expected) << split(balloon);
        };
        add("window changes", "10:00:00 /e a.txt; 10:00:02 /e a.txt; 10:00:03 /m Inbox; 10:00:05 /e a.txt",
            "/e|a.txt|10 10:00:00|10 10:00:03; /m|Inbox|10 10:00:03|10 10:00:05");
        add("window seen by no tick", "10:00:00 /e a.txt; show /m Inbox; 10:00:01 /e a.txt; 10:00:01 flush",
            "/e|a.txt|10 10:00:00|10 10:00:01");
        add("titles and applications", "10:00:00 /e a.txt; 10:00:04 /e b.txt; 10:00:06 /m b.txt; 10:00:09 /e a.txt",
            "/e|a.txt|10 10:00:00|10 10:00:04; /e|b.txt|10 10:00:04|10 10:00:06; /m|b.txt|10 10:00:06|10 10:00:09");
        add("unidentified windows",
            "10:00:00 /e a.txt; 10:00:02 - dialog; 10:00:03 - dialog; 10:00:04 - other; 10:00:07 /m Inbox; "
            "10:00:09 /e a.txt",
            "/e|a.txt|10 10:00:00|10 10:00:02; /m|Inbox|10 10:00:07|10 10:00:09");
        add("midnight", "23:59:58 /e a.txt; 23:59:59 /e a.txt; 00:00:03 /e a.txt; 00:00:10 /m Inbox",
            "/e|a.txt|10 23:59:58|11 00:00:10");
        add("pause",
            "10:00:00 /e a.txt; 10:00:05 /e a.txt; 10:00:07 pause; 10:00:08 pause; 10:01:00 record; "
            "10:01:00 /e a.txt; 10:01:03 /m Inbox",
            "/e|a.txt|10 10:00:00|10 10:00:07; /e|a.txt|10 10:01:00|10 10:01:03");
        add("quit", "10:00:00 /e a.txt; 10:00:08 /e a.txt; 10:00:09 flush; 10:00:10 flush",
            "/e|a.txt|10 10:00:00|10 10:00:09");
        add("away",
            "10:05:00 /e a.txt; 10:19:59 /e a.txt 299; 10:20:00 /e a.txt 300; 10:20:01 /m Inbox 301; "
            "10:47:29 /m Inbox 1949; 10:47:30 /m Inbox 0",
            "/e|a.txt|10 10:05:00|10 10:15:00; tavro://idle|at 10:15:00|10 10:15:00|10 10:47:30",
            "Duration: 32 m 30 s\nInactivity period: 10:15:00 - 10:47:30");
        add("idle disabled", "idle off; 10:00:00 /e a.txt; 10:30:00 /e a.txt 1800; 10:31:00 /m Inbox",
            "/e|a.txt|10 10:00:00|10 10:31:00");
        add("idle limit 0", "idle 0; 10:00:00 /e a.txt; 10:00:01 /m t1; 10:00:02 /e t2; 10:00:05 flush",
            "tavro://idle|at 10:00:00|10 10:00:00|10 10:00:05");
        add("idle disabled while away",
            "10:00:00 /e a.txt; 10:10:00 /e a.txt 400; idle off; 10:12:00 /e a.txt 520; idle on; "
            "10:12:30 /e a.txt 0; 10:12:31 /e a.txt 0",
            "/e|a.txt|10 10:00:00|10 10:05:00; tavro://idle|at 10:05:00|10 10:05:00|10 10:12:00",
            "Duration: 30 s\nInactivity period: 10:12:00 - 10:12:30");
        add("pause while away",
            "10:00:00 /e a.txt; 10:10:00 /e a.txt 400; 10:11:00 pause; 10:20:00 record; 10:20:00 /e a.txt 900; "
            "10:20:01 /e a.txt 901; 10:20:02 /e a.txt 0; 10:20:05 flush",
            "/e|a.txt|10 10:00:00|10 10:05:00; tavro://idle|at 10:05:00|10 10:05:00|10 10:11:00; "
            "/e|a.txt|10 10:20:02|10 10:20:05",
            "Duration: 1 s\nInactivity period: 10:20:01 - 10:20:02");
        // A window that came to the front by itself during the break must not end before it began.
        add("window fronted while away", "10:00:00 /e a.txt; 10:02:00 /m New 120; 10:05:30 /m New 330",
            "/e|a.txt|10 10:00:00|10 10:02:00; /m|New|10 10:02:00|10 10:02:00");
    }

    void script()
    {
        QFETCH(QStringList, script);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, balloons);
        QSignalSpy stored(m_recorder.get(), &Recorder::entryStored);
        QSignalSpy away(m_recorder.get(), &Recorder::awayTimeDetected);
        run(script);
        QCOMPARE(rows(), expected);

        // Each stored entry is announced with its ids, and an application is stored once.
        QCOMPARE(stored.size(), expected.size());
        QSqlQuery query(QStringLiteral("SELECT application_id, id, start_time, title FROM entries ORDER BY id"));
        for (const QList<QVariant> &signal : stored) {
            QVERIFY(query.next());
            QCOMPARE(signal.at(3).toLongLong(), query.value(0).toLongLong());
            QCOMPARE(signal.at(4).toLongLong(), query.value(1).toLongLong());
            QCOMPARE(TimeText::formatDateTime(signal.at(0).toDateTime()), query.value(2).toString());
            QCOMPARE(signal.at(2).value<WindowInfo>().title, query.value(3).toString());
        }
        QSet<QString> paths;
        for (const QString &row : expected) {
            paths.insert(row.section(QLatin1Char('|'), 0, 0));
        }
        QSqlQuery applications(QStringLiteral("SELECT count(*) FROM applications"));
        QVERIFY(applications.next());
        QCOMPARE(applications.value(0).toInt(), paths.size());

        QStringList messages;
        for (const QList<QVariant> &balloon : away) {
            QCOMPARE(balloon.at(0).toString(), QStringLiteral("Away time detected"));
            messages << balloon.at(1).toString();
        }
        QCOMPARE(messages, balloons);
    }

    void timersDriveTicksAndTrayFrames()
    {
        TrayAnimation animation;
        connect(m_recorder.get(), &Recorder::recordingChanged, &animation, &TrayAnimation::setRecording);
        m_recorder->setRecording(false);
        QCOMPARE(animation.currentIconPath(), TrayAnimation::idleIconPath());
        m_recorder->setRecording(true);
        // The frames wrap around after the last one.
        for (int i = 0; i <= TrayAnimation::FrameCount; ++i) {
            QCOMPARE(animation.currentIconPath(), TrayAnimation::framePath(i % TrayAnimation::FrameCount));
            animation.updateTrayIcon();
        }
        m_source.show(QStringLiteral("/e"), QStringLiteral("a.txt"));
        QTRY_COMPARE_WITH_TIMEOUT(m_recorder->currentWindow().path, QStringLiteral("/e"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(animation.frameIndex() != 1, 5000);
        m_recorder->setRecording(false);
        QVERIFY(!animation.isRunning());
        QCOMPARE(animation.currentIconPath(), TrayAnimation::idleIconPath());
    }

    void crashedStretchIsRecovered()
    {
        const QString title = QString::fromUtf8("\"final\"\u00e9\u4e2d.txt");
        QStringList script;
        for (int s = 0; s <= 25; ++s) {
            script << QStringLiteral("10:00:%1 /e ").arg(s, 2, 10, QLatin1Char('0')) + title;
        }
        run(script);
        // This run's own journal is not taken for one left behind.
        QVERIFY(!m_recorder->recoverJournal());
        QVERIFY(QFile::exists(journalPath()));

        // The process dies without flushing; a paused start keeps the journal, starting stores it.
        m_recorder = makeRecorder();
        m_recorder->setRecording(false);
        QVERIFY(QFile::exists(journalPath()));
        QVERIFY(rows().isEmpty());
        m_recorder->setRecording(true);
        QCOMPARE(rows(), QStringList{QStringLiteral("/e|%1|10 10:00:00|10 10:00:20").arg(title)});
        QVERIFY(!QFile::exists(journalPath()));
        QVERIFY(!m_recorder->recoverJournal());

        // Ticks without a start of recording store a left journal before writing their own.
        run({QStringLiteral("11:00:00 /m Inbox")});
        m_recorder = makeRecorder();
        run({QStringLiteral("12:00:00 /e b.txt")});
        QCOMPARE(rows().last(), QStringLiteral("/m|Inbox|10 11:00:00|10 11:00:00"));
        m_recorder->setRecording(false);
        QVERIFY(!QFile::exists(journalPath()));
    }

    void corruptJournalIsDiscarded_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("garbage") << QByteArray("\x01\x02not json at all");
        QTest::newRow("no path") << QByteArray(
            "{\"path\":\"\",\"title\":\"t\",\"start\":\"2012-03-10 10:00:00\",\"checkpoint\":\"2012-03-10 10:00:10\"}");
        QTest::newRow("ends before start")
            << QByteArray("{\"path\":\"/e\",\"title\":\"t\",\"start\":\"2012-03-10 10:00:00\",\"checkpoint\":\"2012-"
                          "03-10 09:00:00\"}");
    }

    void corruptJournalIsDiscarded()
    {
        QFETCH(QByteArray, content);
        m_recorder = makeRecorder();
        QFile file(journalPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^discarding corrupt recording journal")));
        m_recorder->setRecording(true);
        QVERIFY(!QFile::exists(journalPath()));
        run({QStringLiteral("10:00:00 /e a.txt"), QStringLiteral("10:00:03 /m Inbox")});
        QCOMPARE(rows(), QStringList{QStringLiteral("/e|a.txt|10 10:00:00|10 10:00:03")});
    }

    void unwritableJournalDoesNotStopRecording()
    {
        m_recorder->setJournalPath(m_dir.filePath(QStringLiteral("missing-folder/recording.journal")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^cannot write recording journal")));
        run({QStringLiteral("10:00:00 /e a.txt"), QStringLiteral("10:00:01 /e a.txt"),
             QStringLiteral("10:00:02 /m Inbox")});
        QCOMPARE(rows(), QStringList{QStringLiteral("/e|a.txt|10 10:00:00|10 10:00:02")});
    }

    void suspendAndResume_data()
    {
        QTest::addColumn<bool>("recording");
        QTest::addColumn<int>("hoursAsleep");
        QTest::addColumn<QDate>("dateChange");
        QTest::newRow("recording, same day") << true << 1 << QDate();
        QTest::newRow("recording, next day") << true << 3 << QDate(2012, 3, 11);
        QTest::newRow("paused, next day") << false << 5 << QDate(2012, 3, 11);
    }

    void suspendAndResume()
    {
        QFETCH(bool, recording);
        QFETCH(int, hoursAsleep);
        QFETCH(QDate, dateChange);
        SuspendMonitor monitor;
        SuspendHandler handler(&monitor, m_recorder.get(), &m_clock, [] { return QDate(2012, 3, 10); });
        QSignalSpy dateChanged(&handler, &SuspendHandler::dateChangedSinceSuspend);
        run({recording ? QStringLiteral("22:00:00 /e a.txt") : QStringLiteral("22:00:00 pause")});
        m_clock.set(QDateTime(m_day, QTime(22, 0, 30)));
        Q_EMIT monitor.suspending();
        QVERIFY(!m_recorder->isRecording());
        // The stretch up to the suspend is kept.
        QCOMPARE(rows(), recording ? QStringList{QStringLiteral("/e|a.txt|10 22:00:00|10 22:00:30")} : QStringList());

        m_clock.advance(hoursAsleep * 3600);
        Q_EMIT monitor.resumed();
        QCOMPARE(m_recorder->isRecording(), recording);
        QCOMPARE(dateChanged.size(), int(dateChange.isValid()));
        QCOMPARE(dateChanged.value(0).value(0).toDate(), dateChange);
    }
};

QTEST_MAIN(TestRecorder)
#include "tst_recorder.moc"
