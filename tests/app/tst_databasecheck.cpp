#include "database.h"
#include "databasecheck.h"
#include "recordingpresenter.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// A database with pages overwritten in the middle used to start and record without a word.
class TestDatabaseCheck : public QObject
{
    Q_OBJECT

private:
    // A database of some hundred pages; with `damage`, twelve pages in the middle are overwritten.
    QString makeDatabase(const QTemporaryDir &dir, bool damage)
    {
        const QString path = dir.filePath(QStringLiteral("t.sqlite"));
        {
            Database db;
            if (!db.open(path, nullptr)) {
                return {};
            }
            Database::createSchema();
            QSqlQuery query;
            query.exec(QStringLiteral("BEGIN"));
            query.prepare(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) "
                                         "VALUES (?, 1, '2026-12-06 09:00:00', '2026-12-06 09:01:00')"));
            for (int i = 0; i < 3000; ++i) {
                query.addBindValue(QStringLiteral("title %1 ").arg(i).repeated(8));
                query.exec();
            }
            QSqlQuery(QStringLiteral("COMMIT"));
            db.close();
        }
        if (damage) {
            QFile file(path);
            if (!file.open(QIODevice::ReadWrite)) {
                return {};
            }
            const qint64 pageSize = 4096;
            file.seek((file.size() / pageSize / 2) * pageSize);
            file.write(QByteArray(12 * pageSize, '\x5a'));
        }
        return path;
    }

private Q_SLOTS:
    void damageIsReportedAndACopyOffered_data()
    {
        QTest::addColumn<bool>("damage");
        QTest::addColumn<bool>("onDemand");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("boxes");
        QTest::addColumn<bool>("background");
        QTest::newRow("sound at start: silent") << false << false << int(MessageBox::Yes) << 0 << false;
        QTest::newRow("sound on demand: told") << false << true << int(MessageBox::Yes) << 1 << false;
        QTest::newRow("damaged, copy kept") << true << false << int(MessageBox::Yes) << 2 << false;
        QTest::newRow("damaged, no copy") << true << false << int(MessageBox::No) << 1 << false;
        // At start the check runs beside the open connection and tells once it is done.
        QTest::newRow("damaged, told after the start") << true << false << int(MessageBox::No) << 1 << true;
    }

    void damageIsReportedAndACopyOffered()
    {
        QFETCH(bool, damage);
        QFETCH(bool, onDemand);
        QFETCH(int, answer);
        QFETCH(int, boxes);
        QFETCH(bool, background);
        QTemporaryDir dir;
        const QString path = makeDatabase(dir, damage);
        QVERIFY(!path.isEmpty());
        Database db;
        QVERIFY(db.open(path, nullptr));
        RecordingPresenter presenter;
        presenter.answerNext(MessageBox::Button(answer));
        const QDateTime now(QDate(2026, 12, 6), QTime(10, 11, 12));
        QString copy;
        if (background) {
            QObject owner;
            DatabaseCheck::startInBackground(&owner, path);
            QTRY_COMPARE(presenter.boxes().size(), boxes);
            // An owner going away while a check runs waits for it instead of leaving it behind.
            DatabaseCheck::startInBackground(&owner, path);
        } else {
            copy = DatabaseCheck::run(nullptr, path, onDemand, now);
        }
        QCOMPARE(presenter.boxes().size(), boxes);
        if (damage) {
            QVERIFY2(presenter.boxes().first().text.contains(QStringLiteral("is damaged")),
                     qPrintable(presenter.boxes().first().text));
        }
        const bool kept = damage && answer == MessageBox::Yes;
        QCOMPARE(copy, kept ? path + QStringLiteral(".damaged-20261206-101112") : QString());
        if (kept) {
            QFile original(path);
            QFile saved(copy);
            QVERIFY(original.open(QIODevice::ReadOnly) && saved.open(QIODevice::ReadOnly));
            QCOMPARE(saved.readAll(), original.readAll());
            QCOMPARE(saved.permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
                     QFileDevice::Permissions());
        }
        db.close();
    }

    // A check that runs out of time stops instead of holding up the start.
    void checkStopsAtItsTimeLimit()
    {
        QTemporaryDir dir;
        const QString path = makeDatabase(dir, false);
        Database db;
        QVERIFY(db.open(path, nullptr));
        const IntegrityReport report = Database::quickCheck(0);
        QVERIFY(!report.complete);
        QVERIFY(report.sound());
        QVERIFY(Database::quickCheck().complete);
        db.close();
    }
};

QTEST_GUILESS_MAIN(TestDatabaseCheck)
#include "tst_databasecheck.moc"
