#include "recorder.h"
#include "recordingfakes.h"
#include "settings.h"
#include "suspendhandler.h"
#include "suspendmonitor.h"
#include "testdb.h"
#include "windowprobe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    TestDb::TempDatabase m_db;
    FakeClock m_clock;
    FakeForegroundSource m_source;
    FakeAppMetadata m_metadata;
    FakeIdleSource m_idle;
    FakeSessionLock m_lock;
    FakeIdleInhibition m_inhibition;
    std::unique_ptr<WindowProbe> m_probe;
    std::unique_ptr<Recorder> m_recorder;
    QDate m_day;

    QString journalPath() const { return m_dir.filePath(QStringLiteral("recording.journal")); }

    std::unique_ptr<Recorder> makeRecorder()
    {
        auto recorder = std::make_unique<Recorder>(m_probe.get(), &m_idle, &m_clock);
        recorder->setJournalPath(journalPath());
        recorder->setSessionLock(&m_lock);
        recorder->setIdleInhibition(&m_inhibition);
        return recorder;
    }

    // One step a line: "hh:mm:ss[.zzz] path title [idle seconds]" is a tick ("-" for no path, "@self" for
    // this program's own); "hh:mm:ss pause",
    // "record", "flush", "lock" and "unlock" set the clock first; "show path title" fronts a window between ticks;
    // "inhibit" and "release" take and drop an idle inhibitor; "idle off", "idle on", "idle <minutes>" and
    // "presence off" change the settings; "never path keep|drop" lists an application as never recorded. A time earlier
    // than the one before is the next day.
    void run(const QStringList &script)
    {
        QTime last(0, 0);
        for (const QString &step : script) {
            const QStringList field = step.split(QLatin1Char(' '));
            if (field.at(0) == QLatin1String("idle")) {
                const bool limit = field.at(1).at(0).isDigit();
                if (limit) {
                    Settings::instance()->setValue(Setting::IdleLimit, field.at(1).toInt());
                } else {
                    Settings::instance()->setValue(Setting::IdleEnabled, field.at(1) == QLatin1String("on"));
                }
                continue;
            }
            if (field.at(0) == QLatin1String("inhibit") || field.at(0) == QLatin1String("release")) {
                m_inhibition.inhibited = field.at(0) == QLatin1String("inhibit");
                continue;
            }
            if (field.at(0) == QLatin1String("never")) {
                Settings::instance()->setValue(Setting::NeverRecordedApps, QStringList{field.at(1)});
                Settings::instance()->setValue(Setting::NeverRecordedKeepTime, field.at(2) == QLatin1String("keep"));
                continue;
            }
            if (field.at(0) == QLatin1String("presence")) {
                Settings::instance()->setValue(Setting::InhibitedIdleIsPresence, false);
                continue;
            }
            if (field.at(0) == QLatin1String("show")) {
                m_source.show(field.at(1), field.at(2));
                continue;
            }
            const QTime time = QTime::fromString(field.at(0), Qt::ISODateWithMs);
            m_day = time < last ? m_day.addDays(1) : m_day;
            last = time;
            m_clock.set(QDateTime(m_day, time));
            if (field.at(1) == QLatin1String("pause") || field.at(1) == QLatin1String("record")) {
                m_recorder->setRecording(field.at(1) == QLatin1String("record"));
            } else if (field.at(1) == QLatin1String("flush")) {
                m_recorder->flush();
            } else if (field.at(1) == QLatin1String("lock") || field.at(1) == QLatin1String("unlock")) {
                m_lock.set(field.at(1) == QLatin1String("lock"));
            } else {
                const QString path = field.at(1) == QLatin1String("@self") ? QCoreApplication::applicationFilePath()
                                     : field.at(1) == QLatin1String("-")   ? QString()
                                                                           : field.at(1);
                m_source.show(path, field.at(2));
                m_idle.seconds = field.value(3).toInt();
                m_recorder->updateApps();
            }
        }
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_db.isOpen()); }

    void init()
    {
        QSqlQuery query;
        QVERIFY(query.exec(QStringLiteral("PRAGMA query_only = OFF")));
        QVERIFY(query.exec(QStringLiteral("DELETE FROM entries")));
        QVERIFY(query.exec(QStringLiteral("DELETE FROM applications")));
        QFile::remove(journalPath());
        Settings::instance()->setValue(Setting::IdleEnabled, true);
        Settings::instance()->setValue(Setting::IdleLimit, 5);
        m_day = QDate(2012, 3, 10);
        m_idle.seconds = 0;
        m_lock.set(false);
        m_inhibition.inhibited = false;
        Settings::instance()->setValue(Setting::InhibitedIdleIsPresence, true);
        Settings::instance()->setValue(Setting::NeverRecordedApps, QStringList());
        m_probe = std::make_unique<WindowProbe>(&m_source, &m_metadata);
        m_recorder = makeRecorder();
        m_recorder->setRecording(true);
    }

    void cleanup() { m_recorder.reset(); }

    void script_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QStringList>("expected");
        // The away notices shown, in order, separated by "; ".
        QTest::addColumn<QString>("balloons");
        const auto add = [](const char *name, const char *script, const char *expected, const char *balloons = "") {
            const auto split = [](const char *text) {
                return QString::fromUtf8(text).split(QStringLiteral("; "), Qt::SkipEmptyParts);
            };
            QTest::newRow(name) << split(script) << split(expected) << QString::fromUtf8(balloons);
        };
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
        add("idle limit 0", "idle 0; 10:00:00 /e a.txt; 10:00:01 /m t1; 10:00:02 /e t2; 10:00:05 flush",
            "tavro://idle|at 10:00:00|10 10:00:00|10 10:00:05");
        add("idle disabled while away",
            "10:00:00 /e a.txt; 10:10:00 /e a.txt 400; idle off; 10:12:00 /e a.txt 520; idle on; "
            "10:12:30 /e a.txt 0; 10:12:31 /e a.txt 0",
            "/e|a.txt|10 10:00:00|10 10:05:00; tavro://idle|at 10:05:00|10 10:05:00|10 10:12:00",
            "Duration: 30 s\nInactivity period: 10:12:00 - 10:12:30");
        // A pause (or suspend) ends the away time where it stored it; its notice comes when recording goes
        // on and tells the stored period. Still idle then, away time starts again, never reaching back.
        add("pause while away",
            "10:00:00 /e a.txt; 10:10:00 /e a.txt 400; 10:11:00 pause; 10:20:00 record; 10:20:00 /e a.txt 900; "
            "10:20:01 /e a.txt 901; 10:20:02 /e a.txt 0; 10:20:05 flush",
            "/e|a.txt|10 10:00:00|10 10:05:00; tavro://idle|at 10:05:00|10 10:05:00|10 10:11:00; "
            "tavro://idle|at 10:20:00|10 10:20:00|10 10:20:02; /e|a.txt|10 10:20:02|10 10:20:05",
            "Duration: 6 m 0 s\nInactivity period: 10:05:00 - 10:11:00; "
            "Duration: 2 s\nInactivity period: 10:20:00 - 10:20:02");
        add("suspended overnight while away",
            "18:00:00 /e a.txt; 18:15:00 /e a.txt 900; 18:16:00 pause; 09:00:00 record; 09:00:00 /e a.txt 0; "
            "09:00:02 flush",
            "/e|a.txt|10 18:00:00|10 18:10:00; tavro://idle|at 18:10:00|10 18:10:00|10 18:16:00; "
            "/e|a.txt|11 09:00:00|11 09:00:02",
            "Duration: 6 m 0 s\nInactivity period: 18:10:00 - 18:16:00");
        // The program's own windows are not recorded: they end the stretch before them like a window
        // of an unknown program.
        add("own windows",
            "10:00:00 /e a.txt; 10:00:03 @self Settings; 10:00:20 @self Rules; 10:00:30 /m Inbox; "
            "10:00:32 flush",
            "/e|a.txt|10 10:00:00|10 10:00:03; /m|Inbox|10 10:00:30|10 10:00:32");
        // Idle in front of the program's own window is whole away time, from the moment the user left
        // (the start of recording here), and the notice tells that period.
        add("away in front of own window",
            "idle 1; 10:00:00 @self TavroDesk; 10:01:00 @self TavroDesk 60; 10:01:20 @self TavroDesk 80; "
            "10:01:21 @self TavroDesk 0; 10:01:22 flush",
            "tavro://idle|at 10:00:00|10 10:00:00|10 10:01:21",
            "Duration: 1 m 21 s\nInactivity period: 10:00:00 - 10:01:21");
        // ... but never reaches back into the stretch recorded before the own window came up.
        add("away after leaving a window for the own one",
            "idle 1; 10:00:00 /e a.txt; 10:00:30 @self TavroDesk 10; 10:01:10 @self TavroDesk 70; "
            "10:01:40 @self TavroDesk 0",
            "/e|a.txt|10 10:00:00|10 10:00:30; tavro://idle|at 10:00:30|10 10:00:30|10 10:01:40",
            "Duration: 1 m 10 s\nInactivity period: 10:00:30 - 10:01:40");
        // A window that came to the front by itself during the break must not end before it began.
        // Nor is the stretch that is left of no length stored.
        add("window fronted while away", "10:00:00 /e a.txt; 10:02:00 /m New 120; 10:05:30 /m New 330",
            "/e|a.txt|10 10:00:00|10 10:02:00");
        // The clock's milliseconds are rounded to the whole second before anything is measured, so live
        // and stored seconds agree; a window fronted within the same second holds no time.
        add("clock with milliseconds",
            "10:00:00.900 /e a.txt; 10:01:32.100 /m Inbox; 10:01:32.400 /e b.txt; 10:01:40.300 /m Inbox",
            "/e|a.txt|10 10:00:01|10 10:01:32; /e|b.txt|10 10:01:32|10 10:01:40");
        // An hour of slides without input is work; away time after it starts when the inhibitor went,
        // not an idle limit earlier.
        add("inhibited idle is presence",
            "10:00:00 /e slides.odp; inhibit; 10:30:00 /e slides.odp 1800; 10:59:59 /e slides.odp 3599; release; "
            "11:00:00 /e slides.odp 3600; 11:10:00 /e slides.odp 0",
            "/e|slides.odp|10 10:00:00|10 10:59:59; tavro://idle|at 10:59:59|10 10:59:59|10 11:10:00",
            "Duration: 10 m 1 s\nInactivity period: 10:59:59 - 11:10:00");
        add("inhibitors not counted",
            "presence off; 10:00:00 /e video.mkv; inhibit; 10:06:00 /e video.mkv 360; "
            "10:07:00 /e video.mkv 0",
            "/e|video.mkv|10 10:00:00|10 10:01:00; tavro://idle|at 10:01:00|10 10:01:00|10 10:07:00",
            "Duration: 6 m 0 s\nInactivity period: 10:01:00 - 10:07:00");
        // A never-recorded application's stretches keep their time under "Private", one stretch however
        // its titles change; or they are not recorded at all.
        add("never recorded, time kept",
            "never /pw keep; 10:00:00 /e a.txt; 10:00:05 /pw Bank-login; 10:00:09 /pw Mail:secret; "
            "10:00:12 /e a.txt; 10:00:14 flush",
            "/e|a.txt|10 10:00:00|10 10:00:05; /pw|Private|10 10:00:05|10 10:00:12; /e|a.txt|10 10:00:12|10 10:00:14");
        add("never recorded at all",
            "never /pw drop; 10:00:00 /e a.txt; 10:00:05 /pw Bank-login; 10:00:09 /pw Mail:secret; "
            "10:00:12 /e a.txt; 10:00:14 flush",
            "/e|a.txt|10 10:00:00|10 10:00:05; /e|a.txt|10 10:00:12|10 10:00:14");
        // Listed while in front: the open stretch loses its title too (or its time).
        add("listed while in front, time kept",
            "10:00:00 /pw Bank-login; 10:00:05 /pw Bank-login; never /pw keep; 10:00:06 /pw Bank-login; 10:00:09 /e "
            "a.txt",
            "/pw|Private|10 10:00:00|10 10:00:09");
        add("listed while in front, not recorded",
            "10:00:00 /pw Bank-login; 10:00:05 /pw Bank-login; never /pw drop; 10:00:06 /pw Bank-login; "
            "10:00:09 /e a.txt; 10:00:10 flush",
            "/e|a.txt|10 10:00:09|10 10:00:10");
        // Away time in front of it is away time like any.
        add("away in front of a never-recorded application",
            "never /pw keep; 10:00:00 /pw Bank-login; 10:06:00 /pw Bank-login 360; 10:07:00 /pw Bank-login 0",
            "/pw|Private|10 10:00:00|10 10:01:00; tavro://idle|at 10:01:00|10 10:01:00|10 10:07:00",
            "Duration: 6 m 0 s\nInactivity period: 10:01:00 - 10:07:00");
        // A locked session is away from the second it locks to the second it unlocks.
        // Between ticks: the window's stretch ends at the second of the lock, not a tick or an idle
        // limit later; input at the lock screen does not end the away time, unlocking does.
        add("lock between ticks",
            "10:00:00 /e a.txt; 10:00:07 /e a.txt; 10:00:07.600 lock; 10:00:09 /e a.txt 1; 10:03:00 /e a.txt 0; "
            "10:12:04.300 unlock; 10:12:05 /e a.txt 0; 10:12:09 flush",
            "/e|a.txt|10 10:00:00|10 10:00:08; tavro://idle|at 10:00:08|10 10:00:08|10 10:12:04; "
            "/e|a.txt|10 10:12:04|10 10:12:09",
            "Duration: 11 m 56 s\nInactivity period: 10:00:08 - 10:12:04");
        // Already away when the lock comes: one away period from when the user left until the unlock.
        add("lock while idle",
            "10:00:00 /e a.txt; 10:06:00 /e a.txt 360; 10:08:00 lock; 10:09:00 /e a.txt 0; 10:20:00 unlock",
            "/e|a.txt|10 10:00:00|10 10:01:00; tavro://idle|at 10:01:00|10 10:01:00|10 10:20:00",
            "Duration: 19 m 0 s\nInactivity period: 10:01:00 - 10:20:00");
        // Unlocked but nobody there: the away period goes on until input comes.
        add("unlocked without input",
            "10:00:00 /e a.txt; 10:01:00 lock; 10:30:00 /e a.txt 1740; 10:40:00 unlock; 10:40:01 /e a.txt 2341; "
            "10:41:00 /e a.txt 0",
            "/e|a.txt|10 10:00:00|10 10:01:00; tavro://idle|at 10:01:00|10 10:01:00|10 10:41:00",
            "Duration: 40 m 0 s\nInactivity period: 10:01:00 - 10:41:00");
        add("locked in front of an unrecorded window",
            "10:00:00 /e a.txt; 10:00:10 - dialog; 10:00:20 lock; 10:05:00 unlock; 10:05:02 /e a.txt",
            "/e|a.txt|10 10:00:00|10 10:00:10; tavro://idle|at 10:00:20|10 10:00:20|10 10:05:00",
            "Duration: 4 m 40 s\nInactivity period: 10:00:20 - 10:05:00");
        add("paused while locked", "10:00:00 /e a.txt; 10:01:00 pause; 10:02:00 lock; 10:03:00 unlock; 10:03:00 flush",
            "/e|a.txt|10 10:00:00|10 10:01:00");
        add("recording starts while locked",
            "10:00:00 pause; 10:00:30 lock; 10:01:00 record; 10:01:01 /e a.txt 60; 10:04:00 unlock; "
            "10:04:01 /e a.txt",
            "tavro://idle|at 10:01:01|10 10:01:01|10 10:04:00",
            "Duration: 2 m 59 s\nInactivity period: 10:01:01 - 10:04:00");
        add("away time switched off", "idle off; 10:00:00 /e a.txt; 10:01:00 lock; 10:05:00 unlock; 10:05:01 flush",
            "/e|a.txt|10 10:00:00|10 10:05:01");
    }

    void script()
    {
        QFETCH(QStringList, script);
        QFETCH(QStringList, expected);
        QFETCH(QString, balloons);
        QSignalSpy away(m_recorder.get(), &Recorder::awayTimeDetected);
        QSignalSpy stored(m_recorder.get(), &Recorder::entryStored);
        run(script);
        QCOMPARE(rows(), expected);
        // What the views are handed adds up to what the rows hold, to the second.
        qint64 live = 0;
        for (const QVariantList &entry : stored) {
            live += entry.at(0).toDateTime().secsTo(entry.at(1).toDateTime());
        }
        QSqlQuery sum(QStringLiteral("SELECT SUM(strftime('%s', end_time) - strftime('%s', start_time)) FROM entries"));
        QVERIFY(sum.next());
        QCOMPARE(live, sum.value(0).toLongLong());
        QCOMPARE(stored.size(), expected.size());

        QStringList shown;
        for (const QVariantList &notice : away) {
            shown << notice.at(1).toString();
        }
        QCOMPARE(shown.join(QStringLiteral("; ")), balloons);
    }

    // Applications are stored under their language-independent name; rows an earlier version stored
    // under a translated name keep serving them, so rules bound to those rows keep matching.
    void applicationIdentityIgnoresTheLanguage()
    {
        QSqlQuery query;
        QVERIFY(query.exec(QStringLiteral("INSERT INTO applications (path, name) VALUES ('/f', 'Dateien')")));
        const qint64 old = query.lastInsertId().toLongLong();
        const QStringList files{QStringLiteral("Files"), QStringLiteral("Dateien"), QStringLiteral("Fichiers")};
        for (const QString &shown : files) {
            QCOMPARE(Recorder::findApplication(WindowInfo{QStringLiteral("/f"), shown, QStringLiteral("t"), {}, files}),
                     old);
        }
        const QStringList notes{QStringLiteral("Notes"), QStringLiteral("Notizen")};
        const QDateTime start(m_day, QTime(9, 0));
        const qint64 german =
            m_recorder->storeEntry(start, start.addSecs(5), {QStringLiteral("/n"), notes.at(1), {}, {}, notes}).first;
        const qint64 english =
            m_recorder->storeEntry(start, start.addSecs(9), {QStringLiteral("/n"), notes.at(0), {}, {}, notes}).first;
        QCOMPARE(english, german);
        QVERIFY(query.exec(QStringLiteral("SELECT name FROM applications WHERE path = '/n'")) && query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("Notes"));
        QVERIFY(!query.next());
    }

    // The journal holds the open stretch: a never-recorded title must not be in it.
    void journalNeverHoldsAPrivateTitle()
    {
        run({QStringLiteral("never /pw keep"), QStringLiteral("10:00:00 /e a.txt"),
             QStringLiteral("10:00:04 /pw Bank-login-4711"), QStringLiteral("10:00:07 /pw Bank-login-4711")});
        QFile journal(journalPath());
        QVERIFY(journal.open(QIODevice::ReadOnly));
        const QByteArray held = journal.readAll();
        QVERIFY(held.contains("/pw") && held.contains("Private"));
        QVERIFY(!held.contains("4711"));
    }

    // A crash loses at most the open stretch's last RecordingJournal::SyncIntervalSecs; a stretch that
    // closed while the database refused it is in the journal from its tick on.
    void crashedStretchIsRecovered_data()
    {
        QTest::addColumn<bool>("refuseWrites");
        QTest::addColumn<QString>("switchAt");
        QTest::addColumn<QStringList>("recovered");
        const QString title = QString::fromUtf8("\"final\"\u00e9\u4e2d.txt");
        QTest::newRow("one window") << false << QString()
                                    << QStringList{QStringLiteral("/e|%1|10 10:00:00|10 10:00:20").arg(title)};
        QTest::newRow("closed while unstored")
            << true << QStringLiteral("10:00:23")
            << QStringList{QStringLiteral("/e|%1|10 10:00:00|10 10:00:23").arg(title),
                           QStringLiteral("/m|Inbox|10 10:00:23|10 10:00:23")};
    }

    void crashedStretchIsRecovered()
    {
        QFETCH(bool, refuseWrites);
        QFETCH(QString, switchAt);
        QFETCH(QStringList, recovered);
        const QString title = QString::fromUtf8("\"final\"\u00e9\u4e2d.txt");
        QSqlQuery query;
        QVERIFY(query.exec(refuseWrites ? QStringLiteral("PRAGMA query_only = ON")
                                        : QStringLiteral("PRAGMA query_only = OFF")));
        QStringList script;
        bool switched = false;
        for (int s = 0; s <= 25; ++s) {
            const QString time = QStringLiteral("10:00:%1").arg(s, 2, 10, QLatin1Char('0'));
            switched = switched || time == switchAt;
            script << time + (switched ? QStringLiteral(" /m Inbox") : QStringLiteral(" /e ") + title);
        }
        run(script);
        // This run's own journal is not taken for one left behind.
        QVERIFY(!m_recorder->recoverJournal());
        QVERIFY(QFile::exists(journalPath()));

        // The process dies without flushing; a paused start keeps the journal, starting stores it.
        QVERIFY(query.exec(QStringLiteral("PRAGMA query_only = OFF")));
        m_recorder = makeRecorder();
        m_recorder->setRecording(false);
        QVERIFY(QFile::exists(journalPath()));
        QVERIFY(rows().isEmpty());
        m_recorder->setRecording(true);
        QCOMPARE(rows(), recovered);
        QVERIFY(!QFile::exists(journalPath()));
    }

    // A journal that cannot be read is kept aside, never replaced by this run's: what it holds can
    // still be recovered by hand.
    void unreadableJournalIsKeptAside()
    {
        m_recorder = makeRecorder();
        const QByteArray garbage("\x01\x02not json at all");
        QFile file(journalPath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(garbage) == garbage.size());
        file.close();
        m_recorder->setRecording(true);
        run({QStringLiteral("10:00:00 /e a.txt"), QStringLiteral("10:00:03 /m Inbox")});
        QCOMPARE(rows(), QStringList{QStringLiteral("/e|a.txt|10 10:00:00|10 10:00:03")});
        const QStringList aside =
            QDir(m_dir.path()).entryList({QStringLiteral("recording.journal.unread-*")}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QFile kept(m_dir.filePath(aside.constFirst()));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), garbage);
        QVERIFY(kept.remove());
    }

    // Earlier versions wrote journals without a cap: one over today's cap is still read and stored whole.
    void largeJournalOfAnEarlierRunIsStoredWhole()
    {
        QList<JournalStretch> stretches;
        const QDateTime start(m_day, QTime(0, 0));
        for (int i = 0; i < 2500; ++i) {
            JournalStretch stretch{start.addSecs(i * 10), start.addSecs(i * 10 + 10), {}};
            stretch.info.path = QStringLiteral("/opt/") + QString(2000, QLatin1Char('d')) + QStringLiteral("/e");
            stretch.info.name = QStringLiteral("E");
            stretch.info.title = QStringLiteral("t%1").arg(i);
            stretches << stretch;
        }
        const QByteArray text = RecordingJournal::serialize(stretches);
        QVERIFY(text.size() > RecordingJournal::MaxBytes);
        QFile file(journalPath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();

        m_clock.set(QDateTime(m_day, QTime(12, 0)));
        m_recorder = makeRecorder();
        m_recorder->setRecording(true);
        QSqlQuery count(QStringLiteral("SELECT COUNT(*), MIN(start_time), MAX(end_time) FROM entries"));
        QVERIFY(count.next());
        QCOMPARE(count.value(0).toInt(), 2500);
        QCOMPARE(count.value(1).toString(), QStringLiteral("2012-03-10 00:00:00"));
        QCOMPARE(count.value(2).toString(), QStringLiteral("2012-03-10 06:56:40"));
        QVERIFY(!QFile::exists(journalPath()));
    }

    // While the database refuses writes, the journal stops growing at its cap and the notice says
    // what a crash would now lose; everything waits in memory and is stored once writing works.
    void fullJournalIsCappedAndSaysSo()
    {
        QSqlQuery query;
        QVERIFY(query.exec(QStringLiteral("PRAGMA query_only = ON")));
        QSignalSpy failing(m_recorder.get(), &Recorder::storageFailing);
        const QString longPath = QStringLiteral("/") + QString(100 * 1024, QLatin1Char('p')) + QStringLiteral("/e");
        QStringList script;
        for (int i = 0; i < 60; ++i) {
            script << QStringLiteral("10:%1:00 %2 t%3").arg(i, 2, 10, QLatin1Char('0')).arg(longPath).arg(i);
        }
        run(script);
        QVERIFY(QFileInfo(journalPath()).size() <= RecordingJournal::MaxBytes);
        QCOMPARE(m_recorder->unstored().size(), 59);
        QVERIFY(!failing.isEmpty());
        QVERIFY2(failing.constLast().at(1).toString().contains(QStringLiteral("The recording journal is full")),
                 qPrintable(failing.constLast().at(1).toString()));

        // A crash now brings back the oldest stretches and the open one.
        const RecordingJournal::Contents kept = RecordingJournal(journalPath()).read(m_clock.now(), {});
        QCOMPARE(kept.problem, QString());
        // Each stretch takes about 200 KiB (path and name): some 20 fit.
        QVERIFY2(kept.stretches.size() > 10 && kept.stretches.size() < 60,
                 qPrintable(QString::number(kept.stretches.size())));
        QCOMPARE(kept.stretches.constFirst().info.title, QStringLiteral("t0"));
        QCOMPARE(kept.stretches.constLast().info.title, QStringLiteral("t59"));

        QVERIFY(query.exec(QStringLiteral("PRAGMA query_only = OFF")));
        run({QStringLiteral("11:00:00 /e end")});
        QCOMPARE(rows().size(), 60);
    }

    // Nothing recorded may vanish while the database refuses writes (a read-only file, a full disk,
    // another process holding it): it waits in memory and in the journal, is never announced as
    // stored, survives a restart and is stored in order once writing works again.
    void unstoredTimeWaitsForTheDatabase_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("writes refused") << false;
        QTest::newRow("locked by another connection") << true;
    }

    void unstoredTimeWaitsForTheDatabase()
    {
        QFETCH(bool, locked);
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        other.setDatabaseName(m_db.path());
        QVERIFY(other.open());
        const auto refuseWrites = [&](bool refuse) {
            QSqlQuery query(locked ? other : QSqlDatabase::database());
            const QString on = locked ? QStringLiteral("BEGIN EXCLUSIVE") : QStringLiteral("PRAGMA query_only = ON");
            const QString off = locked ? QStringLiteral("COMMIT") : QStringLiteral("PRAGMA query_only = OFF");
            QVERIFY(query.exec(refuse ? on : off));
        };
        QSignalSpy stored(m_recorder.get(), &Recorder::entryStored);
        QSignalSpy failing(m_recorder.get(), &Recorder::storageFailing);
        run({QStringLiteral("10:00:00 /e a.txt")});
        refuseWrites(true);
        run({QStringLiteral("10:00:05 /m Inbox"), QStringLiteral("10:00:07 /e b.txt"),
             QStringLiteral("10:00:09 flush")});
        QCOMPARE(stored.size(), 0);
        QCOMPARE(failing.size(), 1);
        QCOMPARE(failing.first().at(0).toBool(), true);
        QVERIFY(!failing.first().at(1).toString().isEmpty());
        QCOMPARE(m_recorder->unstored().size(), 3);
        QVERIFY(QFile::exists(journalPath()));

        // A restart while the database still refuses keeps everything.
        m_recorder = makeRecorder();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^cannot store recorded time")));
        m_recorder->setRecording(true);
        QCOMPARE(m_recorder->unstored().size(), 3);
        QVERIFY(m_recorder->isStorageFailing());
        QVERIFY(QFile::exists(journalPath()));

        refuseWrites(false);
        QSignalSpy storedLater(m_recorder.get(), &Recorder::entryStored);
        QSignalSpy recovered(m_recorder.get(), &Recorder::storageFailing);
        // Not tried again before its time, then stored in order.
        run({QStringLiteral("10:00:12 /e c.txt")});
        QCOMPARE(storedLater.size(), 0);
        run({QStringLiteral("10:00:30 /e c.txt")});
        QCOMPARE(storedLater.size(), 3);
        QCOMPARE(recovered.size(), 1);
        QCOMPARE(recovered.first().at(0).toBool(), false);
        QCOMPARE(rows(), (QStringList{QStringLiteral("/e|a.txt|10 10:00:00|10 10:00:05"),
                                      QStringLiteral("/m|Inbox|10 10:00:05|10 10:00:07"),
                                      QStringLiteral("/e|b.txt|10 10:00:07|10 10:00:09")}));
        QVERIFY(storedLater.at(2).at(4).toLongLong() > 0);
        m_recorder->flush();
        QVERIFY(!QFile::exists(journalPath()));
        other.close();
        other = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
    }

    // A quit while neither the database nor the journal takes the recorded time: flush() says so,
    // so that the user can be asked before it is lost.
    void flushTellsWhenTimeWouldBeLost()
    {
        QSqlQuery query;
        QVERIFY(query.exec(QStringLiteral("PRAGMA query_only = ON")));
        // The journal's next version cannot be written where a folder stands.
        QVERIFY(QDir().mkdir(journalPath() + QStringLiteral(".new")));
        run({QStringLiteral("10:00:00 /e a.txt"), QStringLiteral("10:00:05 /m Inbox")});
        m_clock.set(QDateTime(m_day, QTime(10, 0, 9)));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                               "^the time recorded from 2012-03-10 10:00:00 to 2012-03-10 10:00:09 "
                                               "\\( 2 stretches\\) is neither stored nor kept in the journal")));
        QVERIFY(!m_recorder->flush());

        QVERIFY(QDir().rmdir(journalPath() + QStringLiteral(".new")));
        QVERIFY(m_recorder->flush());
        QVERIFY(QFile::exists(journalPath()));
        QVERIFY(query.exec(QStringLiteral("PRAGMA query_only = OFF")));
        QVERIFY(m_recorder->flush());
        QCOMPARE(rows(), (QStringList{QStringLiteral("/e|a.txt|10 10:00:00|10 10:00:05"),
                                      QStringLiteral("/m|Inbox|10 10:00:05|10 10:00:09")}));
    }

    void suspendAndResumeOverMidnight()
    {
        SuspendMonitor monitor;
        SuspendHandler handler(&monitor, m_recorder.get(), &m_clock, [] { return QDate(2012, 3, 10); });
        QSignalSpy dateChanged(&handler, &SuspendHandler::dateChangedSinceSuspend);
        run({QStringLiteral("22:00:00 /e a.txt")});
        m_clock.set(QDateTime(m_day, QTime(22, 0, 30)));
        Q_EMIT monitor.suspending();
        QVERIFY(!m_recorder->isRecording());
        // The stretch up to the suspend is kept.
        QCOMPARE(rows(), QStringList{QStringLiteral("/e|a.txt|10 22:00:00|10 22:00:30")});
        m_clock.advance(3 * 3600);
        Q_EMIT monitor.resumed();
        QVERIFY(m_recorder->isRecording());
        QCOMPARE(dateChanged.size(), 1);
        QCOMPARE(dateChanged.at(0).at(0).toDate(), QDate(2012, 3, 11));
    }
};

QTEST_MAIN(TestRecorder)
#include "tst_recorder.moc"
