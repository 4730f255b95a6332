#include "foregroundwindow.h"
#include "idlesource.h"
#include "processpath.h"
#include "scopedenvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestPlatformFallbacks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noDisplay();
    void sessionNote_data();
    void sessionNote();
    void executablePathOfProcesses();
    void executablePathOfReplacedBinary();
};

void TestPlatformFallbacks::noDisplay()
{
    const ScopedEnvironment display("DISPLAY", QByteArray());
    auto source = createForegroundWindowSource();
    auto idle = createIdleSource();
    QVERIFY(!source->isAvailable());
    QVERIFY(source->problem().contains(QLatin1String("No X11 display")));
    const ForegroundSample sample = source->sample();
    QCOMPARE(sample.window, quint64(0));
    QVERIFY(sample.path.isEmpty());
    QVERIFY(sample.title.isEmpty());
    QCOMPARE(source->windowText(42), QString());
    QCOMPARE(source->parentWindow(42), quint64(0));
    QCOMPARE(idle->idleSeconds(), 0);
}

void TestPlatformFallbacks::sessionNote_data()
{
    QTest::addColumn<QString>("sessionType");
    QTest::addColumn<QString>("waylandDisplay");
    QTest::addColumn<bool>("noted");

    QTest::newRow("x11") << QStringLiteral("x11") << QString() << false;
    QTest::newRow("nothing set") << QString() << QString() << false;
    QTest::newRow("wayland session") << QStringLiteral("wayland") << QString() << true;
    QTest::newRow("wayland display only") << QString() << QStringLiteral("wayland-0") << true;
    QTest::newRow("tty with wayland display") << QStringLiteral("tty") << QStringLiteral("wayland-1") << true;
}

void TestPlatformFallbacks::sessionNote()
{
    QFETCH(QString, sessionType);
    QFETCH(QString, waylandDisplay);
    QFETCH(bool, noted);

    QProcessEnvironment env;
    if (!sessionType.isEmpty()) {
        env.insert(QStringLiteral("XDG_SESSION_TYPE"), sessionType);
    }
    if (!waylandDisplay.isEmpty()) {
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), waylandDisplay);
    }
    const QString note = ::sessionNote(env);
    QCOMPARE(!note.isEmpty(), noted);
    if (noted) {
        QVERIFY(note.contains(QLatin1String("XWayland")));
    }
}

void TestPlatformFallbacks::executablePathOfProcesses()
{
    QCOMPARE(executablePath(quint32(QCoreApplication::applicationPid())),
             QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath());
    QCOMPARE(executablePath(0), QString());
    // Far above any pid_max: no such process.
    QCOMPARE(executablePath(4000000000u), QString());
}

void TestPlatformFallbacks::executablePathOfReplacedBinary()
{
    const QString sleep = QFileInfo(QStandardPaths::findExecutable(QStringLiteral("sleep"))).canonicalFilePath();
    if (sleep.isEmpty()) {
        QSKIP("sleep is not installed");
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString copy = QFileInfo(dir.path()).canonicalFilePath() + QStringLiteral("/worker");
    QVERIFY(QFile::copy(sleep, copy));
    QProcess process;
    process.start(copy, {QStringLiteral("30")});
    QVERIFY(process.waitForStarted());
    QCOMPARE(executablePath(quint32(process.processId())), copy);
    // An update replaced the binary while it runs: the kernel appends " (deleted)".
    QVERIFY(QFile::remove(copy));
    QCOMPARE(executablePath(quint32(process.processId())), copy);
    process.kill();
    process.waitForFinished();
}

QTEST_GUILESS_MAIN(TestPlatformFallbacks)
#include "tst_platformfallbacks.moc"
