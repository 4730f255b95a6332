#include "recordingfakes.h"
#include "settings.h"
#include "windowprobe.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestWindowProbe : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void currentWindowInfo_data()
    {
        QTest::addColumn<QString>("file"); // empty for an unidentified process, "-name" for a missing file
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("adobe");
        QTest::addColumn<QString>("expectedName");
        QTest::addColumn<QString>("expectedTitle");
        const QString document = QStringLiteral("image.psd @ 66.7% (Layer 1, RGB/8) *");
        const auto add = [](const char *file, const char *name, const QString &title, bool adobe, const char *expName,
                            const QString &expTitle) {
            QTest::newRow(file) << QString::fromUtf8(file) << QString::fromUtf8(name) << title << adobe
                                << QString::fromUtf8(expName) << expTitle;
        };
        add("editor", "Text Editor", QStringLiteral("notes.txt"), true, "Text Editor", QStringLiteral("notes.txt"));
        add("tool.bin", "", QString(), true, "tool.bin", QStringLiteral("(no title)"));
        add("-gone", "Unused", QStringLiteral("w"), true, "gone", QStringLiteral("w"));
        add("", "", QString(), true, "", QStringLiteral("(no title)"));
        add("long", "", QString(300, u'x'), true, "long", QString(260, u'x'));
        add("Photoshop.exe", "", document, true, "Photoshop.exe", QStringLiteral("image.psd"));
        add("photoshop.exe", "", document, false, "photoshop.exe", document);
        add("editor.bin", "adobe photoshop CS6", document, true, "adobe photoshop CS6", QStringLiteral("image.psd"));
        add("reader.bin", "Adobe Reader", document, true, "Adobe Reader", document);
    }

    void currentWindowInfo()
    {
        QFETCH(QString, file);
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(bool, adobe);
        QFETCH(QString, expectedName);
        QFETCH(QString, expectedTitle);
        Settings::instance()->setValue(Setting::ExtensionsAdobeEnabled, adobe);
        const bool exists = !file.isEmpty() && !file.startsWith(QLatin1Char('-'));
        const QString path = file.isEmpty() ? QString() : m_dir.filePath(exists ? file : file.mid(1));
        const QString other = m_dir.filePath(QStringLiteral("other"));
        // Existing files, so the probe asks the metadata about them.
        QVERIFY(QFile(other).open(QIODevice::WriteOnly) && (!exists || QFile(path).open(QIODevice::WriteOnly)));
        FakeForegroundSource source;
        FakeAppMetadata metadata;
        metadata.names[path] = name;
        WindowProbe probe(&source, &metadata);
        source.show(path, title);
        const WindowInfo info = probe.currentWindowInfo();
        QCOMPARE(QStringList({info.path, info.name, info.title}), QStringList({path, expectedName, expectedTitle}));

        // Name and icon are asked for once per path, empty answers included.
        source.show(other, title);
        QCOMPARE(probe.currentWindowInfo().name, QStringLiteral("other"));
        source.show(path, title);
        QCOMPARE(probe.currentWindowInfo().name, expectedName);
        QCOMPARE(metadata.nameCalls.value(path) + metadata.iconCalls.value(path), exists ? 2 : 0);
    }

    void appIdNamesWhatNoEntryClaims()
    {
        const QString known = m_dir.filePath(QStringLiteral("known"));
        const QString unclaimed = m_dir.filePath(QStringLiteral("unclaimed"));
        const QString plain = m_dir.filePath(QStringLiteral("plain"));
        for (const QString &path : {known, unclaimed, plain}) {
            QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        }
        FakeForegroundSource source;
        FakeAppMetadata metadata;
        metadata.names[known] = QStringLiteral("Known");
        metadata.appNames[QStringLiteral("org.example.App")] = QStringLiteral("Example");
        WindowProbe probe(&source, &metadata);
        const auto nameOf = [&](const QString &path, const char *appId) {
            source.show(path, QStringLiteral("t"), QString::fromLatin1(appId));
            return probe.currentWindowInfo().name;
        };
        // The executable's entry wins, as on X11, so both sessions share one applications row.
        QCOMPARE(nameOf(known, "org.example.App"), QStringLiteral("Known"));
        QCOMPARE(nameOf(unclaimed, "org.example.App"), QStringLiteral("Example"));
        // A sandboxed program's path does not exist outside its sandbox.
        QCOMPARE(nameOf(QStringLiteral("/app/bin/sandboxed"), "org.example.App"), QStringLiteral("Example"));
        QCOMPARE(nameOf(plain, "org.unknown.App"), QStringLiteral("plain"));
    }

    void stripZoomSuffix_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected");
        QTest::newRow("example") << QStringLiteral("image.psd @ 66.7% (Layer 1, RGB/8) *")
                                 << QStringLiteral("image.psd");
        QTest::newRow("nested") << QStringLiteral("a.psd @ 50% (Layer (copy), RGB/8) *") << QStringLiteral("a.psd");
        QTest::newRow("unbalanced") << QStringLiteral("image.psd @ 66.7% (Layer 1, RGB/8 *")
                                    << QStringLiteral("image.psd @ 66.7% (Layer 1, RGB/8");
        QTest::newRow("no zoom") << QStringLiteral("Untitled-1 *") << QStringLiteral("Untitled-1");
    }

    void stripZoomSuffix()
    {
        QFETCH(QString, title);
        QFETCH(QString, expected);
        QCOMPARE(WindowProbe::stripZoomSuffix(title), expected);
    }

    void findTitleUpwardsStopsAtParentCycles()
    {
        // Windows 1 -> 2 -> 3 -> 2 ...: a transient-for cycle must not hang the sampling tick.
        class CyclicSource : public FakeForegroundSource
        {
        public:
            QString windowText(quint64 window) override { return window == 1 ? QStringLiteral("Levels") : QString(); }
            quint64 parentWindow(quint64 window) override { return window == 3 ? 2 : window + 1; }
        } source;
        QCOMPARE(WindowProbe::findTitleUpwards(source, 1, WindowProbe::zoomPattern()), QStringLiteral("Levels"));
    }
};

QTEST_MAIN(TestWindowProbe)
#include "tst_windowprobe.moc"
