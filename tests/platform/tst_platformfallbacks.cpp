#include "foregroundwindow.h"
#include "idlesource.h"
#include "processpath.h"
#include "scopedenvironment.h"

#include <QCoreApplication>
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
    void noDisplay_data();
    void noDisplay();
    void sessionNote();
    void executablePath();
};

void TestPlatformFallbacks::noDisplay_data()
{
    QTest::addColumn<QByteArray>("display");
    QTest::newRow("unset") << QByteArray();
    QTest::newRow("no server answers") << QByteArray(":4711");
}

void TestPlatformFallbacks::noDisplay()
{
    QFETCH(QByteArray, display);
    const ScopedEnvironment environment("DISPLAY", display);
    auto source = createForegroundWindowSource();
    QVERIFY(!source->isAvailable());
    QVERIFY(source->problem().contains(QLatin1String("No X11 display")));
    const ForegroundSample sample = source->sample();
    QCOMPARE(sample.window, quint64(0));
    QVERIFY(sample.path.isEmpty() && sample.title.isEmpty());
    QCOMPARE(source->windowText(42), QString());
    QCOMPARE(source->parentWindow(42), quint64(0));
    QCOMPARE(createIdleSource()->idleSeconds(), 0);
}

void TestPlatformFallbacks::sessionNote()
{
    const auto noted = [](const char *sessionType, const char *waylandDisplay) {
        QProcessEnvironment env;
        env.insert(QStringLiteral("XDG_SESSION_TYPE"), QString::fromLatin1(sessionType));
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), QString::fromLatin1(waylandDisplay));
        return ::sessionNote(env).contains(QLatin1String("XWayland"));
    };
    QVERIFY(!noted("x11", ""));
    QVERIFY(!noted("", ""));
    QVERIFY(noted("wayland", ""));
    QVERIFY(noted("tty", "wayland-1"));
}

void TestPlatformFallbacks::executablePath()
{
    QCOMPARE(::executablePath(quint32(QCoreApplication::applicationPid())),
             QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath());
    QCOMPARE(::executablePath(0), QString());
    // Far above any pid_max: no such process.
    QCOMPARE(::executablePath(4000000000u), QString());

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
    const quint32 pid = quint32(process.processId());
    QCOMPARE(::executablePath(pid), copy);
    // An update replaced the binary while it runs: the kernel appends " (deleted)".
    QVERIFY(QFile::remove(copy));
    QCOMPARE(::executablePath(pid), copy);
    process.kill();
    process.waitForFinished();
}

QTEST_GUILESS_MAIN(TestPlatformFallbacks)
#include "tst_platformfallbacks.moc"
