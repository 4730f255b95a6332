#include "rawwindows.h"
#include "x11foregroundwindowsource.h"
#include "xvfbsession.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTest>

class TestX11ForegroundWindowSource : public QObject
{
    Q_OBJECT

private:
    XvfbSession m_session;
    std::unique_ptr<RawWindows> m_windows;
    std::unique_ptr<X11ForegroundWindowSource> m_source;
    const QString m_self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();

private Q_SLOTS:
    void initTestCase()
    {
        for (const char *program : {"xdotool", "xterm"}) {
            QVERIFY2(XvfbSession::haveProgram(QLatin1String(program)), program);
        }
        QString error;
        QVERIFY2(m_session.start(true, &error), qPrintable(error));
        m_windows = std::make_unique<RawWindows>(m_session.display());
        m_source = X11ForegroundWindowSource::connect(m_session.display());
        QVERIFY(m_windows->isValid() && m_source && m_source->isAvailable());
    }

    void xterm()
    {
        // Outside Latin-1, so xterm in a UTF-8 locale writes WM_NAME as COMPOUND_TEXT.
        const QString title = QStringLiteral("Привет мир – €");
        QProcessEnvironment utf8;
        utf8.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        QVERIFY(m_session.startClient(
            QStringLiteral("xterm"),
            {QStringLiteral("-T"), title, QStringLiteral("-e"), QStringLiteral("sleep"), QStringLiteral("600")}, utf8));
        const quint64 xterm = m_session.waitForWindow({QStringLiteral("--class"), QStringLiteral("xterm")});
        QVERIFY(xterm && m_session.activate(xterm));
        QCOMPARE(m_windows->propertyType(quint32(xterm), "WM_NAME"), m_windows->atom("COMPOUND_TEXT"));
        const ForegroundSample sample = m_source->sample();
        const QString path = QFileInfo(QStringLiteral("/usr/bin/xterm")).canonicalFilePath();
        QCOMPARE(QStringList({QString::number(sample.window), sample.title, sample.path}),
                 QStringList({QString::number(xterm), title, path}));
        // Without _NET_WM_PID the X-Resource extension names the same process.
        m_windows->remove(quint32(xterm), "_NET_WM_PID");
        QCOMPARE(m_windows->propertyType(quint32(xterm), "_NET_WM_PID"), quint32(XCB_NONE));
        QCOMPARE(m_source->sample().path, path);
    }

    void titles_data()
    {
        QTest::addColumn<QByteArray>("netWmName");
        QTest::addColumn<QByteArray>("wmName");
        QTest::addColumn<QString>("expected");
        QTest::newRow("utf8 net name") << QByteArray("Grüße ✓") << QByteArray("Legacy") << QStringLiteral("Grüße ✓");
        QTest::newRow("latin-1 string") << QByteArray() << QByteArray("Gr\xfc\xdf") << QStringLiteral("Grüß");
        QTest::newRow("300 characters") << QByteArray(300, 'x') << QByteArray() << QString(260, u'x');
        // A character outside the BMP straddling the cut is dropped whole.
        QTest::newRow("surrogate at cut")
            << (QString(259, u'a') + QStringLiteral("😀b")).toUtf8() << QByteArray() << QString(259, u'a');
    }

    void titles()
    {
        QFETCH(QByteArray, netWmName);
        QFETCH(QByteArray, wmName);
        QFETCH(QString, expected);
        const quint32 window = m_windows->create();
        if (!netWmName.isNull()) {
            m_windows->set(window, "_NET_WM_NAME", "UTF8_STRING", netWmName);
        }
        m_windows->set(window, "WM_NAME", "STRING", wmName);
        m_windows->map(window);
        QVERIFY(m_session.activate(window));
        const ForegroundSample sample = m_source->sample();
        // No _NET_WM_PID on this window: the X-Resource extension names this process.
        QCOMPARE(QStringList({QString::number(sample.window), sample.title, sample.path}),
                 QStringList({QString::number(window), expected, m_self}));
        m_windows->destroy(window);
    }

    // A window in front keeps its sample between changes; each change reaches the next sample, also one
    // made while the window was behind another.
    void changesReachTheNextSample_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<bool>("whileBehind");
        QTest::newRow("net name in front") << QByteArray("_NET_WM_NAME") << QByteArray("UTF8_STRING") << false;
        QTest::newRow("legacy name in front") << QByteArray("WM_NAME") << QByteArray("STRING") << false;
        QTest::newRow("net name while behind") << QByteArray("_NET_WM_NAME") << QByteArray("UTF8_STRING") << true;
    }

    void changesReachTheNextSample()
    {
        QFETCH(QByteArray, property);
        QFETCH(QByteArray, type);
        QFETCH(bool, whileBehind);
        const quint32 front = m_windows->create();
        const quint32 other = m_windows->create();
        m_windows->set(front, property.constData(), type.constData(), "Draft 1");
        m_windows->set(other, property.constData(), type.constData(), "Other");
        m_windows->map(front);
        m_windows->map(other);
        QVERIFY(m_session.activate(front));
        QCOMPARE(m_source->sample().title, QStringLiteral("Draft 1"));
        QCOMPARE(m_source->sample().title, QStringLiteral("Draft 1"));
        if (whileBehind) {
            QVERIFY(m_session.activate(other));
            QCOMPARE(m_source->sample().title, QStringLiteral("Other"));
        }
        for (const QByteArray &title : {QByteArray("Draft 2"), QByteArray("Draft 3")}) {
            m_windows->set(front, property.constData(), type.constData(), title);
            if (whileBehind) {
                QVERIFY(m_session.activate(front));
            }
            const ForegroundSample sample = m_source->sample();
            QCOMPARE(QStringList({QString::number(sample.window), sample.title, sample.path}),
                     QStringList({QString::number(front), QString::fromLatin1(title), m_self}));
            if (whileBehind) {
                QVERIFY(m_session.activate(other));
                QCOMPARE(m_source->sample().title, QStringLiteral("Other"));
            }
        }
        m_windows->destroy(front);
        m_windows->destroy(other);
    }

    void withoutWindowManager()
    {
        auto bare = std::make_unique<XvfbSession>();
        QString error;
        QVERIFY2(bare->start(false, &error), qPrintable(error));
        auto source = X11ForegroundWindowSource::connect(bare->display());
        auto windows = std::make_unique<RawWindows>(bare->display());
        // A fresh server has the focus on "pointer root": nothing is in front.
        QVERIFY(source && windows->isValid() && source->sample().window == 0);
        // Focus on a child: the walk goes up to the top-level.
        const quint32 top = windows->create();
        windows->set(top, "_NET_WM_NAME", "UTF8_STRING", "Top level");
        const quint32 child = windows->create(top);
        windows->map(child);
        windows->map(top);
        QVERIFY(bare->run(QStringLiteral("xdotool"),
                          {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(child)}));
        const ForegroundSample sample = source->sample();
        QCOMPARE(QStringList({QString::number(sample.window), sample.title, sample.path}),
                 QStringList({QString::number(top), QStringLiteral("Top level"), m_self}));
        // The server goes away: samples are empty and the process lives on.
        windows.reset();
        bare.reset();
        QVERIFY(source->sample().path.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestX11ForegroundWindowSource)
#include "tst_x11foregroundwindowsource.moc"
