#include "debuglog.h"
#include "devserver.h"
#include "devservicestore.h"
#include "entrydaymodel.h"
#include "entrylinker.h"
#include "mainwindow.h"
#include "projectstree.h"
#include "recorder.h"
#include "recordingfakes.h"
#include "recordingpresenter.h"
#include "session.h"
#include "settings.h"
#include "settingsfile.h"

#include <QFile>
#include <QLoggingCategory>
#include <QSettings>
#include <QSqlQuery>
#include <QTest>

namespace {
// Every message of the run, as stderr would get it; passed on to the debug log too.
QStringList messages;
QtMessageHandler logHandler = nullptr;
void capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    messages << message;
    logHandler(type, context, message);
}

const QString Password = QStringLiteral("Quokka-Saffron-7139");
} // namespace

// The composition root wired into a real window: what the fake desktop shows is recorded into the
// database and the unlinked view, and linking it books the time with the development service and
// moves it to the linked view. With every message switched on, no secret reaches the output.
class TestSubsystems : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowRecordsAndLinks()
    {
        RecordingPresenter presenter;
        DevServiceStore store;
        QVERIFY(store.open(QString()));
        const int user =
            store.addUser(QStringLiteral("kim@tavro.test"), Password, QStringLiteral("Kim"), QStringLiteral("kim"));
        store.addTask(store.addTaskList(
                          store.addProject(user, store.addClient(user, QStringLiteral("Acme")), QStringLiteral("Site")),
                          QStringLiteral("Build")),
                      QStringLiteral("Pages"));
        DevServer server(&store);
        QVERIFY(server.listen());
        QVERIFY(SettingsFile::ensureFolders());
        QFile::remove(SettingsFile::databasePath());
        {
            QSettings ini(SettingsFile::iniPath(), QSettings::IniFormat);
            ini.setValue(QStringLiteral("API/Url"), server.url().toString());
            ini.setValue(QStringLiteral("API/Username"), QStringLiteral("kim@tavro.test"));
            ini.setValue(QStringLiteral("API/Password"), SettingsFile::encodePassword(Password));
            ini.setValue(QStringLiteral("Application/Started"), false);
        }
        // As with -debug, and Qt's own categories on top.
        DebugLog::enableDebugMessages(true);
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=true"));
        const QString logPath = SettingsFile::debugLogPath();
        QFile::remove(logPath);
        QVERIFY(DebugLog::open(logPath));
        logHandler = qInstallMessageHandler(capture);

        auto *windows = new FakeForegroundSource;
        FakeClock clock;
        clock.set(QDateTime(QDate::currentDate(), QTime(9, 0, 0)));
        RecordingSources sources;
        sources.windows.reset(windows);
        sources.idle = std::make_unique<FakeIdleSource>();
        sources.metadata = std::make_unique<FakeAppMetadata>();
        sources.clock = &clock;
        MainWindow window(nullptr, {}, std::move(sources));
        window.session()->setRetryInterval(0);
        // The user has the window open: the views show what is recorded as it comes.
        window.show();
        QVERIFY(window.isUsable());
        QTRY_VERIFY(window.isInitialised());

        // Two minutes in the editor, then the next window closes the stretch.
        windows->show(QStringLiteral("/usr/bin/ed"), QStringLiteral("notes"));
        window.setRecording(true);
        for (int second = 0; second <= 120; ++second) {
            window.recorder()->updateApps();
            clock.advance(1);
        }
        windows->show(QStringLiteral("/usr/bin/vi"), QStringLiteral("other"));
        window.recorder()->updateApps();
        window.setRecording(false);
        QCOMPARE(window.unlinkedModel()->totalTime(), 121);
        QSqlQuery stored(QStringLiteral("SELECT id FROM entries WHERE title = 'notes'"));
        QVERIFY(stored.next());
        const QString entryId = stored.value(0).toString();

        auto *projects = window.findChild<ProjectsTree *>(QStringLiteral("projects"));
        QVERIFY(projects);
        const QAbstractItemModel *rows = projects->model();
        const QModelIndexList tasks = rows->match(rows->index(0, 0), ProjectsTreeModel::TypeRole,
                                                  QStringLiteral("task"), 1, Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(tasks.size(), 1);
        const int taskId = tasks.first().data(ProjectsTreeModel::IdRole).toInt();
        QVERIFY(taskId > 0);
        window.connectEntriesWithTask({entryId}, QString::number(taskId), QString());
        QTRY_VERIFY(!window.findChild<EntryLinker *>()->isBusy());
        QSqlQuery linked(QStringLiteral("SELECT ext_task_id, ext_entry_id FROM entries WHERE id = ") + entryId);
        QVERIFY(linked.next());
        QCOMPARE(linked.value(0).toInt(), taskId);
        QVERIFY(linked.value(1).toLongLong() > 0);
        QCOMPARE(window.linkedModel()->totalTime(), 121);
        QVERIFY(presenter.boxes().isEmpty());

        qInstallMessageHandler(logHandler);
        DebugLog::close();
        const QString token = Settings::instance()->value(Setting::AuthToken);
        const QString apiKey = Settings::instance()->value(Setting::ApiKey);
        QCOMPARE(token.size(), 32);
        QCOMPARE(apiKey.size(), 32);
        QFile log(logPath);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString output = messages.join(QLatin1Char('\n')) + QString::fromUtf8(log.readAll());
        QVERIFY(output.contains(QStringLiteral("auth user:")));
        // Whole or in part: any eight characters in a row of a secret count.
        for (const QString &secret : {Password, token, apiKey}) {
            for (qsizetype start = 0; start + 8 <= secret.size(); ++start) {
                QVERIFY2(!output.contains(secret.mid(start, 8)), qPrintable(secret.mid(start, 8)));
            }
        }
    }
};

QTEST_MAIN(TestSubsystems)
#include "tst_subsystems.moc"
