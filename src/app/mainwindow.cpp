#include "mainwindow.h"

#include "aboutdialog.h"
#include "appdisplayname.h"
#include "autostartentry.h"
#include "buildinfo.h"
#include "clickablelabel.h"
#include "clock.h"
#include "credentialstorage.h"
#include "databasecheck.h"
#include "dockshare.h"
#include "entrydaymodel.h"
#include "entryexport.h"
#include "entrylinker.h"
#include "entrystore.h"
#include "exportdialog.h"
#include "filtersync.h"
#include "foregroundwindow.h"
#include "gnomeextensionsetup.h"
#include "ignoredappsdialog.h"
#include "keychainsecretstore.h"
#include "linkopener.h"
#include "linktimedialog.h"
#include "listitemdelegate.h"
#include "messagebox.h"
#include "recorder.h"
#include "session.h"
#include "settings.h"
#include "settingsdialog.h"
#include "settingsfile.h"
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
#include "windowprobe.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QProgressBar>
#include <QSessionManager>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include <optional>
#include <utility>

namespace {
constexpr int UpdateCheckIntervalMs = 24 * 60 * 60 * 1000;
const QString LinkingNote = QStringLiteral("Linking with Tavro...");
const QString LinkFailedNote = QStringLiteral("The entries could not be linked and stay unlinked.");

QString key(const char *name)
{
    return QString::fromLatin1(name);
}

QVariant setting(const char *name)
{
    return Settings::instance()->value(key(name));
}

} // namespace

MainWindow::MainWindow(QWidget *parent, Qt::WindowFlags flags, RecordingSources sources)
    : QMainWindow(parent, flags)
    , m_ui(std::make_unique<Ui::MainWindow>())
{
    m_ui->setupUi(this);
    m_ui->calendar->setLocale(QLocale::system());
    installEventFilter(this);
    statusBar()->showMessage(QStringLiteral("Loading..."));

    m_loginIndicator = new ClickableLabel(this);
    m_loginIndicator->setObjectName(QStringLiteral("loginIndicator"));
    m_loginIndicator->setTextFormat(Qt::RichText);
    m_loginIndicator->setText(QStringLiteral("Not signed in <img src=':/icons/res/offline.png'>"));
    statusBar()->addPermanentWidget(m_loginIndicator);
    m_storageWarning = new QLabel(this);
    m_storageWarning->setObjectName(QStringLiteral("storageWarning"));
    m_storageWarning->setTextFormat(Qt::RichText);
    m_storageWarning->setStyleSheet(QStringLiteral("color: #b00020; font-weight: bold;"));
    m_storageWarning->hide();
    statusBar()->addPermanentWidget(m_storageWarning);

    m_keyring = std::make_unique<KeychainSecretStore>(QStringLiteral("TavroDesk"));
    m_credentials = std::make_unique<CredentialStorage>(m_keyring.get());
    loadSettings();
    m_usable = initDatabase();
    m_subsystems = new Subsystems(this, this, std::move(sources));
    connectRecording();
    auto *checkDatabase = new QAction(QStringLiteral("Check &Database..."), this);
    m_ui->menuHelp->insertAction(m_ui->actionCheck_for_Updates, checkDatabase);
    connect(checkDatabase, &QAction::triggered, this,
            [this] { DatabaseCheck::run(this, SettingsFile::databasePath(), true, QDateTime::currentDateTime()); });
    if (GnomeExtensionSetup *gnomeSetup = m_subsystems->gnomeExtensionSetup()) {
        m_ui->menuFile->insertAction(m_ui->action_Settings, gnomeSetup->action());
    }

    createTray();

    setCentralWidget(m_ui->mainWidget);
    setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea);
    createDocks();
    createTimeline();

    setStyleSheet(QStringLiteral("QMainWindow::separator { background: transparent; }"));
    reserveDateRowWidth();
    m_ui->calendar->setFocus();

    connect(m_ui->calendar, &QCalendarWidget::activated, this, &MainWindow::onCalendarDateChanged);
    connect(m_ui->calendar, &QCalendarWidget::selectionChanged, this, &MainWindow::onCalendarSelectionChanged);
    m_filters = new FilterSync(m_ui->editFilter, m_ui->editFilterProjects, m_ui->btnSyncFilters, this);
    connect(&m_updateTimer, &QTimer::timeout, this, &MainWindow::checkForUpdatesInBackground);
    connect(m_filters, &FilterSync::entriesFilterApplied, this, &MainWindow::applyEntryFilter);
    connect(m_filters, &FilterSync::projectsFilterApplied, this, &MainWindow::applyProjectsFilter);

    setEntryModels(new TreeModelAdapter(false, m_ui->appList), new TreeModelAdapter(true, m_ui->linkedEntries));
    connect(m_ui->appList, &TimeTree::signalConnectEntriesWithTask, this, &MainWindow::connectEntriesWithTask);
    m_ui->appList->setLinkDialog(&LinkTimeDialog::ask);
    // Direct: the drop is complete only once the entries are linked.
    connect(m_ui->projects, &ProjectsTree::signalConnectEntriesWithTask, this, &MainWindow::connectEntriesWithTask,
            Qt::DirectConnection);
    connect(m_ui->appList, &TimeTree::datesWithZeroTimeChanged, this, &MainWindow::initCalendarDaysWithEntries);
    connect(m_ui->appList, &TimeTree::signalCreateRuleFromEntry, this, &MainWindow::onCreateRuleFromEntry);
    connect(m_ui->appList, &TimeTree::signalCreateRuleFromApp, this, &MainWindow::onCreateRuleFromApp);
    connect(m_ui->linkedEntries, &EntriesList::signalUnlinkEntries, this, &MainWindow::unlinkEntries);

    m_progressBar = new QProgressBar(this);
    m_progressBar->setTextVisible(false);
    m_progressBar->setStyleSheet(QStringLiteral("border: 0px;"));
    m_progressBar->setMaximumSize(250, 16);
    m_progressBar->hide();
    statusBar()->addWidget(m_progressBar);

    updateDateHeader(m_ui->calendar->selectedDate());

    restoreState(m_settingsFile->value(QStringLiteral("Window/State")).toByteArray(), 0);
    restoreGeometry(m_settingsFile->value(QStringLiteral("Window/Geometry")).toByteArray());

    connectSession();
    connectRuleCommands();
    connect(m_subsystems, &Subsystems::progressStarted, this, &MainWindow::showProgress);
    connect(m_subsystems, &Subsystems::progressChanged, m_progressBar, &QProgressBar::setValue);
    connect(m_subsystems, &Subsystems::progressFinished, m_progressBar, &QWidget::hide);

    m_recording = false;
    if (m_usable) {
        // What a run that died left open is stored before anything new is recorded.
        recorder()->recoverJournal();
        m_ui->btnRecord->setChecked(m_settingsFile->value(QStringLiteral("Application/Started"), true).toBool());
    }

    QTimer::singleShot(0, this, &MainWindow::onInitialUpdate);
}

MainWindow::~MainWindow()
{
    flushRecording();
    AppDisplayName::setProvider({});
    m_database.close();
}

Recorder *MainWindow::recorder() const
{
    return m_subsystems->recorder();
}

WindowProbe *MainWindow::windowProbe() const
{
    return m_subsystems->probe();
}

UpdateChecker *MainWindow::updateChecker() const
{
    return m_subsystems->updateChecker();
}

RuleCommands *MainWindow::ruleCommands() const
{
    return m_subsystems->ruleCommands();
}

Session *MainWindow::session() const
{
    return m_subsystems->session();
}

QSystemTrayIcon *MainWindow::trayIcon() const
{
    return m_tray->icon();
}

QMenu *MainWindow::trayMenu() const
{
    return m_tray->menu();
}

void MainWindow::loadSettings()
{
    if (!SettingsFile::ensureDataFolder()) {
        MessageBox::critical(this, QStringLiteral("Error"),
                             QStringLiteral("Could not create directory: ") + SettingsFile::dataFolder());
        ::exit(-1);
    }
    const QString iniPath = SettingsFile::iniPath();
    const bool firstStart = !QFile::exists(iniPath);
    m_settingsFile = new QSettings(iniPath, QSettings::IniFormat, this);
    Settings *settings = Settings::instance();
    settings->values[QStringLiteral("UserAgent")] = SettingsFile::userAgent();

    std::optional<SettingsFile::DialogValues> typed;
    QString firstPassword;
    if (firstStart) {
        SettingsDialog dialog(this);
        dialog.values = SettingsFile::readDialogValues(*m_settingsFile);
        dialog.putData();
        if (dialog.exec() == QDialog::Accepted) {
            dialog.getData();
            // The password goes to the ini only if the keyring does not take it.
            typed = dialog.values;
            firstPassword = std::exchange(dialog.values.password, QString());
            SettingsFile::writeFirstStart(*m_settingsFile, dialog.values);
        }
    }
    SettingsFile::load(*m_settingsFile, settings->values);
    m_credentials->load(*m_settingsFile, settings->values);
    if (!firstPassword.isEmpty()) {
        settings->values[QStringLiteral("Password")] = firstPassword;
        if (!m_credentials->store(settings->values)) {
            m_settingsFile->setValue(QStringLiteral("API/Password"), SettingsFile::encodePassword(firstPassword));
            m_settingsFile->sync();
        }
    }
    // An ini file that could not be written still leaves this run with what the user just typed.
    if (typed && m_settingsFile->status() != QSettings::NoError) {
        SettingsFile::storeDialogValues(settings->values, *typed);
        MessageBox::warning(this, QStringLiteral("Error"),
                            QStringLiteral("Could not save the settings to ") + m_settingsFile->fileName() +
                                QStringLiteral(". They are used until TavroDesk ends."));
    }
    QApplication::setQuitOnLastWindowClosed(!settings->value(QStringLiteral("CloseToTray")).toBool());
    scheduleUpdateChecks();
}

void MainWindow::saveSettings()
{
    const auto &values = Settings::instance()->values;
    SettingsFile::WindowValues window;
    window.recording = m_recording;
    window.geometry = saveGeometry();
    window.state = saveState(0);
    if (m_unlinkedModel) {
        window.unlinkedListGeometry = m_ui->appList->header()->saveGeometry();
        window.unlinkedListState = m_ui->appList->header()->saveState();
    } else {
        // Without a model the header has nothing worth keeping: keep what the last run saved.
        window.unlinkedListGeometry = values.value(QStringLiteral("UnlinkedListGeometry")).toByteArray();
        window.unlinkedListState = values.value(QStringLiteral("UnlinkedListState")).toByteArray();
    }
    if (m_linkedModel) {
        window.linkedListGeometry = m_ui->linkedEntries->header()->saveGeometry();
        window.linkedListState = m_ui->linkedEntries->header()->saveState();
    } else {
        window.linkedListGeometry = values.value(QStringLiteral("LinkedListGeometry")).toByteArray();
        window.linkedListState = values.value(QStringLiteral("LinkedListState")).toByteArray();
    }
    const bool secretsInKeyring = m_credentials->store(values);
    SettingsFile::save(*m_settingsFile, values, window, !secretsInKeyring);
    m_settingsFile->sync();
}

bool MainWindow::initDatabase()
{
    const QString path = SettingsFile::databasePath();
    QString error;
    if (!m_database.open(path, &error)) {
        MessageBox::warning(this, QStringLiteral("Database error"),
                            QStringLiteral("Could not open database: ") + path + QLatin1Char('\n') + error);
        // The start-up ends here without ever showing the window; closing it would save settings
        // (recording switched off) that this failed run never had a say in.
        return false;
    }
    Database::createSchema();
    DatabaseCheck::run(this, path, false, QDateTime::currentDateTime());
    return true;
}

void MainWindow::connectSession()
{
    Session *current = session();
    connect(current, &Session::statusMessage, statusBar(), &QStatusBar::showMessage);
    connect(current, &Session::indicatorTextChanged, m_loginIndicator, &QLabel::setText);
    connect(current, &Session::loginStateChanged, this, [this](bool loggedIn) {
        m_ui->actionLogin->setEnabled(!loggedIn);
        m_ui->actionLogout->setEnabled(loggedIn);
        if (loggedIn) {
            // A new password or token reaches the keyring at once, not only when the window closes.
            m_credentials->store(Settings::instance()->values);
        }
    });
    connect(current, &Session::projectsReceived, m_ui->projects, &ProjectsTree::showProjects);
    connect(current, &Session::projectsCleared, m_ui->projects, &QTreeWidget::clear);
    connect(m_ui->projects, &ProjectsTree::refreshRequested, this, &MainWindow::on_action_RefreshProjects_triggered);
    connect(this, &MainWindow::signalProjectsFilterApplied, m_ui->projects, &ProjectsTree::applyFilter);
}

void MainWindow::connectRuleCommands()
{
    RuleEngine *engine = ruleCommands()->engine();
    connect(engine, &RuleEngine::runningChanged, this, [this](bool running) { setApplyRulesEnabled(!running); });
    connect(engine, &RuleEngine::runStarting, m_ui->appList, &EntryTreeView::saveExpandedNodes);
    connect(engine, &RuleEngine::runStarting, m_ui->linkedEntries, &EntryTreeView::saveExpandedNodes);
    connect(engine, &RuleEngine::progressStarted, this, [this](int maximum) { showProgress(0, maximum); });
    connect(engine, &RuleEngine::progressChanged, m_progressBar, &QProgressBar::setValue);
    connect(engine, &RuleEngine::progressFinished, m_progressBar, &QWidget::hide);
    connect(engine, &RuleEngine::reloadUnlinkedView, this, [this] {
        if (m_unlinkedModel) {
            m_unlinkedModel->reload();
        }
        m_ui->appList->restoreExpandedNodes();
    });
    connect(engine, &RuleEngine::reloadLinkedView, this, [this] {
        if (m_linkedModel) {
            m_linkedModel->reload();
        }
        m_ui->linkedEntries->restoreExpandedNodes();
    });
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
    QList<int> ids;
    const TreeModel *model = m_ui->appList->entryModel();
    if (!model) {
        return ids;
    }
    const QList<qint64> appIds = model->applicationIds(m_ui->appList->selectionModel()->selectedIndexes());
    for (qint64 id : appIds) {
        ids << int(id);
    }
    return ids;
}

int MainWindow::selectedProjectsItemId(const QString &type) const
{
    const QList<QTreeWidgetItem *> selected = m_ui->projects->selectedItems();
    for (const QTreeWidgetItem *item : selected) {
        if (item->data(0, ProjectsTree::TypeRole).toString() == type) {
            return item->data(0, ProjectsTree::IdRole).toInt();
        }
    }
    return 0;
}

int MainWindow::selectedProjectId() const
{
    return selectedProjectsItemId(QStringLiteral("project"));
}

int MainWindow::selectedTaskId() const
{
    return selectedProjectsItemId(QStringLiteral("task"));
}

void MainWindow::createTray()
{
    m_tray = new TrayMenu(m_trayAnimation, this);
    connect(m_tray, &TrayMenu::startRequested, this, &MainWindow::onStart);
    connect(m_tray, &TrayMenu::stopRequested, this, &MainWindow::onStop);
    connect(m_tray, &TrayMenu::settingsRequested, this, &MainWindow::onTrayMenuOptions);
    connect(m_tray, &TrayMenu::showRequested, this, &MainWindow::onTrayMenuShow);
    connect(m_tray, &TrayMenu::exitRequested, this, &MainWindow::on_actionExit_triggered);
    connect(m_tray->icon(), &QSystemTrayIcon::activated, this, &MainWindow::iconActivated);
}

void MainWindow::createDocks()
{
    const struct
    {
        const char *name;
        Qt::DockWidgetArea area;
        QWidget *content;
    } docks[] = {
        {"Left", Qt::LeftDockWidgetArea, m_ui->widgetLeft},
        {"Right", Qt::RightDockWidgetArea, m_ui->widgetFilterRBox},
        {"Bottom", Qt::BottomDockWidgetArea, m_ui->linkedEntries},
    };
    for (const auto &entry : docks) {
        auto *dock = new QDockWidget(QString::fromLatin1(entry.name), this);
        dock->setObjectName(QString::fromLatin1(entry.name));
        dock->setTitleBarWidget(new QWidget(dock));
        dock->setFeatures(QDockWidget::DockWidgetClosable);
        dock->setAllowedAreas(entry.area);
        dock->setWidget(entry.content);
        addDockWidget(entry.area, dock);
        if (entry.area == Qt::BottomDockWidgetArea) {
            new DockShare(this, dock);
            QAction *toggle = dock->toggleViewAction();
            toggle->setText(QStringLiteral("Linked &Entries"));
            m_ui->menuView->addAction(toggle);
        }
    }
}

void MainWindow::createTimeline()
{
    m_timelineStrip = new TimelineStrip(this);
    auto *dock = new QDockWidget(QStringLiteral("Timeline"), this);
    dock->setObjectName(QStringLiteral("Top"));
    dock->setTitleBarWidget(new QWidget(dock));
    dock->setFeatures(QDockWidget::DockWidgetClosable);
    dock->setAllowedAreas(Qt::TopDockWidgetArea);
    dock->setWidget(m_timelineStrip);
    addDockWidget(Qt::TopDockWidgetArea, dock);
    QAction *toggle = dock->toggleViewAction();
    toggle->setText(QStringLiteral("T&imeline"));
    m_ui->menuView->addAction(toggle);

    m_timeline = new TimelineController(m_timelineStrip, m_ui->appList, m_ui->linkedEntries, this);
    connect(recorder(), &Recorder::entryStored, m_timeline,
            [this](const QDateTime &start, const QDateTime &end, const WindowInfo &info, qint64, qint64 entryId) {
                m_timeline->addRecorded(entryId, start, end, info.path, info.name, info.title);
            });
}

QDate MainWindow::selectedDate() const
{
    return m_ui->calendar->selectedDate();
}

void MainWindow::setEntryModels(EntryDayModel *unlinked, EntryDayModel *linked)
{
    delete m_unlinkedModel;
    delete m_linkedModel;
    m_unlinkedModel = unlinked;
    m_linkedModel = linked;
    for (EntryDayModel *model : {unlinked, linked}) {
        if (model) {
            model->setParent(this);
        }
    }
    auto *unlinkedTree = qobject_cast<TreeModelAdapter *>(unlinked);
    auto *linkedTree = qobject_cast<TreeModelAdapter *>(linked);
    m_subsystems->setEntryModels(unlinkedTree ? unlinkedTree->treeModel() : nullptr,
                                 linkedTree ? linkedTree->treeModel() : nullptr);
    if (EntryLinker *linker = m_subsystems->linker()) {
        // A link or unlink that did not go through rebuilds both views; they keep their open nodes.
        connect(linker, &EntryLinker::viewsReloading, m_ui->appList, &EntryTreeView::saveExpandedNodes);
        connect(linker, &EntryLinker::viewsReloading, m_ui->linkedEntries, &EntryTreeView::saveExpandedNodes);
        connect(linker, &EntryLinker::viewsReloaded, m_ui->appList, &EntryTreeView::restoreExpandedNodes);
        connect(linker, &EntryLinker::viewsReloaded, m_ui->linkedEntries, &EntryTreeView::restoreExpandedNodes);
        connect(m_ui->linkedEntries, &EntriesList::signalSettleEntries, linker, &EntryLinker::settleEntries);
    }
    if (m_initialUpdateDone) {
        initUnlinkedList();
        initLinkedList();
        m_timeline->watchModels();
    }
}

void MainWindow::showProgress(int minimum, int maximum)
{
    m_progressBar->setRange(minimum, maximum);
    m_progressBar->setValue(minimum);
    m_progressBar->show();
}

void MainWindow::setUpdateChecker(std::unique_ptr<UpdateChecker> checker)
{
    m_subsystems->setUpdateChecker(std::move(checker));
}

void MainWindow::connectRecording()
{
    Recorder *current = recorder();
    m_trayAnimation = new TrayAnimation(this);
    connect(current, &Recorder::recordingChanged, this, &MainWindow::onRecordingChanged);
    connect(current, &Recorder::awayTimeDetected, this, [this](const QString &title, const QString &message) {
        m_tray->icon()->showMessage(title, message, QSystemTrayIcon::Information, Recorder::AwayBalloonTimeoutMs);
    });
    connect(current, &Recorder::entryStored, this,
            [this](const QDateTime &start, const QDateTime &end, const WindowInfo &info, qint64 appId, qint64 entryId) {
                if (m_unlinkedModel && start.date() == selectedDate()) {
                    m_unlinkedModel->addEntry(start, end, info.path, info.name, info.title, info.icon, appId, entryId);
                }
            });
    connect(current, &Recorder::storageFailing, this, [this](bool failing, const QString &text) {
        if (failing) {
            statusBar()->showMessage(text);
            m_tray->icon()->showMessage(QStringLiteral("Recorded time not stored"), text, QSystemTrayIcon::Warning);
        } else {
            statusBar()->showMessage(QStringLiteral("Recorded time is stored again."), 10000);
        }
    });
    connect(m_subsystems->suspendHandler(), &SuspendHandler::dateChangedSinceSuspend, this, &MainWindow::showDate);

    // The open stretch must reach the database however the program or the session ends.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &MainWindow::flushRecording);
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) {
        flushRecording();
        saveSettings();
    });
    connect(qApp, &QGuiApplication::saveStateRequest, this, [this](QSessionManager &) { flushRecording(); });
}

void MainWindow::flushRecording()
{
    m_subsystems->flushRecording(m_usable);
}

void MainWindow::setRecording(bool on)
{
    recorder()->setRecording(on);
}

void MainWindow::onRecordingChanged(bool on)
{
    m_recording = on;
    m_ui->btnRecord->setText(on ? QStringLiteral("Recording") : QStringLiteral("Paused"));
    m_tray->setRecording(on);
    m_trayAnimation->setRecording(on);
}

void MainWindow::on_btnRecord_toggled(bool checked)
{
    setRecording(checked);
}

void MainWindow::onStart()
{
    m_ui->btnRecord->setChecked(true);
}

void MainWindow::onStop()
{
    m_ui->btnRecord->setChecked(false);
}

void MainWindow::onInitialUpdate()
{
    initHideUnderChoices();
    initGroupByHour();
    initCalendarDaysWithEntries();

    statusBar()->showMessage(QStringLiteral("Loading entries..."));
    initUnlinkedList();
    statusBar()->showMessage(QStringLiteral("Loading linked entries..."));
    initLinkedList();
    checkStorage();
    m_timeline->watchModels();
    m_timeline->showDay(selectedDate());

    // Requests wait in nested event loops: the local views are complete before the first one.
    session()->startUp();
    m_initialUpdateDone = true;
    connect(m_loginIndicator, &ClickableLabel::doubleClicked, this, &MainWindow::onStatusLoginIndicatorDblClicked);
    if (GnomeExtensionSetup *gnomeSetup = m_subsystems->gnomeExtensionSetup()) {
        gnomeSetup->startUp();
    }
    showSessionNote();
    connect(m_subsystems, &Subsystems::windowNoteChanged, this, &MainWindow::showSessionNote);
    scheduleUpdateChecks();
    checkForUpdatesInBackground();
}

void MainWindow::checkStorage()
{
    const QString problem = StorageCheck::problem(SettingsFile::dataFolder());
    m_storageWarning->setText(problem.isEmpty() ? QString() : QStringLiteral("Not saving: ") + problem.toHtmlEscaped());
    m_storageWarning->setToolTip(problem);
    m_storageWarning->setVisible(!problem.isEmpty());
    trayIcon()->setToolTip(problem.isEmpty() ? QStringLiteral("TavroDesk") : QStringLiteral("TavroDesk: ") + problem);
    if (problem.isEmpty()) {
        return;
    }
    qWarning() << problem;
    if (isTrayUsable()) {
        trayIcon()->showMessage(QStringLiteral("TavroDesk cannot save"), problem, QSystemTrayIcon::Warning);
    }
}

void MainWindow::showSessionNote()
{
    const WindowProbe *probe = windowProbe();
    const QString note = probe->isAvailable() ? probe->note() : probe->problem();
    if (note.isEmpty()) {
        return;
    }
    qDebug() << note;
    statusBar()->showMessage(note);
    if (isTrayUsable()) {
        m_tray->icon()->showMessage(QStringLiteral("TavroDesk"), note, QSystemTrayIcon::Warning);
    }
}

void MainWindow::initHideUnderChoices()
{
    const struct
    {
        const char *text;
        int seconds;
    } choices[] = {{"none", 0},      {"10 seconds", 10}, {"30 seconds", 30},
                   {"1 minute", 60}, {"5 minutes", 300}, {"10 minutes", 600}};
    QComboBox *combo = m_ui->cbHideUnder;
    combo->clear();
    for (const auto &choice : choices) {
        combo->addItem(QString::fromLatin1(choice.text), choice.seconds);
    }
    combo->setCurrentIndex(combo->findData(setting("HideUnder").toInt()));
}

void MainWindow::initGroupByHour()
{
    m_ui->checkGroupByHour->setChecked(setting("GroupByHour").toBool());
}

int MainWindow::hideUnderSeconds() const
{
    return m_ui->cbHideUnder->currentData().toInt();
}

void MainWindow::attachModel(EntryTreeView *view, EntryDayModel *model, QLabel *totalLabel)
{
    connect(model, &EntryDayModel::totalTimeTextChanged, totalLabel, &QLabel::setText, Qt::UniqueConnection);
    model->setHideUnder(hideUnderSeconds());
    model->setDay(selectedDate());
    model->reload();
    // Sorting is on in the form: attaching the model sorts it by the indicator, longest time first.
    view->header()->setSortIndicator(TreeModel::TimeColumn, Qt::DescendingOrder);
    view->setModel(model->itemModel());
    view->applyColumnLayout();
    view->setItemDelegateForColumn(
        2, new ListItemDelegate(
               [model](const QModelIndex &index) {
                   return ListItemDelegate::Node{model->nodeTime(index), model->nodeType(index)};
               },
               [model](const QModelIndex &) { return model->totalTime(); }, view));
}

void MainWindow::initUnlinkedList()
{
    if (!m_unlinkedModel) {
        return;
    }
    connect(m_unlinkedModel, &EntryDayModel::datesWithZeroTimeChanged, this, &MainWindow::initCalendarDaysWithEntries,
            Qt::UniqueConnection);
    m_unlinkedModel->setGroupByHour(setting("GroupByHour").toBool());
    attachModel(m_ui->appList, m_unlinkedModel, m_ui->labelTotalTime);
    m_ui->appList->expandAll();
    m_ui->appList->restoreHeaderState();
}

void MainWindow::initLinkedList()
{
    if (!m_linkedModel) {
        return;
    }
    attachModel(m_ui->linkedEntries, m_linkedModel, m_ui->labelTotalLinkedTime);
    m_ui->linkedEntries->expandToDepth(2);
    m_ui->linkedEntries->restoreHeaderState();
}

void MainWindow::initCalendarDaysWithEntries()
{
    m_ui->calendar->setDaysWithUnlinkedTime(EntryStore::daysWithUnlinkedTime(setting("IgnoredApps").toStringList()));
}

void MainWindow::reserveDateRowWidth()
{
    // "Show Today" keeps its place while hidden, and the panel is wide enough for the longest date
    // beside it: choosing another day must not widen the panel and squeeze the entry views.
    QSizePolicy todayPolicy = m_ui->btToday->sizePolicy();
    todayPolicy.setRetainSizeWhenHidden(true);
    m_ui->btToday->setSizePolicy(todayPolicy);
    const QFontMetrics metrics(m_ui->headerBar->font());
    const QString format = QLocale::system().dateFormat(QLocale::LongFormat);
    const QDate first(QDate::currentDate().year(), 1, 1);
    int longest = 0;
    for (QDate day = first; day.year() == first.year(); day = day.addDays(1)) {
        longest = qMax(longest, metrics.horizontalAdvance(QLocale::system().toString(day, format)));
    }
    const QMargins margins = m_ui->layoutRBox->contentsMargins();
    m_ui->widgetFilterRBox->setMinimumWidth(longest + m_ui->layoutDate->spacing() + m_ui->btToday->sizeHint().width() +
                                            margins.left() + margins.right() + 2 * m_ui->headerBar->margin() + 8);
}

void MainWindow::updateDateHeader(const QDate &date)
{
    m_ui->headerBar->setText(QLocale::system().toString(date, QLocale::system().dateFormat(QLocale::LongFormat)));
    m_ui->btToday->setVisible(date != QDate::currentDate());
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
    if (m_unlinkedModel) {
        m_unlinkedModel->setDay(date);
        m_unlinkedModel->reload();
        m_ui->appList->expandAll();
    }
    if (m_linkedModel) {
        m_linkedModel->setDay(date);
        m_linkedModel->reload();
        m_ui->linkedEntries->collapseAll();
        m_ui->linkedEntries->expandToDepth(2);
    }
}

void MainWindow::onCalendarSelectionChanged()
{
    onCalendarDateChanged(m_ui->calendar->selectedDate());
}

void MainWindow::on_btToday_clicked()
{
    m_ui->calendar->setSelectedDate(QDate::currentDate());
}

void MainWindow::reloadViews()
{
    if (m_unlinkedModel) {
        m_unlinkedModel->reload();
        m_ui->appList->expandAll();
    }
    if (m_linkedModel) {
        m_linkedModel->reload();
        m_ui->linkedEntries->expandToDepth(2);
    }
}

void MainWindow::on_cbHideUnder_activated(int index)
{
    const int seconds = m_ui->cbHideUnder->itemData(index).toInt();
    Settings::instance()->values[key("HideUnder")] = seconds;
    for (EntryDayModel *model : {m_unlinkedModel, m_linkedModel}) {
        if (model) {
            model->setHideUnder(seconds);
        }
    }
    reloadViews();
}

void MainWindow::on_checkGroupByHour_clicked(bool checked)
{
    Settings::instance()->values[key("GroupByHour")] = checked;
    if (m_unlinkedModel) {
        m_unlinkedModel->setGroupByHour(checked);
        m_unlinkedModel->reload();
        m_ui->appList->expandAll();
    }
}

void MainWindow::on_editFilter_textChanged(const QString &text)
{
    m_filters->entriesTextChanged(text);
}

void MainWindow::on_editFilterProjects_textChanged(const QString &text)
{
    m_filters->projectsTextChanged(text);
}

void MainWindow::onFilterTimer()
{
    filterApply();
}

void MainWindow::onFilterProjectsTimer()
{
    filterProjectsApply();
}

void MainWindow::filterApply()
{
    m_filters->applyEntries();
}

void MainWindow::filterProjectsApply()
{
    m_filters->applyProjects();
}

void MainWindow::on_btnSyncFilters_toggled(bool checked)
{
    m_filters->syncToggled(checked);
}

void MainWindow::applyEntryFilter(const QString &text, bool keepExpandedNodes)
{
    Settings::instance()->values[key("Filter")] = text;
    if (!m_unlinkedModel) {
        return;
    }
    if (keepExpandedNodes) {
        m_ui->appList->saveExpandedNodes();
    }
    m_unlinkedModel->setFilterText(text);
    m_unlinkedModel->reload();
    if (keepExpandedNodes) {
        m_ui->appList->restoreExpandedNodes();
    } else {
        m_ui->appList->expandAll();
    }
}

void MainWindow::applyProjectsFilter(const QString &text)
{
    Q_EMIT signalProjectsFilterApplied(text);
}

void MainWindow::on_action_Ignored_Applications_triggered()
{
    IgnoredAppsDialog dialog(this, [this](const QString &path) { return windowProbe()->getAppIcon(path); });
    dialog.exec();
    if (!dialog.listChanged) {
        return;
    }
    m_ui->appList->saveExpandedNodes();
    m_ui->linkedEntries->saveExpandedNodes();
    if (m_unlinkedModel) {
        m_unlinkedModel->reload();
    }
    initCalendarDaysWithEntries();
    m_ui->appList->restoreExpandedNodes();
    if (m_linkedModel) {
        m_linkedModel->reload();
    }
    m_ui->linkedEntries->restoreExpandedNodes();
}

void MainWindow::on_actionExport_triggered()
{
    ExportDialog dialog(selectedDate(), SystemClock::instance(), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    dialog.getData();
    EntryExport run;
    run.from = dialog.dateFrom;
    run.to = dialog.dateTo;
    run.format = dialog.json ? ExportWriter::Format::Json : ExportWriter::Format::Csv;
    run.catalogueXml = setting("XmlProjectsList").toString();
    QString error;
    if (!run.writeFile(dialog.path, &error)) {
        MessageBox::warning(this, QStringLiteral("Error"), error);
        return;
    }
    statusBar()->showMessage(QStringLiteral("Exported to ") + dialog.path);
}

void MainWindow::on_action_About_Tavro_triggered()
{
    AboutDialog dialog(this);
    dialog.setWindowSource(windowProbe()->sourceDescription());
    connect(&dialog, &AboutDialog::checkForUpdates, this, &MainWindow::on_actionCheck_for_Updates_triggered);
    dialog.exec();
}

void MainWindow::on_actionCheck_for_Updates_triggered()
{
    if (UpdateChecker *checker = updateChecker()) {
        checker->setAppcastUrl(setting("UpdateFeedUrl").toString());
        checker->checkWithUi(this);
    }
}

void MainWindow::checkForUpdatesInBackground()
{
    UpdateChecker *checker = updateChecker();
    if (checker && setting("CheckForUpdates").toBool()) {
        checker->setAppcastUrl(setting("UpdateFeedUrl").toString());
        checker->checkInBackground(this);
    }
}

void MainWindow::scheduleUpdateChecks()
{
    if (setting("CheckForUpdates").toBool()) {
        m_updateTimer.start(UpdateCheckIntervalMs);
    } else {
        m_updateTimer.stop();
    }
}

void MainWindow::on_action_Help_Topics_triggered()
{
    LinkOpener::open(this, QUrl(setting("HelpUrl").toString()));
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

void MainWindow::onTrayMenuOptions()
{
    SettingsDialog dialog(this);
    Settings *settings = Settings::instance();
    dialog.values = SettingsFile::dialogValuesFromMap(settings->values);
    AutostartEntry autostart(BuildInfo::appId(), QCoreApplication::applicationFilePath());
    dialog.startAtLogin = autostart.isEnabled();
    dialog.keyringInUse = m_credentials->keyringInUse();
    dialog.putData();
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    dialog.getData();
    SettingsFile::storeDialogValues(settings->values, dialog.values);
    QString error;
    if (dialog.startAtLogin != autostart.isEnabled() && !autostart.setEnabled(dialog.startAtLogin, error)) {
        MessageBox::warning(this, QStringLiteral("Start at log-in"), error);
    }
    QApplication::setQuitOnLastWindowClosed(!settings->value(QStringLiteral("CloseToTray")).toBool());
}

void MainWindow::on_action_Settings_triggered()
{
    onTrayMenuOptions();
}

void MainWindow::on_actionExit_triggered()
{
    close();
    QCoreApplication::quit();
}

void MainWindow::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    const QSystemTrayIcon::ActivationReason opening =
        setting("SingleClickTrayOpen").toBool() ? QSystemTrayIcon::Trigger : QSystemTrayIcon::DoubleClick;
    if (reason == opening) {
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
    if (isTrayUsable() && setting("CloseToTray").toBool()) {
        hide();
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && !isTrayUsable()) {
        // Without a notification area nothing could bring a hidden window back: closing quits.
        QCoreApplication::quit();
    }
}

bool MainWindow::isTrayUsable() const
{
    return m_tray->icon()->isVisible() && m_trayAvailable && m_trayAvailable();
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_ui->retranslateUi(this);
    } else if (event->type() == QEvent::WindowStateChange) {
        if (isMinimized() && setting("MinimizeToTray").toBool() && isTrayUsable()) {
            QTimer::singleShot(0, this, &QWidget::hide);
        }
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::on_btnApplyRules_clicked()
{
    onApplyRules();
}

void MainWindow::on_actionApply_Rules_For_Date_Range_triggered()
{
    ruleCommands()->onApplyRulesForDateRange();
}

void MainWindow::on_action_Apply_Rules_triggered()
{
    onApplyRules();
}

void MainWindow::on_actionView_Rules_triggered()
{
    ruleCommands()->showRulesDialog();
}

void MainWindow::on_action_Add_Rule_triggered()
{
    onAddRuleDialog();
}

void MainWindow::on_action_RefreshProjects_triggered()
{
    qDebug() << "app menu refresh";
    session()->loadProjects();
}

void MainWindow::on_actionLogout_triggered()
{
    session()->logout();
    // Signing out also forgets the stored password, wherever it was kept.
    auto &values = Settings::instance()->values;
    values[QStringLiteral("Password")] = QString();
    values[QStringLiteral("AuthToken")] = QString();
    m_credentials->forget(*m_settingsFile);
}

void MainWindow::on_actionLogin_triggered()
{
    session()->login();
}

void MainWindow::on_action_Timestamps_triggered()
{
    TimestampsDialog dialog(this);
    dialog.day = selectedDate();
    dialog.load();
    dialog.exec();
}

void MainWindow::onStatusLoginIndicatorDblClicked()
{
    if (m_ui->actionLogin->isEnabled()) {
        on_actionLogin_triggered();
    }
}

void MainWindow::connectEntriesWithTask(const QStringList &ids, const QString &taskId, const QString &notes)
{
    _connectEntriesWithTask(ids, taskId, notes, false);
}

void MainWindow::_connectEntriesWithTask(const QStringList &ids, const QString &taskId, const QString &notes,
                                         bool silent)
{
    // The service may take up to its time-out to answer: show that the link waits for it.
    statusBar()->showMessage(LinkingNote);
    showProgress(0, 0);
    const bool linked = linkEntriesWithTask(ids, taskId, notes, silent);
    m_progressBar->hide();
    statusBar()->showMessage(linked ? QStringLiteral("Ready") : LinkFailedNote);
}

bool MainWindow::linkEntriesWithTask(const QStringList &ids, const QString &taskId, const QString &notes, bool)
{
    return m_subsystems->linkEntries(ids, taskId, notes);
}

void MainWindow::unlinkEntries(const QStringList &ids)
{
    m_subsystems->unlinkEntries(ids);
}

void MainWindow::onEditRuleDialog(int ruleId)
{
    ruleCommands()->onEditRuleDialog(ruleId);
}

void MainWindow::onAddRuleDialog()
{
    ruleCommands()->onAddRuleDialog();
}

void MainWindow::onRemoveRule(int ruleId)
{
    ruleCommands()->onRemoveRule(ruleId);
}

void MainWindow::onActivateRule(int ruleId, bool active)
{
    ruleCommands()->onActivateRule(ruleId, active);
}

void MainWindow::onMoveRule(int ruleId, int position)
{
    ruleCommands()->onMoveRule(ruleId, position);
}

void MainWindow::onApplyRules()
{
    ruleCommands()->onApplyRules();
}

void MainWindow::onDuplicateRule(int ruleId)
{
    ruleCommands()->onDuplicateRule(ruleId);
}

void MainWindow::onCreateRuleFromEntry(int appId, const QString &title)
{
    ruleCommands()->onCreateRuleFromEntry(appId, title);
}

void MainWindow::onCreateRuleFromApp(int appId)
{
    ruleCommands()->onCreateRuleFromApp(appId);
}
