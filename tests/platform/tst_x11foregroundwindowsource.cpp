#include "rawwindows.h"
#include "scopedenvironment.h"
#include "x11foregroundwindowsource.h"
#include "xvfbsession.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTest>

namespace {
QString ownExecutable()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
}

QString xtermPath()
{
    return QFileInfo(QStringLiteral("/usr/bin/xterm")).canonicalFilePath();
}
} // namespace

class TestX11ForegroundWindowSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void xterm();
    void titles_data();
    void titles();
    void parentAndVanishedWindow();
    void withoutWindowManager();

private:
    quint32 showRawWindow(const QByteArray &netWmName, const QByteArray &wmName = {}, const char *wmNameType = "");

    std::unique_ptr<XvfbSession> m_session;
    std::unique_ptr<RawWindows> m_windows;
    std::unique_ptr<X11ForegroundWindowSource> m_source;
};

void TestX11ForegroundWindowSource::initTestCase()
{
    for (const QString &program : {QStringLiteral("xdotool"), QStringLiteral("xterm")}) {
        if (!XvfbSession::haveProgram(program)) {
            QSKIP(qPrintable(program + QStringLiteral(" is not installed")));
        }
    }
    m_session = std::make_unique<XvfbSession>();
    QString error;
    if (!m_session->start(true, &error)) {
        QSKIP(qPrintable(error));
    }
    m_windows = std::make_unique<RawWindows>(m_session->display());
    QVERIFY(m_windows->isValid());
    {
        const ScopedEnvironment display("DISPLAY", m_session->display());
        QVERIFY(dynamic_cast<X11ForegroundWindowSource *>(createForegroundWindowSource().get()));
    }
    m_source = X11ForegroundWindowSource::connect(m_session->display());
    QVERIFY(m_source);
    QVERIFY(m_source->isAvailable());
    QVERIFY(m_source->problem().isEmpty());
}

void TestX11ForegroundWindowSource::xterm()
{
    // Outside Latin-1, so xterm has to write WM_NAME as COMPOUND_TEXT. It does so only in a
    // UTF-8 locale; in the C locale it stores the raw bytes as STRING.
    const QString title = QStringLiteral("Привет мир – €");
    QProcessEnvironment utf8;
    utf8.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    QVERIFY(m_session->startClient(
        QStringLiteral("xterm"),
        {QStringLiteral("-T"), title, QStringLiteral("-e"), QStringLiteral("sleep"), QStringLiteral("600")}, utf8));
    const quint64 xterm = m_session->waitForWindow({QStringLiteral("--class"), QStringLiteral("xterm")});
    QVERIFY(xterm);
    QVERIFY(m_session->activate(xterm));
    QCOMPARE(m_windows->propertyType(quint32(xterm), "WM_NAME"), m_windows->atom("COMPOUND_TEXT"));
    QCOMPARE(m_windows->propertyType(quint32(xterm), "_NET_WM_NAME"), quint32(XCB_NONE));
    ForegroundSample sample = m_source->sample();
    QCOMPARE(sample.window, xterm);
    QCOMPARE(sample.title, title);
    QCOMPARE(sample.path, xtermPath());
    const quint32 pid = m_source->windowPid(xterm);
    QVERIFY(pid > 0);

    // A new title is read on the next sample.
    const QString renamed = QStringLiteral("Überprüfung ✓ 日本語");
    QVERIFY(m_session->run(QStringLiteral("xdotool"),
                           {QStringLiteral("set_window"), QStringLiteral("--name"), renamed, QString::number(xterm)}));
    QCOMPARE(m_source->sample().title, renamed);

    // Without _NET_WM_PID the X-Resource extension names the same process.
    m_windows->remove(quint32(xterm), "_NET_WM_PID");
    QCOMPARE(m_windows->propertyType(quint32(xterm), "_NET_WM_PID"), quint32(XCB_NONE));
    QCOMPARE(m_source->windowPid(xterm), pid);
    QCOMPARE(m_source->sample().path, xtermPath());

    // _NET_WM_PID wins over X-Resource, which would name this test.
    const quint32 window = m_windows->create();
    m_windows->set32(window, "_NET_WM_PID", "CARDINAL", pid);
    m_windows->map(window);
    QVERIFY(m_session->activate(window));
    QCOMPARE(m_source->sample().path, xtermPath());
    m_windows->destroy(window);
}

quint32 TestX11ForegroundWindowSource::showRawWindow(const QByteArray &netWmName, const QByteArray &wmName,
                                                     const char *wmNameType)
{
    const quint32 window = m_windows->create();
    if (!netWmName.isNull()) {
        m_windows->set(window, "_NET_WM_NAME", "UTF8_STRING", netWmName);
    }
    if (!wmName.isNull()) {
        m_windows->set(window, "WM_NAME", wmNameType, wmName);
    }
    m_windows->map(window);
    return m_session->activate(window) ? window : 0;
}

void TestX11ForegroundWindowSource::titles_data()
{
    QTest::addColumn<QByteArray>("netWmName");
    QTest::addColumn<QByteArray>("wmName");
    QTest::addColumn<QByteArray>("wmNameType");
    QTest::addColumn<QString>("expected");

    const QByteArray none;
    const QByteArray string("STRING");
    QTest::newRow("utf8 net name") << QByteArray("Grüße – 日本語 ✓") << none << string
                                   << QStringLiteral("Grüße – 日本語 ✓");
    QTest::newRow("net name wins") << QByteArray("Modern") << QByteArray("Legacy") << string
                                   << QStringLiteral("Modern");
    QTest::newRow("latin-1 string") << none << QByteArray("Gr\xfc\xdf") << string << QStringLiteral("Grüß");
    QTest::newRow("utf-8 bytes labelled string") << none << QByteArray("Привет") << string << QStringLiteral("Привет");
    QTest::newRow("trailing nul") << none << QByteArray("Editor\0", 7) << string << QStringLiteral("Editor");
    QTest::newRow("no title") << none << none << string << QString();
    QTest::newRow("300 characters") << QByteArray(300, 'x') << none << string << QString(260, u'x');
    // A character outside the BMP straddling the cut is dropped whole.
    QTest::newRow("surrogate at cut") << (QString(259, u'a') + QStringLiteral("😀b")).toUtf8() << none << string
                                      << QString(259, u'a');
}

void TestX11ForegroundWindowSource::titles()
{
    QFETCH(QByteArray, netWmName);
    QFETCH(QByteArray, wmName);
    QFETCH(QByteArray, wmNameType);
    QFETCH(QString, expected);

    const quint32 window = showRawWindow(netWmName, wmName, wmNameType.constData());
    QVERIFY(window);
    const ForegroundSample sample = m_source->sample();
    QCOMPARE(sample.window, quint64(window));
    QCOMPARE(sample.title, expected);
    QCOMPARE(m_source->windowText(window), expected);
    // No _NET_WM_PID on these windows: the X-Resource extension names this process.
    QCOMPARE(sample.path, ownExecutable());
    m_windows->destroy(window);
}

void TestX11ForegroundWindowSource::parentAndVanishedWindow()
{
    const quint32 main = showRawWindow("Main window");
    QVERIFY(main);
    const quint32 dialog = m_windows->create();
    m_windows->set32(dialog, "WM_TRANSIENT_FOR", "WINDOW", main);
    m_windows->map(dialog);
    QCOMPARE(m_source->parentWindow(dialog), quint64(main));
    QCOMPARE(m_source->parentWindow(main), quint64(0));
    QCOMPARE(m_source->windowText(main), QStringLiteral("Main window"));

    m_windows->destroy(dialog);
    m_windows->destroy(main);
    QCOMPARE(m_source->windowText(main), QString());
    QCOMPARE(m_source->parentWindow(dialog), quint64(0));
    // X-Resource maps an id to the client it was allocated to, even after the window is gone.
    QCOMPARE(m_source->windowPid(main), quint32(QCoreApplication::applicationPid()));
    // openbox may still name the dead window as active for a moment; its title then reads empty.
    const ForegroundSample sample = m_source->sample();
    QVERIFY(sample.window != main || sample.title.isEmpty());
    // The connection survived the errors.
    const quint32 next = showRawWindow("Next");
    QVERIFY(next);
    QCOMPARE(m_source->sample().window, quint64(next));
    m_windows->destroy(next);
}

void TestX11ForegroundWindowSource::withoutWindowManager()
{
    auto bare = std::make_unique<XvfbSession>();
    QString error;
    if (!bare->start(false, &error)) {
        QSKIP(qPrintable(error));
    }
    auto source = X11ForegroundWindowSource::connect(bare->display());
    QVERIFY(source);
    {
        RawWindows windows(bare->display());
        QVERIFY(windows.isValid());
        // A fresh server has the focus on "pointer root": nothing is in front.
        QCOMPARE(source->sample().window, quint64(0));

        // Focus on a child: the walk goes up to the top-level.
        const quint32 top = windows.create();
        windows.set(top, "_NET_WM_NAME", "UTF8_STRING", "Top level");
        const quint32 child = windows.create(top);
        windows.map(child);
        windows.map(top);
        QVERIFY(bare->run(QStringLiteral("xdotool"),
                          {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(child)}));
        ForegroundSample sample = source->sample();
        QCOMPARE(sample.window, quint64(top));
        QCOMPARE(sample.title, QStringLiteral("Top level"));
        QCOMPARE(sample.path, ownExecutable());

        // A frame of a window manager that does not speak EWMH: the client is the child with
        // WM_STATE. Its compound-text title (ASCII subset) opens the Xlib side of the decoder.
        const quint32 frame = windows.create();
        const quint32 client = windows.create(frame);
        windows.set(client, "WM_NAME", "COMPOUND_TEXT", "Framed client");
        windows.set32(client, "WM_STATE", "WM_STATE", 1);
        windows.map(client);
        windows.map(frame);
        windows.focus(frame);
        sample = source->sample();
        QCOMPARE(sample.window, quint64(client));
        QCOMPARE(sample.title, QStringLiteral("Framed client"));

        // The focused window goes away: the focus reverts to its parent, the root.
        windows.destroy(frame);
        QCOMPARE(source->sample().window, quint64(0));
    }
    bare.reset();
    // Neither xcb nor the Xlib decoder may end the process when the server goes; samples are empty.
    const ForegroundSample sample = source->sample();
    QCOMPARE(sample.window, quint64(0));
    QVERIFY(sample.path.isEmpty());
    QCOMPARE(source->windowText(1), QString());
}

QTEST_GUILESS_MAIN(TestX11ForegroundWindowSource)
#include "tst_x11foregroundwindowsource.moc"
