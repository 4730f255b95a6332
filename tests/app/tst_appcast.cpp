#include "appcast.h"
#include "feedupdatechecker.h"

#include <QFile>
#include <QTest>

namespace {
QByteArray fixture(const QString &name)
{
    QFile file(QString::fromLocal8Bit(qgetenv("TAVRO_TEST_DATA")) + QStringLiteral("/appcast/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing fixture");
}
} // namespace

class TestAppcast : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void compareVersions_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("sign");
        QTest::newRow("numeric not textual") << QStringLiteral("1.0.10") << QStringLiteral("1.0.9") << 1;
        QTest::newRow("equal") << QStringLiteral("1.0.10") << QStringLiteral("1.0.10") << 0;
        QTest::newRow("missing part is zero") << QStringLiteral("1.0") << QStringLiteral("1.0.0") << 0;
        QTest::newRow("shorter but newer") << QStringLiteral("2") << QStringLiteral("1.9.99") << 1;
    }

    void compareVersions()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, sign);
        const int result = Appcast::compareVersions(a, b);
        QCOMPARE((result > 0) - (result < 0), sign);
        QCOMPARE(-((Appcast::compareVersions(b, a) > 0) - (Appcast::compareVersions(b, a) < 0)), sign);
    }

    void verdicts_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("link");
        QTest::newRow("newer") << QStringLiteral("newer.xml") << false << QStringLiteral("Version 1.0.11 is available.")
                               << QStringLiteral("http://updates.tavro.example/downloads/tavrodesk/1.0.11.html");
        QTest::newRow("older") << QStringLiteral("older.xml") << false << QStringLiteral("TavroDesk is up to date.")
                               << QString();
        QTest::newRow("malformed") << QStringLiteral("malformed.xml") << true << QString() << QString();
        QTest::newRow("empty") << QStringLiteral("empty.xml") << true << QString() << QString();
        QTest::newRow("not rss") << QStringLiteral("html.xml") << true << QString() << QString();
        QTest::newRow("no releases") << QStringLiteral("noitems.xml") << true
                                     << QStringLiteral("The update information lists no releases.") << QString();
    }

    void verdicts()
    {
        QFETCH(QString, file);
        QFETCH(bool, failed);
        QFETCH(QString, text);
        QFETCH(QString, link);
        const Appcast::Feed feed = Appcast::parse(fixture(file));
        const FeedUpdateChecker::Verdict verdict = FeedUpdateChecker::judge(feed, QStringLiteral("1.0.10"));
        QCOMPARE(verdict.failed, failed);
        QVERIFY2(text.isEmpty() ? !verdict.text.isEmpty() : verdict.text == text, qPrintable(verdict.text));
        QCOMPARE(verdict.link, link);
    }

    // Feeds come over the network: none of these may crash, hang or blow up memory.
    void hostileFeeds_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("error");
        const auto feed = [](const QByteArray &item) {
            return "<rss version=\"2.0\"><channel><item>" + item + "</item></channel></rss>";
        };
        // Used to overflow the stack in the element-text reader.
        QTest::newRow("100000 levels in a version") << feed("<version>" + QByteArray("<b>").repeated(100000) + "1" +
                                                            QByteArray("</b>").repeated(100000) + "</version>")
                                                    << QStringLiteral("nests deeper");
        QTest::newRow("100000 levels beside the items") << "<rss><channel>" + QByteArray("<x>").repeated(100000) +
                                                               QByteArray("</x>").repeated(100000) + "</channel></rss>"
                                                        << QStringLiteral("nests deeper");
        QTest::newRow("entities") << "<!DOCTYPE rss [<!ENTITY a \"aaaa\">]>" + feed("<version>&a;</version>")
                                  << QStringLiteral("document type");
        QTest::newRow("over a megabyte") << feed("<title>" + QByteArray(Appcast::MaxFeedBytes, 't') +
                                                 "</title><version>2</version>")
                                         << QStringLiteral("larger than");
    }

    void hostileFeeds()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, error);
        const Appcast::Feed feed = Appcast::parse(xml);
        QVERIFY(!feed.ok);
        QVERIFY(feed.releases.isEmpty());
        QVERIFY2(feed.error.contains(error), qPrintable(feed.error));
    }

    void markupInsideFieldsIsText()
    {
        const Appcast::Feed feed = Appcast::parse(
            "<rss><channel><item><title>Tavro<b>Desk</b> 2</title><version><i>2</i>.1</version><odd><x/></odd>"
            "<link>https://h/</link></item></channel></rss>");
        QVERIFY2(feed.ok, qPrintable(feed.error));
        QCOMPARE(feed.releases.size(), 1);
        QCOMPARE(feed.releases.first().title, QStringLiteral("TavroDesk 2"));
        QCOMPARE(feed.releases.first().version, QStringLiteral("2.1"));
        QCOMPARE(feed.releases.first().link, QStringLiteral("https://h/"));
    }
};

QTEST_GUILESS_MAIN(TestAppcast)
#include "tst_appcast.moc"
