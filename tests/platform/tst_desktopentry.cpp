#include "desktopentry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {
QString s(const char *text)
{
    return QString::fromUtf8(text);
}
} // namespace

class TestDesktopEntry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void values_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *tag, const char *file, const char *key, const char *locale, const char *value) {
            QTest::newRow(tag) << s(file) << s(key) << s(locale) << s(value);
        };
        row("language and country", "editor", "Name", "de_DE.UTF-8", "Fixture-Editor (Deutschland)");
        row("other country", "editor", "Name", "de_AT", "Fixture-Editor");
        row("modifier", "editor", "Name", "sr_RS@latin", "Uređivač");
        row("without modifier", "editor", "Name", "sr_RS", "Уређивач");
        row("untranslated", "editor", "Name", "fr_FR", "Fixture Editor");
        row("other group's key", "editor", "Exec", "C", "tavro-fixture-editor %F");
        row("escapes", "escapes", "Name", "C", "Tab\there and\\back");
        row("escaped line ends", "escapes", "Comment", "C", "First line\nsecond line\r");
        row("spaced key, first wins", "malformed", "Name", "C", "Spaced Name");
        row("past bad lines", "malformed", "Exec", "C", "tavro-fixture-malformed");
    }

    void values()
    {
        QFETCH(QString, file);
        QFETCH(QString, key);
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        const DesktopEntry entry = DesktopEntry::fromFile(qEnvironmentVariable("TAVRO_TEST_DATA") +
                                                          QStringLiteral("/applications/tavro-%1.desktop").arg(file));
        QVERIFY(entry.isValid());
        QCOMPARE(entry.localizedValue(key, locale), expected);
        // What an index keeps of the entry for one language answers the same, and holds nothing else.
        const DesktopEntry kept = entry.withMainKeys(DesktopEntry::localizedKeys(key, locale));
        QCOMPARE(kept.localizedValue(key, locale), expected);
        QVERIFY(entry.contains(QStringLiteral("Type")));
        QVERIFY(!kept.contains(QStringLiteral("Type")));
        QCOMPARE(kept.groups(), QStringList{DesktopEntry::mainGroup()});
    }

    void malformedBytes()
    {
        QVERIFY(DesktopEntry::parse("[Desktop Entry]\r\nType=Application\r\nName=Crlf\r\n").isApplication());
        static const char bytes[] = "\xff\xfe[\0\x01=\n[Desktop Entry]\nName=\xff\n";
        QCOMPARE(DesktopEntry::parse(QByteArray(bytes, sizeof bytes - 1)).name(s("C")),
                 QString(QChar::ReplacementCharacter));
        QVERIFY(!DesktopEntry::parse("[Something Else]\nName=X\n").isValid());
        QCOMPARE(DesktopEntry::unescape(s("trailing\\")), s("trailing\\"));
    }

    // Anything can sit in an applications folder; a link to /dev/zero used to be read for gigabytes.
    void onlyRegularFilesOfBoundedSize_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("valid");
        QTest::newRow("ordinary") << s("ordinary") << true;
        QTest::newRow("link to an ordinary one") << s("link") << true;
        QTest::newRow("link to /dev/zero") << s("zero") << false;
        QTest::newRow("fifo") << s("fifo") << false;
        QTest::newRow("too large") << s("large") << false;
    }

    void onlyRegularFilesOfBoundedSize()
    {
        QFETCH(QString, kind);
        QFETCH(bool, valid);
        QTemporaryDir dir;
        const QString plain = dir.filePath(s("plain.desktop"));
        const QString path = dir.filePath(s("x.desktop"));
        QFile file(plain);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nType=Application\nName=X\n");
        if (kind == QLatin1String("large")) {
            file.write(QByteArray(DesktopEntry::MaxFileBytes, '#'));
        }
        file.close();
        if (kind == QLatin1String("zero")) {
            QVERIFY(QFile::link(s("/dev/zero"), path));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == QLatin1String("link")) {
            QVERIFY(QFile::link(plain, path));
        } else {
            QVERIFY(QFile::rename(plain, path));
        }
        QCOMPARE(DesktopEntry::fromFile(path).isValid(), valid);
    }

    void program_data()
    {
        QTest::addColumn<QByteArray>("exec");
        QTest::addColumn<QString>("program");
        QTest::newRow("field code") << QByteArray("gedit %U") << s("gedit");
        QTest::newRow("quoting and escapes")
            << QByteArray("\"/opt/Tavro Apps/run \\\\\"tool\\\\\"\" --x") << s("/opt/Tavro Apps/run \"tool\"");
        QTest::newRow("env with options") << QByteArray("env -u HOME LANG=C GDK_BACKEND=x11 tool --flag") << s("tool");
        QTest::newRow("only env") << QByteArray("env FOO=1") << QString();
        QTest::newRow("equals in a path") << QByteArray("/opt/a=b/tool") << s("/opt/a=b/tool");
        QTest::newRow("open quote") << QByteArray("\"broken") << QString();
    }

    void program()
    {
        QFETCH(QByteArray, exec);
        QFETCH(QString, program);
        QCOMPARE(DesktopEntry::parse("[Desktop Entry]\nType=Application\nExec=" + exec + '\n').program(), program);
    }
};

QTEST_GUILESS_MAIN(TestDesktopEntry)
#include "tst_desktopentry.moc"
