#include "buildinfo.h"
#include "calendarwidget.h"
#include "clickablelabel.h"
#include "devserver.h"
#include "entrieslist.h"
#include "entrydaymodel.h"
#include "mainwindow.h"
#include "projectscatalogue.h"
#include "projectstree.h"
#include "recorder.h"
#include "recordingpresenter.h"
#include "ruleengine.h"
#include "rulestore.h"
#include "session.h"
#include "settings.h"
#include "settingsfile.h"
#include "statusnotices.h"
#include "storedentries.h"
#include "tavroapp.h"
#include "timelinelayout.h"
#include "timelinestrip.h"
#include "timetree.h"
#include "trayanimation.h"
#include "treemodel.h"
#include "treemodeladapter.h"
#include "weekchart.h"
#include "weekview.h"
#include "widgetmessagepresenter.h"
#include "windowiconloader.h"
#include "windowinfo.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>

namespace {
// Stands in for the entry tree model and remembers what the window asked of it.
class FakeDayModel : public EntryDayModel
{
public:
    QAbstractItemModel *itemModel() override { return &model; }
    void setDay(const QDate &) override {}
    void setHideUnder(int seconds) override { hideUnder = seconds; }
    void setFilterText(const QString &text) override { filter = text; }
    void setGroupByHour(bool) override {}
    void reload() override { ++reloads; }
    void release() override {}
    void addEntry(const QDateTime &, qint64) override {}
    qint64 totalTime() const override { return 100; }
    qint64 nodeTime(const QModelIndex &) const override { return 50; }
    QString nodeType(const QModelIndex &) const override { return QStringLiteral("app"); }

    QStandardItemModel model{0, 4};
    int hideUnder = -1;
    QString filter;
    int reloads = 0;
};

void writeIni(const QMap<QString, QVariant> &values)
{
    QVERIFY(SettingsFile::ensureFolders());
    QFile::remove(SettingsFile::iniPath());
    QSettings ini(SettingsFile::iniPath(), QSettings::IniFormat);
    // Nothing listens there: the start-up goes offline at once without leaving the machine.
    ini.setValue(QStringLiteral("API/Url"), QStringLiteral("http://127.0.0.1:1/service/"));
    ini.setValue(QStringLiteral("API/SslEnabled"), false);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        ini.setValue(it.key(), it.value());
    }
}

QMap<QString, QVariant> signedIn(DevServer &server)
{
    return {{QStringLiteral("API/Url"), server.url().toString()},
            {QStringLiteral("API/Username"), QStringLiteral("demo@tavro.test")},
            {QStringLiteral("API/Password"), SettingsFile::encodePassword(QStringLiteral("demo"))}};
}

QVariant iniValue(const QString &key)
{
    return QSettings(SettingsFile::iniPath(), QSettings::IniFormat).value(key);
}

// Whether `icon` draws the picture of the resource at `path`.
bool shows(const QIcon &icon, const QString &path)
{
    const QImage expected = QImage(path).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return icon.pixmap(expected.size()).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied) == expected;
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

    // Adds ten minutes of ed on `day` (the shown day when empty) and returns ed's application id.
    int addEdEntry(QDate day = {})
    {
        QSqlQuery query;
        query.exec(QStringLiteral("INSERT INTO applications (path, name) VALUES ('/usr/bin/ed', 'ed')"));
        const int appId = query.lastInsertId().toInt();
        const bool ok = query.exec(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) "
                                                  "VALUES ('notes', %1, '%2 09:00:00', '%2 09:10:00')")
                                       .arg(appId)
                                       .arg((day.isValid() ? day : m_window->selectedDate()).toString(Qt::ISODate)));
        return ok ? appId : 0;
    }

    // `shown` false: started in the tray.
    void start(const QMap<QString, QVariant> &ini = {}, bool trayAvailable = true, bool fakeModels = true,
               bool shown = true)
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
        m_window->setVisible(shown);
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
        // Every case starts from an empty database.
        QFile::remove(SettingsFile::databasePath());
    }

    void cleanup()
    {
        m_window.reset();
        m_presenter.reset();
        Settings::instance()->restoreDefaults();
        ProjectsCatalogue::shared().clear();
    }

    void closeAndMinimise_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<bool>("trayAvailable");
        QTest::addColumn<bool>("toTray");
        const QString close = QStringLiteral("Application/CloseToTray");
        QTest::newRow("close to tray") << close << true << true;
        QTest::newRow("minimise to tray") << QStringLiteral("Application/MinimizeToTray") << true << true;
    }

    void closeAndMinimise()
    {
        QFETCH(QString, option);
        QFETCH(bool, trayAvailable);
        QFETCH(bool, toTray);
        const bool closing = option == QStringLiteral("Application/CloseToTray");
        start({{option, true}, {QStringLiteral("Application/HideUnder"), 30}}, trayAvailable);
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
            return;
        }
        QTRY_VERIFY(m_window->isHidden());
        m_window->trayMenu()->actions().at(5)->trigger();
        QVERIFY(m_window->isVisible());
        QVERIFY(!m_window->isMinimized());
        // The tray's exit really ends the program.
        QCOMPARE(quitsAfter([this] { m_window->trayMenu()->actions().last()->trigger(); }), 0);
    }

    // Without a notification area closing the window keeps TavroDesk recording, and the user hears
    // once how the window comes back; with "close to tray" off, closing quits as asked.
    void closingWithoutTrayKeepsRecording()
    {
        start({}, false);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QVERIFY(m_window->isRecording());
        QCOMPARE(quitsAfter([this] { QVERIFY(!m_window->close()); }), 7);
        QVERIFY(m_window->isHidden());
        QVERIFY(m_window->isRecording());
        QCOMPARE(m_presenter->boxes().size(), 1);
        QCOMPARE(m_presenter->lastText(), MainWindow::noTrayCloseText());
        QVERIFY(iniValue(QStringLiteral("Application/NoTrayCloseExplained")).toBool());

        m_window->show();
        QCOMPARE(quitsAfter([this] { QVERIFY(!m_window->close()); }), 7);
        QCOMPARE(m_presenter->boxes().size(), 1);
        m_window.reset();
        Settings::instance()->restoreDefaults();
        ProjectsCatalogue::shared().clear();

        // The next start has not forgotten that the user was told.
        start({{QStringLiteral("Application/CloseToTray"), false},
               {QStringLiteral("Application/NoTrayCloseExplained"), true}},
              false);
        m_window->show();
        QCOMPARE(quitsAfter([this] { QVERIFY(m_window->close()); }), 0);
        QCOMPARE(m_presenter->boxes().size(), 1);
    }

    // A logout while a question waits: the box goes, its question counts as declined, and no later
    // box waits for an answer either.
    void sessionEndClosesTheWaitingBox()
    {
        WidgetMessagePresenter boxes;
        MessageBox::setPresenter(&boxes);
        auto restore = qScopeGuard([this] { MessageBox::setPresenter(m_presenter.get()); });
        QTimer::singleShot(200, qApp, [&boxes] {
            QVERIFY(QApplication::activeModalWidget());
            boxes.silence();
            TavroApp::closeModalDialogs();
        });
        const auto ask = [] {
            return MessageBox::question(nullptr, QStringLiteral("GNOME Shell extension"), QStringLiteral("Install?"),
                                        MessageBox::Buttons(MessageBox::Yes) | MessageBox::No, MessageBox::Yes);
        };
        QCOMPARE(ask(), MessageBox::No);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(ask(), MessageBox::No);
    }

    // The away notice's "Describe..." opens the description of the away time it told about, with the
    // window hidden or not; what the user types becomes the entry's title.
    void awayNoticeOpensItsDescription()
    {
        start({}, false, true, false);
        const QString day = m_window->selectedDate().toString(Qt::ISODate);
        QSqlQuery query;
        QVERIFY(query.exec(QStringLiteral("INSERT INTO applications (path, name) VALUES ('tavro://idle', 'Away')")));
        const qint64 appId = query.lastInsertId().toLongLong();
        QVERIFY(query.exec(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) VALUES "
                                          "('at 10:00:00', %1, '%2 10:00:00', '%2 10:05:00')")
                               .arg(appId)
                               .arg(day)));
        const qint64 entryId = query.lastInsertId().toLongLong();
        const QDateTime start = QDateTime::fromString(day + QStringLiteral("T10:00:00"), Qt::ISODate);
        Q_EMIT m_window->recorder()->entryStored(start, start.addSecs(300), idleWindowInfo(), appId, entryId);

        bool shown = false;
        QTimer::singleShot(0, qApp, [&shown] {
            QTRY_VERIFY(qobject_cast<QDialog *>(QApplication::activeModalWidget()));
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("editDescription"));
            shown = edit->text() == QStringLiteral("at 10:00:00");
            // The user types once the dialog has the focus.
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            edit->setText(QStringLiteral("Lunch with the team"));
            dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        });
        Q_EMIT m_window->findChild<StatusNotices *>()->awayDescriptionRequested();
        QVERIFY(shown);
        QVERIFY(m_window->isVisible());
        QVERIFY(query.exec(QStringLiteral("SELECT title FROM entries WHERE id = %1").arg(entryId)) && query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("Lunch with the team"));
    }

    // The tray icon opens the window on the click the settings name; the other click does nothing.
    void trayClickOpensTheWindow_data()
    {
        QTest::addColumn<bool>("singleClick");
        QTest::newRow("single click") << true;
        QTest::newRow("double click") << false;
    }

    void trayClickOpensTheWindow()
    {
        QFETCH(bool, singleClick);
        start({{QStringLiteral("Application/SingleClickTrayOpen"), singleClick}}, true, true, false);
        Q_EMIT m_window->trayIcon()->activated(singleClick ? QSystemTrayIcon::DoubleClick : QSystemTrayIcon::Trigger);
        QVERIFY(m_window->isHidden());
        Q_EMIT m_window->trayIcon()->activated(singleClick ? QSystemTrayIcon::Trigger : QSystemTrayIcon::DoubleClick);
        QVERIFY(m_window->isVisible());
    }

    // While recording, the tray icon goes on through the frames with the recorder's ticks; paused, it
    // stands still.
    void trayIconAnimatesWhileRecording()
    {
        start({}, true, true, false);
        QVERIFY(m_window->isRecording());
        QVERIFY(shows(m_window->trayIcon()->icon(), TrayAnimation::framePath(0)));
        // The fifth frame comes after the second tick.
        QTRY_VERIFY_WITH_TIMEOUT(shows(m_window->trayIcon()->icon(), TrayAnimation::framePath(4)), 5000);
        m_window->trayMenu()->actions().at(1)->trigger();
        QVERIFY(!m_window->isRecording());
        QVERIFY(shows(m_window->trayIcon()->icon(), TrayAnimation::idleIconPath()));
    }

    // The program's icon is drawn, not scaled up, at the sizes desktops ask for.
    void applicationIconIsSharpAtEverySize()
    {
        const QIcon icon = TavroApp::applicationIcon();
        for (const int side : {16, 48, 256, 512}) {
            const QImage image = icon.pixmap(side, side).toImage();
            QCOMPARE(image.size(), QSize(side, side));
            QVERIFY(qAlpha(image.pixel(side / 2, side / 2)) > 0);
        }
    }

    // A start in the tray loads no icon until a window the window manager shows is about to appear; that
    // window then carries the program's icon. A menu popping up from the tray is no such window.
    void applicationIconComesWithTheFirstWindow()
    {
        QApplication::setWindowIcon(QIcon());
        WindowIconLoader loader;
        QMenu menu;
        menu.addAction(QStringLiteral("Start Recording"));
        menu.popup(QPoint(10, 10));
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        menu.hide();
        QVERIFY(QApplication::windowIcon().isNull());

        QDialog dialog;
        dialog.show();
        QVERIFY(!dialog.windowIcon().isNull());
        QCOMPARE(dialog.windowIcon().pixmap(32, 32).toImage(), TavroApp::applicationIcon().pixmap(32, 32).toImage());
        dialog.hide();
    }

    void statusTipsDoNotReplaceTheMessage()
    {
        start();
        m_window->show();
        m_window->statusBar()->showMessage(QStringLiteral("Ready"));
        QStatusTipEvent tip(QStringLiteral("Log In"));
        QCoreApplication::sendEvent(m_window.get(), &tip);
        QCOMPARE(m_window->statusBar()->currentMessage(), QStringLiteral("Ready"));
    }

    // A database that cannot take changes is reported where it stays in sight: the status bar and
    // the tray's tool tip; once it can be written again the warning goes.
    void unwritableStorageIsReported()
    {
        start();
        m_window->show();
        QVERIFY(m_window->storageWarning()->isHidden());
        QSqlQuery query;
        QVERIFY(query.exec(QStringLiteral("PRAGMA query_only = ON")));
        m_window->checkStorage();
        QVERIFY(query.exec(QStringLiteral("PRAGMA query_only = OFF")));
        QVERIFY(m_window->storageWarning()->isVisible());
        QVERIFY(m_window->storageWarning()->toolTip().contains(QStringLiteral("database")));
        QVERIFY(m_window->trayIcon()->toolTip().contains(QStringLiteral("cannot be written")));
        m_window->checkStorage();
        QVERIFY(m_window->storageWarning()->isHidden());
    }

    void viewOptionsReload()
    {
        start();
        auto *combo = child<QComboBox>("cbHideUnder");
        combo->setCurrentIndex(4);
        Q_EMIT combo->activated(4);
        QCOMPARE(Settings::instance()->value(Setting::HideUnder), 300);
        for (FakeDayModel *model : {m_unlinked, m_linked}) {
            QCOMPARE(model->hideUnder, 300);
            QCOMPARE(model->reloads, 2);
        }
    }

    void filterAppliesAfterTheDelayOrOnEnter()
    {
        start();
        auto *edit = child<QLineEdit>("editFilter");
        QTest::keyClicks(edit, QStringLiteral("mail"));
        QVERIFY(m_unlinked->filter.isEmpty());
        QTRY_COMPARE(m_unlinked->filter, QStringLiteral("mail"));
        QVERIFY(m_linked->filter.isEmpty());
        edit->clear();
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
    }

    void entryViewsSortAndKeepTheirLayout()
    {
        start({{QStringLiteral("Application/Started"), false}}, true, false);
        const QDate today = m_window->selectedDate();
        QVERIFY(addEdEntry() > 0);
        QSqlQuery query;
        QVERIFY(
            query.exec(QStringLiteral("INSERT INTO applications (path, name) VALUES ('/opt/tavro-test/vi', 'vi')")));
        const int vi = query.lastInsertId().toInt();
        for (const QDate &day : {today, today.addDays(-1)}) {
            QVERIFY(query.exec(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) "
                                              "VALUES ('plan', %1, '%2 10:00:00', '%2 11:00:00')")
                                   .arg(vi)
                                   .arg(day.toString(Qt::ISODate))));
        }
        auto *appList = child<TimeTree>("appList");
        // The initial order applies when a model is attached: the longest time first.
        auto *unlinkedModel = new TreeModelAdapter(false, appList);
        auto *linkedModel = new TreeModelAdapter(true, child<EntriesList>("linkedEntries"));
        for (TreeModelAdapter *adapter : {unlinkedModel, linkedModel}) {
            adapter->treeModel()->setEntryReader(&m_entries);
        }
        m_window->setEntryModels(unlinkedModel, linkedModel);
        QAbstractItemModel *model = appList->model();
        const auto topNames = [model] {
            QStringList names;
            for (int row = 0; row < model->rowCount(); ++row) {
                names << model->index(row, 0).data().toString();
            }
            return names;
        };
        QCOMPARE(topNames(), (QStringList{QStringLiteral("vi"), QStringLiteral("ed")}));
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("1 h 0 m 0 s"));

        m_window->resize(1112, 532);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QVERIFY(appList->columnWidth(1) > appList->fontMetrics().horizontalAdvance(QStringLiteral("1 h 0 m 0 s")));

        // A click on the name header sorts by name, and the order survives another day's rebuild.
        QHeaderView *header = appList->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(0) + 10, header->height() / 2));
        QCOMPARE(topNames(), (QStringList{QStringLiteral("ed"), QStringLiteral("vi")}));
        auto *calendar = child<CalendarWidget>("calendar");
        auto *panel = child<QWidget>("widgetFilterRBox");
        const int panelWidth = panel->sizeHint().width();
        calendar->setSelectedDate(today.addDays(-1));
        QCOMPARE(topNames(), QStringList{QStringLiteral("vi")});
        QVERIFY(child<QPushButton>("btToday")->isVisible());
        // "Show Today" appearing does not widen the panel.
        QCOMPARE(panel->sizeHint().width(), panelWidth);
        child<QPushButton>("btToday")->click();
        QCOMPARE(topNames(), (QStringList{QStringLiteral("ed"), QStringLiteral("vi")}));

        // Filtering from the synced projects side keeps the entry nodes the user had open.
        appList->collapseAll();
        appList->expand(model->index(0, 0));
        child<QPushButton>("btnSyncFilters")->setChecked(true);
        QTest::keyClick(child<QLineEdit>("editFilterProjects"), Qt::Key_Return);
        QVERIFY(appList->isExpanded(model->index(0, 0)));
        QVERIFY(!appList->isExpanded(model->index(1, 0)));

        // Maximising gives the linked pane its share of the new room.
        auto *linked = child<EntriesList>("linkedEntries");
        const double share = double(linked->height()) / m_window->height();
        m_window->resize(1280, 800);
        QTRY_VERIFY(linked->height() >= int(share * 800) - 20);
    }

    void calendarMarksFollowTheData()
    {
        start();
        const QDate day(2026, 11, 3);
        QVERIFY(addEdEntry(day) > 0);
        auto *calendar = child<CalendarWidget>("calendar");
        QVERIFY(!calendar->isEmphasised(day));

        // The model reports that the day's total passed zero: the marks are renewed.
        Q_EMIT m_unlinked->datesWithZeroTimeChanged();
        QVERIFY(calendar->isEmphasised(day));

        Settings::instance()->setValue(Setting::IgnoredApps, QStringList{QStringLiteral("/usr/bin/ed")});
        m_window->initCalendarDaysWithEntries();
        QVERIFY(!calendar->isEmphasised(day));

        Settings::instance()->setValue(Setting::IgnoredApps, QStringList());
        QVERIFY(QSqlQuery().exec(QStringLiteral("UPDATE entries SET ext_task_id = 5")));
        m_window->initCalendarDaysWithEntries();
        QVERIFY(!calendar->isEmphasised(day));
    }

    void weekViewOpensTheClickedDay()
    {
        start();
        const QDate tuesday(2026, 11, 3);
        QVERIFY(addEdEntry(tuesday) > 0);
        m_window->showDate(tuesday.addDays(2));
        QVERIFY(child<QMenu>("menuView")->actions().contains(child<QAction>("actionWeek")));

        QTest::mouseClick(child<QPushButton>("btnWeek"), Qt::LeftButton);
        auto *week = child<WeekView>("weekView");
        QVERIFY(QTest::qWaitForWindowExposed(week));
        QCOMPARE(week->weekStart(), QDate(2026, 11, 2));
        QCOMPARE(week->chart()->days().at(1).toBook, 600);

        QTest::mouseClick(week->chart(), Qt::LeftButton, {}, week->chart()->rowRect(tuesday).center());
        QCOMPARE(m_window->selectedDate(), tuesday);
        QCOMPARE(child<QLabel>("headerBar")->text(), QLocale::system().toString(tuesday, QLocale::LongFormat));

        // Linking the day's time elsewhere shows in the open week once the views report it.
        QVERIFY(QSqlQuery().exec(QStringLiteral("UPDATE entries SET ext_task_id = 5")));
        Q_EMIT m_unlinked->datesWithZeroTimeChanged();
        QCOMPARE(week->chart()->days().at(1).toBook, 600);
        QCOMPARE(week->chart()->days().at(1).linked, 600);
    }

    void applyingRulesRunsThroughTheWindow()
    {
        start();
        // No rule: the engine says so through the window's message boxes.
        child<QPushButton>("btnApplyRules")->click();
        QCOMPARE(m_presenter->lastText(), QStringLiteral("No rules to apply"));

        const int appId = addEdEntry();
        QVERIFY(appId > 0);
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
        QTRY_VERIFY(!m_window->ruleCommands()->engine()->isRunning());
        QCOMPARE(enabledDuringRun, QList<bool>(8, false));
        QCOMPARE(progress, QList<int>({0, 3, 1, 3, 2, 3, 3, 3}));
        QCOMPARE(m_unlinked->reloads, reloads + 1);
        QVERIFY(m_window->progressBar()->isHidden());
        QVERIFY(child<QAction>("action_Apply_Rules")->isEnabled());
        QVERIFY(child<QPushButton>("btnApplyRules")->isEnabled());
    }

    void startUpSignsInAndFillsTheProjects()
    {
        DevServer server;
        QVERIFY(server.listen());
        start(signedIn(server));
        QCOMPARE(m_window->loginIndicator()->text(),
                 QStringLiteral("Signed in as Demo User <img src=':/icons/res/online.png'>"));
        QVERIFY(!child<QAction>("actionLogin")->isEnabled());
        QVERIFY(child<QAction>("actionLogout")->isEnabled());
        auto *projects = child<ProjectsTree>("projects");
        const auto shown = [projects](const QString &name) {
            const QAbstractItemModel *rows = projects->model();
            return !rows->match(rows->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly | Qt::MatchRecursive)
                        .isEmpty();
        };
        QVERIFY(shown(QStringLiteral("Acme Corporation")));
        QVERIFY(shown(QStringLiteral("Website Relaunch")));

        child<QAction>("actionLogout")->trigger();
        QCOMPARE(projects->model()->rowCount(), 0);
        QVERIFY(child<QAction>("actionLogin")->isEnabled());
        QCOMPARE(m_window->loginIndicator()->text(), Session::signedOutText());
        QVERIFY(m_presenter->boxes().isEmpty());
        // Signing out forgets the stored password and token (no keyring here: they were in the ini).
        QVERIFY(!iniValue(QStringLiteral("API/Password")).isValid());
        QVERIFY(!iniValue(QStringLiteral("API/AuthToken")).isValid());
        QCOMPARE(Settings::instance()->value(Setting::Password), QString());
    }

    // While the session asks the service, neither "Log In..." nor "Log Out" is offered: a second sign-in
    // cannot start beside the first.
    void signInOrOutOfferedOnlyBetweenCalls()
    {
        DevServer server;
        QVERIFY(server.listen());
        server.setDelay(300, QStringLiteral("tavro.auth.login"));
        writeIni(signedIn(server));
        m_window = std::make_unique<MainWindow>();
        m_window->session()->setRetryInterval(0);
        QList<bool> offeredWhileBusy;
        QObject watcher;
        connect(m_window->session(), &Session::busyChanged, &watcher, [&](bool busy) {
            if (busy) {
                offeredWhileBusy << child<QAction>("actionLogin")->isEnabled()
                                 << child<QAction>("actionLogout")->isEnabled();
            }
        });
        QTRY_VERIFY(m_window->isInitialised());
        QCOMPARE(offeredWhileBusy, (QList<bool>{false, false}));
        QVERIFY(m_window->session()->isLoggedIn());
        QVERIFY(!child<QAction>("actionLogin")->isEnabled());
        QVERIFY(child<QAction>("actionLogout")->isEnabled());
    }

    void settingsTurnStartAtLoginOnAndOff()
    {
        start();
        const QString entry = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                              QStringLiteral("/autostart/") + BuildInfo::appId() + QStringLiteral(".desktop");
        QFile::remove(entry);
        bool noteShown = false;
        const auto tick = [&noteShown] {
            QTimer::singleShot(0, qApp, [&noteShown] {
                auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                noteShown = dialog->findChild<QLabel *>(QStringLiteral("labelKeyringNote"))->isVisible();
                dialog->findChild<QCheckBox *>(QStringLiteral("checkStartAtLogin"))->click();
                dialog->accept();
            });
        };
        tick();
        child<QAction>("action_Settings")->trigger();
        // No keyring in this test: the dialog says where the password is kept.
        QVERIFY(noteShown);
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(
            file.readAll().contains("\nExec=" + QCoreApplication::applicationFilePath().toUtf8() + " --autostart\n"));
        file.close();
        tick();
        child<QAction>("action_Settings")->trigger();
        QVERIFY(!QFile::exists(entry));
    }

    // What the user asks of the unlinked view goes through the product's commands to the store; the trees,
    // their totals, the timeline and the calendar's marks follow what it then holds, also when it refuses.
    void entryRequestsReachTheStoreAndEveryView_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<int>("total");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<QString>("lastBox");
        const QStringList recorded{QStringLiteral("notes"), QStringLiteral("at 10:00:00")};
        QTest::newRow("delete") << QStringLiteral("delete") << recorded << QString() << QStringList() << 0 << false
                                << QStringLiteral("Confirm delete");
        QTest::newRow("delete refused") << QStringLiteral("delete") << QStringList{QStringLiteral("notes")}
                                        << QStringLiteral("DELETE") << recorded << 900 << true
                                        << QStringLiteral("Database error");
        QTest::newRow("describe away time")
            << QStringLiteral("describe") << QStringList{QStringLiteral("at 10:00:00")} << QString()
            << QStringList{QStringLiteral("notes"), QStringLiteral("Lunch")} << 900 << true << QString();
        QTest::newRow("describe refused")
            << QStringLiteral("describe") << QStringList{QStringLiteral("at 10:00:00")} << QStringLiteral("UPDATE")
            << recorded << 900 << true << QStringLiteral("Database error");
        QTest::newRow("never record") << QStringLiteral("never record") << QStringList{QStringLiteral("notes")}
                                      << QString() << QStringList{QStringLiteral("Private"), recorded.at(1)} << 900
                                      << true << QStringLiteral("Never Record This Application");
    }

    void entryRequestsReachTheStoreAndEveryView()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, selected);
        QFETCH(QString, refused);
        QFETCH(QStringList, titles);
        QFETCH(int, total);
        QFETCH(bool, marked);
        QFETCH(QString, lastBox);
        start({}, false, false);
        const QDate day = m_window->selectedDate();
        QVERIFY(addEdEntry() > 0);
        QSqlQuery query;
        QVERIFY(query.exec(QStringLiteral("INSERT INTO applications (path, name) VALUES ('tavro://idle', 'Away')")));
        QVERIFY(query.exec(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) VALUES "
                                          "('at 10:00:00', %1, '%2 10:00:00', '%2 10:05:00')")
                               .arg(query.lastInsertId().toLongLong())
                               .arg(day.toString(Qt::ISODate))));
        m_window->unlinkedModel()->reload();
        m_window->initCalendarDaysWithEntries();
        auto *calendar = child<CalendarWidget>("calendar");
        QVERIFY(calendar->isEmphasised(day));
        const auto shownTitles = [this] {
            QStringList shown;
            const TimelineLayout &layout = m_window->timelineStrip()->layout();
            for (int index = 0; index < layout.count(); ++index) {
                shown << layout.entry(index).title;
            }
            return shown;
        };
        QTRY_COMPARE(shownTitles(), (QStringList{QStringLiteral("notes"), QStringLiteral("at 10:00:00")}));
        if (!refused.isEmpty()) {
            QVERIFY(query.exec(
                QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON entries BEGIN SELECT RAISE(ABORT, 'no'); END")
                    .arg(refused)));
        }

        auto *appList = child<TimeTree>("appList");
        QAbstractItemModel *tree = appList->model();
        const auto findNode = [tree](const QString &name) {
            const QModelIndexList found =
                tree->match(tree->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly | Qt::MatchRecursive);
            return found.isEmpty() ? QModelIndex() : found.first();
        };
        appList->expandAll();
        appList->selectionModel()->clearSelection();
        for (const QString &name : selected) {
            QVERIFY2(findNode(name).isValid(), qPrintable(name));
            appList->selectionModel()->select(findNode(name), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        if (action == QLatin1String("describe")) {
            QTimer::singleShot(0, this, [] {
                auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                dialog->findChild<QListWidget *>(QStringLiteral("listPresets"))->setCurrentRow(2);
                dialog->accept();
            });
            appList->editDescriptionAction()->trigger();
        } else {
            m_presenter->answerNext(MessageBox::Yes);
            (action == QLatin1String("delete") ? appList->deleteAction() : appList->neverRecordAction())->trigger();
        }

        QStringList stored;
        QVERIFY(query.exec(QStringLiteral("SELECT title FROM entries ORDER BY start_time")));
        while (query.next()) {
            stored << query.value(0).toString();
        }
        QCOMPARE(stored, titles);
        QTRY_COMPARE(shownTitles(), titles);
        QCOMPARE(m_window->unlinkedModel()->totalTime(), total);
        for (const QString &title : titles) {
            QVERIFY2(findNode(title).isValid(), qPrintable(title));
        }
        QCOMPARE(calendar->isEmphasised(day), marked);
        QCOMPARE(m_presenter->lastTitle(), lastBox);
    }

    void linkingGoesThroughTheService()
    {
        DevServer server;
        QVERIFY(server.listen());
        QMap<QString, QVariant> ini = signedIn(server);
        ini.insert(QStringLiteral("Application/Started"), false);
        start(ini, true, false);
        const QAbstractItemModel *projects = child<ProjectsTree>("projects")->model();
        const QModelIndexList tasks = projects->match(projects->index(0, 0), ProjectsTreeModel::TypeRole,
                                                      QStringLiteral("task"), 1, Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(tasks.size(), 1);
        const int taskId = tasks.first().data(ProjectsTreeModel::IdRole).toInt();
        QVERIFY(taskId > 0);

        const int appId = addEdEntry();
        QVERIFY(appId > 0);
        m_window->unlinkedModel()->reload();
        QCOMPARE(m_window->unlinkedModel()->totalTime(), 600);

        // The link dialog's choice goes to the service and moves the application's time to the linked view.
        auto *appList = child<TimeTree>("appList");
        appList->setLinkDialog([taskId](QWidget *, const QString &, qint64) {
            return TimeTree::LinkChoice{true, taskId, QStringLiteral("notes")};
        });
        appList->selectionModel()->select(appList->model()->index(0, 0),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QCOMPARE(m_window->selectedAppIds(), QList<int>{appId});
        // While the service takes its time the window says that it waits.
        server.setDelay(400, QStringLiteral("tavro.entries.addBulk"));
        QString waitingNote;
        bool waitingBar = false;
        QTimer::singleShot(150, this, [&] {
            waitingNote = m_window->statusBar()->currentMessage();
            waitingBar = !m_window->progressBar()->isHidden();
        });
        appList->linkAction()->trigger();
        QTRY_COMPARE(m_window->statusBar()->currentMessage(),
                     QStringLiteral("The entries are linked and booked on Tavro."));
        QCOMPARE(waitingNote, QStringLiteral("Linking with Tavro..."));
        QVERIFY(waitingBar);
        QVERIFY(m_window->progressBar()->isHidden());
        QSqlQuery query(QStringLiteral("SELECT ext_task_id FROM entries"));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), taskId);
        QCOMPARE(m_window->unlinkedModel()->totalTime(), 0);
        QCOMPARE(m_window->linkedModel()->totalTime(), 600);
        int booked = 0;
        for (const DevServerRequest &request : server.requests()) {
            booked += request.method == QStringLiteral("tavro.entries.addBulk") ? 1 : 0;
        }
        QCOMPARE(booked, 1);
        QVERIFY(m_presenter->boxes().isEmpty());

        // The service books the next one but its answer is lost: the status bar says what the linked view
        // shows (linked, unconfirmed), not that nothing was linked.
        QVERIFY(QSqlQuery().exec(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) "
                                                "VALUES ('notes', %1, '%2 10:00:00', '%2 10:05:00')")
                                     .arg(appId)
                                     .arg(m_window->selectedDate().toString(Qt::ISODate))));
        m_window->unlinkedModel()->reload();
        QCOMPARE(m_window->unlinkedModel()->totalTime(), 300);
        server.setDelay(0);
        server.setFault(QStringLiteral("tavro.entries.addBulk"), DevServer::Fault::CloseAfterRun);
        appList->selectionModel()->select(appList->model()->index(0, 0),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        appList->linkAction()->trigger();
        QTRY_COMPARE(m_window->statusBar()->currentMessage(),
                     QStringLiteral("The entries are linked, but their booking on Tavro is unconfirmed."));
        QStringList titles;
        for (const auto &box : m_presenter->boxes()) {
            titles << box.title + QLatin1Char('|') + box.text;
        }
        QVERIFY2(m_presenter->boxes().size() == 1, qPrintable(titles.join(QStringLiteral(" ## "))));
        // A note about something that happened does not stay for good.
        QTRY_VERIFY_WITH_TIMEOUT(m_window->statusBar()->currentMessage().isEmpty(),
                                 StatusNotices::NoteTimeoutMs + 2000);
    }

private:
    std::unique_ptr<RecordingPresenter> m_presenter;
    StoredEntries m_entries;
    std::unique_ptr<MainWindow> m_window;
    FakeDayModel *m_unlinked = nullptr;
    FakeDayModel *m_linked = nullptr;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
