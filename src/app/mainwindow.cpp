#include "mainwindow.h"

#include "aboutdialog.h"
#include "applook.h"
#include "awayeditdialog.h"
#include "buildinfo.h"
#include "clickablelabel.h"
#include "databasecheck.h"
#include "dateheader.h"
#include "entrycommands.h"
#include "entrydaymodel.h"
#include "entryviews.h"
#include "exportaction.h"
#include "filtersync.h"
#include "gnomeextensionsetup.h"
#include "ignoredappsdialog.h"
#include "linkopener.h"
#include "linktimedialog.h"
#include "messagebox.h"
#include "privatetitles.h"
#include "recorder.h"
#include "session.h"
#include "settings.h"
#include "settingsfile.h"
#include "settingsstorage.h"
#include "statusnotices.h"
#include "storagecheck.h"
#include "subsystems.h"
#include "suspendhandler.h"
#include "timelinecontroller.h"
#include "timelinestrip.h"
#include "timestampsdialog.h"
#include "trayanimation.h"
#include "traymenu.h"
#include "treemodel.h"
#include "treemodeladapter.h"
#include "ui_mainwindow.h"
#include "updatechecker.h"
#include "updateschedule.h"
#include "weekview.h"
#include "windowdocks.h"
#include "windowprobe.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

namespace {
template <typename T> T setting(SettingKey<T> key)
{
    return Settings::instance()->value(key);
}
} // namespace

MainWindow::MainWindow(QWidget *parent, Qt::WindowFlags flags, RecordingSources sources)
    : QMainWindow(parent, flags)
    , m_ui(std::make_unique<Ui::MainWindow>())
{
    m_ui->setupUi(this);
    m_ui->calendar->setLocale(QLocale::system());
    installEventFilter(this);
    statusBar()->showMessage(tr("Loading..."));
    m_status = new StatusNotices(statusBar(), this);

    m_settings = std::make_unique<SettingsStorage>(this);
    loadSettings();
    m_views =
        new EntryViews(m_ui->appList, m_ui->labelTotalTime, m_ui->linkedEntries, m_ui->labelTotalLinkedTime, this);
    m_timelineStrip = new TimelineStrip(this);
    m_timeline = new TimelineController(m_timelineStrip, m_ui->appList, m_ui->linkedEntries, this);
    auto *unlinked = new TreeModelAdapter(false, m_ui->appList, this);
    auto *linked = new TreeModelAdapter(true, m_ui->linkedEntries, this);
    m_subsystems = new Subsystems(
        {this, this, m_views, m_status, m_timeline, unlinked->treeModel(), linked->treeModel()}, std::move(sources));
    for (TreeModelAdapter *adapter : {unlinked, linked}) {
        adapter->treeModel()->setAppLook(m_subsystems->appLook());
    }
    connect(recorder(), &Recorder::recordingChanged, this, &MainWindow::onRecordingChanged);
    connect(m_subsystems->suspendHandler(), &SuspendHandler::dateChangedSinceSuspend, this, &MainWindow::showDate);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &MainWindow::saveSettings);
    auto *checkDatabase = new QAction(tr("Check &Database..."), this);
    m_ui->menuHelp->insertAction(m_ui->actionCheck_for_Updates, checkDatabase);
    m_ui->actionCheck_for_Updates->setVisible(BuildInfo::UpdateCheck);
    connect(checkDatabase, &QAction::triggered, this,
            [this] { DatabaseCheck::run(this, SettingsFile::databasePath(), true, QDateTime::currentDateTime()); });
    if (GnomeExtensionSetup *gnomeSetup = m_subsystems->gnomeExtensionSetup()) {
        m_ui->menuFile->insertAction(m_ui->action_Settings, gnomeSetup->action());
    }

    createTray();

    WindowDocks::create(
        this, {m_ui->mainWidget, m_ui->widgetLeft, m_ui->widgetFilterRBox, m_ui->linkedEntries, m_timelineStrip},
        m_ui->menuView);
    connect(m_status, &StatusNotices::awayDescriptionRequested, this, &MainWindow::describeAwayTime);

    createWeekView();
    addKeyboardPaths();
    m_dateHeader = std::make_unique<DateHeader>(m_ui->headerBar, m_ui->btToday);
    m_dateHeader->reservePanelWidth(m_ui->widgetFilterRBox, m_ui->layoutDate);
    m_ui->calendar->setFocus();

    connect(m_ui->calendar, &QCalendarWidget::activated, this, &MainWindow::onCalendarDateChanged);
    connect(m_ui->calendar, &QCalendarWidget::selectionChanged, this,
            [this] { onCalendarDateChanged(m_ui->calendar->selectedDate()); });
    m_filters = new FilterSync(m_ui->editFilter, m_ui->editFilterProjects, m_ui->btnSyncFilters, this);
    connect(m_filters, &FilterSync::entriesFilterApplied, m_views, &EntryViews::applyFilter);
    connect(m_filters, &FilterSync::projectsFilterApplied, this, &MainWindow::signalProjectsFilterApplied);

    connect(m_views, &EntryViews::datesWithZeroTimeChanged, this, &MainWindow::initCalendarDaysWithEntries);
    setEntryModels(unlinked, linked);
    connect(m_ui->appList, &TimeTree::signalConnectEntriesWithTask, this, &MainWindow::connectEntriesWithTask);
    m_ui->appList->setLinkDialog(&LinkTimeDialog::ask);
    connect(m_ui->projects, &ProjectsTree::signalConnectEntriesWithTask, this, &MainWindow::connectEntriesWithTask);
    connect(m_ui->appList, &TimeTree::datesWithZeroTimeChanged, this, &MainWindow::initCalendarDaysWithEntries);
    connect(m_ui->appList, &TimeTree::signalCreateRuleFromEntry, ruleCommands(), &RuleCommands::onCreateRuleFromEntry);
    connect(m_ui->appList, &TimeTree::signalCreateRuleFromApp, ruleCommands(), &RuleCommands::onCreateRuleFromApp);
    connect(m_ui->linkedEntries, &EntriesList::signalUnlinkEntries, m_subsystems, &Subsystems::unlinkEntries);

    updateDateHeader(m_ui->calendar->selectedDate());

    restoreState(m_settings->stateFile()->value(QStringLiteral("Window/State")).toByteArray(), 0);
    if (!restoreGeometry(m_settings->stateFile()->value(QStringLiteral("Window/Geometry")).toByteArray())) {
        openAtScreenSize();
    }

    connectSession();
    connectActions();
    connect(ruleCommands()->engine(), &RuleEngine::runningChanged, this,
            [this](bool running) { setApplyRulesEnabled(!running); });

    m_recording = false;
    if (isUsable()) {
        // What a run that died left open is stored before anything new is recorded.
        recorder()->recoverJournal();
        m_ui->btnRecord->setChecked(m_settings->file()->value(QStringLiteral("Application/Started"), true).toBool());
    }

    QTimer::singleShot(0, this, &MainWindow::onInitialUpdate);
}

MainWindow::~MainWindow()
{
    m_subsystems->closeDatabase();
}

void MainWindow::openAtScreenSize()
{
    // A first start fills three quarters of the screen, whatever its size, centred on it.
    const QRect available = screen()->availableGeometry();
    resize(qMax(minimumSizeHint().width(), available.width() * 3 / 4),
           qMax(minimumSizeHint().height(), available.height() * 3 / 4));
    move(available.center() - rect().center());
}

void MainWindow::loadSettings()
{
    m_settings->load();
}

void MainWindow::saveSettings()
{
    SettingsFile::WindowValues window;
    window.recording = m_recording;
    window.geometry = saveGeometry();
    window.state = saveState(0);
    m_views->saveHeaders(window);
    m_settings->save(window);
}

void MainWindow::connectSession()
{
    Session *current = session();
    // Signing in or out is offered only while no other call of the session runs.
    const auto offerSignInOrOut = [this, current] {
        m_ui->actionLogin->setEnabled(!current->isLoggedIn() && !current->isBusy());
        m_ui->actionLogout->setEnabled(current->isLoggedIn() && !current->isBusy());
    };
    connect(current, &Session::busyChanged, this, offerSignInOrOut);
    connect(current, &Session::loginStateChanged, this, [this, offerSignInOrOut](bool loggedIn) {
        offerSignInOrOut();
        if (loggedIn) {
            m_settings->storeSecrets();
        }
    });
    connect(current, &Session::loginStateChanged, m_ui->appList, &EntryTreeView::setSignedIn);
    connect(current, &Session::loginStateChanged, m_ui->linkedEntries, &EntryTreeView::setSignedIn);
    connect(current, &Session::loginStateChanged, m_ui->projects, &ProjectsTree::setSignedIn);
    connect(current, &Session::projectsReceived, m_ui->projects, &ProjectsTree::showProjects);
    connect(current, &Session::projectsCleared, m_ui->projects, &ProjectsTree::clearProjects);
    connect(m_ui->projects, &ProjectsTree::refreshRequested, current, &Session::loadProjects);
    connect(m_ui->action_RefreshProjects, &QAction::triggered, current, &Session::loadProjects);
    connect(m_ui->actionLogin, &QAction::triggered, current, &Session::login);
    connect(this, &MainWindow::signalProjectsFilterApplied, m_ui->projects, &ProjectsTree::applyFilter);
}

void MainWindow::connectActions()
{
    RuleCommands *rules = ruleCommands();
    connect(m_ui->btnApplyRules, &QPushButton::clicked, rules, &RuleCommands::onApplyRules);
    connect(m_ui->action_Apply_Rules, &QAction::triggered, rules, &RuleCommands::onApplyRules);
    connect(m_ui->actionApply_Rules_For_Date_Range, &QAction::triggered, rules,
            &RuleCommands::onApplyRulesForDateRange);
    connect(m_ui->actionView_Rules, &QAction::triggered, rules, &RuleCommands::showRulesDialog);
    connect(m_ui->action_Add_Rule, &QAction::triggered, rules, &RuleCommands::onAddRuleDialog);
    connect(m_ui->actionCheck_for_Updates, &QAction::triggered, m_subsystems->updateSchedule(),
            &UpdateSchedule::checkWithUi);
    connect(m_ui->action_Settings, &QAction::triggered, this, &MainWindow::editSettings);
    connect(m_ui->btnRecord, &QPushButton::toggled, recorder(), &Recorder::setRecording);
}

void MainWindow::setApplyRulesEnabled(bool enabled)
{
    m_ui->action_Apply_Rules->setEnabled(enabled);
    m_ui->actionApply_Rules_For_Date_Range->setEnabled(enabled);
    m_ui->btnApplyRules->setEnabled(enabled);
}

QString MainWindow::filterText() const
{
    return m_ui->editFilter->text();
}

QList<int> MainWindow::selectedAppIds() const
{
    return m_views->selectedAppIds();
}

int MainWindow::selectedProjectId() const
{
    return m_ui->projects->selectedId(QStringLiteral("project"));
}

int MainWindow::selectedTaskId() const
{
    return m_ui->projects->selectedId(QStringLiteral("task"));
}

void MainWindow::createTray()
{
    m_tray = new TrayMenu(this);
    connect(m_tray, &TrayMenu::startRequested, this, [this] { m_ui->btnRecord->setChecked(true); });
    connect(m_tray, &TrayMenu::stopRequested, this, [this] { m_ui->btnRecord->setChecked(false); });
    connect(m_tray, &TrayMenu::settingsRequested, this, &MainWindow::editSettings);
    connect(m_tray, &TrayMenu::showRequested, this, &MainWindow::onTrayMenuShow);
    connect(m_tray, &TrayMenu::exitRequested, this, &MainWindow::on_actionExit_triggered);
    connect(m_tray->icon(), &QSystemTrayIcon::activated, this, &MainWindow::iconActivated);
    connect(recorder(), &Recorder::ticked, m_tray->animation(), &TrayAnimation::step);
    m_status->setTray(m_tray->icon(), [tray = m_tray] { return tray->isUsable(); });
}

QDate MainWindow::selectedDate() const
{
    return m_ui->calendar->selectedDate();
}

void MainWindow::setEntryModels(EntryDayModel *unlinked, EntryDayModel *linked)
{
    for (EntryDayModel *model : {unlinked, linked}) {
        if (model) {
            model->setParent(this);
        }
    }
    m_views->setModels(unlinked, linked);
    if (m_viewsAttached) {
        m_views->attach(selectedDate(), hideUnderSeconds(), setting(Setting::GroupByHour));
        m_timeline->watchModels();
    }
}

void MainWindow::setUpdateChecker(std::unique_ptr<UpdateChecker> checker)
{
    m_subsystems->setUpdateChecker(std::move(checker));
}

void MainWindow::setRecording(bool on)
{
    recorder()->setRecording(on);
}

void MainWindow::onRecordingChanged(bool on)
{
    m_recording = on;
    // The button shows the state, as the tray does; what a click does is in its tool tip.
    m_ui->btnRecord->setText(on ? tr("Recording") : tr("Paused"));
    m_ui->btnRecord->setToolTip(on ? tr("Pause recording") : tr("Start recording"));
    m_tray->setRecording(on);
}

void MainWindow::onInitialUpdate()
{
    EntryViews::fillHideUnderChoices(m_ui->cbHideUnder, setting(Setting::HideUnder));
    m_ui->checkGroupByHour->setChecked(setting(Setting::GroupByHour));
    initCalendarDaysWithEntries();

    // Started in the tray: the day is built when the window first shows, not for a look nobody takes.
    if (!isVisible()) {
        m_views->rest();
        m_timeline->rest();
    }
    statusBar()->showMessage(tr("Loading entries..."));
    m_views->attach(selectedDate(), hideUnderSeconds(), setting(Setting::GroupByHour));
    checkStorage();
    m_timeline->watchModels();
    m_timeline->showDay(selectedDate());
    m_viewsAttached = true;
    statusBar()->clearMessage();

    connect(m_subsystems, &Subsystems::startUpFinished, this, [this] { m_initialUpdateDone = true; });
    // Signing in waits for the password the keyring keeps.
    m_settings->loadSecrets([this] {
        m_subsystems->startUp();
        connect(loginIndicator(), &ClickableLabel::doubleClicked, session(),
                &Session::onStatusLoginIndicatorDblClicked);
    });
}

void MainWindow::checkStorage()
{
    m_status->showStorageProblem(StorageCheck::problem(SettingsFile::dataFolder()));
}

int MainWindow::hideUnderSeconds() const
{
    return m_ui->cbHideUnder->currentData().toInt();
}

void MainWindow::initCalendarDaysWithEntries()
{
    m_ui->calendar->setDaysWithUnlinkedTime(
        m_subsystems->entries().daysWithUnlinkedTime(setting(Setting::IgnoredApps)));
    if (m_weekView->isVisible()) {
        m_weekView->showWeek(m_weekView->weekStart(), setting(Setting::IgnoredApps));
    }
}

void MainWindow::createWeekView()
{
    m_weekView = new WeekView(m_subsystems->entries(), this);
    m_weekView->setObjectName(QStringLiteral("weekView"));
    m_weekView->setWindowFlag(Qt::Window);
    auto *action = new QAction(tr("&Week"), this);
    action->setObjectName(QStringLiteral("actionWeek"));
    m_ui->menuView->insertAction(m_ui->action_Timestamps, action);
    auto *button = new QPushButton(tr("&Week"), this);
    m_weekButton = button;
    button->setObjectName(QStringLiteral("btnWeek"));
    m_ui->layoutDate->insertWidget(m_ui->layoutDate->indexOf(m_ui->btToday), button);
    connect(button, &QPushButton::clicked, action, &QAction::trigger);
    connect(action, &QAction::triggered, this, [this] {
        m_weekView->showWeek(selectedDate(), setting(Setting::IgnoredApps));
        m_weekView->show();
        m_weekView->raise();
        // The keyboard goes with it: its days are chosen by keys too.
        m_weekView->activateWindow();
    });
    connect(m_weekView, &WeekView::dayActivated, this, [this](const QDate &day) {
        showDate(day);
        onTrayMenuShow();
    });
}

void MainWindow::addKeyboardPaths()
{
    // Ctrl+Q on every desktop, not only where the platform binds it to quitting.
    m_ui->actionExit->setShortcuts({m_ui->actionExit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q)});
    auto *find = new QAction(this);
    find->setObjectName(QStringLiteral("actionFindEntries"));
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] {
        m_ui->editFilter->setFocus(Qt::ShortcutFocusReason);
        m_ui->editFilter->selectAll();
    });
    addAction(find);
    // Left to right and top to bottom as the panels stand: projects, the day's entries, the
    // timeline, the linked entries, then recording and the day's controls.
    const QList<QWidget *> order{m_ui->editFilterProjects, m_ui->projects,     m_ui->editFilter, m_ui->btnSyncFilters,
                                 m_ui->checkGroupByHour,   m_ui->appList,      m_timelineStrip,  m_ui->linkedEntries,
                                 m_ui->btnRecord,          m_ui->calendar,     m_weekButton,     m_ui->btToday,
                                 m_ui->cbHideUnder,        m_ui->btnApplyRules};
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order.at(i - 1), order.at(i));
    }
}

void MainWindow::updateDateHeader(const QDate &date)
{
    m_dateHeader->show(date);
}

void MainWindow::showDate(const QDate &date)
{
    if (m_ui->calendar->selectedDate() != date) {
        m_ui->calendar->setSelectedDate(date);
    }
    const QDate today = QDate::currentDate();
    if (m_ui->calendar->markedDay() != today) {
        m_ui->calendar->setMarkedDay(today);
    }
}

void MainWindow::onCalendarDateChanged(const QDate &date)
{
    updateDateHeader(date);
    m_timeline->showDay(date);
    m_views->showDay(date);
}

void MainWindow::on_btToday_clicked()
{
    m_ui->calendar->setSelectedDate(QDate::currentDate());
}

void MainWindow::on_cbHideUnder_activated(int index)
{
    const int seconds = m_ui->cbHideUnder->itemData(index).toInt();
    Settings::instance()->setValue(Setting::HideUnder, seconds);
    m_views->setHideUnder(seconds);
}

void MainWindow::on_checkGroupByHour_clicked(bool checked)
{
    Settings::instance()->setValue(Setting::GroupByHour, checked);
    m_views->setGroupByHour(checked);
}

void MainWindow::on_action_Ignored_Applications_triggered()
{
    IgnoredAppsDialog dialog(this, [this](const QString &path) { return windowProbe()->getAppIcon(path); });
    dialog.exec();
    if (dialog.listChanged) {
        m_views->reloadKeepingExpandedNodes();
        initCalendarDaysWithEntries();
    }
}

void MainWindow::on_action_NeverRecorded_Applications_triggered()
{
    IgnoredAppsDialog dialog(
        this, [this](const QString &path) { return windowProbe()->getAppIcon(path); },
        IgnoredAppsDialog::List::NeverRecorded);
    dialog.exec();
    if (PrivateTitles::askToReplace(this, dialog.addedPaths())) {
        m_subsystems->entryCommands()->replaceTitlesWithPrivate(dialog.addedPaths());
    }
}

void MainWindow::on_actionExport_triggered()
{
    const QString note = ExportAction::run(this, selectedDate());
    if (!note.isEmpty()) {
        m_status->showMessage(note, StatusNotices::NoteTimeoutMs);
    }
}

void MainWindow::on_action_About_Tavro_triggered()
{
    AboutDialog dialog(this);
    dialog.setWindowSource(windowProbe()->sourceDescription());
    connect(&dialog, &AboutDialog::checkForUpdates, m_subsystems->updateSchedule(), &UpdateSchedule::checkWithUi);
    dialog.exec();
}

void MainWindow::on_action_Help_Topics_triggered()
{
    LinkOpener::open(this, QUrl(setting(Setting::HelpUrl)));
}

void MainWindow::onTrayMenuShow()
{
    if (isMinimized()) {
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    }
    show();
    raise();
    activateWindow();
}

void MainWindow::describeAwayTime()
{
    const qint64 entry = m_subsystems->lastAwayEntry();
    if (entry == 0) {
        return;
    }
    onTrayMenuShow();
    AwayEditDialog dialog(m_subsystems->entries(), this);
    dialog.entryIds = QStringList{QString::number(entry)};
    dialog.load();
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    m_subsystems->entryCommands()->describeAwayTime(dialog.entryIds, dialog.description());
}

void MainWindow::editSettings()
{
    if (m_settings->editInDialog()) {
        session()->applyNetworkSettings();
    }
}

void MainWindow::on_actionExit_triggered()
{
    // Asked while a box can still be shown: once the event loop has ended, time that can be
    // neither stored nor journalled would be lost without a word.
    if (isUsable() && recorder()->isStorageFailing() && !recorder()->flush() &&
        MessageBox::confirm(
            this, tr("Recorded time not stored"),
            tr("The time recorded since %1 can neither be stored in the database nor kept in the recording "
               "journal (is the disk full?). If TavroDesk quits now, that time is lost.\n\nQuit anyway?")
                .arg(QLocale().toString(recorder()->unstored().constFirst().start, QLocale::ShortFormat)),
            tr("&Quit Anyway"), tr("&Keep Running")) != MessageBox::Yes) {
        return;
    }
    quitNow();
}

void MainWindow::quitNow()
{
    m_exiting = true;
    close();
    QCoreApplication::quit();
}

void MainWindow::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (m_tray->opensWindowOn(reason)) {
        onTrayMenuShow();
    }
}

bool MainWindow::eventFilter(QObject *object, QEvent *event)
{
    // Hovering over menu entries must not replace the status-bar message.
    if (event->type() == QEvent::StatusTip) {
        return true;
    }
    return QMainWindow::eventFilter(object, event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    saveSettings();
    if (m_exiting || !m_tray->keepsRunningOnClose()) {
        QMainWindow::closeEvent(event);
        return;
    }
    // Recording goes on behind the closed window.
    hide();
    event->ignore();
    if (!m_tray->isUsable() && !setting(Setting::NoTrayCloseExplained)) {
        Settings::instance()->setValue(Setting::NoTrayCloseExplained, true);
        MessageBox::information(this, tr("TavroDesk keeps running"), noTrayCloseText());
        saveSettings();
    }
}

QString MainWindow::noTrayCloseText()
{
    return tr("TavroDesk keeps recording with its window closed, but this desktop has no notification "
              "area to show its icon. Start TavroDesk again from the applications menu to bring the "
              "window back; File > Exit ends it.");
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_ui->retranslateUi(this);
    } else if (event->type() == QEvent::WindowStateChange) {
        if (isMinimized() && m_tray->takesMinimisedWindow()) {
            QTimer::singleShot(0, this, &QWidget::hide);
        }
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::on_actionLogout_triggered()
{
    session()->logout();
    m_settings->forgetSecrets();
}

void MainWindow::on_action_Timestamps_triggered()
{
    TimestampsDialog dialog(m_subsystems->entries(), this);
    dialog.day = selectedDate();
    dialog.look = m_subsystems->appLook();
    dialog.load();
    dialog.exec();
}

void MainWindow::connectEntriesWithTask(const QStringList &ids, const QString &taskId, const QString &notes)
{
    m_status->linkingStarted();
    m_subsystems->linkEntries(ids, taskId, notes,
                              [this](BookingService::LinkResult::Status status) { m_status->linkingFinished(status); });
}
