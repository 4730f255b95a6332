#include "desktopentry.h"

#include <QTest>

namespace {
QString s(const char *text)
{
    return QString::fromUtf8(text);
}

DesktopEntry fixture(const QString &name)
{
    return DesktopEntry::fromFile(qEnvironmentVariable("TAVRO_TEST_DATA") + QStringLiteral("/applications/") + name);
}

// Words joined by '|'.
QStringList words(const char *joined)
{
    return *joined ? s(joined).split(QLatin1Char('|')) : QStringList();
}
} // namespace

class TestDesktopEntry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void values_data();
    void values();
    void structure();
    void splitExec_data();
    void splitExec();
    void program_data();
    void program();
};

void TestDesktopEntry::values_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");

    const QString editor = s("tavro-editor.desktop");
    const QString malformed = s("tavro-malformed.desktop");
    const QString name = s("Name");
    QTest::newRow("language and country") << editor << name << s("de_DE") << s("Fixture-Editor (Deutschland)");
    QTest::newRow("with encoding") << editor << name << s("de_DE.UTF-8") << s("Fixture-Editor (Deutschland)");
    QTest::newRow("other country") << editor << name << s("de_AT") << s("Fixture-Editor");
    QTest::newRow("modifier") << editor << name << s("sr_RS@latin") << s("Uređivač");
    QTest::newRow("without modifier") << editor << name << s("sr_RS") << s("Уређивач");
    QTest::newRow("untranslated") << editor << name << s("fr_FR") << s("Fixture Editor");
    QTest::newRow("other group's key") << editor << s("Exec") << s("C") << s("tavro-fixture-editor %F");
    QTest::newRow("missing key") << editor << s("Missing") << s("C") << QString();
    QTest::newRow("escapes") << s("tavro-escapes.desktop") << name << s("C") << s("Tab\there and\\back");
    QTest::newRow("escaped line ends") << s("tavro-escapes.desktop") << s("Comment") << s("C")
                                       << s("First line\nsecond line\r");
    QTest::newRow("spaced key, first wins") << malformed << name << s("C") << s("Spaced Name");
    QTest::newRow("past bad lines") << malformed << s("Exec") << s("C") << s("tavro-fixture-malformed");
}

void TestDesktopEntry::values()
{
    QFETCH(QString, file);
    QFETCH(QString, key);
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    const DesktopEntry entry = fixture(file);
    QVERIFY(entry.isValid());
    QCOMPARE(entry.localizedValue(key, locale), expected);
}

void TestDesktopEntry::structure()
{
    const DesktopEntry editor = fixture(s("tavro-editor.desktop"));
    const QString action = s("Desktop Action new-window");
    QCOMPARE(editor.groups(), QStringList({DesktopEntry::mainGroup(), action}));
    QCOMPARE(editor.value(s("Name"), action), s("New Window"));
    QVERIFY(!editor.contains(s("Categories"), action));
    const DesktopEntry malformed = fixture(s("tavro-malformed.desktop"));
    QCOMPARE(malformed.groups(), QStringList{DesktopEntry::mainGroup()});
    QVERIFY(malformed.noDisplay());
    QVERIFY(DesktopEntry::parse("[Desktop Entry]\r\nType=Application\r\nName=Crlf\r\n").isApplication());
    static const char bytes[] = "\xff\xfe[\0\x01=\n[Desktop Entry]\nName=\xff\n";
    QCOMPARE(DesktopEntry::parse(QByteArray(bytes, sizeof bytes - 1)).name(s("C")),
             QString(QChar::ReplacementCharacter));
    QVERIFY(!DesktopEntry::parse("[Something Else]\nName=X\n").isValid());
    QVERIFY(!fixture(s("missing.desktop")).isValid());
    QCOMPARE(DesktopEntry::unescape(s("trailing\\")), s("trailing\\"));
}

void TestDesktopEntry::splitExec_data()
{
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<bool>("ok");

    QTest::newRow("plain") << s("prog --a  b\t%f") << words("prog|--a|b|%f") << true;
    QTest::newRow("escapes in quotes") << s("\"a\\\"b\\`c\\$d\\\\e\\xf\"") << words("a\"b`c$d\\e\\xf") << true;
    QTest::newRow("quote inside word") << s("--path=\"a b\" next") << words("--path=a b|next") << true;
    QTest::newRow("empty quoted argument") << s("prog \"\"") << words("prog|") << true;
    QTest::newRow("open quote") << s("prog \"never closed") << QStringList() << false;
}

void TestDesktopEntry::splitExec()
{
    QFETCH(QString, exec);
    QFETCH(QStringList, words);
    QFETCH(bool, ok);
    bool parsed = !ok;
    QCOMPARE(DesktopEntry::splitExec(exec, &parsed), words);
    QCOMPARE(parsed, ok);
}

void TestDesktopEntry::program_data()
{
    QTest::addColumn<QByteArray>("exec");
    QTest::addColumn<QString>("program");

    QTest::newRow("field code") << QByteArray("gedit %U") << s("gedit");
    QTest::newRow("file escapes then quoting")
        << QByteArray("\"/opt/Tavro Apps/run \\\\\"tool\\\\\"\" --x") << s("/opt/Tavro Apps/run \"tool\"");
    QTest::newRow("env with options and assignments")
        << QByteArray("env -u HOME LANG=C GDK_BACKEND=x11 tool --flag") << s("tool");
    QTest::newRow("absolute env") << QByteArray("/usr/bin/env FOO=1 tool") << s("tool");
    QTest::newRow("bare assignment") << QByteArray("FOO=1 tool") << s("tool");
    QTest::newRow("only env") << QByteArray("env FOO=1") << QString();
    QTest::newRow("equals in a path") << QByteArray("/opt/a=b/tool") << s("/opt/a=b/tool");
    QTest::newRow("open quote") << QByteArray("\"broken") << QString();
}

void TestDesktopEntry::program()
{
    QFETCH(QByteArray, exec);
    QFETCH(QString, program);
    QCOMPARE(DesktopEntry::parse("[Desktop Entry]\nType=Application\nExec=" + exec + '\n').program(), program);
}

QTEST_GUILESS_MAIN(TestDesktopEntry)
#include "tst_desktopentry.moc"
