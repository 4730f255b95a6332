#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <signal.h>

// Starts the built program as a user would, in private data and runtime folders.
class TestStartup : public QObject
{
    Q_OBJECT

private:
    QString dataFolder() const { return m_root->path() + QStringLiteral("/data/TavroDesk"); }
    QString runFolder() const { return m_root->path() + QStringLiteral("/run"); }
    QString logPath() const { return dataFolder() + QStringLiteral("/debug.log"); }
    QString iniPath() const { return dataFolder() + QStringLiteral("/tavrodesk.ini"); }
    QString socketPath() const { return runFolder() + QStringLiteral("/tavrodesk.sock"); }
    QString lockPath() const { return runFolder() + QStringLiteral("/tavrodesk.lock"); }

    std::unique_ptr<QProcess> launch(const QStringList &arguments = {QStringLiteral("-debug")})
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_root->path() + QStringLiteral("/data"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_root->path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runFolder());
        env.remove(QStringLiteral("DISPLAY"));
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QStringLiteral(TAVRO_BINARY), arguments);
        if (!process->waitForStarted(5000)) {
            qWarning() << "could not start" << TAVRO_BINARY;
        }
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

private Q_SLOTS:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid());
        QVERIFY(QDir().mkpath(dataFolder()));
        QVERIFY(QDir().mkpath(runFolder()));
        QFile::setPermissions(runFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // An existing ini file: no first-start dialog.
        QSettings ini(iniPath(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Application/Started"), false);
        ini.setValue(QStringLiteral("API/Url"), QString());
    }

    void cleanup() { m_root.reset(); }

    void secondStartShowsTheFirst()
    {
        auto first = launch();
        QVERIFY(waitUntilRunning(*first));
        auto second = launch();
        QVERIFY(second->waitForFinished(2000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QTRY_VERIFY(log().contains(QStringLiteral("show mainwnd")));
        QVERIFY(log().contains(QStringLiteral("someone's asking for tavro")));
        QCOMPARE(first->state(), QProcess::Running);
        QVERIFY(terminate(*first));
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
        QVERIFY(heir->waitForStarted());
        // The heir takes the lock over and listens on a fresh socket.
        QTRY_COMPARE(lockOwner(), heir->processId());
        QTRY_VERIFY(accepts());
        auto third = launch();
        QVERIFY(third->waitForFinished(5000));
        QCOMPARE(third->exitCode(), 0);
        QTRY_VERIFY(log().contains(QStringLiteral("show mainwnd")));
        QCOMPARE(heir->state(), QProcess::Running);
        QVERIFY(terminate(*heir));
    }

    void simultaneousStartsLeaveOne()
    {
        std::vector<std::unique_ptr<QProcess>> starts;
        for (int i = 0; i < 3; ++i) {
            starts.push_back(launch());
        }
        auto finished = [&starts] {
            int count = 0;
            for (const auto &process : starts) {
                count += process->state() == QProcess::NotRunning ? 1 : 0;
            }
            return count;
        };
        QTRY_COMPARE_WITH_TIMEOUT(finished(), 2, 10000);
        QProcess *survivor = nullptr;
        for (const auto &process : starts) {
            if (process->state() == QProcess::Running) {
                survivor = process.get();
            } else {
                QCOMPARE(process->exitCode(), 0);
            }
        }
        QVERIFY(survivor);
        QVERIFY(terminate(*survivor));
    }

    void debugSwitch_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("logs");
        QTest::newRow("-debug") << QStringLiteral("-debug") << true;
        QTest::newRow("-Debug") << QStringLiteral("-Debug") << false;
        QTest::newRow("--debug") << QStringLiteral("--debug") << false;
        QTest::newRow("debug") << QStringLiteral("debug") << false;
    }

    void debugSwitch()
    {
        QFETCH(QString, argument);
        QFETCH(bool, logs);
        auto process = launch({argument});
        QVERIFY(waitUntilRunning(*process));
        QVERIFY(terminate(*process));
        QCOMPARE(QFile::exists(logPath()), logs);
        if (logs) {
            const QStringList lines = log().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            QVERIFY(!lines.isEmpty());
            static const QRegularExpression format(
                QStringLiteral("^\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d( | Warning: | Critical: )\\S"));
            for (const QString &line : lines) {
                QVERIFY2(format.match(line).hasMatch(), qPrintable(line));
            }
        }
    }

    void sigtermQuitsAndSaves()
    {
        QVERIFY(!QSettings(iniPath(), QSettings::IniFormat).contains(QStringLiteral("Window/Geometry")));
        auto process = launch();
        QVERIFY(waitUntilRunning(*process));
        QVERIFY(terminate(*process));
        QSettings ini(iniPath(), QSettings::IniFormat);
        QVERIFY(ini.contains(QStringLiteral("Window/Geometry")));
        QVERIFY(ini.contains(QStringLiteral("Application/CloseToTray")));
        QCOMPARE(ini.value(QStringLiteral("Application/Started")).toBool(), false);
        // The lock is released; the socket is gone.
        QVERIFY(!QFile::exists(socketPath()));
    }

private:
    std::unique_ptr<QTemporaryDir> m_root;
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
