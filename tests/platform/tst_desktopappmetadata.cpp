#include "desktopappmetadata.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

class TestDesktopAppMetadata : public QObject
{
    Q_OBJECT

private:
    QString tmp(const QString &relative) const { return m_dir.filePath(relative); }
    bool write(const QString &relative, const QByteArray &content)
    {
        QFile file(tmp(relative));
        return QDir().mkpath(QFileInfo(file).path()) && file.open(QIODevice::WriteOnly) && file.write(content) >= 0 &&
               file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<DesktopAppMetadata> m_metadata;

private Q_SLOTS:
    void initTestCase()
    {
        for (const char *program : {"editor", "real", "launcher", "hidden", "link", "malformed", "term", "untitled"}) {
            QVERIFY(write(QStringLiteral("bin/tavro-fixture-") + QLatin1String(program), "#!/bin/sh\n"));
        }
        QVERIFY(write(QStringLiteral("bin/python3"), "#!/bin/sh\n"));
        QVERIFY(write(QStringLiteral("My Apps/run"), "#!/bin/sh\n"));
        // vim-like: PATH holds a symlink, the process runs the real file, the user may start an alias.
        QVERIFY(write(QStringLiteral("real/vim.basic"), "#!/bin/sh\n"));
        QVERIFY(QFile::link(QStringLiteral("../real/vim.basic"), tmp(QStringLiteral("bin/tavro-fixture-vi"))));
        QVERIFY(QFile::link(tmp(QStringLiteral("real/vim.basic")), tmp(QStringLiteral("editor"))));
        // The earlier folder adds entries; a helper hidden from menus must not claim the editor's program.
        const QByteArray app = "[Desktop Entry]\nType=Application\n";
        QVERIFY(write(QStringLiteral("high/applications/tavro-vi.desktop"),
                      app + "Name=Vi Improved\nExec=tavro-fixture-vi %F\n"));
        QVERIFY(write(QStringLiteral("high/applications/tavro-spaces.desktop"),
                      app + "Name=Spaced Path App\nExec=\"" + tmp(QStringLiteral("My Apps/run")).toUtf8() + "\" %f\n"));
        QVERIFY(write(QStringLiteral("high/applications/org.tavro.Untitled.desktop"),
                      app + "Name[de]=Ohne Titel\nExec=tavro-fixture-untitled\n"));
        QVERIFY(write(QStringLiteral("high/applications/aa-editor-helper.desktop"),
                      app + "Name=Editor Helper\nNoDisplay=true\nExec=tavro-fixture-editor --helper\n"));
        // A server variant sorts before the program's own entry and starts the same program.
        QVERIFY(write(QStringLiteral("high/applications/tavro-fixture-term-server.desktop"),
                      app + "Name=Term Server\nExec=tavro-fixture-term --server\n"));
        QVERIFY(write(QStringLiteral("high/applications/tavro-fixture-term.desktop"),
                      app + "Name=Term\nExec=tavro-fixture-term\nStartupWMClass=TermWindow\n"));
        QVERIFY(write(QStringLiteral("high/applications/org.example.Remote.desktop"),
                      app + "Name=Remote\nExec=/nonexistent/remote\n"));
        qputenv("PATH", tmp(QStringLiteral("bin")).toLocal8Bit());
        m_metadata = std::make_unique<DesktopAppMetadata>(
            QStringList{tmp(QStringLiteral("high")), qEnvironmentVariable("TAVRO_TEST_DATA")});
    }

    void productName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *tag, const char *path, const char *expected, const char *locale = "en_US") {
            QTest::newRow(tag) << QString::fromUtf8(path) << QString::fromUtf8(locale) << QString::fromUtf8(expected);
        };
        row("exec through PATH", "bin/tavro-fixture-editor", "Fixture Editor");
        row("localised", "bin/tavro-fixture-editor", "Fixture-Editor (Deutschland)", "de_DE");
        row("symlink in PATH, real file probed", "real/vim.basic", "Vi Improved");
        row("symlinks on both sides", "editor", "Vi Improved");
        row("tryexec", "bin/tavro-fixture-real", "Launched Program");
        row("exec beside tryexec", "bin/tavro-fixture-launcher", "Launched Program");
        row("the program's own entry beats a variant", "bin/tavro-fixture-term", "Term");
        row("entry file itself", "high/applications/org.example.Remote.desktop", "Remote");
        row("quoted absolute exec", "My Apps/run", "Spaced Path App");
        row("only a hidden-from-menus entry", "bin/tavro-fixture-malformed", "Spaced Name");
        row("deleted entry", "bin/tavro-fixture-hidden", "");
        row("not an application", "bin/tavro-fixture-link", "");
        row("interpreter is not claimed", "bin/python3", "");
        row("missing file", "bin/nothing-here", "");
    }

    void productName()
    {
        QFETCH(QString, path);
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(m_metadata->productName(tmp(path)), expected);
    }

    // The application's identity does not follow the language: the untranslated name (else the file
    // name) comes first in every language, the translations after it.
    void knownNamesStartWithTheIdentity()
    {
        for (const char *locale : {"en_US", "de_DE", "sr_RS@latin"}) {
            QLocale::setDefault(QLocale(QLatin1String(locale)));
            const QStringList names = m_metadata->knownNames(tmp(QStringLiteral("bin/tavro-fixture-editor")));
            QCOMPARE(names.value(0), QStringLiteral("Fixture Editor"));
            QVERIFY(names.contains(m_metadata->productName(tmp(QStringLiteral("bin/tavro-fixture-editor")))));
            QVERIFY(names.contains(QStringLiteral("Fixture-Editor")) && names.contains(QString::fromUtf8("Уређивач")));
            QCOMPARE(names.size(), 5);
        }
        QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
        QCOMPARE(m_metadata->knownNames(tmp(QStringLiteral("bin/tavro-fixture-untitled"))),
                 (QStringList{QStringLiteral("org.tavro.Untitled"), QStringLiteral("Ohne Titel")}));
        QVERIFY(m_metadata->knownNames(tmp(QStringLiteral("bin/python3"))).isEmpty());
    }

    // Wayland app ids: desktop-file id in any case (with or without ".desktop"), else StartupWMClass;
    // the executable, else the entry file when Exec names nothing installed.
    void appIdsFindTheirEntry()
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        const QString term = QFileInfo(tmp(QStringLiteral("bin/tavro-fixture-term"))).canonicalFilePath();
        for (const char *appId :
             {"tavro-fixture-term", "Tavro-Fixture-Term", "termwindow", "tavro-fixture-term.desktop"}) {
            QCOMPARE(m_metadata->pathForAppId(QLatin1String(appId)), term);
            QCOMPARE(m_metadata->productNameForAppId(QLatin1String(appId)), QStringLiteral("Term"));
        }
        QCOMPARE(m_metadata->pathForAppId(QStringLiteral("org.example.Remote")),
                 QFileInfo(tmp(QStringLiteral("high/applications/org.example.Remote.desktop"))).canonicalFilePath());
        QCOMPARE(m_metadata->productNameForAppId(QStringLiteral("org.example.remote")), QStringLiteral("Remote"));
        for (const QString &unknown : {QStringLiteral("org.example.Unknown"), QString()}) {
            QCOMPARE(m_metadata->pathForAppId(unknown), QString());
            QCOMPARE(m_metadata->productNameForAppId(unknown), QString());
            QVERIFY(m_metadata->iconForAppId(unknown).isNull());
        }
        QCOMPARE(m_metadata->waylandAppPath(QStringLiteral("org.example/Unknown")),
                 QStringLiteral("wayland://app-id/org.example_Unknown"));
    }
};

QTEST_MAIN(TestDesktopAppMetadata)
#include "tst_desktopappmetadata.moc"
