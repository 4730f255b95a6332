#include "desktopentry.h"

#include <QTest>

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
