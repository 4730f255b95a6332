#include "entrycommands.h"
#include "recordingpresenter.h"
#include "testdb.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QWidget>

namespace {
const QString Refusal = QStringLiteral("the disk refuses");

// Every stored entry as "title start", in id order.
QStringList storedEntries()
{
    QStringList entries;
    QSqlQuery query(QStringLiteral("SELECT title, start_time FROM entries ORDER BY id"));
    while (query.next()) {
        entries << query.value(0).toString() + QLatin1Char(' ') + query.value(1).toString().right(8);
    }
    return entries;
}
} // namespace

class TestEntryCommands : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDb::TempDatabase> m_db;
    std::unique_ptr<RecordingPresenter> m_boxes;
    QStringList m_ids;

    QStringList idsOf(const QList<int> &positions) const
    {
        QStringList ids;
        for (int position : positions) {
            ids << m_ids.at(position);
        }
        return ids;
    }

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<TestDb::TempDatabase>();
        QVERIFY2(m_db->isOpen(), qPrintable(m_db->error()));
        m_boxes = std::make_unique<RecordingPresenter>();
        const qint64 editor = TestDb::addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        const qint64 away = TestDb::addApp(QStringLiteral("tavro://idle"), QStringLiteral("Away"));
        m_ids.clear();
        for (const auto &[app, title, start] : {std::tuple{editor, "notes.txt", "09:00:00"},
                                                {editor, "plan.txt", "10:00:00"},
                                                {away, "at 11:00:00", "11:00:00"}}) {
            m_ids << QString::number(TestDb::addEntry(
                app, QString::fromLatin1(title), QStringLiteral("2012-03-10 ") + QString::fromLatin1(start),
                QStringLiteral("2012-03-10 ") +
                    QString::fromLatin1(start).replace(QLatin1String(":00:00"), QLatin1String(":20:00"))));
        }
    }

    void cleanup()
    {
        m_boxes.reset();
        m_db.reset();
    }

    // What each command leaves stored, whether the views hear of it, and what the user is told when the
    // store refuses: then nothing changes and nothing is reported as changed.
    void commandsChangeTheStoreOrSayWhyNot_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QList<int>>("entries");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("error");
        const QStringList recorded{QStringLiteral("notes.txt 09:00:00"), QStringLiteral("plan.txt 10:00:00"),
                                   QStringLiteral("at 11:00:00 11:00:00")};
        QTest::newRow("delete") << QStringLiteral("delete") << QList<int>{0, 2} << QStringList() << QString()
                                << QStringList{QStringLiteral("plan.txt 10:00:00")} << QString();
        QTest::newRow("delete refused") << QStringLiteral("delete") << QList<int>{0} << QStringList()
                                        << QStringLiteral("DELETE") << recorded
                                        << QStringLiteral("The entries could not be deleted: ");
        QTest::newRow("delete of no entry id")
            << QStringLiteral("delete") << QList<int>() << QStringList{QStringLiteral("1) OR (1=1")} << QString()
            << recorded << QStringLiteral("The entries could not be deleted: not a list of entry ids");
        QTest::newRow("describe") << QStringLiteral("describe") << QList<int>{2} << QStringList{QStringLiteral("Lunch")}
                                  << QString()
                                  << QStringList{recorded.at(0), recorded.at(1), QStringLiteral("Lunch 11:00:00")}
                                  << QString();
        QTest::newRow("describe refused")
            << QStringLiteral("describe") << QList<int>{2} << QStringList{QStringLiteral("Lunch")}
            << QStringLiteral("UPDATE") << recorded
            << QStringLiteral("The description of the away time could not be stored: ");
        QTest::newRow("private") << QStringLiteral("private") << QList<int>()
                                 << QStringList{QStringLiteral("/usr/bin/editor")} << QString()
                                 << QStringList{QStringLiteral("Private 09:00:00"), QStringLiteral("Private 10:00:00"),
                                                recorded.at(2)}
                                 << QString();
        QTest::newRow("private refused") << QStringLiteral("private") << QList<int>()
                                         << QStringList{QStringLiteral("/usr/bin/editor")} << QStringLiteral("UPDATE")
                                         << recorded << QStringLiteral("The recorded titles could not be replaced: ");
    }

    void commandsChangeTheStoreOrSayWhyNot()
    {
        QFETCH(QString, command);
        QFETCH(QList<int>, entries);
        QFETCH(QStringList, arguments);
        QFETCH(QString, refused);
        QFETCH(QStringList, stored);
        QFETCH(QString, error);
        if (!refused.isEmpty()) {
            QVERIFY(TestDb::exec(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON entries BEGIN SELECT RAISE(ABORT, "
                                                "'%2'); END")
                                     .arg(refused, Refusal)) >= 0);
        }
        QWidget window;
        EntryCommands commands(&window);
        QSignalSpy changed(&commands, &EntryCommands::entriesChanged);
        bool done = false;
        if (command == QLatin1String("delete")) {
            done = commands.deleteEntries(idsOf(entries) + arguments);
        } else if (command == QLatin1String("describe")) {
            done = commands.describeAwayTime(idsOf(entries), arguments.first());
        } else {
            done = commands.replaceTitlesWithPrivate(arguments);
        }
        QCOMPARE(storedEntries(), stored);
        QCOMPARE(done, error.isEmpty());
        QCOMPARE(changed.count(), int(error.isEmpty()));
        if (error.isEmpty()) {
            QVERIFY(m_boxes->boxes().isEmpty());
            return;
        }
        QCOMPARE(m_boxes->boxes().size(), 1);
        QCOMPARE(m_boxes->boxes().first().icon, MessageBox::Icon::Critical);
        QCOMPARE(m_boxes->lastTitle(), QStringLiteral("Database error"));
        QVERIFY2(m_boxes->lastText().startsWith(error), qPrintable(m_boxes->lastText()));
        QVERIFY2(refused.isEmpty() || m_boxes->lastText().contains(Refusal), qPrintable(m_boxes->lastText()));
        QCOMPARE(m_boxes->boxes().first().parent, static_cast<QObject *>(&window));
    }

    // Applications without recorded entries: nothing to rebuild, nothing to tell.
    void privateTitlesOfNothingRecordedChangeNothing()
    {
        QWidget window;
        EntryCommands commands(&window);
        QSignalSpy changed(&commands, &EntryCommands::entriesChanged);
        QVERIFY(commands.replaceTitlesWithPrivate({QStringLiteral("/usr/bin/vault")}));
        QCOMPARE(changed.count(), 0);
        QVERIFY(m_boxes->boxes().isEmpty());
    }
};

QTEST_MAIN(TestEntryCommands)
#include "tst_entrycommands.moc"
