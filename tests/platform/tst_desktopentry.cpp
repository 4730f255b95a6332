#include "desktopentry.h"

#include <QTest>

#include <initializer_list>

namespace {
DesktopEntry fixture(const char *name)
{
    return DesktopEntry::fromFile(qEnvironmentVariable("TAVRO_TEST_DATA") + QStringLiteral("/applications/") +
                                  QLatin1String(name));
}

QStringList words(std::initializer_list<const char *> items)
{
    QStringList result;
    for (const char *item : items) {
        result << QString::fromUtf8(item);
    }
    return result;
}
} // namespace

class TestDesktopEntry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void localizedName_data();
    void localizedName();
    void groupsAndActions();
    void escapes();
    void malformedLinesAreSkipped();
    void flagsAndTypes();
    void splitExec_data();
    void splitExec();
    void program_data();
    void program();
    void unreadableOrEmpty();
};

void TestDesktopEntry::localizedName_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");

    QTest::newRow("language and country") << QStringLiteral("de_DE") << QStringLiteral("Fixture-Editor (Deutschland)");
    QTest::newRow("with encoding") << QStringLiteral("de_DE.UTF-8") << QStringLiteral("Fixture-Editor (Deutschland)");
    QTest::newRow("other country") << QStringLiteral("de_AT") << QStringLiteral("Fixture-Editor");
    QTest::newRow("language only") << QStringLiteral("de") << QStringLiteral("Fixture-Editor");
    QTest::newRow("modifier") << QStringLiteral("sr_RS@latin") << QStringLiteral("Uređivač");
    QTest::newRow("without modifier") << QStringLiteral("sr_RS") << QStringLiteral("Уређивач");
    QTest::newRow("untranslated") << QStringLiteral("fr_FR") << QStringLiteral("Fixture Editor");
    QTest::newRow("C locale") << QStringLiteral("C") << QStringLiteral("Fixture Editor");
    QTest::newRow("empty") << QString() << QStringLiteral("Fixture Editor");
}

void TestDesktopEntry::localizedName()
{
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    const DesktopEntry entry = fixture("tavro-editor.desktop");
    QVERIFY(entry.isValid());
    QCOMPARE(entry.name(locale), expected);
}

void TestDesktopEntry::groupsAndActions()
{
    const DesktopEntry entry = fixture("tavro-editor.desktop");
    QCOMPARE(entry.groups(),
             QStringList({QStringLiteral("Desktop Entry"), QStringLiteral("Desktop Action new-window")}));
    QCOMPARE(entry.value(QStringLiteral("Name"), QStringLiteral("Desktop Action new-window")),
             QStringLiteral("New Window"));
    // Keys of one group never leak into another.
    QCOMPARE(entry.exec(), QStringLiteral("tavro-fixture-editor %F"));
    QVERIFY(!entry.contains(QStringLiteral("Categories"), QStringLiteral("Desktop Action new-window")));
    QCOMPARE(entry.value(QStringLiteral("Missing")), QString());
    QCOMPARE(entry.value(QStringLiteral("Name"), QStringLiteral("No Such Group")), QString());
    QCOMPARE(entry.icon(), QStringLiteral("tavro-fixture.png"));
}

void TestDesktopEntry::escapes()
{
    const DesktopEntry entry = fixture("tavro-escapes.desktop");
    QCOMPARE(entry.name(QStringLiteral("C")), QStringLiteral("Tab\there and\\back"));
    QCOMPARE(entry.value(QStringLiteral("Comment")), QStringLiteral("First line\nsecond line\r"));
    QCOMPARE(DesktopEntry::unescape(QStringLiteral("trailing\\")), QStringLiteral("trailing\\"));
    QCOMPARE(DesktopEntry::unescape(QStringLiteral("a\\\\s")), QStringLiteral("a\\s"));
}

void TestDesktopEntry::malformedLinesAreSkipped()
{
    const DesktopEntry entry = fixture("tavro-malformed.desktop");
    QVERIFY(entry.isValid());
    QCOMPARE(entry.groups(), QStringList{QStringLiteral("Desktop Entry")});
    QCOMPARE(entry.name(QStringLiteral("C")), QStringLiteral("Spaced Name"));
    QCOMPARE(entry.program(), QStringLiteral("tavro-fixture-malformed"));
    QVERIFY(entry.noDisplay());
    QVERIFY(!entry.contains(QString()));

    const DesktopEntry windowsLines = DesktopEntry::parse("[Desktop Entry]\r\nType=Application\r\nName=Crlf\r\n");
    QCOMPARE(windowsLines.name(QStringLiteral("C")), QStringLiteral("Crlf"));
    QVERIFY(windowsLines.isApplication());

    static const char bytes[] = "\xff\xfe[\0\x01=\n[Desktop Entry]\nName=\xff\n";
    const DesktopEntry binary = DesktopEntry::parse(QByteArray(bytes, sizeof bytes - 1));
    QVERIFY(binary.isValid());
    QCOMPARE(binary.name(QStringLiteral("C")), QString(QChar::ReplacementCharacter));
}

void TestDesktopEntry::flagsAndTypes()
{
    const DesktopEntry hidden = fixture("tavro-hidden.desktop");
    QVERIFY(hidden.isHidden());
    QVERIFY(!hidden.noDisplay());
    QVERIFY(hidden.isApplication());
    const DesktopEntry link = fixture("tavro-link.desktop");
    QCOMPARE(link.type(), QStringLiteral("Link"));
    QVERIFY(!link.isApplication());
    const DesktopEntry tryExec = fixture("tavro-tryexec.desktop");
    QCOMPARE(tryExec.tryExec(), QStringLiteral("tavro-fixture-real"));
    QCOMPARE(tryExec.program(), QStringLiteral("tavro-fixture-launcher"));
}

void TestDesktopEntry::splitExec_data()
{
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<bool>("ok");

    QTest::newRow("plain") << QStringLiteral("prog --a  b\t%f") << words({"prog", "--a", "b", "%f"}) << true;
    QTest::newRow("quoted blank") << QStringLiteral("\"/opt/My App/bin\" x") << words({"/opt/My App/bin", "x"}) << true;
    QTest::newRow("escapes in quotes") << QStringLiteral("\"a\\\"b\\`c\\$d\\\\e\\xf\"") << words({"a\"b`c$d\\e\\xf"})
                                       << true;
    QTest::newRow("quote inside word") << QStringLiteral("--path=\"a b\" next") << words({"--path=a b", "next"})
                                       << true;
    QTest::newRow("empty quoted argument") << QStringLiteral("prog \"\"") << words({"prog", ""}) << true;
    QTest::newRow("open quote") << QStringLiteral("prog \"never closed") << QStringList() << false;
    QTest::newRow("empty") << QString() << QStringList() << true;
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

    QTest::newRow("field code") << QByteArray("gedit %U") << QStringLiteral("gedit");
    QTest::newRow("file escapes then quoting")
        << QByteArray("\"/opt/Tavro Apps/run \\\\\"tool\\\\\"\" --x") << QStringLiteral("/opt/Tavro Apps/run \"tool\"");
    QTest::newRow("env with options and assignments")
        << QByteArray("env -u HOME LANG=C GDK_BACKEND=x11 tool --flag") << QStringLiteral("tool");
    QTest::newRow("absolute env") << QByteArray("/usr/bin/env FOO=1 tool") << QStringLiteral("tool");
    QTest::newRow("bare assignment") << QByteArray("FOO=1 tool") << QStringLiteral("tool");
    QTest::newRow("only env") << QByteArray("env FOO=1") << QString();
    QTest::newRow("equals in a path is no assignment")
        << QByteArray("/opt/a=b/tool") << QStringLiteral("/opt/a=b/tool");
    QTest::newRow("open quote") << QByteArray("\"broken") << QString();
}

void TestDesktopEntry::program()
{
    QFETCH(QByteArray, exec);
    QFETCH(QString, program);
    const DesktopEntry entry = DesktopEntry::parse("[Desktop Entry]\nType=Application\nExec=" + exec + '\n');
    QCOMPARE(entry.program(), program);
}

void TestDesktopEntry::unreadableOrEmpty()
{
    QVERIFY(!DesktopEntry::fromFile(QStringLiteral("/nonexistent/x.desktop")).isValid());
    QVERIFY(!DesktopEntry::parse(QByteArray()).isValid());
    const DesktopEntry otherGroupOnly = DesktopEntry::parse("[Something Else]\nName=X\n");
    QVERIFY(!otherGroupOnly.isValid());
    QCOMPARE(otherGroupOnly.groups(), QStringList{QStringLiteral("Something Else")});
    QCOMPARE(otherGroupOnly.program(), QString());
}

QTEST_GUILESS_MAIN(TestDesktopEntry)
#include "tst_desktopentry.moc"
