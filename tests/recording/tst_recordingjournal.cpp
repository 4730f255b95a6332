#include "recordingjournal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {
const QDateTime Now(QDate(2026, 12, 6), QTime(12, 0, 0));

QByteArray stretch(const char *start, const char *end, const QByteArray &title = "t")
{
    return R"({"path":"/usr/bin/e","name":"E","title":")" + title + R"(","start":")" + start + R"(","end":")" + end +
           R"("})";
}
} // namespace

// The journal is read at start from a file anyone with access to the folder could have replaced.
class TestRecordingJournal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip()
    {
        QTemporaryDir dir;
        RecordingJournal journal(dir.filePath(QStringLiteral("j")));
        JournalStretch one{Now.addSecs(-60), Now.addSecs(-30), {}};
        one.info.path = QStringLiteral("/usr/bin/e");
        one.info.name = QStringLiteral("E");
        one.info.title = QStringLiteral("\"quoted\" \u00e9");
        JournalStretch two = one;
        two.start = one.end;
        two.end = Now;
        QVERIFY(journal.write({one, two}, Now.toSecsSinceEpoch()));
        const QFileDevice::Permissions others =
            QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;
        QCOMPARE(QFile::permissions(journal.path()) & others, QFileDevice::Permissions());
        const RecordingJournal::Contents contents = journal.read(Now, Now.addSecs(-60));
        QCOMPARE(contents.problem, QString());
        QCOMPARE(contents.stretches.size(), 2);
        QCOMPARE(contents.stretches.at(0).info.title, one.info.title);
        QCOMPARE(contents.stretches.at(1).start, two.start);
        QCOMPARE(contents.stretches.at(1).end, Now);
        QVERIFY(!QFile::exists(journal.path() + QStringLiteral(".new")));
    }

    // Runs in Europe/Berlin: a stretch from 02:50 CEST to 02:10 CET, the hour the autumn change
    // repeats, comes back with its instants, not as one ending before it starts.
    void stretchAcrossTheAutumnChange()
    {
        QTemporaryDir dir;
        RecordingJournal journal(dir.filePath(QStringLiteral("j")));
        const QDateTime start = QDateTime(QDate(2026, 10, 25), QTime(0, 50), Qt::UTC).toLocalTime();
        JournalStretch across{start, start.addSecs(1200), {}};
        across.info.path = QStringLiteral("/usr/bin/e");
        QVERIFY(journal.write({across}, across.end.toSecsSinceEpoch()));
        const RecordingJournal::Contents contents = journal.read(across.end, QDateTime());
        QCOMPARE(contents.problem, QString());
        QCOMPARE(contents.stretches.size(), 1);
        QCOMPARE(contents.stretches.at(0).start.toSecsSinceEpoch(), start.toSecsSinceEpoch());
        QCOMPARE(contents.stretches.at(0).end.toSecsSinceEpoch(), start.toSecsSinceEpoch() + 1200);
    }

    void implausibleStretchesAreDropped_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("kept");
        QTest::addColumn<int>("titleLength");
        QTest::addColumn<bool>("clean");
        const QByteArray good = stretch("2026-12-06 11:00:00", "2026-12-06 11:30:00");
        const auto list = [](const QByteArray &a, const QByteArray &b = {}) {
            return "{\"stretches\":[" + a + (b.isEmpty() ? QByteArray() : "," + b) + "]}";
        };
        QTest::newRow("plausible") << list(good) << 1 << 1 << true;
        QTest::newRow("earlier version") << QByteArray(
                                                R"({"path":"/e","name":"E","title":"t",)"
                                                R"("start":"2026-12-06 11:00:00","checkpoint":"2026-12-06 11:00:09"})")
                                         << 1 << 1 << true;
        // A 57-year entry: it starts long before what the database already holds.
        QTest::newRow("start in 1970") << list(stretch("1970-01-01 00:00:00", "2026-12-06 11:30:00"), good) << 1 << 1
                                       << false;
        QTest::newRow("checkpoint in 2099")
            << list(good, stretch("2026-12-06 11:30:00", "2099-01-01 00:00:00")) << 1 << 1 << false;
        QTest::newRow("end before start")
            << list(stretch("2026-12-06 11:30:00", "2026-12-06 11:00:00")) << 0 << 0 << false;
        QTest::newRow("overlapping the previous")
            << list(good, stretch("2026-12-06 11:10:00", "2026-12-06 11:40:00")) << 1 << 1 << false;
        QTest::newRow("no path")
            << QByteArray(R"({"stretches":[{"start":"2026-12-06 11:00:00","end":"2026-12-06 11:00:01"}]})") << 0 << 0
            << false;
        QTest::newRow("long title is cut")
            << list(stretch("2026-12-06 11:00:00", "2026-12-06 11:30:00", QByteArray(100000, 'x'))) << 1
            << RecordingJournal::MaxTitleLength << true;
        QTest::newRow("over the write cap")
            << list(stretch("2026-12-06 11:00:00", "2026-12-06 11:30:00", QByteArray(RecordingJournal::MaxBytes, 'x')))
            << 1 << RecordingJournal::MaxTitleLength << true;
        QTest::newRow("over the read limit") << list(stretch("2026-12-06 11:00:00", "2026-12-06 11:30:00",
                                                             QByteArray(RecordingJournal::MaxReadBytes, 'x')))
                                             << 0 << 0 << false;
        QTest::newRow("not json") << QByteArray("\x01\x02{") << 0 << 0 << false;
        QTest::newRow("array") << QByteArray("[1,2]") << 0 << 0 << false;
    }

    void implausibleStretchesAreDropped()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, kept);
        QFETCH(int, titleLength);
        const RecordingJournal::Contents contents =
            RecordingJournal::parse(text, Now, QDateTime(QDate(2026, 12, 6), QTime(10, 0)));
        QCOMPARE(contents.stretches.size(), kept);
        QFETCH(bool, clean);
        QCOMPARE(contents.problem.isEmpty(), clean);
        if (kept > 0) {
            QCOMPARE(contents.stretches.first().info.title.size(), titleLength);
        }
    }

    // Used to hang the start for ever (a FIFO) or read gigabytes (a link to /dev/zero).
    void onlyRegularFilesAreRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("fifo") << QStringLiteral("fifo");
        QTest::newRow("link to /dev/zero") << QStringLiteral("zero");
        QTest::newRow("folder") << QStringLiteral("folder");
        QTest::newRow("huge sparse file") << QStringLiteral("sparse");
    }

    void onlyRegularFilesAreRead()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("j"));
        if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == QLatin1String("zero")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkdir(path));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(1LL << 32));
        }
        const RecordingJournal::Contents contents = RecordingJournal(path).read(Now, {});
        QVERIFY(contents.stretches.isEmpty());
        QVERIFY(!contents.problem.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRecordingJournal)
#include "tst_recordingjournal.moc"
