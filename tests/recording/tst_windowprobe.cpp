#include "recordingfakes.h"
#include "settings.h"
#include "windowprobe.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString s(const char *text)
{
    return QString::fromUtf8(text);
}

QColor iconColour(const QIcon &icon)
{
    return icon.pixmap(16, 16).toImage().pixelColor(8, 8);
}

// The colours of the stand-in icons in testicons.qrc.
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

private Q_SLOTS:
    void init()
    {
        m_source = FakeForegroundSource();
        m_metadata = FakeAppMetadata();
    }

    void currentWindowInfo_data()
    {
        QTest::addColumn<QString>("file"); // empty for an unidentified process, "-name" for a missing file
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("adobe");
        QTest::addColumn<QString>("expectedName");
        QTest::addColumn<QString>("expectedTitle");
        const auto add = [](const char *row, const char *file, const char *name, const QString &title,
                            const char *expectedName, const QString &expectedTitle, bool adobe = true) {
            QTest::newRow(row) << s(file) << s(name) << title << adobe << s(expectedName) << expectedTitle;
        };
        const QString document = s("image.psd @ 66.7% (Layer 1, RGB/8) *");
        const QString dialog = s("Image Size");
        add("metadata", "editor", "Text Editor", s("notes.txt"), "Text Editor", s("notes.txt"));
        add("no metadata", "tool.bin", "", QString(), "tool.bin", s("(no title)"));
        add("missing file", "-gone", "Unused", s("w"), "gone", s("w"));
        add("unidentified", "", "", QString(), "", s("(no title)"));
        add("300 chars", "app", "", QString(300, QLatin1Char('x')), "app",
            QString(WindowProbe::MaxTitleLength, QLatin1Char('x')));
        add("editor dialog", "ps", "Adobe Photoshop CS6", dialog, "Adobe Photoshop CS6", s("poster.psd"));
        add("editor any case", "ps", "adobe photoshop cs", dialog, "adobe photoshop cs", s("poster.psd"));
        add("editor executable", "Photoshop.exe", "", document, "Photoshop.exe", s("image.psd"));
        add("extension off", "Photoshop.exe", "", document, "Photoshop.exe", document, false);
        add("executable case", "photoshop.exe", "", dialog, "photoshop.exe", dialog);
        add("bare editor name", "ps", "Adobe Photoshop", dialog, "Adobe Photoshop", dialog);
        add("trailing words", "ps", "Adobe Photoshop CS5 Extended", dialog, "Adobe Photoshop CS5 Extended", dialog);
    }

    void currentWindowInfo()
    {
        QFETCH(QString, file);
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(bool, adobe);
        QFETCH(QString, expectedName);
        QFETCH(QString, expectedTitle);
        Settings::instance()->values[QStringLiteral("ExtensionsAdobeEnabled")] = adobe;
        const bool exists = !file.isEmpty() && !file.startsWith(QLatin1Char('-'));
        const QString path = file.isEmpty() ? QString() : (exists ? executable(file) : m_dir.filePath(file.mid(1)));
        m_metadata.names[path] = name;
        if (!name.isEmpty()) {
            m_metadata.icons[path] = FakeAppMetadata::solidIcon(Qt::green);
        }
        // A dialog of the image editor takes the document title of its parent window.
        m_source.setWindow(20, QStringLiteral("poster.psd @ 12.5% (Text, CMYK/8) *"), 0);
        m_source.show(path, title, 21);
        m_source.setWindow(21, title, 20);

        WindowProbe probe(&m_source, &m_metadata);
        const WindowInfo info = probe.currentWindowInfo();
        QCOMPARE(info.path, path);
        QCOMPARE(info.name, expectedName);
        QCOMPARE(info.title, expectedTitle);
        QCOMPARE(iconColour(info.icon), exists && !name.isEmpty() ? QColor(Qt::green) : AppIconColour);

        // Name and icon are asked for once per path, empty answers included.
        m_source.show(executable(QStringLiteral("other")), QStringLiteral("other"));
        QCOMPARE(probe.currentWindowInfo().name, QStringLiteral("other"));
        m_source.show(path, title, 21);
        QCOMPARE(probe.currentWindowInfo().name, expectedName);
        QCOMPARE(m_metadata.nameCalls.value(path), exists ? 1 : 0);
        QCOMPARE(m_metadata.iconCalls.value(path), exists ? 1 : 0);
    }

    void awayIcon()
    {
        WindowProbe probe(&m_source, &m_metadata);
        QCOMPARE(iconColour(probe.getAppIcon(QStringLiteral("tavro://idle"))), AwayIconColour);
        QCOMPARE(iconColour(idleWindowInfo().icon), AwayIconColour);
        QVERIFY(m_metadata.iconCalls.isEmpty());
    }

    void stripZoomSuffix_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected");
        const auto add = [](const char *title, const char *expected) {
            QTest::newRow(title) << s(title) << s(expected);
        };
        add("image.psd @ 66.7% (Layer 1, RGB/8) *", "image.psd");
        add("a.psd @ 50% (Layer (copy), RGB/8) *", "a.psd");
        add("photo.jpg @ 33,3% (RGB/8#)", "photo.jpg");
        add("image.psd @ 25% *", "image.psd");
        add("image.psd @ 66.7% (Layer 1, RGB/8 *", "image.psd @ 66.7% (Layer 1, RGB/8");
        add("Untitled-1 *", "Untitled-1");
        add("Adobe Photoshop", "Adobe Photoshop");
    }

    void stripZoomSuffix()
    {
        QFETCH(QString, title);
        QFETCH(QString, expected);
        QCOMPARE(WindowProbe::stripZoomSuffix(title), expected);
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
        QCOMPARE(WindowProbe::findTitleUpwards(m_source, 4, zoom), QStringLiteral("Levels"));
        QCOMPARE(WindowProbe::findTitleUpwards(m_source, 6, zoom), QStringLiteral("Loop A"));
        QCOMPARE(WindowProbe::findTitleUpwards(m_source, 99, zoom), QString());
    }
};

QTEST_MAIN(TestWindowProbe)
#include "tst_windowprobe.moc"
