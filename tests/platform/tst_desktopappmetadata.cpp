#include "desktopappmetadata.h"
#include "scopedenvironment.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

namespace {
bool writeFile(const QString &path, const QByteArray &content, bool executable = false)
{
    if (!QDir().mkpath(QFileInfo(path).path())) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        return false;
    }
    file.close();
    return !executable || file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}
} // namespace

class TestDesktopAppMetadata : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void productName_data();
    void productName();
    void localizedName();
    void hiddenEntryShadowsLaterFolders();
    void xdgFolders();
    void icon_data();
    void icon();

private:
    QString tmp(const QString &relative) const { return m_dir.path() + QLatin1Char('/') + relative; }

    QTemporaryDir m_dir;
    std::unique_ptr<ScopedEnvironment> m_path;
    std::unique_ptr<DesktopAppMetadata> m_metadata;
};

void TestDesktopAppMetadata::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QStringList programs = {QStringLiteral("tavro-fixture-editor"),
                                  QStringLiteral("tavro-fixture-tool"),
                                  QStringLiteral("tavro-fixture-real"),
                                  QStringLiteral("tavro-fixture-launcher"),
                                  QStringLiteral("tavro-fixture-helper"),
                                  QStringLiteral("tavro-fixture-hidden"),
                                  QStringLiteral("tavro-fixture-link"),
                                  QStringLiteral("tavro-fixture-malformed"),
                                  QStringLiteral("python3")};
    for (const QString &program : programs) {
        QVERIFY(writeFile(tmp(QStringLiteral("bin/")) + program, "#!/bin/sh\n", true));
    }
    // vim-like: PATH holds a symlink, the process runs the real file, the user may start an alias.
    QVERIFY(writeFile(tmp(QStringLiteral("real/vim.basic")), "#!/bin/sh\n", true));
    QVERIFY(QFile::link(QStringLiteral("../real/vim.basic"), tmp(QStringLiteral("bin/tavro-fixture-vi"))));
    QVERIFY(QDir().mkpath(tmp(QStringLiteral("alias"))));
    QVERIFY(QFile::link(tmp(QStringLiteral("real/vim.basic")), tmp(QStringLiteral("alias/editor"))));
    QVERIFY(writeFile(tmp(QStringLiteral("My Apps/run")), "#!/bin/sh\n", true));
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(tmp(QStringLiteral("vi.png"))));
    QVERIFY(QDir().mkpath(tmp(QStringLiteral("high/icons/hicolor/48x48/apps"))));
    QVERIFY(image.save(tmp(QStringLiteral("high/icons/hicolor/48x48/apps/tavro-fixture.png"))));
    QVERIFY(writeFile(tmp(QStringLiteral("high/icons/hicolor/index.theme")),
                      "[Icon Theme]\nName=Hicolor\nDirectories=48x48/apps\n\n[48x48/apps]\nSize=48\nType=Fixed\n"));

    // The earlier folder: overrides, additions and a shadowing hidden entry.
    const QString high = tmp(QStringLiteral("high/applications/"));
    QVERIFY(writeFile(high + QStringLiteral("tavro-env.desktop"),
                      "[Desktop Entry]\nType=Application\nName=Env Tool Override\nExec=tavro-fixture-tool\n"
                      "Icon=/nonexistent/tavro-env.png\n"));
    QVERIFY(writeFile(high + QStringLiteral("tavro-vi.desktop"),
                      "[Desktop Entry]\nType=Application\nName=Vi Improved\nExec=tavro-fixture-vi %F\nIcon=" +
                          tmp(QStringLiteral("vi.png")).toUtf8() + '\n'));
    QVERIFY(writeFile(high + QStringLiteral("tavro-spaces.desktop"),
                      "[Desktop Entry]\nType=Application\nName=Spaced Path App\nExec=\"" +
                          tmp(QStringLiteral("My Apps/run")).toUtf8() + "\" %f\n"));
    QVERIFY(writeFile(high + QStringLiteral("aa-editor-helper.desktop"),
                      "[Desktop Entry]\nType=Application\nName=Editor Helper\nNoDisplay=true\n"
                      "Exec=tavro-fixture-editor --helper\n"));
    QVERIFY(writeFile(high + QStringLiteral("sub-helper.desktop"),
                      "[Desktop Entry]\nType=Application\nName=Removed\nHidden=true\nExec=tavro-fixture-helper\n"));

    m_path = std::make_unique<ScopedEnvironment>("PATH", tmp(QStringLiteral("bin")).toLocal8Bit());
    m_metadata = std::make_unique<DesktopAppMetadata>(
        QStringList{tmp(QStringLiteral("high")), qEnvironmentVariable("TAVRO_TEST_DATA")});
}

void TestDesktopAppMetadata::cleanupTestCase()
{
    m_path.reset();
    QLocale::setDefault(QLocale::system());
}

void TestDesktopAppMetadata::init()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestDesktopAppMetadata::productName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    QTest::newRow("exec through PATH") << QStringLiteral("bin/tavro-fixture-editor")
                                       << QStringLiteral("Fixture Editor");
    QTest::newRow("symlink in PATH, real file probed")
        << QStringLiteral("real/vim.basic") << QStringLiteral("Vi Improved");
    QTest::newRow("symlinks on both sides") << QStringLiteral("alias/editor") << QStringLiteral("Vi Improved");
    QTest::newRow("tryexec") << QStringLiteral("bin/tavro-fixture-real") << QStringLiteral("Launched Program");
    QTest::newRow("exec beside tryexec") << QStringLiteral("bin/tavro-fixture-launcher")
                                         << QStringLiteral("Launched Program");
    QTest::newRow("env and earlier folder wins")
        << QStringLiteral("bin/tavro-fixture-tool") << QStringLiteral("Env Tool Override");
    QTest::newRow("quoted absolute exec") << QStringLiteral("My Apps/run") << QStringLiteral("Spaced Path App");
    QTest::newRow("only a hidden-from-menus entry")
        << QStringLiteral("bin/tavro-fixture-malformed") << QStringLiteral("Spaced Name");
    QTest::newRow("deleted entry") << QStringLiteral("bin/tavro-fixture-hidden") << QString();
    QTest::newRow("not an application") << QStringLiteral("bin/tavro-fixture-link") << QString();
    QTest::newRow("interpreter is not claimed") << QStringLiteral("bin/python3") << QString();
    QTest::newRow("unknown executable") << QStringLiteral("vi.png") << QString();
    QTest::newRow("missing file") << QStringLiteral("bin/nothing-here") << QString();
}

void TestDesktopAppMetadata::productName()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(m_metadata->productName(tmp(path)), expected);
    QCOMPARE(m_metadata->productName(QString()), QString());
}

void TestDesktopAppMetadata::localizedName()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(m_metadata->productName(tmp(QStringLiteral("bin/tavro-fixture-editor"))),
             QStringLiteral("Fixture-Editor (Deutschland)"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Austria));
    QCOMPARE(m_metadata->productName(tmp(QStringLiteral("bin/tavro-fixture-editor"))),
             QStringLiteral("Fixture-Editor"));
}

void TestDesktopAppMetadata::hiddenEntryShadowsLaterFolders()
{
    QCOMPARE(m_metadata->productName(tmp(QStringLiteral("bin/tavro-fixture-helper"))), QString());
    DesktopAppMetadata fixturesOnly(QStringList{qEnvironmentVariable("TAVRO_TEST_DATA")});
    QCOMPARE(fixturesOnly.productName(tmp(QStringLiteral("bin/tavro-fixture-helper"))),
             QStringLiteral("Helper In Subfolder"));
    QCOMPARE(fixturesOnly.productName(tmp(QStringLiteral("bin/tavro-fixture-tool"))), QStringLiteral("Env Tool"));
}

void TestDesktopAppMetadata::xdgFolders()
{
    {
        const ScopedEnvironment home("XDG_DATA_HOME", QByteArray());
        const ScopedEnvironment dirs("XDG_DATA_DIRS", QByteArray());
        QCOMPARE(DesktopAppMetadata::xdgDataDirs(),
                 QStringList({QDir::homePath() + QStringLiteral("/.local/share"), QStringLiteral("/usr/local/share"),
                              QStringLiteral("/usr/share")}));
    }
    const ScopedEnvironment home("XDG_DATA_HOME", tmp(QStringLiteral("high")).toLocal8Bit());
    const ScopedEnvironment dirs("XDG_DATA_DIRS", qgetenv("TAVRO_TEST_DATA") + "::/nonexistent");
    QCOMPARE(DesktopAppMetadata::xdgDataDirs(),
             QStringList({tmp(QStringLiteral("high")), qEnvironmentVariable("TAVRO_TEST_DATA"),
                          QStringLiteral("/nonexistent")}));
    const auto fromEnvironment = createAppMetadata();
    QCOMPARE(fromEnvironment->productName(tmp(QStringLiteral("bin/tavro-fixture-tool"))),
             QStringLiteral("Env Tool Override"));
    QCOMPARE(fromEnvironment->productName(tmp(QStringLiteral("bin/tavro-fixture-helper"))), QString());
}

void TestDesktopAppMetadata::icon_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("found");

    QTest::newRow("theme icon named with extension") << QStringLiteral("bin/tavro-fixture-editor") << true;
    QTest::newRow("absolute icon file") << QStringLiteral("alias/editor") << true;
    QTest::newRow("absolute icon missing") << QStringLiteral("bin/tavro-fixture-tool") << false;
    QTest::newRow("entry without icon") << QStringLiteral("bin/tavro-fixture-real") << false;
    QTest::newRow("no entry") << QStringLiteral("bin/python3") << false;
}

void TestDesktopAppMetadata::icon()
{
    QFETCH(QString, path);
    QFETCH(bool, found);
    const QIcon icon = m_metadata->icon(tmp(path));
    QCOMPARE(!icon.isNull(), found);
    if (found) {
        QVERIFY(!icon.pixmap(48).isNull());
    }
}

QTEST_MAIN(TestDesktopAppMetadata)
#include "tst_desktopappmetadata.moc"
