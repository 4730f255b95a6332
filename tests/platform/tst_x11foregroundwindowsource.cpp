#include "scopedenvironment.h"
#include "x11foregroundwindowsource.h"
#include "xvfbsession.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {
// Raw X windows made by the test itself, with exactly the properties a case needs. They belong to
// this process, so their path is this test's executable.
class RawWindows
{
public:
    explicit RawWindows(const QByteArray &display)
        : m_connection(xcb_connect(display.constData(), nullptr))
    {
        m_screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    }
    ~RawWindows() { xcb_disconnect(m_connection); }
    bool isValid() const { return !xcb_connection_has_error(m_connection) && m_screen; }

    quint32 create(quint32 parent = 0)
    {
        const quint32 window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, parent ? parent : m_screen->root, 10, 10, 200,
                          100, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, m_screen->root_visual, 0, nullptr);
        return window;
    }
    void map(quint32 window)
    {
        xcb_map_window(m_connection, window);
        sync();
    }
    void destroy(quint32 window)
    {
        xcb_destroy_window(m_connection, window);
        sync();
    }
    void setProperty(quint32 window, const char *name, const char *type, const QByteArray &value)
    {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom(name), atom(type), 8,
                            quint32(value.size()), value.constData());
        sync();
    }
    void setProperty32(quint32 window, const char *name, const char *type, quint32 value)
    {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom(name), atom(type), 32, 1, &value);
        sync();
    }
    void deleteProperty(quint32 window, const char *name)
    {
        xcb_delete_property(m_connection, window, atom(name));
        sync();
    }
    // The type of the property, XCB_NONE when the window lacks it.
    quint32 propertyType(quint32 window, const char *name)
    {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
            nullptr);
        const quint32 type = reply ? reply->type : XCB_NONE;
        std::free(reply);
        return type;
    }
    quint32 atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, quint16(qstrlen(name)), name), nullptr);
        const quint32 result = reply ? reply->atom : 0;
        std::free(reply);
        return result;
    }
    void focus(quint32 window)
    {
        xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
        sync();
    }

private:
    void sync() { std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr)); }

    xcb_connection_t *m_connection;
    xcb_screen_t *m_screen = nullptr;
};

QString ownExecutable()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
}
} // namespace

class TestX11ForegroundWindowSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void xtermPathAndCompoundTextTitle();
    void pidFromResourceExtension();
    void renamedByXdotool();
    void factoryUsesDisplay();
    void titles_data();
    void titles();
    void netWmPidIsPreferred();
    void transientParentAndWindowText();
    void vanishedWindow();
    void withoutWindowManager();
    void serverGoesAway();
    void unreachableDisplay();

private:
    quint32 showRawWindow(const char *netWmName, const QByteArray &wmName, const char *wmNameType);

    std::unique_ptr<XvfbSession> m_session;
    std::unique_ptr<RawWindows> m_windows;
    std::unique_ptr<X11ForegroundWindowSource> m_source;
    quint64 m_xterm = 0;
    qint64 m_xtermPid = 0;
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
    m_source = X11ForegroundWindowSource::connect(m_session->display());
    QVERIFY(m_source);
    QVERIFY(m_source->isAvailable());
    QVERIFY(m_source->problem().isEmpty());
}

void TestX11ForegroundWindowSource::xtermPathAndCompoundTextTitle()
{
    // Outside Latin-1, so xterm has to write WM_NAME as COMPOUND_TEXT. It does so only in a
    // UTF-8 locale; in the C locale it stores the raw bytes as STRING.
    const QString title = QStringLiteral("Привет мир – €");
    QProcessEnvironment utf8;
    utf8.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    QVERIFY(m_session->startClient(
        QStringLiteral("xterm"),
        {QStringLiteral("-T"), title, QStringLiteral("-e"), QStringLiteral("sleep"), QStringLiteral("600")}, utf8));
    m_xterm = m_session->waitForWindow({QStringLiteral("--class"), QStringLiteral("xterm")});
    QVERIFY(m_xterm);
    QVERIFY(m_session->activate(m_xterm));
    QCOMPARE(m_windows->propertyType(quint32(m_xterm), "WM_NAME"), m_windows->atom("COMPOUND_TEXT"));
    QCOMPARE(m_windows->propertyType(quint32(m_xterm), "_NET_WM_NAME"), quint32(XCB_NONE));

    const ForegroundSample sample = m_source->sample();
    QCOMPARE(sample.window, m_xterm);
    QCOMPARE(sample.title, title);
    QCOMPARE(sample.path, QFileInfo(QStringLiteral("/usr/bin/xterm")).canonicalFilePath());
    m_xtermPid = m_source->windowPid(m_xterm);
    QVERIFY(m_xtermPid > 0);
}

void TestX11ForegroundWindowSource::pidFromResourceExtension()
{
    if (!m_xtermPid) {
        QSKIP("needs the xterm of the previous case");
    }
    m_windows->deleteProperty(quint32(m_xterm), "_NET_WM_PID");
    QCOMPARE(m_windows->propertyType(quint32(m_xterm), "_NET_WM_PID"), quint32(XCB_NONE));
    QVERIFY(m_session->activate(m_xterm));
    QCOMPARE(m_source->windowPid(m_xterm), quint32(m_xtermPid));
    QCOMPARE(m_source->sample().path, QFileInfo(QStringLiteral("/usr/bin/xterm")).canonicalFilePath());
}

void TestX11ForegroundWindowSource::renamedByXdotool()
{
    if (!m_xterm) {
        QSKIP("needs the xterm of the first case");
    }
    const QString title = QStringLiteral("Überprüfung ✓ 日本語");
    QVERIFY(m_session->run(QStringLiteral("xdotool"),
                           {QStringLiteral("set_window"), QStringLiteral("--name"), title, QString::number(m_xterm)}));
    QCOMPARE(m_source->sample().title, title);
}

void TestX11ForegroundWindowSource::factoryUsesDisplay()
{
    const ScopedEnvironment display("DISPLAY", m_session->display());
    auto source = createForegroundWindowSource();
    QVERIFY(source->isAvailable());
    QVERIFY(dynamic_cast<X11ForegroundWindowSource *>(source.get()));
    QCOMPARE(source->sample().window, m_source->sample().window);
}

quint32 TestX11ForegroundWindowSource::showRawWindow(const char *netWmName, const QByteArray &wmName,
                                                     const char *wmNameType)
{
    const quint32 window = m_windows->create();
    if (netWmName) {
        m_windows->setProperty(window, "_NET_WM_NAME", "UTF8_STRING", QByteArray(netWmName));
    }
    if (!wmName.isNull()) {
        m_windows->setProperty(window, "WM_NAME", wmNameType, wmName);
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
    QTest::newRow("utf8 net name") << QByteArray("Grüße – 日本語 ✓") << none << QByteArray("STRING")
                                   << QStringLiteral("Grüße – 日本語 ✓");
    QTest::newRow("net name wins") << QByteArray("Modern") << QByteArray("Legacy") << QByteArray("STRING")
                                   << QStringLiteral("Modern");
    QTest::newRow("latin-1 string") << none
                                    << QByteArray("Gr\xfc\xdf"
                                                  "e")
                                    << QByteArray("STRING") << QStringLiteral("Grüße");
    QTest::newRow("utf-8 bytes labelled string")
        << none << QByteArray("Привет") << QByteArray("STRING") << QStringLiteral("Привет");
    QTest::newRow("utf8 wm name") << none << QByteArray("Grüße") << QByteArray("UTF8_STRING")
                                  << QStringLiteral("Grüße");
    QTest::newRow("trailing nul") << none << QByteArray("Editor\0", 7) << QByteArray("STRING")
                                  << QStringLiteral("Editor");
    QTest::newRow("no title") << none << none << QByteArray("STRING") << QString();
    QTest::newRow("300 characters") << QByteArray(300, 'x') << none << QByteArray("STRING") << QString(260, u'x');
    QTest::newRow("300 multibyte") << QString(300, u'ä').toUtf8() << none << QByteArray("STRING") << QString(260, u'ä');
    // A character outside the BMP straddling the cut is dropped whole.
    QTest::newRow("surrogate at cut") << (QString(259, u'a') + QStringLiteral("😀b")).toUtf8() << none
                                      << QByteArray("STRING") << QString(259, u'a');
}

void TestX11ForegroundWindowSource::titles()
{
    QFETCH(QByteArray, netWmName);
    QFETCH(QByteArray, wmName);
    QFETCH(QByteArray, wmNameType);
    QFETCH(QString, expected);

    const quint32 window =
        showRawWindow(netWmName.isNull() ? nullptr : netWmName.constData(), wmName, wmNameType.constData());
    QVERIFY(window);
    const ForegroundSample sample = m_source->sample();
    QCOMPARE(sample.window, quint64(window));
    QCOMPARE(sample.title, expected);
    QCOMPARE(m_source->windowText(window), expected);
    // No _NET_WM_PID on these windows: the X-Resource extension names this process.
    QCOMPARE(sample.path, ownExecutable());
    m_windows->destroy(window);
}

void TestX11ForegroundWindowSource::netWmPidIsPreferred()
{
    if (!m_xtermPid) {
        QSKIP("needs the xterm of the first case");
    }
    const quint32 window = m_windows->create();
    m_windows->setProperty32(window, "_NET_WM_PID", "CARDINAL", quint32(m_xtermPid));
    m_windows->map(window);
    QVERIFY(m_session->activate(window));
    QCOMPARE(m_source->sample().path, QFileInfo(QStringLiteral("/usr/bin/xterm")).canonicalFilePath());
    m_windows->destroy(window);
}

void TestX11ForegroundWindowSource::transientParentAndWindowText()
{
    const quint32 main = m_windows->create();
    m_windows->setProperty(main, "_NET_WM_NAME", "UTF8_STRING", "Main window");
    const quint32 dialog = m_windows->create();
    m_windows->setProperty(dialog, "WM_NAME", "STRING", "Dialog");
    m_windows->setProperty32(dialog, "WM_TRANSIENT_FOR", "WINDOW", main);
    m_windows->map(main);
    m_windows->map(dialog);

    QCOMPARE(m_source->parentWindow(dialog), quint64(main));
    QCOMPARE(m_source->parentWindow(main), quint64(0));
    QCOMPARE(m_source->windowText(main), QStringLiteral("Main window"));
    QCOMPARE(m_source->windowText(dialog), QStringLiteral("Dialog"));
    QCOMPARE(m_source->windowText(0), QString());
    QCOMPARE(m_source->parentWindow(0), quint64(0));
    m_windows->destroy(dialog);
    m_windows->destroy(main);
}

void TestX11ForegroundWindowSource::vanishedWindow()
{
    const quint32 window = showRawWindow("Short-lived", {}, "STRING");
    QVERIFY(window);
    m_windows->destroy(window);
    QCOMPARE(m_source->windowText(window), QString());
    QCOMPARE(m_source->parentWindow(window), quint64(0));
    // X-Resource maps an id to the client it was allocated to, even after the window is gone.
    QCOMPARE(m_source->windowPid(window), quint32(QCoreApplication::applicationPid()));
    // openbox may still name the dead window as active for a moment; its title then reads empty.
    const ForegroundSample sample = m_source->sample();
    QVERIFY(sample.window != window || sample.title.isEmpty());
    // The connection survived the errors.
    QVERIFY(m_xterm == 0 || m_session->activate(m_xterm));
    QCOMPARE(m_source->sample().window, m_xterm);
}

void TestX11ForegroundWindowSource::withoutWindowManager()
{
    XvfbSession bare;
    QString error;
    if (!bare.start(false, &error)) {
        QSKIP(qPrintable(error));
    }
    RawWindows windows(bare.display());
    QVERIFY(windows.isValid());
    auto source = X11ForegroundWindowSource::connect(bare.display());
    QVERIFY(source);

    // A fresh server has the focus on "pointer root": nothing is in front.
    ForegroundSample sample = source->sample();
    QCOMPARE(sample.window, quint64(0));
    QVERIFY(sample.path.isEmpty());

    // Focus on a child: the walk goes up to the top-level.
    const quint32 top = windows.create();
    windows.setProperty(top, "_NET_WM_NAME", "UTF8_STRING", "Top level");
    const quint32 child = windows.create(top);
    windows.map(child);
    windows.map(top);
    QVERIFY(bare.run(QStringLiteral("xdotool"),
                     {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(child)}));
    sample = source->sample();
    QCOMPARE(sample.window, quint64(top));
    QCOMPARE(sample.title, QStringLiteral("Top level"));
    QCOMPARE(sample.path, ownExecutable());

    // A frame of a window manager that does not speak EWMH: the client is the child with WM_STATE.
    const quint32 frame = windows.create();
    const quint32 client = windows.create(frame);
    windows.setProperty(client, "WM_NAME", "STRING", "Framed client");
    windows.setProperty32(client, "WM_STATE", "WM_STATE", 1);
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

void TestX11ForegroundWindowSource::serverGoesAway()
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
        const quint32 window = windows.create();
        // Compound text in its ASCII subset: enough to open the Xlib side of the decoder.
        windows.setProperty(window, "WM_NAME", "COMPOUND_TEXT", "Compound");
        windows.map(window);
        windows.focus(window);
        QCOMPARE(source->sample().title, QStringLiteral("Compound"));
    }
    bare.reset();
    // Neither xcb nor the Xlib decoder may end the process; samples are simply empty.
    const ForegroundSample sample = source->sample();
    QCOMPARE(sample.window, quint64(0));
    QVERIFY(sample.path.isEmpty());
    QCOMPARE(source->windowText(1), QString());
    source.reset();
}

void TestX11ForegroundWindowSource::unreachableDisplay()
{
    QVERIFY(!X11ForegroundWindowSource::connect(":4711"));
}

QTEST_GUILESS_MAIN(TestX11ForegroundWindowSource)
#include "tst_x11foregroundwindowsource.moc"
