#include "database.h"
#include "recorder.h"
#include "recordingfakes.h"
#include "settings.h"
#include "windowprobe.h"

#include <QFile>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString Editor = QStringLiteral("/opt/recorder-test/editor");
const QString Mail = QStringLiteral("/opt/recorder-test/mail");
const QString Away = QStringLiteral("tavro://idle");

QDateTime at(int h, int m, int s, int day = 10)
{
    return QDateTime(QDate(2012, 3, day), QTime(h, m, s));
}

// Every stored entry as "path|title|start|end", in insertion order.
QStringList storedEntries()
{
    QStringList rows;
    QSqlQuery query(QStringLiteral("SELECT a.path, e.title, e.start_time, e.end_time FROM entries e JOIN "
                                   "applications a ON a.id = e.application_id ORDER BY e.id"));
    while (query.next()) {
        rows << QStringList{query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                            query.value(3).toString()}
                    .join(QLatin1Char('|'));
    }
    return rows;
}

QString row(const QString &path, const QString &title, const QString &start, const QString &end)
{
    return QStringList{path, title, QStringLiteral("2012-03-") + start, QStringLiteral("2012-03-") + end}.join(
        QLatin1Char('|'));
}

int countRows(const QString &table)
{
    QSqlQuery query(QStringLiteral("SELECT count(*) FROM ") + table);
    return query.next() ? query.value(0).toInt() : -1;
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

    QString journalPath() const { return m_dir.filePath(QStringLiteral("recording.journal")); }

    std::unique_ptr<Recorder> makeRecorder()
    {
        auto recorder = std::make_unique<Recorder>(m_probe.get(), &m_idle, &m_clock);
        recorder->setJournalPath(journalPath());
        return recorder;
    }

    // Shows `title` of `path` at `when` and runs one tick.
    void tick(const QDateTime &when, const QString &path, const QString &title, int idleSeconds = 0)
    {
        m_clock.set(when);
        m_source.show(path, title);
        m_idle.seconds = idleSeconds;
        m_recorder->updateApps();
    }

    static void setIdle(bool enabled, int limitMinutes = 5)
    {
        Settings::instance()->values[QStringLiteral("IdleEnabled")] = enabled;
        Settings::instance()->values[QStringLiteral("IdleLimit")] = limitMinutes;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_db.open(m_dir.filePath(QStringLiteral("r.sqlite")), nullptr));
        Database::createSchema();
        Settings::instance()->values[QStringLiteral("ExtensionsAdobeEnabled")] = false;
    }

    void init()
    {
        QSqlQuery query;
        QVERIFY(query.exec(QStringLiteral("DELETE FROM entries")));
        QVERIFY(query.exec(QStringLiteral("DELETE FROM applications")));
        QFile::remove(journalPath());
        setIdle(true);
        m_metadata = FakeAppMetadata();
        m_probe = std::make_unique<WindowProbe>(&m_source, &m_metadata);
        m_recorder = makeRecorder();
        m_recorder->setRecording(true);
    }

    void cleanup() { m_recorder.reset(); }

    void windowChangesCloseStretches()
    {
        QSignalSpy stored(m_recorder.get(), &Recorder::entryStored);
        tick(at(10, 0, 0), Editor, QStringLiteral("a.txt"));
        tick(at(10, 0, 1), Editor, QStringLiteral("a.txt"));
        tick(at(10, 0, 2), Editor, QStringLiteral("a.txt"));
        QCOMPARE(countRows(QStringLiteral("entries")), 0);
        tick(at(10, 0, 3), Mail, QStringLiteral("Inbox"));
        tick(at(10, 0, 5), Editor, QStringLiteral("a.txt"));
        QCOMPARE(storedEntries(), (QStringList{row(Editor, QStringLiteral("a.txt"), QStringLiteral("10 10:00:00"),
                                                   QStringLiteral("10 10:00:03")),
                                               row(Mail, QStringLiteral("Inbox"), QStringLiteral("10 10:00:03"),
                                                   QStringLiteral("10 10:00:05"))}));

        QCOMPARE(stored.size(), 2);
        const QList<QVariant> last = stored.at(1);
        QCOMPARE(last.at(0).toDateTime(), at(10, 0, 3));
        QCOMPARE(last.at(1).toDateTime(), at(10, 0, 5));
        QCOMPARE(last.at(2).value<WindowInfo>().title, QStringLiteral("Inbox"));
        QSqlQuery query(QStringLiteral("SELECT application_id, id FROM entries WHERE title = 'Inbox'"));
        QVERIFY(query.next());
        QCOMPARE(last.at(3).toLongLong(), query.value(0).toLongLong());
        QCOMPARE(last.at(4).toLongLong(), query.value(1).toLongLong());
    }

    void windowSeenByNoTickLeavesNoEntry()
    {
        tick(at(10, 0, 0), Editor, QStringLiteral("a.txt"));
        m_source.show(Mail, QStringLiteral("Inbox"));
        m_source.show(Editor, QStringLiteral("a.txt"));
        tick(at(10, 0, 1), Editor, QStringLiteral("a.txt"));
        m_recorder->flush();
        QCOMPARE(storedEntries(), QStringList{row(Editor, QStringLiteral("a.txt"), QStringLiteral("10 10:00:00"),
                                                  QStringLiteral("10 10:00:01"))});
    }

    void titlesAndApplications()
    {
        tick(at(10, 0, 0), Editor, QStringLiteral("a.txt"));
        tick(at(10, 0, 4), Editor, QStringLiteral("b.txt"));
        tick(at(10, 0, 6), Mail, QStringLiteral("b.txt"));
        tick(at(10, 0, 9), Editor, QStringLiteral("a.txt"));
        QCOMPARE(countRows(QStringLiteral("entries")), 3);
        QCOMPARE(countRows(QStringLiteral("applications")), 2);
        QSqlQuery query(QStringLiteral("SELECT count(DISTINCT application_id) FROM entries WHERE title IN ('a.txt', "
                                       "'b.txt') AND start_time < '2012-03-10 10:00:06'"));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), 1);
        QSqlQuery sameTitle(QStringLiteral("SELECT count(DISTINCT application_id) FROM entries WHERE title = 'b.txt'"));
        QVERIFY(sameTitle.next());
        QCOMPARE(sameTitle.value(0).toInt(), 2);
    }

    void sameExecutableUnderNewNameIsNewApplication()
    {
        const WindowInfo first{Editor, QStringLiteral("Editor"), QStringLiteral("t"), QIcon()};
        const WindowInfo renamed{Editor, QStringLiteral("Editor 2"), QStringLiteral("t"), QIcon()};
        const auto a = m_recorder->storeEntry(at(9, 0, 0), at(9, 0, 1), first);
        const auto b = m_recorder->storeEntry(at(9, 0, 1), at(9, 0, 2), first);
        const auto c = m_recorder->storeEntry(at(9, 0, 2), at(9, 0, 3), renamed);
        QVERIFY(a.first > 0 && a.second > 0);
        QCOMPARE(b.first, a.first);
        QVERIFY(b.second != a.second);
        QVERIFY(c.first != a.first);
        QCOMPARE(Recorder::findApplication(renamed), c.first);
        QCOMPARE(Recorder::findApplication(WindowInfo{Mail, QStringLiteral("Mail"), QString(), QIcon()}), 0);
    }

    void unidentifiedWindowsAreNeverStored()
    {
        tick(at(10, 0, 0), Editor, QStringLiteral("a.txt"));
        tick(at(10, 0, 2), QString(), QStringLiteral("root dialog"));
        tick(at(10, 0, 3), QString(), QStringLiteral("root dialog"));
        tick(at(10, 0, 4), QString(), QStringLiteral("other"));
        tick(at(10, 0, 7), Mail, QStringLiteral("Inbox"));
        tick(at(10, 0, 9), Editor, QStringLiteral("a.txt"));
        QCOMPARE(storedEntries(), (QStringList{row(Editor, QStringLiteral("a.txt"), QStringLiteral("10 10:00:00"),
                                                   QStringLiteral("10 10:00:02")),
                                               row(Mail, QStringLiteral("Inbox"), QStringLiteral("10 10:00:07"),
                                                   QStringLiteral("10 10:00:09"))}));
    }

    void stretchAcrossMidnightIsOneRow()
    {
        tick(at(23, 59, 58), Editor, QStringLiteral("late.txt"));
        for (int s = 59; s < 64; ++s) {
            tick(at(23, 59, 58).addSecs(s - 58), Editor, QStringLiteral("late.txt"));
        }
        tick(at(0, 0, 10, 11), Mail, QStringLiteral("Inbox"));
        QCOMPARE(storedEntries(), QStringList{row(Editor, QStringLiteral("late.txt"), QStringLiteral("10 23:59:58"),
                                                  QStringLiteral("11 00:00:10"))});
    }

    void pauseStoresOpenStretch()
    {
        QSignalSpy changed(m_recorder.get(), &Recorder::recordingChanged);
        tick(at(10, 0, 0), Editor, QStringLiteral("a.txt"));
        tick(at(10, 0, 5), Editor, QStringLiteral("a.txt"));
        m_clock.set(at(10, 0, 7));
        m_recorder->setRecording(false);
        m_recorder->setRecording(false);
        QVERIFY(!m_recorder->isRecording());
        QVERIFY(m_recorder->currentWindow().path.isEmpty());
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).toBool(), false);

        m_recorder->setRecording(true);
        QCOMPARE(changed.size(), 2);
        tick(at(10, 1, 0), Editor, QStringLiteral("a.txt"));
        QCOMPARE(m_recorder->currentStart(), at(10, 1, 0));
        tick(at(10, 1, 3), Mail, QStringLiteral("Inbox"));
        QCOMPARE(storedEntries(), (QStringList{row(Editor, QStringLiteral("a.txt"), QStringLiteral("10 10:00:00"),
                                                   QStringLiteral("10 10:00:07")),
                                               row(Editor, QStringLiteral("a.txt"), QStringLiteral("10 10:01:00"),
                                                   QStringLiteral("10 10:01:03"))}));
    }

    void quitStoresOpenStretch()
    {
        tick(at(10, 0, 0), Editor, QStringLiteral("a.txt"));
        tick(at(10, 0, 8), Editor, QStringLiteral("a.txt"));
        m_clock.set(at(10, 0, 9));
        m_recorder->flush();
        QVERIFY(m_recorder->isRecording());
        QVERIFY(!QFile::exists(journalPath()));
        m_recorder->flush();
        QCOMPARE(storedEntries(), QStringList{row(Editor, QStringLiteral("a.txt"), QStringLiteral("10 10:00:00"),
                                                  QStringLiteral("10 10:00:09"))});
    }

    void failedInsertIsStillAnnounced()
    {
        QSqlQuery query;
        QVERIFY(query.exec(QStringLiteral("ALTER TABLE entries RENAME TO entries_moved")));
        QSignalSpy stored(m_recorder.get(), &Recorder::entryStored);
        tick(at(10, 0, 0), Editor, QStringLiteral("a.txt"));
        tick(at(10, 0, 1), Mail, QStringLiteral("Inbox"));
        QVERIFY(query.exec(QStringLiteral("ALTER TABLE entries_moved RENAME TO entries")));
        QCOMPARE(stored.size(), 1);
        QVERIFY(stored.at(0).at(3).toLongLong() > 0);
        QCOMPARE(stored.at(0).at(4).toLongLong(), 0);
    }

    void samplingTimerDrivesTicks()
    {
        m_source.show(Editor, QStringLiteral("a.txt"));
        m_source.sampleCalls = 0;
        QTRY_VERIFY_WITH_TIMEOUT(m_source.sampleCalls > 0, 5000);
        QCOMPARE(m_recorder->currentWindow().path, Editor);
    }

    void awayPeriod_data()
    {
        QTest::addColumn<QTime>("awayFrom");
        QTest::addColumn<QTime>("awayTo");
        QTest::addColumn<QString>("message");
        QTest::newRow("20 minutes") << QTime(10, 0, 0) << QTime(10, 20, 0)
                                    << "Duration: 20 m 0 s\nInactivity period: 10:00:00 - 10:20:00";
        QTest::newRow("32 m 30 s") << QTime(10, 15, 0) << QTime(10, 47, 30)
                                   << "Duration: 32 m 30 s\nInactivity period: 10:15:00 - 10:47:30";
        QTest::newRow("over an hour") << QTime(8, 0, 0) << QTime(9, 30, 5)
                                      << "Duration: 1 h 30 m 5 s\nInactivity period: 08:00:00 - 09:30:05";
    }

    void awayPeriod()
    {
        QFETCH(QTime, awayFrom);
        QFETCH(QTime, awayTo);
        QFETCH(QString, message);
        QSignalSpy balloon(m_recorder.get(), &Recorder::awayTimeDetected);
        const QDateTime from(QDate(2012, 3, 10), awayFrom);
        const QDateTime to(QDate(2012, 3, 10), awayTo);
        const QString awayTitle = QStringLiteral("at ") + awayFrom.toString(QStringLiteral("hh:mm:ss"));

        tick(from.addSecs(-600), Editor, QStringLiteral("a.txt"));
        tick(from.addSecs(-10), Editor, QStringLiteral("a.txt"));
        // Below the limit the break stays with the window in front.
        tick(from.addSecs(299), Editor, QStringLiteral("a.txt"), 299);
        QCOMPARE(countRows(QStringLiteral("entries")), 0);

        QTest::ignoreMessage(QtDebugMsg, "Entered IDLE");
        tick(from.addSecs(300), Editor, QStringLiteral("a.txt"), 300);
        QVERIFY(m_recorder->inIdle());
        QCOMPARE(m_recorder->currentWindow().path, Away);
        QCOMPARE(m_recorder->currentWindow().title, awayTitle);
        QCOMPARE(m_recorder->currentStart(), from);
        tick(from.addSecs(301), Mail, QStringLiteral("Inbox"), 301);
        tick(to.addSecs(-1), Mail, QStringLiteral("Inbox"), static_cast<int>(from.secsTo(to)) - 1);
        QCOMPARE(balloon.size(), 0);

        QTest::ignoreMessage(QtDebugMsg, "out of idle");
        tick(to, Mail, QStringLiteral("Inbox"), 0);
        QVERIFY(!m_recorder->inIdle());
        QCOMPARE(storedEntries(), (QStringList{row(Editor, QStringLiteral("a.txt"),
                                                   from.addSecs(-600).toString(QStringLiteral("dd hh:mm:ss")),
                                                   from.toString(QStringLiteral("dd hh:mm:ss"))),
                                               row(Away, awayTitle, from.toString(QStringLiteral("dd hh:mm:ss")),
                                                   to.toString(QStringLiteral("dd hh:mm:ss")))}));
        QCOMPARE(balloon.size(), 1);
        QCOMPARE(balloon.at(0).at(0).toString(), QStringLiteral("Away time detected"));
        QCOMPARE(balloon.at(0).at(1).toString(), message);
        QCOMPARE(m_recorder->currentStart(), to);
        QCOMPARE(m_recorder->currentWindow().path, Mail);
    }

    void awayApplicationIsCreatedOnce()
    {
        for (int period = 0; period < 3; ++period) {
            const QDateTime base = at(10 + period, 0, 0);
            tick(base, Editor, QStringLiteral("a.txt"));
            tick(base.addSecs(600), Editor, QStringLiteral("a.txt"), 300);
            tick(base.addSecs(900), Editor, QStringLiteral("a.txt"), 0);
        }
        QSqlQuery query(QStringLiteral("SELECT count(*), min(name) FROM applications WHERE path = 'tavro://idle'"));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), 1);
        QCOMPARE(query.value(1).toString(), QStringLiteral("Away Time"));
        QSqlQuery entries(QStringLiteral("SELECT count(DISTINCT application_id), count(*) FROM entries WHERE title "
                                         "LIKE 'at %'"));
        QVERIFY(entries.next());
        QCOMPARE(entries.value(0).toInt(), 1);
        QCOMPARE(entries.value(1).toInt(), 3);
    }

    void idleDisabledNeverProducesAwayTime()
    {
        setIdle(false);
        QSignalSpy balloon(m_recorder.get(), &Recorder::awayTimeDetected);
        tick(at(10, 0, 0), Editor, QStringLiteral("a.txt"));
        tick(at(10, 30, 0), Editor, QStringLiteral("a.txt"), 1800);
        tick(at(10, 31, 0), Mail, QStringLiteral("Inbox"), 0);
        QCOMPARE(storedEntries(), QStringList{row(Editor, QStringLiteral("a.txt"), QStringLiteral("10 10:00:00"),
                                                  QStringLiteral("10 10:31:00"))});
        QCOMPARE(balloon.size(), 0);
        QVERIFY(!m_recorder->inIdle());
    }

    void idleLimitZeroIsAlwaysAway()
    {
        setIdle(true, 0);
        QSignalSpy balloon(m_recorder.get(), &Recorder::awayTimeDetected);
        tick(at(10, 0, 0), Editor, QStringLiteral("a.txt"));
        QVERIFY(m_recorder->inIdle());
        QCOMPARE(m_recorder->currentWindow().path, Away);
        QCOMPARE(m_recorder->currentWindow().title, QStringLiteral("at 10:00:00"));
        for (int s = 1; s < 20; ++s) {
            tick(at(10, 0, s), s % 2 ? Mail : Editor, QStringLiteral("t%1").arg(s));
        }
        QCOMPARE(countRows(QStringLiteral("entries")), 0);
        QCOMPARE(balloon.size(), 0);
        QCOMPARE(m_recorder->currentStart(), at(10, 0, 0));
    }

    void switchingIdleOffDuringAwayPeriod()
    {
        QSignalSpy balloon(m_recorder.get(), &Recorder::awayTimeDetected);
        tick(at(10, 0, 0), Editor, QStringLiteral("a.txt"));
        tick(at(10, 10, 0), Editor, QStringLiteral("a.txt"), 400);
        QVERIFY(m_recorder->inIdle());

        setIdle(false);
        tick(at(10, 12, 0), Editor, QStringLiteral("a.txt"), 520);
        QCOMPARE(storedEntries().last(), row(Away, QStringLiteral("at 10:05:00"), QStringLiteral("10 10:05:00"),
                                             QStringLiteral("10 10:12:00")));
        QCOMPARE(balloon.size(), 0);
        QVERIFY(m_recorder->inIdle());

        setIdle(true);
        tick(at(10, 12, 30), Editor, QStringLiteral("a.txt"), 0);
        QCOMPARE(balloon.size(), 1);
        QCOMPARE(balloon.at(0).at(1).toString(),
                 QStringLiteral("Duration: 30 s\nInactivity period: 10:12:00 - 10:12:30"));
        tick(at(10, 12, 31), Editor, QStringLiteral("a.txt"), 0);
        QCOMPARE(balloon.size(), 1);
        QCOMPARE(countRows(QStringLiteral("entries")), 2);
    }

    void pausingDuringAwayPeriod()
    {
        QSignalSpy balloon(m_recorder.get(), &Recorder::awayTimeDetected);
        tick(at(10, 0, 0), Editor, QStringLiteral("a.txt"));
        tick(at(10, 10, 0), Editor, QStringLiteral("a.txt"), 400);
        m_clock.set(at(10, 11, 0));
        m_recorder->setRecording(false);
        QVERIFY(m_recorder->inIdle());
        QCOMPARE(storedEntries().last(), row(Away, QStringLiteral("at 10:05:00"), QStringLiteral("10 10:05:00"),
                                             QStringLiteral("10 10:11:00")));

        m_recorder->setRecording(true);
        tick(at(10, 20, 0), Editor, QStringLiteral("a.txt"), 900);
        tick(at(10, 20, 1), Editor, QStringLiteral("a.txt"), 901);
        QCOMPARE(countRows(QStringLiteral("entries")), 2);
        tick(at(10, 20, 2), Editor, QStringLiteral("a.txt"), 0);
        QCOMPARE(balloon.size(), 1);
        QCOMPARE(balloon.at(0).at(1).toString(),
                 QStringLiteral("Duration: 1 s\nInactivity period: 10:20:01 - 10:20:02"));
        QCOMPARE(countRows(QStringLiteral("entries")), 2);
        QCOMPARE(m_recorder->currentWindow().path, Editor);
        QCOMPARE(m_recorder->currentStart(), at(10, 20, 2));
    }

    void awayCutNeverEndsBeforeStart()
    {
        // The mail window came to the front by itself two minutes into a break.
        tick(at(10, 0, 0), Editor, QStringLiteral("a.txt"));
        tick(at(10, 2, 0), Mail, QStringLiteral("New message"), 120);
        tick(at(10, 5, 30), Mail, QStringLiteral("New message"), 330);
        QCOMPARE(m_recorder->currentWindow().title, QStringLiteral("at 10:02:00"));
        QSqlQuery query(QStringLiteral("SELECT count(*) FROM entries WHERE end_time < start_time"));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), 0);
        QCOMPARE(storedEntries().last(), row(Mail, QStringLiteral("New message"), QStringLiteral("10 10:02:00"),
                                             QStringLiteral("10 10:02:00")));
    }

    void journalFollowsOpenStretch()
    {
        tick(at(10, 0, 0), Editor, QStringLiteral("a.txt"));
        QVERIFY(QFile::exists(journalPath()));
        const auto journal = [this] {
            QFile file(journalPath());
            file.open(QIODevice::ReadOnly);
            return QString::fromUtf8(file.readAll());
        };
        QVERIFY(journal().contains(QLatin1String("\"checkpoint\":\"2012-03-10 10:00:00\"")));
        tick(at(10, 0, 9), Editor, QStringLiteral("a.txt"));
        QVERIFY(journal().contains(QLatin1String("\"checkpoint\":\"2012-03-10 10:00:00\"")));
        tick(at(10, 0, 10), Editor, QStringLiteral("a.txt"));
        QVERIFY(journal().contains(QLatin1String("\"checkpoint\":\"2012-03-10 10:00:10\"")));
        tick(at(10, 0, 12), Mail, QStringLiteral("Inbox"));
        QVERIFY(journal().contains(QLatin1String("\"title\":\"Inbox\"")));
        QVERIFY(journal().contains(QLatin1String("\"start\":\"2012-03-10 10:00:12\"")));
        tick(at(10, 0, 13), QString(), QStringLiteral("unknown"));
        QVERIFY(!QFile::exists(journalPath()));
        tick(at(10, 0, 14), Mail, QStringLiteral("Inbox"));
        QVERIFY(QFile::exists(journalPath()));
        m_recorder->setRecording(false);
        QVERIFY(!QFile::exists(journalPath()));
    }

    void crashedStretchIsRecovered()
    {
        const QString title = QStringLiteral("report \"final\" \u00e9\u4e2d.txt");
        tick(at(10, 0, 0), Editor, title);
        for (int s = 1; s <= 25; ++s) {
            tick(at(10, 0, s), Editor, title);
        }
        // The process dies: nothing is flushed.
        m_recorder.reset();
        QCOMPARE(countRows(QStringLiteral("entries")), 0);

        m_recorder = makeRecorder();
        QSignalSpy stored(m_recorder.get(), &Recorder::entryStored);
        QVERIFY(m_recorder->recoverJournal());
        QVERIFY(!QFile::exists(journalPath()));
        QCOMPARE(storedEntries(),
                 QStringList{row(Editor, title, QStringLiteral("10 10:00:00"), QStringLiteral("10 10:00:20"))});
        QCOMPARE(stored.size(), 1);
        QVERIFY(!m_recorder->recoverJournal());
        QCOMPARE(countRows(QStringLiteral("entries")), 1);
    }

    void leftJournalIsRecoveredBeforeItIsReplaced()
    {
        tick(at(10, 0, 0), Editor, QStringLiteral("a.txt"));
        tick(at(10, 0, 10), Editor, QStringLiteral("a.txt"));
        m_recorder.reset();

        // A paused start must not throw the journal away.
        m_recorder = makeRecorder();
        m_recorder->setRecording(false);
        QVERIFY(QFile::exists(journalPath()));
        QCOMPARE(countRows(QStringLiteral("entries")), 0);
        m_recorder->setRecording(true);
        QCOMPARE(storedEntries(), QStringList{row(Editor, QStringLiteral("a.txt"), QStringLiteral("10 10:00:00"),
                                                  QStringLiteral("10 10:00:10"))});

        // Ticks without a start of recording still store the old journal before writing their own.
        tick(at(11, 0, 0), Mail, QStringLiteral("Inbox"));
        m_recorder.reset();
        m_recorder = makeRecorder();
        tick(at(12, 0, 0), Editor, QStringLiteral("b.txt"));
        QCOMPARE(storedEntries().last(),
                 row(Mail, QStringLiteral("Inbox"), QStringLiteral("10 11:00:00"), QStringLiteral("10 11:00:00")));
        QVERIFY(QFile::exists(journalPath()));
    }

    void recoveryLeavesOwnStretchAlone()
    {
        tick(at(10, 0, 0), Editor, QStringLiteral("a.txt"));
        QVERIFY(!m_recorder->recoverJournal());
        QVERIFY(QFile::exists(journalPath()));
        QCOMPARE(countRows(QStringLiteral("entries")), 0);
    }

    void corruptJournalIsDiscarded_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("garbage") << QByteArray("\x01\x02not json at all");
        QTest::newRow("truncated") << QByteArray("{\"path\":\"/usr/bin/editor\",\"start\":\"2012-03-10 10:0");
        QTest::newRow("array") << QByteArray("[1,2,3]");
        QTest::newRow("no path") << QByteArray(
            "{\"path\":\"\",\"title\":\"t\",\"start\":\"2012-03-10 10:00:00\",\"checkpoint\":\"2012-03-10 10:00:10\"}");
        QTest::newRow("bad date") << QByteArray("{\"path\":\"/usr/bin/editor\",\"title\":\"t\",\"start\":\"2012-13-40 "
                                                "10:00:00\",\"checkpoint\":\"2012-03-10 10:00:10\"}");
        QTest::newRow("ends before start")
            << QByteArray("{\"path\":\"/usr/bin/editor\",\"title\":\"t\",\"start\":\"2012-03-10 "
                          "10:00:00\",\"checkpoint\":\"2012-03-10 09:00:00\"}");
        QTest::newRow("empty file") << QByteArray();
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
        QVERIFY(!m_recorder->recoverJournal());
        QVERIFY(!QFile::exists(journalPath()));
        QCOMPARE(countRows(QStringLiteral("entries")), 0);
        // Recording goes on normally afterwards.
        m_recorder->setRecording(true);
        tick(at(10, 0, 0), Editor, QStringLiteral("a.txt"));
        tick(at(10, 0, 3), Mail, QStringLiteral("Inbox"));
        QCOMPARE(countRows(QStringLiteral("entries")), 1);
    }

    void unwritableJournalDoesNotStopRecording()
    {
        m_recorder->setJournalPath(m_dir.filePath(QStringLiteral("missing-folder/recording.journal")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^cannot write recording journal")));
        tick(at(10, 0, 0), Editor, QStringLiteral("a.txt"));
        tick(at(10, 0, 1), Editor, QStringLiteral("a.txt"));
        tick(at(10, 0, 2), Mail, QStringLiteral("Inbox"));
        QCOMPARE(countRows(QStringLiteral("entries")), 1);
    }
};

QTEST_MAIN(TestRecorder)
#include "tst_recorder.moc"
