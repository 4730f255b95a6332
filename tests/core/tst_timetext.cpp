#include "searchterms.h"
#include "timetext.h"

#include <QTest>

class TestTimeText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatDuration()
    {
        QCOMPARE(
            QStringList({::formatDuration(32 * 60 + 30), ::formatDuration(3600), ::formatDuration(26 * 3600 + 61)}),
            QStringList({QStringLiteral("32 m 30 s"), QStringLiteral("1 h 0 m 0 s"), QStringLiteral("26 h 1 m 1 s")}));
    }

    void parseDateTimeReadsStoredText()
    {
        QCOMPARE(parseDateTime(QStringLiteral("2012-03-09 23:59:59")), QDateTime(QDate(2012, 3, 9), QTime(23, 59, 59)));
        QCOMPARE(parseDate(QStringLiteral("2012-02-29")), QDate(2012, 2, 29));
        const QDateTime now(QDate(2026, 12, 6), QTime(7, 5, 3));
        QCOMPARE(parseDateTime(TimeText::formatDateTime(now)), now);
    }

    void splitSearchTerms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("terms");
        QTest::newRow("words and phrase")
            << QStringLiteral("report \"budget 2012\" notes")
            << QStringList{QStringLiteral("report"), QStringLiteral("budget 2012"), QStringLiteral("notes")};
        QTest::newRow("unclosed quote") << QStringLiteral("say \"hello")
                                        << QStringList{QStringLiteral("say"), QStringLiteral("hello")};
        QTest::newRow("quote inside word") << QStringLiteral("o'clock") << QStringList{QStringLiteral("o'clock")};
        QTest::newRow("blank") << QStringLiteral(" \t ") << QStringList();
        QTest::newRow("padded") << QStringLiteral("  notes  ") << QStringList{QStringLiteral("notes")};
        QTest::newRow("non-ASCII") << QStringLiteral("Größe \"Büro plan\"")
                                   << QStringList{QStringLiteral("Größe"), QStringLiteral("Büro plan")};
    }
    void splitSearchTerms()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, terms);
        QCOMPARE(::splitSearchTerms(text), terms);
    }
};

QTEST_GUILESS_MAIN(TestTimeText)
#include "tst_timetext.moc"
