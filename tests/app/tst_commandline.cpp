#include "buildinfo.h"
#include "commandline.h"

#include <QRegularExpression>
#include <QTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private:
    static QStringList args(const QString &line)
    {
        QStringList list{QStringLiteral("/usr/bin/tavrodesk")};
        if (!line.isEmpty()) {
            list += line.split(QLatin1Char(' '));
        }
        return list;
    }

private Q_SLOTS:
    void startsTheWindow_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("debug");
        QTest::addColumn<bool>("autostarted");
        QTest::newRow("nothing") << QString() << false << false;
        QTest::newRow("-debug") << QStringLiteral("-debug") << true << false;
        QTest::newRow("at log-in") << QStringLiteral("--autostart") << false << true;
        // Qt's own switches stay Qt's, before or after ours.
        QTest::newRow("qt switches") << QStringLiteral("-platform offscreen -debug -reverse -style=fusion") << true
                                     << false;
        QTest::newRow("qt switch with two dashes") << QStringLiteral("--platform offscreen") << false << false;
    }
    void startsTheWindow()
    {
        QFETCH(QString, line);
        QFETCH(bool, debug);
        QFETCH(bool, autostarted);
        CommandLine commandLine;
        QCOMPARE(commandLine.parse(args(line)), CommandLine::Action::RunWindow);
        QCOMPARE(commandLine.debugRequested(), debug);
        QCOMPARE(commandLine.autostarted(), autostarted);
    }

    void rejectsWhatItDoesNotKnow_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("named");
        // The log switch is matched exactly, in case and in dashes.
        QTest::newRow("capital") << QStringLiteral("-Debug") << QStringLiteral("'Debug'");
        QTest::newRow("two dashes") << QStringLiteral("--debug") << QStringLiteral("'--debug'");
        QTest::newRow("unknown") << QStringLiteral("-debug --frobnicate") << QStringLiteral("'frobnicate'");
        QTest::newRow("stray word") << QStringLiteral("today") << QStringLiteral("'today'");
        QTest::newRow("missing value") << QStringLiteral("-platform") << QStringLiteral("'-platform'");
    }
    void rejectsWhatItDoesNotKnow()
    {
        QFETCH(QString, line);
        QFETCH(QString, named);
        CommandLine commandLine;
        QCOMPARE(commandLine.parse(args(line)), CommandLine::Action::Exit);
        QCOMPARE(commandLine.exitCode(), 2);
        QVERIFY2(commandLine.error().contains(named), qPrintable(commandLine.error()));
        QVERIFY(commandLine.error().contains(QLatin1String("--help")));
        QVERIFY(commandLine.output().isEmpty());
        QVERIFY(!commandLine.debugRequested());
    }

    void helpListsOurOptionsOnly()
    {
        for (const QString &line : {QStringLiteral("--help"), QStringLiteral("-h"), QStringLiteral("-debug --help")}) {
            CommandLine commandLine;
            QCOMPARE(commandLine.parse(args(line)), CommandLine::Action::Exit);
            QCOMPARE(commandLine.exitCode(), 0);
            const QString help = commandLine.output();
            QVERIFY(help.startsWith(QLatin1String("Usage: tavrodesk [options]\n")));
            QVERIFY(help.contains(QLatin1String("\n  -debug ")));
            QVERIFY(help.contains(QLatin1String("-v, --version")));
            QVERIFY(!help.contains(QLatin1String("--debug")));
            QVERIFY(!help.contains(QLatin1String("platform")));
            QVERIFY(commandLine.error().isEmpty());
        }
    }

    void versionComesFromTheBuild()
    {
        for (const QString &line : {QStringLiteral("--version"), QStringLiteral("-v")}) {
            CommandLine commandLine;
            QCOMPARE(commandLine.parse(args(line)), CommandLine::Action::Exit);
            QCOMPARE(commandLine.exitCode(), 0);
            QCOMPARE(commandLine.output(), QStringLiteral("tavrodesk ") + BuildInfo::version() + QLatin1Char('\n'));
        }
        QVERIFY(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(BuildInfo::version()).hasMatch());
    }

    void commandsRunInsteadOfTheWindow()
    {
        CommandLine commandLine;
        const QCommandLineOption format(QStringLiteral("format"), QStringLiteral("Output format."),
                                        QStringLiteral("FORMAT"));
        commandLine.addOption(format);
        QStringList seen;
        commandLine.addCommand(
            QCommandLineOption(QStringLiteral("dump"), QStringLiteral("Dump."), QStringLiteral("DAY")),
            [&seen, format](const QCommandLineParser &parser) {
                seen << parser.value(QStringLiteral("dump")) << parser.value(format) << parser.positionalArguments();
                return 7;
            });
        commandLine.addCommand(QCommandLineOption(QStringLiteral("other"), QStringLiteral("Other.")),
                               [](const QCommandLineParser &) { return 0; });

        QCOMPARE(commandLine.parse(args(QStringLiteral("--dump 2024-01-02 2024-01-05 --format json"))),
                 CommandLine::Action::RunCommand);
        QVERIFY(seen.isEmpty());
        QCOMPARE(commandLine.runCommand(), 7);
        QCOMPARE(seen,
                 QStringList({QStringLiteral("2024-01-02"), QStringLiteral("json"), QStringLiteral("2024-01-05")}));
        QVERIFY(commandLine.helpText().contains(QLatin1String("--dump DAY")));

        QCOMPARE(commandLine.parse(args(QStringLiteral("--dump x --other"))), CommandLine::Action::Exit);
        QCOMPARE(commandLine.exitCode(), 2);
        // A plain option alone does not run anything.
        QCOMPARE(commandLine.parse(args(QStringLiteral("--format csv"))), CommandLine::Action::RunWindow);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
