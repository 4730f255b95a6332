#include "desktopappmetadata.h"
#include "fakehyprland.h"
#include "swaysession.h"
#include "windowbackends.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

namespace {
constexpr int WaitMs = 10000;

bool writeFile(const QString &path, const QByteArray &content, QFile::Permissions permissions = {})
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() &&
           (!permissions || file.setPermissions(permissions));
}
} // namespace

// Real headless sway with foot windows, seen through our own Wayland connection and sway's IPC.
class TestWlrootsForegroundWindowSource : public QObject
{
    Q_OBJECT

    SwaySession m_sway;
    std::unique_ptr<ForegroundWindowSource> m_source;
    QString m_foot;
    QString m_notes;
    QString m_renameTrigger;

    bool focus(const QString &title) { return m_sway.swaymsg({QStringLiteral("[title=\"^%1$\"] focus").arg(title)}); }

    QProcessEnvironment environment(const QString &backend) const
    {
        QProcessEnvironment env = m_sway.environment();
        env.insert(QStringLiteral("TAVRO_WINDOW_SOURCE"), backend);
        return env;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_sway.start(&error), qPrintable(error));
        m_foot = QFileInfo(QStandardPaths::findExecutable(QStringLiteral("foot"))).canonicalFilePath();
        QVERIFY(!m_foot.isEmpty());

        // An application known only by its desktop entry: app id = desktop-file id, Exec = a script.
        const QString data = qEnvironmentVariable("XDG_DATA_HOME");
        QVERIFY(QDir().mkpath(data + QStringLiteral("/applications")));
        m_notes = data + QStringLiteral("/tavro-notes");
        QVERIFY(writeFile(m_notes, "#!/bin/sh\n", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(writeFile(data + QStringLiteral("/applications/org.example.TavroNotes.desktop"),
                          "[Desktop Entry]\nType=Application\nName=Tavro Notes\nExec=" + QFile::encodeName(m_notes) +
                              " %F\n"));
        m_renameTrigger = m_sway.runtimeDir() + QStringLiteral("/rename-beta");

        QVERIFY(m_sway.startFoot(QStringLiteral("alpha")));
        const QString rename =
            QStringLiteral("while [ ! -e %1 ]; do sleep 0.05; done; printf '\\033]2;beta renamed\\007'; "
                           "exec sleep 1000")
                .arg(m_renameTrigger);
        QVERIFY(m_sway.startFoot(QStringLiteral("beta"), {}, {QStringLiteral("sh"), QStringLiteral("-c"), rename}));
        QVERIFY(m_sway.waitForTitle(QStringLiteral("alpha")) && m_sway.waitForTitle(QStringLiteral("beta")));

        m_source = createForegroundWindowSource(m_sway.environment());
        QCOMPARE(m_source->description(), QStringLiteral("sway (foreign-toplevel + IPC)"));
        QVERIFY(m_source->isAvailable() && m_source->note().isEmpty());
    }

    void followsTheFocusWithPathAndName()
    {
        DesktopAppMetadata metadata;
        quint64 alphaWindow = 0;
        for (const QString &title : {QStringLiteral("alpha"), QStringLiteral("beta"), QStringLiteral("alpha")}) {
            QVERIFY(focus(title));
            QTRY_COMPARE_WITH_TIMEOUT(m_source->sample().title, title, WaitMs);
            const ForegroundSample sample = m_source->sample();
            QCOMPARE(sample.path, m_foot);
            QCOMPARE(metadata.productName(sample.path), QStringLiteral("Foot"));
            QCOMPARE(m_source->windowText(sample.window), title);
            QCOMPARE(m_source->parentWindow(sample.window), 0u);
            QVERIFY(sample.window != 0 &&
                    (!alphaWindow || title != QLatin1String("alpha") || sample.window == alphaWindow));
            if (title == QLatin1String("alpha")) {
                alphaWindow = sample.window;
            }
        }
    }

    void followsTitleChanges()
    {
        QVERIFY(focus(QStringLiteral("beta")));
        QTRY_COMPARE_WITH_TIMEOUT(m_source->sample().title, QStringLiteral("beta"), WaitMs);
        const quint64 window = m_source->sample().window;
        QVERIFY(writeFile(m_renameTrigger, {}));
        QTRY_COMPARE_WITH_TIMEOUT(m_source->sample().title, QStringLiteral("beta renamed"), WaitMs);
        QCOMPARE(m_source->sample().window, window);
        QCOMPARE(m_source->sample().path, m_foot);
    }

    // sway's IPC names the process even where the app id leads nowhere.
    void ipcNamesTheProcess()
    {
        QVERIFY(m_sway.startFoot(QStringLiteral("gamma"), {QStringLiteral("--app-id=tavro-test-unlisted")}));
        QVERIFY(m_sway.waitForTitle(QStringLiteral("gamma")) && focus(QStringLiteral("gamma")));
        QTRY_COMPARE_WITH_TIMEOUT(m_source->sample().title, QStringLiteral("gamma"), WaitMs);
        QCOMPARE(m_source->sample().path, m_foot);
    }

    // Without IPC: the desktop entry of the app id, else a stand-in path naming the app id.
    void appIdLeadsToTheDesktopEntry()
    {
        auto source = createForegroundWindowSource(environment(QStringLiteral("wlroots")));
        QCOMPARE(source->description(), QStringLiteral("wlroots (foreign-toplevel)"));
        QVERIFY(m_sway.startFoot(QStringLiteral("delta"), {QStringLiteral("--app-id=org.example.TavroNotes")}));
        QVERIFY(m_sway.waitForTitle(QStringLiteral("delta")));

        const struct
        {
            QString title;
            QString path;
        } cases[] = {{QStringLiteral("delta"), QFileInfo(m_notes).canonicalFilePath()},
                     {QStringLiteral("gamma"), QStringLiteral("wayland://app-id/tavro-test-unlisted")},
                     {QStringLiteral("alpha"), m_foot}};
        for (const auto &expected : cases) {
            QVERIFY(focus(expected.title));
            QTRY_COMPARE_WITH_TIMEOUT(source->sample().title, expected.title, WaitMs);
            QCOMPARE(source->sample().path, expected.path);
        }
        QCOMPARE(DesktopAppMetadata().productName(QFileInfo(m_notes).canonicalFilePath()),
                 QStringLiteral("Tavro Notes"));
    }

    // Hyprland's IPC, played by a fake server that names this test's own process.
    void hyprlandIpcNamesTheProcess()
    {
        QProcessEnvironment env = environment(QStringLiteral("hyprland"));
        env.insert(QStringLiteral("HYPRLAND_INSTANCE_SIGNATURE"), QStringLiteral("tavro_test"));
        FakeHyprland hyprland(m_sway.runtimeDir(), QStringLiteral("tavro_test"),
                              QStringLiteral(R"({"class": "foot", "title": "alpha", "pid": %1})")
                                  .arg(QCoreApplication::applicationPid())
                                  .toUtf8());
        QVERIFY(hyprland.isListening());
        QVERIFY(focus(QStringLiteral("alpha")));
        auto source = createForegroundWindowSource(env);
        QCOMPARE(source->description(), QStringLiteral("Hyprland (foreign-toplevel + IPC)"));
        QTRY_COMPARE_WITH_TIMEOUT(source->sample().title, QStringLiteral("alpha"), WaitMs);
        QCOMPARE(source->sample().path, QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath());
        QCOMPARE(hyprland.requests(), QByteArrayList{"j/activewindow"});
    }

    // A Hyprland socket that never stops sending: cut off, and the desktop entry names the program.
    void endlessIpcReplyIsCutOff()
    {
        QProcessEnvironment env = environment(QStringLiteral("hyprland"));
        env.insert(QStringLiteral("HYPRLAND_INSTANCE_SIGNATURE"), QStringLiteral("tavro_endless"));
        FakeHyprland hyprland(m_sway.runtimeDir(), QStringLiteral("tavro_endless"), {});
        hyprland.setReply("{\"title\": \"", QByteArray(64 * 1024, 'x'));
        QVERIFY(hyprland.isListening());
        QVERIFY(focus(QStringLiteral("alpha")));
        auto source = createForegroundWindowSource(env);
        QTRY_COMPARE_WITH_TIMEOUT(source->sample().title, QStringLiteral("alpha"), WaitMs);
        QCOMPARE(source->sample().path, m_foot);
        QVERIFY(hyprland.clientLeft());
    }

    void closedWindowIsForgotten()
    {
        QVERIFY(focus(QStringLiteral("alpha")));
        QTRY_COMPARE_WITH_TIMEOUT(m_source->sample().title, QStringLiteral("alpha"), WaitMs);
        const quint64 alpha = m_source->sample().window;
        QVERIFY(m_sway.swaymsg({QStringLiteral("[title=\"^alpha$\"] kill")}));
        QTRY_VERIFY_WITH_TIMEOUT(m_source->windowText(alpha).isEmpty(), WaitMs);
        QVERIFY(m_source->sample().window != alpha);
    }

    void compositorStopsAndComesBack()
    {
        const QString socket = m_sway.waylandDisplay();
        m_sway.stop();
        QTRY_VERIFY_WITH_TIMEOUT(m_source->sample().path.isEmpty(), WaitMs);
        QCOMPARE(m_source->sample().window, 0u);

        QString error;
        QVERIFY2(m_sway.start(&error), qPrintable(error));
        QCOMPARE(m_sway.waylandDisplay(), socket);
        QVERIFY(m_sway.startFoot(QStringLiteral("epsilon")));
        // The new sway's IPC socket has another name: the desktop entry gives the path now.
        QTRY_COMPARE_WITH_TIMEOUT(m_source->sample().title, QStringLiteral("epsilon"), WaitMs);
        QCOMPARE(m_source->sample().path, m_foot);
    }
};

QTEST_GUILESS_MAIN(TestWlrootsForegroundWindowSource)
#include "tst_wlrootsforegroundwindowsource.moc"
