#include "recordingfakes.h"
#include "settings.h"
#include "windowprobe.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
QColor iconColour(const QIcon &icon)
{
    return icon.pixmap(16, 16).toImage().pixelColor(8, 8);
}

const QColor AppIconColour(0, 0, 255);
const QColor AwayIconColour(255, 0, 0);
} // namespace

class TestWindowProbe : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    FakeForegroundSource m_source;
    FakeAppMetadata m_metadata;

    // A file that exists, so the probe asks the metadata about it.
    QString executable(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        return path;
    }

    void setAdobe(bool on) { Settings::instance()->values[QStringLiteral("ExtensionsAdobeEnabled")] = on; }

private Q_SLOTS:
    void init()
    {
        m_source = FakeForegroundSource();
        m_metadata = FakeAppMetadata();
        setAdobe(true);
    }

    void applicationWithMetadata()
    {
        const QString editor = executable(QStringLiteral("editor"));
        m_metadata.names[editor] = QStringLiteral("Text Editor");
        m_metadata.icons[editor] = FakeAppMetadata::solidIcon(Qt::green);
        m_source.show(editor, QStringLiteral("notes.txt"));

        WindowProbe probe(&m_source, &m_metadata);
        const WindowInfo info = probe.currentWindowInfo();
        QCOMPARE(info.path, editor);
        QCOMPARE(info.name, QStringLiteral("Text Editor"));
        QCOMPARE(info.title, QStringLiteral("notes.txt"));
        QCOMPARE(iconColour(info.icon), QColor(Qt::green));
    }

    void fallbacksWithoutMetadata()
    {
        const QString tool = executable(QStringLiteral("tool.bin"));
        m_source.show(tool, QString());

        WindowProbe probe(&m_source, &m_metadata);
        const WindowInfo info = probe.currentWindowInfo();
        QCOMPARE(info.name, QStringLiteral("tool.bin"));
        QCOMPARE(info.title, QStringLiteral("(no title)"));
        QCOMPARE(iconColour(info.icon), AppIconColour);
        // The empty name is cached, the file-name fallback is not.
        QCOMPARE(probe.appNameCache().value(tool, QStringLiteral("missing")), QString());
    }

    void missingFileIsNotAskedAbout()
    {
        const QString gone = m_dir.filePath(QStringLiteral("deleted-binary"));
        m_metadata.names[gone] = QStringLiteral("Should Not Be Used");
        m_source.show(gone, QStringLiteral("window"));

        WindowProbe probe(&m_source, &m_metadata);
        const WindowInfo info = probe.currentWindowInfo();
        QCOMPARE(info.name, QStringLiteral("deleted-binary"));
        QCOMPARE(iconColour(info.icon), AppIconColour);
        QVERIFY(m_metadata.nameCalls.isEmpty());
        QVERIFY(m_metadata.iconCalls.isEmpty());
    }

    void unidentifiedProcess()
    {
        m_source.show(QString(), QString());
        WindowProbe probe(&m_source, &m_metadata);
        const WindowInfo info = probe.currentWindowInfo();
        QVERIFY(info.path.isEmpty());
        QVERIFY(info.name.isEmpty());
        QCOMPARE(info.title, QStringLiteral("(no title)"));
        QCOMPARE(iconColour(info.icon), AppIconColour);
    }

    void metadataWithoutIconGivesAppIcon()
    {
        const QString viewer = executable(QStringLiteral("viewer"));
        m_metadata.names[viewer] = QStringLiteral("Viewer");
        m_source.show(viewer, QStringLiteral("a.png"));
        WindowProbe probe(&m_source, &m_metadata);
        QCOMPARE(iconColour(probe.currentWindowInfo().icon), AppIconColour);
        QCOMPARE(m_metadata.iconCalls.value(viewer), 1);
    }

    void awayIcon()
    {
        WindowProbe probe(&m_source, &m_metadata);
        QCOMPARE(iconColour(probe.getAppIcon(QStringLiteral("tavro://idle"))), AwayIconColour);
        QCOMPARE(iconColour(probe.getAppIcon(QString())), AppIconColour);
        QVERIFY(m_metadata.iconCalls.isEmpty());
        QCOMPARE(iconColour(idleWindowInfo().icon), AwayIconColour);
        QCOMPARE(idleWindowInfo().path, QStringLiteral("tavro://idle"));
        QCOMPARE(idleWindowInfo().name, QStringLiteral("Away Time"));
    }

    void cachesAskOncePerPath()
    {
        const QString first = executable(QStringLiteral("first"));
        const QString second = executable(QStringLiteral("second"));
        m_metadata.names[first] = QStringLiteral("First");
        WindowProbe probe(&m_source, &m_metadata);
        for (int i = 0; i < 5; ++i) {
            m_source.show(first, QStringLiteral("t%1").arg(i));
            QCOMPARE(probe.currentWindowInfo().name, QStringLiteral("First"));
            m_source.show(second, QStringLiteral("u%1").arg(i));
            QCOMPARE(probe.currentWindowInfo().name, QStringLiteral("second"));
        }
        QCOMPARE(m_metadata.nameCalls.value(first), 1);
        QCOMPARE(m_metadata.nameCalls.value(second), 1);
        QCOMPARE(m_metadata.iconCalls.value(first), 1);
        QCOMPARE(m_metadata.iconCalls.value(second), 1);
        QCOMPARE(probe.appNameCache().size(), 2);
        QCOMPARE(probe.appIconCache().size(), 2);
    }

    void longTitleIsCut()
    {
        const QString longTitle = QString(300, QLatin1Char('x'));
        m_source.show(executable(QStringLiteral("app")), longTitle);
        WindowProbe probe(&m_source, &m_metadata);
        QCOMPARE(probe.currentWindowInfo().title, longTitle.left(260));
    }

    void stripZoomSuffix_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zoom, layer and unsaved") << "image.psd @ 66.7% (Layer 1, RGB/8) *"
                                                 << "image.psd";
        QTest::newRow("saved") << "image.psd @ 100% (Layer 1, RGB/8)"
                               << "image.psd";
        QTest::newRow("nested parentheses") << "a.psd @ 50% (Layer (copy), RGB/8) *"
                                            << "a.psd";
        QTest::newRow("comma decimal") << "photo.jpg @ 33,3% (RGB/8#)"
                                       << "photo.jpg";
        QTest::newRow("zoom only") << "image.psd @ 25% *"
                                   << "image.psd";
        QTest::newRow("unbalanced keeps text") << "image.psd @ 66.7% (Layer 1, RGB/8 *"
                                               << "image.psd @ 66.7% (Layer 1, RGB/8";
        QTest::newRow("no zoom, unsaved") << "Untitled-1 *"
                                          << "Untitled-1";
        QTest::newRow("plain") << "Adobe Photoshop"
                               << "Adobe Photoshop";
        QTest::newRow("empty") << ""
                               << "";
    }

    void stripZoomSuffix()
    {
        QFETCH(QString, title);
        QFETCH(QString, expected);
        QCOMPARE(WindowProbe::stripZoomSuffix(title), expected);
    }

    void isImageEditor_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("expected");
        QTest::newRow("CS with number") << "/opt/ps/bin"
                                        << "Adobe Photoshop CS5" << true;
        QTest::newRow("CS any case") << "/opt/ps/bin"
                                     << "adobe photoshop cs" << true;
        QTest::newRow("bare name") << "/opt/ps/bin"
                                   << "Adobe Photoshop" << false;
        QTest::newRow("trailing words") << "/opt/ps/bin"
                                        << "Adobe Photoshop CS5 Extended" << false;
        QTest::newRow("executable name") << "/wine/Photoshop.exe"
                                         << "" << true;
        QTest::newRow("executable name case") << "/wine/photoshop.exe"
                                              << "" << false;
        QTest::newRow("other") << "/usr/bin/gimp"
                               << "GNU Image Manipulation Program" << false;
    }

    void isImageEditor()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(bool, expected);
        QCOMPARE(WindowProbe::isImageEditor(path, name), expected);
    }

    void findTitleUpwards()
    {
        m_source.setWindow(1, QStringLiteral("Layer Style"), 2);
        m_source.setWindow(2, QStringLiteral("Panel"), 3);
        m_source.setWindow(3, QStringLiteral("image.psd @ 50% (RGB/8)"), 0);
        m_source.setWindow(4, QStringLiteral("Levels"), 5);
        m_source.setWindow(5, QStringLiteral("Adobe Photoshop"), 0);
        // A transient-for cycle must not hang the tick.
        m_source.setWindow(6, QStringLiteral("Loop A"), 7);
        m_source.setWindow(7, QStringLiteral("Loop B"), 6);

        const QRegularExpression &zoom = WindowProbe::zoomPattern();
        QCOMPARE(WindowProbe::findTitleUpwards(m_source, 1, zoom), QStringLiteral("image.psd @ 50% (RGB/8)"));
        QCOMPARE(WindowProbe::findTitleUpwards(m_source, 3, zoom), QStringLiteral("image.psd @ 50% (RGB/8)"));
        QCOMPARE(WindowProbe::findTitleUpwards(m_source, 4, zoom), QStringLiteral("Levels"));
        QCOMPARE(WindowProbe::findTitleUpwards(m_source, 6, zoom), QStringLiteral("Loop A"));
        QCOMPARE(WindowProbe::findTitleUpwards(m_source, 99, zoom), QString());
    }

    void imageEditorTitleCleanUp_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("expected");
        QTest::newRow("on") << true << "image.psd";
        QTest::newRow("off") << false << "image.psd @ 66.7% (Layer 1, RGB/8) *";
    }

    void imageEditorTitleCleanUp()
    {
        QFETCH(bool, enabled);
        QFETCH(QString, expected);
        setAdobe(enabled);
        const QString editor = executable(QStringLiteral("Photoshop.exe"));
        m_source.show(editor, QStringLiteral("image.psd @ 66.7% (Layer 1, RGB/8) *"), 10);
        WindowProbe probe(&m_source, &m_metadata);
        QCOMPARE(probe.currentWindowInfo().title, expected);
    }

    void imageEditorDialogTakesDocumentTitle()
    {
        const QString editor = executable(QStringLiteral("ps"));
        m_metadata.names[editor] = QStringLiteral("Adobe Photoshop CS6");
        m_source.setWindow(20, QStringLiteral("poster.psd @ 12.5% (Text, CMYK/8) *"), 0);
        m_source.show(editor, QStringLiteral("Image Size"), 21);
        m_source.setWindow(21, QStringLiteral("Image Size"), 20);
        WindowProbe probe(&m_source, &m_metadata);
        QCOMPARE(probe.currentWindowInfo().title, QStringLiteral("poster.psd"));

        // Other applications' dialogs keep their own title.
        const QString other = executable(QStringLiteral("other"));
        m_source.show(other, QStringLiteral("Image Size"), 21);
        QCOMPARE(probe.currentWindowInfo().title, QStringLiteral("Image Size"));
    }

    void availabilityPassesThrough()
    {
        WindowProbe probe(&m_source, &m_metadata);
        QVERIFY(probe.isAvailable());
        m_source.available = false;
        QVERIFY(!probe.isAvailable());
        QCOMPARE(probe.problem(), QStringLiteral("no display"));
    }
};

QTEST_MAIN(TestWindowProbe)
#include "tst_windowprobe.moc"
