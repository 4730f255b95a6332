#include "desktopappmetadata.h"
#include "scopedenvironment.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

class TestDesktopAppMetadata : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void productName_data();
    void productName();
    void xdgFolders();
    void icon_data();
    void icon();

private:
    QString tmp(const QString &relative) const { return m_dir.path() + QLatin1Char('/') + relative; }
    bool write(const QString &relative, const QByteArray &content, bool executable = false);

    QTemporaryDir m_dir;
    QString m_fixtures = qEnvironmentVariable("TAVRO_TEST_DATA");
    std::unique_ptr<ScopedEnvironment> m_path;
    std::unique_ptr<DesktopAppMetadata> m_metadata;
};

bool TestDesktopAppMetadata::write(const QString &relative, const QByteArray &content, bool executable)
{
    QFile file(tmp(relative));
    if (!QDir().mkpath(QFileInfo(file).path()) || !file.open(QIODevice::WriteOnly) || file.write(content) < 0) {
        return false;
    }
    file.close();
    return !executable || file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

void TestDesktopAppMetadata::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const QString &program :
         QStringLiteral("editor tool real launcher helper hidden link malformed").split(QLatin1Char(' '))) {
        QVERIFY(write(QStringLiteral("bin/tavro-fixture-") + program, "#!/bin/sh\n", true));
    }
    QVERIFY(write(QStringLiteral("bin/python3"), "#!/bin/sh\n", true));
    QVERIFY(write(QStringLiteral("My Apps/run"), "#!/bin/sh\n", true));
    // vim-like: PATH holds a symlink, the process runs the real file, the user may start an alias.
    QVERIFY(write(QStringLiteral("real/vim.basic"), "#!/bin/sh\n", true));
    QVERIFY(QFile::link(QStringLiteral("../real/vim.basic"), tmp(QStringLiteral("bin/tavro-fixture-vi"))));
    QVERIFY(QFile::link(tmp(QStringLiteral("real/vim.basic")), tmp(QStringLiteral("editor"))));
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(tmp(QStringLiteral("vi.png"))));
    QVERIFY(QDir().mkpath(tmp(QStringLiteral("high/icons/hicolor/48x48/apps"))));
    QVERIFY(image.save(tmp(QStringLiteral("high/icons/hicolor/48x48/apps/tavro-fixture.png"))));
    QVERIFY(write(QStringLiteral("high/icons/hicolor/index.theme"),
                  "[Icon Theme]\nName=Hicolor\nDirectories=48x48/apps\n\n[48x48/apps]\nSize=48\nType=Fixed\n"));

    // The earlier folder: overrides, additions and a hidden entry shadowing sub/helper.desktop.
    const QByteArray app = "[Desktop Entry]\nType=Application\n";
    QVERIFY(write(QStringLiteral("high/applications/tavro-env.desktop"),
                  app + "Name=Env Tool Override\nExec=tavro-fixture-tool\nIcon=/nonexistent/tavro-env.png\n"));
    QVERIFY(write(QStringLiteral("high/applications/tavro-vi.desktop"),
                  app + "Name=Vi Improved\nExec=tavro-fixture-vi %F\nIcon=" + tmp(QStringLiteral("vi.png")).toUtf8()));
    QVERIFY(write(QStringLiteral("high/applications/tavro-spaces.desktop"),
                  app + "Name=Spaced Path App\nExec=\"" + tmp(QStringLiteral("My Apps/run")).toUtf8() + "\" %f\n"));
    QVERIFY(write(QStringLiteral("high/applications/aa-editor-helper.desktop"),
                  app + "Name=Editor Helper\nNoDisplay=true\nExec=tavro-fixture-editor --helper\n"));
    QVERIFY(write(QStringLiteral("high/applications/sub-helper.desktop"),
                  app + "Name=Removed\nHidden=true\nExec=tavro-fixture-helper\n"));

    m_path = std::make_unique<ScopedEnvironment>("PATH", tmp(QStringLiteral("bin")).toLocal8Bit());
    m_metadata = std::make_unique<DesktopAppMetadata>(QStringList{tmp(QStringLiteral("high")), m_fixtures});
}

void TestDesktopAppMetadata::cleanupTestCase()
{
    m_path.reset();
    QLocale::setDefault(QLocale::system());
}

void TestDesktopAppMetadata::productName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");

    const QLocale en(QLocale::English, QLocale::UnitedStates);
    const auto row = [&](const char *tag, const char *path, const char *expected, const QLocale &locale) {
        QTest::newRow(tag) << QString::fromUtf8(path) << locale << QString::fromUtf8(expected);
    };
    row("exec through PATH", "bin/tavro-fixture-editor", "Fixture Editor", en);
    row("localised", "bin/tavro-fixture-editor", "Fixture-Editor (Deutschland)",
        QLocale(QLocale::German, QLocale::Germany));
    row("symlink in PATH, real file probed", "real/vim.basic", "Vi Improved", en);
    row("symlinks on both sides", "editor", "Vi Improved", en);
    row("tryexec", "bin/tavro-fixture-real", "Launched Program", en);
    row("exec beside tryexec", "bin/tavro-fixture-launcher", "Launched Program", en);
    row("env and earlier folder wins", "bin/tavro-fixture-tool", "Env Tool Override", en);
    row("quoted absolute exec", "My Apps/run", "Spaced Path App", en);
    row("only a hidden-from-menus entry", "bin/tavro-fixture-malformed", "Spaced Name", en);
    row("shadowed by a hidden entry", "bin/tavro-fixture-helper", "", en);
    row("deleted entry", "bin/tavro-fixture-hidden", "", en);
    row("not an application", "bin/tavro-fixture-link", "", en);
    row("interpreter is not claimed", "bin/python3", "", en);
    row("unknown executable", "vi.png", "", en);
    row("missing file", "bin/nothing-here", "", en);
}

void TestDesktopAppMetadata::productName()
{
    QFETCH(QString, path);
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    QLocale::setDefault(locale);
    QCOMPARE(m_metadata->productName(tmp(path)), expected);
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
    // Without the earlier folder the shadowed and overridden entries come through.
    DesktopAppMetadata fixturesOnly(QStringList{m_fixtures});
    QCOMPARE(fixturesOnly.productName(tmp(QStringLiteral("bin/tavro-fixture-helper"))),
             QStringLiteral("Helper In Subfolder"));
    QCOMPARE(fixturesOnly.productName(tmp(QStringLiteral("bin/tavro-fixture-tool"))), QStringLiteral("Env Tool"));

    const ScopedEnvironment home("XDG_DATA_HOME", tmp(QStringLiteral("high")).toLocal8Bit());
    const ScopedEnvironment dirs("XDG_DATA_DIRS", m_fixtures.toLocal8Bit() + "::/nonexistent");
    QCOMPARE(DesktopAppMetadata::xdgDataDirs(),
             QStringList({tmp(QStringLiteral("high")), m_fixtures, QStringLiteral("/nonexistent")}));
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
    QTest::newRow("absolute icon file") << QStringLiteral("editor") << true;
    QTest::newRow("absolute icon missing") << QStringLiteral("bin/tavro-fixture-tool") << false;
    QTest::newRow("no entry") << QStringLiteral("bin/python3") << false;
}

void TestDesktopAppMetadata::icon()
{
    QFETCH(QString, path);
    QFETCH(bool, found);
    const QIcon icon = m_metadata->icon(tmp(path));
    QCOMPARE(!icon.isNull(), found);
    QCOMPARE(!icon.pixmap(48).isNull(), found);
}

QTEST_MAIN(TestDesktopAppMetadata)
#include "tst_desktopappmetadata.moc"
