#include "buildinfo.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <signal.h>

// Starts the built program as a user would, in private data and runtime folders.
class TestStartup : public QObject
{
    Q_OBJECT

private:
    QString dataFolder() const { return m_root->path() + QStringLiteral("/data/TavroDesk"); }
    QString configFolder() const { return m_root->path() + QStringLiteral("/config/TavroDesk"); }
    QString stateFolder() const { return m_root->path() + QStringLiteral("/state/TavroDesk"); }
    QString runFolder() const { return m_root->path() + QStringLiteral("/run"); }
    QString logPath() const { return stateFolder() + QStringLiteral("/debug.log"); }
    QString iniPath() const { return configFolder() + QStringLiteral("/tavrodesk.ini"); }
    QString socketPath() const { return runFolder() + QStringLiteral("/tavrodesk.sock"); }
    QString lockPath() const { return runFolder() + QStringLiteral("/tavrodesk.lock"); }

    // Another session's runtime folder.
    static QProcessEnvironment runtimeFolder(const QString &folder)
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder);
        return env;
    }

    // With `loggingRules` (even empty) set as QT_LOGGING_RULES, stderr is kept for the test to read.
    std::unique_ptr<QProcess> launch(const QStringList &arguments = {QStringLiteral("-debug")},
                                     const QString &display = QString(),
                                     const QProcessEnvironment &extra = QProcessEnvironment(),
                                     const QString &loggingRules = QString())
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_root->path() + QStringLiteral("/data"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_root->path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_STATE_HOME"), m_root->path() + QStringLiteral("/state"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runFolder());
        if (display.isEmpty()) {
            env.remove(QStringLiteral("DISPLAY"));
        } else {
            env.insert(QStringLiteral("DISPLAY"), display);
        }
        if (!loggingRules.isNull()) {
            env.insert(QStringLiteral("QT_LOGGING_RULES"), loggingRules);
        }
        env.insert(extra);
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(loggingRules.isNull() ? QProcess::ForwardedErrorChannel
                                                             : QProcess::SeparateChannels);
        process->start(QStringLiteral(TAVRO_BINARY), arguments);
        process->waitForStarted(5000);
        return process;
    }

    // Waits until the instance listens on its socket.
    bool waitUntilRunning(QProcess &process)
    {
        for (int i = 0; i < 200 && process.state() == QProcess::Running; ++i) {
            if (QFile::exists(socketPath())) {
                return true;
            }
            QTest::qWait(25);
        }
        return false;
    }

    bool terminate(QProcess &process)
    {
        ::kill(pid_t(process.processId()), SIGTERM);
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    // Whether a live instance listens on the socket; connecting alone asks it nothing.
    bool accepts() const
    {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        return socket.waitForConnected(500);
    }

    qint64 lockOwner() const
    {
        QFile file(lockPath());
        return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed().toLongLong() : 0;
    }

    QString log() const
    {
        QFile file(logPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // Starts a private X server for a run that records from the start; returns its display, empty
    // when the server or one of the `tools` is missing.
    QString startRecordingOnX(QProcess &xvfb, std::initializer_list<const char *> tools)
    {
        for (const char *tool : tools) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
                qWarning("%s is missing", tool);
                return {};
            }
        }
        QSettings(iniPath(), QSettings::IniFormat).setValue(QStringLiteral("Application/Started"), true);
        xvfb.start(QStringLiteral("Xvfb"),
                   QStringLiteral("-displayfd 1 -screen 0 1024x768x24 -nolisten tcp -noreset").split(QLatin1Char(' ')));
        if (!xvfb.waitForReadyRead(10000)) {
            qWarning("Xvfb does not start");
            return {};
        }
        return QLatin1Char(':') + QString::fromLatin1(xvfb.readLine().trimmed());
    }

private Q_SLOTS:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid());
        QVERIFY(QDir().mkpath(configFolder()));
        QVERIFY(QDir().mkpath(runFolder()));
        QFile::setPermissions(runFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // An existing ini file: no first-start dialog.
        QSettings ini(iniPath(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Application/Started"), false);
        // Nothing listens there: the program goes offline without leaving the machine.
        ini.setValue(QStringLiteral("API/Url"), QStringLiteral("http://127.0.0.1:1/service/"));
        ini.setValue(QStringLiteral("API/SslEnabled"), false);
    }

    void secondStartShowsTheFirst()
    {
        auto first = launch();
        QVERIFY(waitUntilRunning(*first));
        // Started by a Wayland launcher: its token goes to the window that is brought forward.
        QProcessEnvironment launcher;
        launcher.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), QStringLiteral("launcher-token-7"));
        auto second = launch({}, QString(), launcher);
        QVERIFY(second->waitForFinished(2000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QTRY_VERIFY(log().contains(QStringLiteral("show mainwnd")));
        QTRY_VERIFY(log().contains(QStringLiteral("activating with the launcher's xdg-activation token")));
        QCOMPARE(first->state(), QProcess::Running);
        QVERIFY(terminate(*first));
    }

    // A second start from a launcher on X11 ends the launcher's startup notification (its busy
    // cursor) once the running window is up.
    void secondStartCompletesTheStartupNotification()
    {
        QProcess xvfb;
        xvfb.start(QStringLiteral("Xvfb"),
                   QStringLiteral("-displayfd 1 -screen 0 640x480x24 -nolisten tcp -noreset").split(QLatin1Char(' ')));
        QVERIFY2(xvfb.waitForReadyRead(10000), "Xvfb is not installed (scripts/install-deps.sh installs it)");
        const QString display = QLatin1Char(':') + QString::fromLatin1(xvfb.readLine().trimmed());
        // Listens as a launcher does: client messages to the root window.
        xcb_connection_t *x = xcb_connect(display.toLatin1().constData(), nullptr);
        QVERIFY(!xcb_connection_has_error(x));
        xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
        const auto atom = [x](const char *name) {
            xcb_intern_atom_reply_t *reply =
                xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, uint16_t(qstrlen(name)), name), nullptr);
            const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
            free(reply);
            return result;
        };
        const xcb_atom_t begin = atom("_NET_STARTUP_INFO_BEGIN");
        const xcb_atom_t more = atom("_NET_STARTUP_INFO");
        xcb_flush(x);

        auto first = launch({QStringLiteral("-debug")}, display);
        QVERIFY(waitUntilRunning(*first));
        QProcessEnvironment launcher;
        launcher.insert(QStringLiteral("DESKTOP_STARTUP_ID"), QStringLiteral("menu/tavrodesk-42_TIME1234"));
        auto second = launch({}, display, launcher);
        QVERIFY(second->waitForFinished(5000));
        QCOMPARE(second->exitCode(), 0);

        QByteArray message;
        for (const QDeadlineTimer deadline(10000); !message.contains('\0') && !deadline.hasExpired();) {
            xcb_generic_event_t *event = xcb_poll_for_event(x);
            if (!event) {
                QTest::qWait(20);
                continue;
            }
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto *client = reinterpret_cast<xcb_client_message_event_t *>(event);
                if (client->type == begin) {
                    message.clear();
                }
                if (client->type == begin || client->type == more) {
                    message.append(reinterpret_cast<const char *>(client->data.data8), 20);
                }
            }
            free(event);
        }
        QVERIFY2(QString::fromLatin1(message.left(message.indexOf('\0'))) ==
                     QStringLiteral("remove: ID=\"menu/tavrodesk-42_TIME1234\""),
                 qPrintable(QString::fromLatin1(message) + QLatin1Char('\n') + log()));
        QVERIFY(terminate(*first));
        xcb_disconnect(x);
        xvfb.terminate();
        xvfb.waitForFinished(5000);
    }

    // A Wayland session whose compositor cannot be reached, without XWayland: a clear message and
    // status 1, never Qt's abort.
    void unreachableCompositor()
    {
        QProcessEnvironment wayland;
        wayland.insert(QStringLiteral("QT_QPA_PLATFORM"), QString());
        wayland.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        wayland.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-gone"));
        auto process = launch({}, QString(), wayland);
        QVERIFY(process->waitForFinished(10000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 1);
    }

    void killedInstanceDoesNotBlock()
    {
        auto first = launch();
        QVERIFY(waitUntilRunning(*first));
        first->kill();
        QVERIFY(first->waitForFinished(5000));
        QVERIFY(QFile::exists(socketPath()));
        QVERIFY(QFile::exists(lockPath()));

        QVERIFY(!accepts());
        auto heir = launch();
        // The heir takes the lock over and listens on a fresh socket.
        QTRY_COMPARE(lockOwner(), heir->processId());
        QTRY_VERIFY(accepts());
        QVERIFY(terminate(*heir));
    }

    void simultaneousStartsLeaveOne()
    {
        std::vector<std::unique_ptr<QProcess>> starts;
        for (int i = 0; i < 3; ++i) {
            starts.push_back(launch());
        }
        const auto running = [&starts] {
            return std::find_if(starts.cbegin(), starts.cend(),
                                [](const auto &process) { return process->state() == QProcess::Running; });
        };
        // The two that lose the race leave with 0; then the survivor is the only one running.
        QTRY_COMPARE_WITH_TIMEOUT(
            int(std::count_if(starts.cbegin(), starts.cend(),
                              [](const auto &p) { return p->exitCode() == 0 && p->state() == QProcess::NotRunning; })),
            2, 10000);
        QVERIFY(running() != starts.cend());
        QVERIFY(terminate(**running()));
    }

    // Two sessions of one user (each with its runtime folder) on one data folder, as with an NFS
    // home: the second start stays out and says why, and a termination request ends its box.
    void secondSessionOnTheDataFolderStaysOut()
    {
        auto first = launch();
        QVERIFY(waitUntilRunning(*first));
        const QString otherRun = m_root->path() + QStringLiteral("/run-other");
        QVERIFY(QDir().mkpath(otherRun));
        auto second = launch({QStringLiteral("-debug")}, QString(), runtimeFolder(otherRun));
        QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("TavroDesk is already running with the data folder ") +
                                                QDir::toNativeSeparators(dataFolder())),
                                 10000);
        QVERIFY(log().contains(QStringLiteral("process %1 on host").arg(first->processId())));
        QVERIFY(!QFile::exists(otherRun + QStringLiteral("/tavrodesk.sock")));
        ::kill(pid_t(second->processId()), SIGTERM);
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitCode(), 1);

        QCOMPARE(first->state(), QProcess::Running);
        QVERIFY(terminate(*first));
        // Once the first has quit, the other session may start.
        auto heir = launch({QStringLiteral("-debug")}, QString(), runtimeFolder(otherRun));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(otherRun + QStringLiteral("/tavrodesk.sock")), 10000);
        ::kill(pid_t(heir->processId()), SIGTERM);
        QVERIFY(heir->waitForFinished(10000) && heir->exitCode() == 0);
    }

    // A box shown before the window exists (here: the database file is no database) does not hold
    // off a termination request.
    void terminationEndsAStartUpBox_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void terminationEndsAStartUpBox()
    {
        QFETCH(int, signalNumber);
        QVERIFY(QDir().mkpath(dataFolder()));
        QFile notADatabase(dataFolder() + QStringLiteral("/tavrodesk.sqlite"));
        QVERIFY(notADatabase.open(QIODevice::WriteOnly));
        notADatabase.write(QByteArray(8192, 'x'));
        notADatabase.close();
        auto process = launch();
        QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("message box: Database error")), 10000);
        ::kill(pid_t(process->processId()), signalNumber);
        QVERIFY(process->waitForFinished(10000));
        QCOMPARE(process->exitCode(), 1);
        // The file is left as it was.
        QVERIFY(notADatabase.open(QIODevice::ReadOnly));
        QCOMPARE(notADatabase.readAll(), QByteArray(8192, 'x'));
    }

    void debugSwitch()
    {
        auto process = launch({QStringLiteral("-debug")});
        QVERIFY(waitUntilRunning(*process));
        QVERIFY(terminate(*process));
        QVERIFY(log().contains(QStringLiteral("connecting...")));
    }

    // Without -debug no debug message reaches stderr; QT_LOGGING_RULES switches one area on.
    void debugMessagesOnStderrOnlyWhenAsked()
    {
        auto quiet = launch({}, QString(), QProcessEnvironment(), QStringLiteral(""));
        QVERIFY(waitUntilRunning(*quiet));
        // Long enough for the start-up's first attempt to reach the service (it says so below in time).
        QTest::qWait(3000);
        QVERIFY(terminate(*quiet));
        const QByteArray quietErrors = quiet->readAllStandardError();
        QVERIFY2(!quietErrors.contains("connecting...") && !quietErrors.contains("window source:"), quietErrors);

        auto service = launch({}, QString(), QProcessEnvironment(), QStringLiteral("tavro.service.debug=true"));
        QVERIFY(waitUntilRunning(*service));
        QByteArray errors;
        QTRY_VERIFY_WITH_TIMEOUT((errors += service->readAllStandardError()).contains("connecting..."), 3000);
        QVERIFY(terminate(*service));
        // Only the area asked for: the platform's own debug messages stay off.
        QVERIFY(!(errors + service->readAllStandardError()).contains("window source:"));
        QVERIFY(!QFile::exists(logPath()));
    }

    // Answered before any window system is touched: no display, no platform plugin chosen.
    void commandLineWithoutDisplay_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::newRow("version") << QStringLiteral("--version") << 0
                                 << QStringLiteral("tavrodesk ") + BuildInfo::version() + QLatin1Char('\n');
        QTest::newRow("help") << QStringLiteral("--help") << 0 << QStringLiteral("Usage: tavrodesk");
        QTest::newRow("wrong case") << QStringLiteral("-Debug") << 2 << QString();
    }
    void commandLineWithoutDisplay()
    {
        QFETCH(QString, argument);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            env.remove(QString::fromLatin1(name));
        }
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_root->path() + QStringLiteral("/data"));
        env.insert(QStringLiteral("XDG_STATE_HOME"), m_root->path() + QStringLiteral("/state"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runFolder());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TAVRO_BINARY), {argument});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        QVERIFY(QString::fromLocal8Bit(process.readAllStandardOutput()).startsWith(output));
        if (exitCode != 0) {
            QVERIFY(process.readAllStandardError().contains("Unknown option 'Debug'"));
        }
        // Nothing ran: no instance lock, no log.
        QVERIFY(!QFile::exists(lockPath()));
        QVERIFY(!QFile::exists(logPath()));
    }

    void sigtermQuitsAndSaves_data()
    {
        QTest::addColumn<bool>("early");
        QTest::addColumn<bool>("firstStart");
        QTest::newRow("running") << false << false;
        // As soon as the instance holds its lock, which is before its window exists.
        QTest::newRow("early") << true << false;
        // A logout while the first-start settings dialog waits for an answer.
        QTest::newRow("first-start dialog") << false << true;
    }

    void sigtermQuitsAndSaves()
    {
        QFETCH(bool, early);
        QFETCH(bool, firstStart);
        if (firstStart) {
            QFile::remove(iniPath());
        }
        auto process = launch();
        if (firstStart) {
            QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("first start: asking for the settings")), 10000);
            // The dialog is shown once its event loop runs.
            QTest::qWait(500);
        } else if (early) {
            for (const QDeadlineTimer deadline(5000); !QFile::exists(lockPath()) && !deadline.hasExpired();) {
                QThread::msleep(1);
            }
            QVERIFY(QFile::exists(lockPath()));
        } else {
            QVERIFY(waitUntilRunning(*process));
        }
        QVERIFY(terminate(*process));
        if (firstStart) {
            QVERIFY2(log().contains(QStringLiteral("closing \"Settings\"")), qPrintable(log()));
        }
        QSettings ini(iniPath(), QSettings::IniFormat);
        // The ini said paused; a first start records from the beginning.
        QCOMPARE(ini.value(QStringLiteral("Application/Started")).toBool(), firstStart);
        QVERIFY(QSettings(stateFolder() + QStringLiteral("/window.ini"), QSettings::IniFormat)
                    .contains(QStringLiteral("Window/Geometry")));
        // The lock is released; the socket is gone.
        QVERIFY(!QFile::exists(socketPath()));
    }

    void recordsTheWindowInFrontAndStoresItOnQuit()
    {
        QProcess xvfb;
        const QString display = startRecordingOnX(xvfb, {"openbox", "xterm", "xdotool"});
        QVERIFY(!display.isEmpty());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        QProcess openbox;
        openbox.setProcessEnvironment(env);
        openbox.start(QStringLiteral("openbox"), {});
        QProcess xterm;
        xterm.setProcessEnvironment(env);
        xterm.start(QStringLiteral("xterm"), {QStringLiteral("-T"), QStringLiteral("draft.txt - notes")});
        QVERIFY(xterm.waitForStarted());
        auto activate = [&env] {
            QProcess xdotool;
            xdotool.setProcessEnvironment(env);
            xdotool.start(
                QStringLiteral("xdotool"),
                QStringLiteral("search --sync --name draft.txt windowactivate --sync").split(QLatin1Char(' ')));
            return xdotool.waitForFinished(10000) && xdotool.exitCode() == 0;
        };
        QTRY_VERIFY_WITH_TIMEOUT(activate(), 10000);

        auto app = launch({QStringLiteral("-debug")}, display);
        QVERIFY(waitUntilRunning(*app));
        // The window opens in front of the terminal; give the terminal the focus back and let the
        // recorder sample it for a few ticks.
        QVERIFY(activate());
        QTest::qWait(3000);
        QVERIFY(terminate(*app));

        for (QProcess *process : {&xterm, &openbox, &xvfb}) {
            process->terminate();
            process->waitForFinished(5000);
        }

        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(dataFolder() + QStringLiteral("/tavrodesk.sqlite"));
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral("SELECT a.path, e.start_time, e.end_time FROM entries e JOIN "
                                              "applications a ON a.id = e.application_id WHERE e.title = "
                                              "'draft.txt - notes'")));
            // The stretch still open at the termination was stored on the way out.
            QVERIFY(query.next());
            QVERIFY(query.value(0).toString().endsWith(QStringLiteral("xterm")));
            QVERIFY(query.value(1).toString() < query.value(2).toString());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
    }

    // On X11 the window's pixels go to the server in image requests, not through memory shared
    // with it: with shared memory every repaint of the animated tray icon first waits for the
    // server to finish reading the last one.
    void sendsImagesWithoutSharedMemory()
    {
        QProcess xvfb;
        const QString display = startRecordingOnX(xvfb, {"xdotool"});
        QVERIFY(!display.isEmpty());
        QProcessEnvironment xcb;
        xcb.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        auto app = launch({}, display, xcb);
        QVERIFY(waitUntilRunning(*app));
        // The window is on the screen, painted.
        QProcess xdotool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        xdotool.setProcessEnvironment(env);
        xdotool.start(QStringLiteral("xdotool"),
                      QStringLiteral("search --sync --onlyvisible --name TavroDesk").split(QLatin1Char(' ')));
        QVERIFY(xdotool.waitForFinished(10000) && xdotool.exitCode() == 0);
        QTest::qWait(1000);
        QFile maps(QStringLiteral("/proc/%1/maps").arg(app->processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        // The server's segments arrive as a memfd, or attach as System V memory.
        QByteArrayList shared;
        for (const QByteArray &line : maps.readAll().split('\n')) {
            if (line.contains("memfd:xorg") || line.contains("SYSV")) {
                shared << line;
            }
        }
        QVERIFY2(shared.isEmpty(), shared.join('\n').constData());
        QVERIFY(terminate(*app));
        xvfb.terminate();
        xvfb.waitForFinished(5000);
    }

private:
    std::unique_ptr<QTemporaryDir> m_root;
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
