#include "aboutdialog.h"
#include "calendarwidget.h"
#include "clickablelabel.h"
#include "devserver.h"
#include "entrydaymodel.h"
#include "ignoredappsdialog.h"
#include "mainwindow.h"
#include "projectstree.h"
#include "recorder.h"
#include "recordingpresenter.h"
#include "ruleengine.h"
#include "rulestore.h"
#include "session.h"
#include "settings.h"
#include "settingsfile.h"
#include "timestampsdialog.h"
#include "timetree.h"
#include "updatechecker.h"
#include "windowprobe.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

namespace {
// Stands in for the entry tree model and remembers what the window asked of it.
class FakeDayModel : public EntryDayModel
{
public:
    QAbstractItemModel *itemModel() override { return &model; }
    void setDay(const QDate &date) override { day = date; }
    void setHideUnder(int seconds) override { hideUnder = seconds; }
    void setFilterText(const QString &text) override { filter = text; }
    void setGroupByHour(bool on) override { groupByHour = on; }
    void reload() override { ++reloads; }
    void addEntry(const QDateTime &, const QDateTime &, const QString &, const QString &, const QString &title,
                  const QIcon &, qint64, qint64) override
    {
        added.append(title);
    }
    qint64 totalTime() const override { return 100; }
    qint64 nodeTime(const QModelIndex &) const override { return 50; }
    QString nodeType(const QModelIndex &) const override { return QStringLiteral("app"); }

    QStandardItemModel model{0, 4};
    QDate day;
    int hideUnder = -1;
    QString filter;
    bool groupByHour = false;
    int reloads = 0;
    QStringList added;
};

class CountingChecker : public UpdateChecker
{
public:
    explicit CountingChecker(int *cleanups)
        : m_cleanups(cleanups)
    {}
    void setAppcastUrl(const QString &) override {}
    void init() override {}
    void checkWithUi(QWidget *) override { ++checks; }
    void cleanup() override { ++*m_cleanups; }
    int checks = 0;

private:
    int *m_cleanups;
};

void writeIni(const QMap<QString, QVariant> &values)
{
    QVERIFY(SettingsFile::ensureDataFolder());
    QFile::remove(SettingsFile::iniPath());
    QSettings ini(SettingsFile::iniPath(), QSettings::IniFormat);
    // Nothing listens there: the start-up goes offline at once without leaving the machine.
    ini.setValue(QStringLiteral("API/Url"), QStringLiteral("http://127.0.0.1:1/service/"));
    ini.setValue(QStringLiteral("API/SslEnabled"), false);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        ini.setValue(it.key(), it.value());
    }
}

QVariant iniValue(const QString &key)
{
    QSettings ini(SettingsFile::iniPath(), QSettings::IniFormat);
    return ini.value(key);
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    template <typename T> T *child(const char *name)
    {
        T *found = m_window->findChild<T *>(QString::fromLatin1(name));
        if (!found) {
            qFatal("no child %s", name);
        }
        return found;
    }

    void start(const QMap<QString, QVariant> &ini = {}, bool trayAvailable = true, bool fakeModels = true)
    {
        writeIni(ini);
        m_window = std::make_unique<MainWindow>();
        m_window->session()->setRetryInterval(0);
        m_window->setTrayAvailabilityCheck([trayAvailable] { return trayAvailable; });
        if (fakeModels) {
            m_unlinked = new FakeDayModel;
            m_linked = new FakeDayModel;
            m_window->setEntryModels(m_unlinked, m_linked);
        }
        QTRY_VERIFY(m_window->isInitialised());
    }

    // Runs the event loop around `action`; returns 0 when the program quit, 7 when it was still
    // running a second later (closing the last window quits through deferred events).
    static int quitsAfter(const std::function<void()> &action)
    {
        QTimer::singleShot(0, qApp, [action] { action(); });
        QTimer keepRunning;
        keepRunning.setSingleShot(true);
        connect(&keepRunning, &QTimer::timeout, qApp, [] { QCoreApplication::exit(7); });
        keepRunning.start(1000);
        return QCoreApplication::exec();
    }

private Q_SLOTS:
    void init()
    {
        m_presenter = std::make_unique<RecordingPresenter>();
        // Every case starts from an empty database and no recording journal.
        QFile::remove(SettingsFile::databasePath());
        QFile::remove(SettingsFile::dataFolder() + QStringLiteral("/recording.journal"));
    }

    void cleanup()
    {
        m_window.reset();
        m_presenter.reset();
        Settings::instance()->values.clear();
    }

    void noDisplayIsExplained()
    {
        // The tests run without a display: the probe cannot see windows and the user is told.
        start();
        QVERIFY(!m_window->windowProbe()->isAvailable());
        QVERIFY(!m_window->windowProbe()->problem().isEmpty());
        QCOMPARE(m_window->statusBar()->currentMessage(), m_window->windowProbe()->problem());
    }

    void journalIsRecoveredBeforeRecording()
    {
        QVERIFY(SettingsFile::ensureDataFolder());
        const QString journal = SettingsFile::dataFolder() + QStringLiteral("/recording.journal");
        QFile file(journal);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({"path":"/usr/bin/ed","name":"ed","title":"left open","start":"2026-11-04 09:00:00",)"
                   R"("checkpoint":"2026-11-04 09:10:00"})");
        file.close();
        start();
        QVERIFY(!QFile::exists(journal));
        QSqlQuery query;
        QVERIFY(query.exec(QStringLiteral("SELECT start_time, end_time FROM entries WHERE title = 'left open'")));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("2026-11-04 09:00:00"));
        QCOMPARE(query.value(1).toString(), QStringLiteral("2026-11-04 09:10:00"));
    }

    void engineDrivesButtonTextAndTray()
    {
        start({{QStringLiteral("Application/Started"), true}});
        QVERIFY(m_window->recorder()->isRecording());
        auto *button = child<QPushButton>("btnRecord");
        // A pause that does not come from the button (system suspend) leaves its toggle state alone.
        m_window->recorder()->setRecording(false);
        QVERIFY(!m_window->isRecording());
        QVERIFY(button->isChecked());
        QCOMPARE(button->text(), QStringLiteral("Paused"));
        QVERIFY(m_window->trayMenu()->actions().at(0)->isEnabled());
        m_window->setRecording(true);
        QVERIFY(m_window->recorder()->isRecording());
        QCOMPARE(button->text(), QStringLiteral("Recording"));
    }

    void storedStretchesReachTheShownDay()
    {
        start({{QStringLiteral("Application/Started"), false}});
        WindowInfo info;
        info.path = QStringLiteral("/usr/bin/ed");
        info.title = QStringLiteral("today's notes");
        const QDateTime now = QDateTime::currentDateTime();
        Q_EMIT m_window->recorder()->entryStored(now.addSecs(-5), now, info, 1, 2);
        info.title = QStringLiteral("another day");
        Q_EMIT m_window->recorder()->entryStored(now.addDays(-2), now.addDays(-2).addSecs(5), info, 1, 3);
        QCOMPARE(m_unlinked->added, QStringList{QStringLiteral("today's notes")});
        QVERIFY(m_linked->added.isEmpty());
    }

    void realModelsFillTheViews()
    {
        {
            // The database exists before the window opens it, so the day's entry is there at start.
            writeIni({});
            MainWindow first;
            QSqlQuery query;
            QVERIFY(query.exec(QStringLiteral("INSERT INTO applications (path, name) VALUES ('/usr/bin/vi', 'vi')")));
            const QString appId = query.lastInsertId().toString();
            const QString day = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
            QVERIFY(query.exec(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) "
                                              "VALUES ('plan', ") +
                               appId + QStringLiteral(", '") + day + QStringLiteral(" 00:00:01', '") + day +
                               QStringLiteral(" 00:05:01')")));
        }
        start({{QStringLiteral("Application/Started"), false}}, true, false);
        auto *view = child<QTreeView>("appList");
        QVERIFY(view->model());
        QCOMPARE(view->model()->rowCount(), 1);
        QCOMPARE(m_window->unlinkedModel()->totalTime(), 300);
        QVERIFY(child<QLabel>("labelTotalTime")->text() != QStringLiteral("0:00:00"));

        // Ten minutes hide the five-minute title.
        auto *combo = child<QComboBox>("cbHideUnder");
        combo->setCurrentIndex(5);
        Q_EMIT combo->activated(5);
        QCOMPARE(view->model()->rowCount(), 0);
        QCOMPARE(m_window->unlinkedModel()->totalTime(), 0);
    }

    void menus_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<bool>("enabled");
        auto row = [](const char *name, const char *text, const char *shortcut, bool enabled) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(text)
                                << QString::fromLatin1(shortcut) << enabled;
        };
        row("actionLogout", "Log Out", "", false);
        row("action_Settings", "S&ettings...", "", true);
        row("actionExit", "E&xit", "Alt+X", true);
        row("action_Ignored_Applications", "E&xcluded Applications...", "", true);
        row("action_Help_Topics", "&Help Topics", "", true);
        row("actionCheck_for_Updates", "Check for &Updates...", "", true);
        row("action_About_Tavro", "&About Tavro...", "", true);
        row("action_Timestamps", "&Timestamps...", "", true);
        row("action_Add_Rule", "&New Rule...", "", true);
        row("actionView_Rules", "&View Rules...", "", true);
        row("action_Apply_Rules", "&Apply Rules", "", true);
        row("actionApply_Rules_For_Date_Range", "Apply Rules for &Date Range...", "", true);
        row("actionLogin", "Log In...", "", true);
        row("action_RefreshProjects", "&Refresh Projects", "", true);
    }

    void menus()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, shortcut);
        QFETCH(bool, enabled);
        start();
        auto *action = m_window->findChild<QAction *>(name);
        QVERIFY(action);
        QCOMPARE(action->text(), text);
        QCOMPARE(action->shortcut(), QKeySequence(shortcut));
        QCOMPARE(action->isEnabled(), enabled);
    }

    void trayMenu()
    {
        start({{QStringLiteral("Application/Started"), false}});
        QStringList texts;
        for (QAction *action : m_window->trayMenu()->actions()) {
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        QCOMPARE(texts, QStringList({QStringLiteral("&Start Recording"), QStringLiteral("&Pause Recording"),
                                     QStringLiteral("-"), QStringLiteral("S&ettings..."), QStringLiteral("-"),
                                     QStringLiteral("Sho&w TavroDesk"), QStringLiteral("E&xit")}));
    }

    void recordButton_data()
    {
        QTest::addColumn<QVariant>("started");
        QTest::addColumn<bool>("recording");
        QTest::newRow("saved on") << QVariant(true) << true;
        QTest::newRow("saved off") << QVariant(false) << false;
        QTest::newRow("missing means on") << QVariant() << true;
    }

    void recordButton()
    {
        QFETCH(QVariant, started);
        QFETCH(bool, recording);
        QMap<QString, QVariant> ini;
        if (started.isValid()) {
            ini.insert(QStringLiteral("Application/Started"), started);
        }
        start(ini);
        auto *button = child<QPushButton>("btnRecord");
        const QList<QAction *> tray = m_window->trayMenu()->actions();
        QAction *startAction = tray.at(0);
        QAction *stopAction = tray.at(1);
        auto check = [&](bool on) {
            QCOMPARE(m_window->isRecording(), on);
            QCOMPARE(button->isChecked(), on);
            QCOMPARE(button->text(), on ? QStringLiteral("Recording") : QStringLiteral("Paused"));
            QCOMPARE(startAction->isEnabled(), !on);
            QCOMPARE(stopAction->isEnabled(), on);
        };
        check(recording);
        stopAction->trigger();
        check(false);
        startAction->trigger();
        check(true);
        m_window->saveSettings();
        QCOMPARE(iniValue(QStringLiteral("Application/Started")).toBool(), true);
        button->click();
        check(false);
        m_window->saveSettings();
        QCOMPARE(iniValue(QStringLiteral("Application/Started")).toBool(), false);
    }

    void closeAndMinimise_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("trayAvailable");
        QTest::addColumn<bool>("toTray");
        const QString close = QStringLiteral("Application/CloseToTray");
        const QString minimise = QStringLiteral("Application/MinimizeToTray");
        QTest::newRow("close to tray") << close << true << true << true;
        QTest::newRow("close, option off") << close << false << true << false;
        QTest::newRow("close, no notification area") << close << true << false << false;
        QTest::newRow("minimise to tray") << minimise << true << true << true;
        QTest::newRow("minimise, option off") << minimise << false << true << false;
        QTest::newRow("minimise, no notification area") << minimise << true << false << false;
    }

    void closeAndMinimise()
    {
        QFETCH(QString, option);
        QFETCH(bool, enabled);
        QFETCH(bool, trayAvailable);
        QFETCH(bool, toTray);
        const bool closing = option == QStringLiteral("Application/CloseToTray");
        start({{option, enabled}, {QStringLiteral("Application/HideUnder"), 30}}, trayAvailable);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        if (closing) {
            QFile::remove(SettingsFile::iniPath());
            QCOMPARE(quitsAfter([this, toTray] { QCOMPARE(m_window->close(), !toTray); }), toTray ? 7 : 0);
            // Either way the settings are written.
            QCOMPARE(iniValue(QStringLiteral("Application/HideUnder")).toInt(), 30);
        } else {
            m_window->setWindowState(Qt::WindowMinimized);
        }
        if (!toTray) {
            if (!closing) {
                QCoreApplication::processEvents();
                QCoreApplication::processEvents();
                QVERIFY(!m_window->isHidden());
            }
            return;
        }
        QTRY_VERIFY(m_window->isHidden());
        m_window->trayMenu()->actions().at(5)->trigger();
        QVERIFY(m_window->isVisible());
        QVERIFY(!m_window->isMinimized());
        // The tray's exit really ends the program.
        QCOMPARE(quitsAfter([this] { m_window->trayMenu()->actions().last()->trigger(); }), 0);
    }

    void statusTipsDoNotReplaceTheMessage()
    {
        start();
        m_window->show();
        m_window->statusBar()->showMessage(QStringLiteral("Ready"));
        child<QAction>("actionLogout")->showStatusText(m_window.get());
        QStatusTipEvent tip(QStringLiteral("Log In"));
        QCoreApplication::sendEvent(m_window.get(), &tip);
        QCOMPARE(m_window->statusBar()->currentMessage(), QStringLiteral("Ready"));
    }

    void trayClickRule_data()
    {
        QTest::addColumn<bool>("singleClick");
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("opens");
        QTest::newRow("single: click") << true << int(QSystemTrayIcon::Trigger) << true;
        QTest::newRow("single: double") << true << int(QSystemTrayIcon::DoubleClick) << false;
        QTest::newRow("double: click") << false << int(QSystemTrayIcon::Trigger) << false;
        QTest::newRow("double: double") << false << int(QSystemTrayIcon::DoubleClick) << true;
    }

    void trayClickRule()
    {
        QFETCH(bool, singleClick);
        QFETCH(int, reason);
        QFETCH(bool, opens);
        start({{QStringLiteral("Application/SingleClickTrayOpen"), singleClick}});
        QVERIFY(m_window->isHidden());
        Q_EMIT m_window->trayIcon()->activated(QSystemTrayIcon::ActivationReason(reason));
        QCOMPARE(m_window->isVisible(), opens);
    }

    void initialUpdateLoadsBothViews()
    {
        start({{QStringLiteral("Application/HideUnder"), 60}, {QStringLiteral("Application/GroupByHour"), true}});
        QCOMPARE(child<QComboBox>("cbHideUnder")->currentText(), QStringLiteral("1 minute"));
        QVERIFY(child<QCheckBox>("checkGroupByHour")->isChecked());
        for (FakeDayModel *model : {m_unlinked, m_linked}) {
            QCOMPARE(model->day, QDate::currentDate());
            QCOMPARE(model->hideUnder, 60);
            QCOMPARE(model->reloads, 1);
        }
        QVERIFY(m_unlinked->groupByHour);
        QVERIFY(!m_linked->groupByHour);
    }

    void viewOptionsReload()
    {
        start();
        auto *combo = child<QComboBox>("cbHideUnder");
        combo->setCurrentIndex(4);
        Q_EMIT combo->activated(4);
        QCOMPARE(Settings::instance()->value(QStringLiteral("HideUnder")).toInt(), 300);
        for (FakeDayModel *model : {m_unlinked, m_linked}) {
            QCOMPARE(model->hideUnder, 300);
            QCOMPARE(model->reloads, 2);
        }
        // Grouping by hour regroups only the unlinked view.
        child<QCheckBox>("checkGroupByHour")->click();
        QVERIFY(m_unlinked->groupByHour);
        QCOMPARE(m_unlinked->reloads, 3);
        QCOMPARE(m_linked->reloads, 2);
        QVERIFY(Settings::instance()->value(QStringLiteral("GroupByHour")).toBool());
    }

    void filterAppliesAfterTheDelayOrOnEnter()
    {
        start();
        auto *edit = child<QLineEdit>("editFilter");
        QTest::keyClicks(edit, QStringLiteral("mail"));
        QVERIFY(m_unlinked->filter.isEmpty());
        QTRY_COMPARE(m_unlinked->filter, QStringLiteral("mail"));
        QCOMPARE(Settings::instance()->value(QStringLiteral("Filter")).toString(), QStringLiteral("mail"));
        QVERIFY(m_linked->filter.isEmpty());
        // Clearing with the clear button brings everything back after the delay.
        edit->findChild<QToolButton *>()->click();
        QTRY_COMPARE(m_unlinked->filter, QString());

        QTest::keyClicks(edit, QStringLiteral("\"two words\""));
        const int before = m_unlinked->reloads;
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(m_unlinked->filter, QStringLiteral("\"two words\""));
        QCOMPARE(m_unlinked->reloads, before + 1);
        // The timer still fires later and applies the same text once more.
        QTRY_COMPARE(m_unlinked->reloads, before + 2);
        QCOMPARE(m_unlinked->filter, QStringLiteral("\"two words\""));
    }

    void syncedFiltersMirrorEachOther()
    {
        start();
        QSignalSpy projects(m_window.get(), &MainWindow::signalProjectsFilterApplied);
        auto *entries = child<QLineEdit>("editFilter");
        auto *projectsEdit = child<QLineEdit>("editFilterProjects");
        QTest::keyClicks(projectsEdit, QStringLiteral("alpha"));
        QTRY_COMPARE(projects.count(), 1);
        QCOMPARE(entries->text(), QString());

        // Switching on copies the projects text into the entries filter and applies it.
        child<QPushButton>("btnSyncFilters")->click();
        QCOMPARE(entries->text(), QStringLiteral("alpha"));
        QCOMPARE(m_unlinked->filter, QStringLiteral("alpha"));
        QCOMPARE(projects.count(), 2);

        QTest::keyClicks(entries, QStringLiteral("x"));
        QCOMPARE(projectsEdit->text(), QStringLiteral("alphax"));
        QTRY_COMPARE(m_unlinked->filter, QStringLiteral("alphax"));
        QCOMPARE(projects.last().first().toString(), QStringLiteral("alphax"));

        QTest::keyClick(projectsEdit, Qt::Key_Backspace);
        QCOMPARE(entries->text(), QStringLiteral("alpha"));
        QTest::keyClick(projectsEdit, Qt::Key_Return);
        QCOMPARE(m_unlinked->filter, QStringLiteral("alpha"));
        QCOMPARE(projects.last().first().toString(), QStringLiteral("alpha"));

        // Switched off, the fields go their own ways again.
        child<QPushButton>("btnSyncFilters")->click();
        QTest::keyClicks(entries, QStringLiteral("y"));
        QCOMPARE(projectsEdit->text(), QStringLiteral("alpha"));
    }

    void calendarMarksFollowTheData()
    {
        start();
        const QDate day(2026, 11, 3);
        QSqlQuery query;
        QVERIFY(query.exec(QStringLiteral("INSERT INTO applications (path, name) VALUES ('/usr/bin/ed', 'ed')")));
        const QString appId = query.lastInsertId().toString();
        QVERIFY(query.exec(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) VALUES "
                                          "('doc', ") +
                           appId + QStringLiteral(", '2026-11-03 10:00:00', '2026-11-03 10:05:00')")));
        const QString entryId = query.lastInsertId().toString();
        auto *calendar = child<CalendarWidget>("calendar");
        QVERIFY(!calendar->isEmphasised(day));

        // The model reports that the day's total passed zero: the marks are renewed.
        Q_EMIT m_unlinked->datesWithZeroTimeChanged();
        QVERIFY(calendar->isEmphasised(day));

        Settings::instance()->values[QStringLiteral("IgnoredApps")] = QStringList{QStringLiteral("/usr/bin/ed")};
        m_window->initCalendarDaysWithEntries();
        QVERIFY(!calendar->isEmphasised(day));

        Settings::instance()->values[QStringLiteral("IgnoredApps")] = QStringList();
        QVERIFY(query.exec(QStringLiteral("UPDATE entries SET ext_task_id = 5 WHERE id = ") + entryId));
        m_window->initCalendarDaysWithEntries();
        QVERIFY(!calendar->isEmphasised(day));
    }

    void todayButtonAndDayChanges()
    {
        start();
        auto *calendar = child<CalendarWidget>("calendar");
        auto *today = child<QPushButton>("btToday");
        const QDate yesterday = QDate::currentDate().addDays(-1);
        calendar->setSelectedDate(yesterday);
        QVERIFY(!today->isHidden());
        QCOMPARE(m_window->selectedDate(), yesterday);
        QCOMPARE(m_unlinked->day, yesterday);
        QCOMPARE(m_linked->day, yesterday);
        today->click();
        QVERIFY(today->isHidden());
        QCOMPARE(m_window->selectedDate(), QDate::currentDate());
        QCOMPARE(m_unlinked->day, QDate::currentDate());
    }

    void updateCheckFromMenuAndCleanup()
    {
        start();
        int firstCleanups = 0;
        int secondCleanups = 0;
        auto checker = std::make_unique<CountingChecker>(&firstCleanups);
        CountingChecker *counting = checker.get();
        m_window->setUpdateChecker(std::move(checker));
        child<QAction>("actionCheck_for_Updates")->trigger();
        QCOMPARE(counting->checks, 1);
        // The about box's button asks the same checker.
        QTimer::singleShot(0, this, [] {
            auto *dialog = qobject_cast<AboutDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->findChild<QPushButton *>(QStringLiteral("btnCheckForUpdates"))->click();
            dialog->reject();
        });
        child<QAction>("action_About_Tavro")->trigger();
        QCOMPARE(counting->checks, 2);
        QCOMPARE(firstCleanups, 0);
        m_window->setUpdateChecker(std::make_unique<CountingChecker>(&secondCleanups));
        QCOMPARE(firstCleanups, 1);
        m_window.reset();
        QCOMPARE(secondCleanups, 1);
    }

    void excludedApplicationsRefreshOnlyWhenChanged()
    {
        start();
        const QString path = QCoreApplication::applicationFilePath();
        // Closed without a change: nothing is reloaded.
        QTimer::singleShot(0, this, [] { QApplication::activeModalWidget()->close(); });
        child<QAction>("action_Ignored_Applications")->trigger();
        QCOMPARE(m_unlinked->reloads, 1);
        QCOMPARE(m_linked->reloads, 1);

        QTimer::singleShot(0, this, [path] {
            auto *dialog = qobject_cast<IgnoredAppsDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->setPathPrompt([path](QWidget *) { return path; });
            dialog->on_btAdd_clicked();
            dialog->reject();
        });
        child<QAction>("action_Ignored_Applications")->trigger();
        QCOMPARE(Settings::instance()->value(QStringLiteral("IgnoredApps")).toStringList(), QStringList{path});
        QCOMPARE(m_unlinked->reloads, 2);
        QCOMPARE(m_linked->reloads, 2);
    }

    void applyingRulesRunsThroughTheWindow()
    {
        start();
        // No rule: the engine says so through the window's message boxes.
        child<QPushButton>("btnApplyRules")->click();
        QCOMPARE(m_presenter->lastText(), QStringLiteral("No rules to apply"));

        QSqlQuery query;
        QVERIFY(query.exec(QStringLiteral("INSERT INTO applications (path, name) VALUES ('/usr/bin/ed', 'ed')")));
        const int appId = query.lastInsertId().toInt();
        const QString day = m_window->selectedDate().toString(QStringLiteral("yyyy-MM-dd"));
        QVERIFY(query.exec(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) "
                                          "VALUES ('notes', %1, '%2 09:00:00', '%2 09:10:00')")
                               .arg(appId)
                               .arg(day)));
        RuleFields rule;
        rule.name = QStringLiteral("ed");
        rule.appIds = {appId};
        rule.taskId = 7;
        QVERIFY(RuleStore::addRule(rule) != 0);

        // While the batch is handed over the apply commands are off and the progress bar counts the
        // batch and the two reloads.
        QList<bool> enabledDuringRun;
        QList<int> progress;
        QObject watcher;
        connect(m_window->ruleCommands()->engine(), &RuleEngine::progressChanged, &watcher, [&](int) {
            enabledDuringRun << child<QAction>("action_Apply_Rules")->isEnabled()
                             << child<QPushButton>("btnApplyRules")->isEnabled();
            progress << m_window->progressBar()->value() << m_window->progressBar()->maximum();
        });
        const int reloads = m_unlinked->reloads;
        m_presenter->clear();
        child<QAction>("action_Apply_Rules")->trigger();
        QCOMPARE(enabledDuringRun, QList<bool>(8, false));
        QCOMPARE(progress, QList<int>({0, 3, 1, 3, 2, 3, 3, 3}));
        QCOMPARE(m_unlinked->reloads, reloads + 1);
        QVERIFY(m_window->progressBar()->isHidden());
        QVERIFY(child<QAction>("action_Apply_Rules")->isEnabled());
        QVERIFY(child<QPushButton>("btnApplyRules")->isEnabled());
    }

    void timestampsListTheSelectedDay()
    {
        start();
        QTimer::singleShot(0, this, [] {
            auto *dialog = qobject_cast<TimestampsDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->day, QDate::currentDate());
            QVERIFY(dialog->appPath.isEmpty() && dialog->title.isEmpty());
            dialog->reject();
        });
        child<QAction>("action_Timestamps")->trigger();
    }

    void startUpSignsInAndFillsTheProjects()
    {
        DevServer server;
        QVERIFY(server.listen());
        start({{QStringLiteral("API/Url"), server.url().toString()},
               {QStringLiteral("API/Username"), QStringLiteral("demo@tavro.test")},
               {QStringLiteral("API/Password"), SettingsFile::encodePassword(QStringLiteral("demo"))}});
        QCOMPARE(m_window->loginIndicator()->text(),
                 QStringLiteral("Signed in as Demo User <img src=':/icons/res/online.png'>"));
        QVERIFY(!child<QAction>("actionLogin")->isEnabled());
        QVERIFY(child<QAction>("actionLogout")->isEnabled());
        auto *projects = child<ProjectsTree>("projects");
        const auto shown = [projects](const QString &name) {
            return !projects->findItems(name, Qt::MatchExactly | Qt::MatchRecursive).isEmpty();
        };
        QVERIFY(shown(QStringLiteral("Acme Corporation")));
        QVERIFY(shown(QStringLiteral("Website Relaunch")));

        // The projects filter narrows the tree down to the matching projects.
        QTest::keyClicks(child<QLineEdit>("editFilterProjects"), QStringLiteral("Speisekarte"));
        QTest::keyClick(child<QLineEdit>("editFilterProjects"), Qt::Key_Return);
        QVERIFY(shown(QStringLiteral("Speisekarte 2027")));
        QVERIFY(!shown(QStringLiteral("Website Relaunch")));

        child<QAction>("actionLogout")->trigger();
        QCOMPARE(projects->topLevelItemCount(), 0);
        QVERIFY(child<QAction>("actionLogin")->isEnabled());
        QCOMPARE(m_window->loginIndicator()->text(), Session::signedOutText());
        QVERIFY(m_presenter->boxes().isEmpty());
    }

    void linkingGoesThroughTheService()
    {
        DevServer server;
        QVERIFY(server.listen());
        start({{QStringLiteral("API/Url"), server.url().toString()},
               {QStringLiteral("API/Username"), QStringLiteral("demo@tavro.test")},
               {QStringLiteral("API/Password"), SettingsFile::encodePassword(QStringLiteral("demo"))},
               {QStringLiteral("Application/Started"), false}},
              true, false);
        int taskId = 0;
        QTreeWidgetItem *taskItem = nullptr;
        const auto items =
            child<ProjectsTree>("projects")->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive);
        for (QTreeWidgetItem *item : items) {
            if (item->data(0, ProjectsTree::TypeRole).toString() == QStringLiteral("task")) {
                taskId = item->data(0, ProjectsTree::IdRole).toInt();
                taskItem = item;
                break;
            }
        }
        QVERIFY(taskId > 0);
        // New rules start from the task selected in the projects tree.
        taskItem->setSelected(true);
        QCOMPARE(m_window->selectedTaskId(), taskId);
        QCOMPARE(m_window->selectedProjectId(), 0);

        QSqlQuery query;
        const QString day = m_window->selectedDate().toString(QStringLiteral("yyyy-MM-dd"));
        QList<int> appIds;
        for (const QString &app : {QStringLiteral("ed"), QStringLiteral("mutt")}) {
            query.prepare(QStringLiteral("INSERT INTO applications (path, name) VALUES (:path, :name)"));
            query.bindValue(QStringLiteral(":path"), QStringLiteral("/usr/bin/") + app);
            query.bindValue(QStringLiteral(":name"), app);
            QVERIFY(query.exec());
            appIds << query.lastInsertId().toInt();
            QVERIFY(query.exec(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) "
                                              "VALUES ('%1 work', %2, '%3 09:00:00', '%3 09:10:00')")
                                   .arg(app)
                                   .arg(appIds.last())
                                   .arg(day)));
        }
        m_window->unlinkedModel()->reload();
        QCOMPARE(m_window->unlinkedModel()->totalTime(), 1200);
        const auto linkedTask = [&query](const QString &title) {
            query.prepare(QStringLiteral("SELECT ext_task_id FROM entries WHERE title = :title"));
            query.bindValue(QStringLiteral(":title"), title);
            return query.exec() && query.next() ? query.value(0).toInt() : -1;
        };

        // The link dialog's choice goes to the service and moves the application's time to the linked view.
        auto *appList = child<TimeTree>("appList");
        appList->setLinkDialog([taskId](QWidget *, const QString &, qint64) {
            return TimeTree::LinkChoice{true, taskId, QStringLiteral("notes")};
        });
        const QModelIndexList ed = appList->model()->match(appList->model()->index(0, 0), Qt::DisplayRole,
                                                           QStringLiteral("ed"), 1, Qt::MatchExactly);
        QCOMPARE(ed.size(), 1);
        appList->selectionModel()->select(ed.first(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QCOMPARE(m_window->selectedAppIds(), QList<int>{appIds.first()});
        appList->linkAction()->trigger();
        QCOMPARE(linkedTask(QStringLiteral("ed work")), taskId);
        QCOMPARE(m_window->unlinkedModel()->totalTime(), 600);
        QCOMPARE(m_window->linkedModel()->totalTime(), 600);

        // A rule links the other application's entry through the same operation.
        RuleFields rule;
        rule.name = QStringLiteral("mutt");
        rule.appIds = {appIds.last()};
        rule.taskId = taskId;
        QVERIFY(RuleStore::addRule(rule) != 0);
        child<QPushButton>("btnApplyRules")->click();
        QCOMPARE(linkedTask(QStringLiteral("mutt work")), taskId);
        QCOMPARE(m_window->unlinkedModel()->totalTime(), 0);
        QCOMPARE(m_window->linkedModel()->totalTime(), 1200);
        int booked = 0;
        for (const DevServerRequest &request : server.requests()) {
            booked += request.method == QStringLiteral("tavro.entries.addBulk") ? 1 : 0;
        }
        QCOMPARE(booked, 2);
        QVERIFY(m_presenter->boxes().isEmpty());
    }

private:
    std::unique_ptr<RecordingPresenter> m_presenter;
    std::unique_ptr<MainWindow> m_window;
    FakeDayModel *m_unlinked = nullptr;
    FakeDayModel *m_linked = nullptr;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
