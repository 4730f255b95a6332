#include "subsystems.h"

#include "applook.h"
#include "appmetadata.h"
#include "buildinfo.h"
#include "clickablelabel.h"
#include "clock.h"
#include "databasecheck.h"
#include "desktopnotifications.h"
#include "entrieslist.h"
#include "entrycommands.h"
#include "entrylinker.h"
#include "entryviews.h"
#include "foregroundwindow.h"
#include "gnomeextensionsetup.h"
#include "gnomeshellwindowsource.h"
#include "idlesource.h"
#include "linkingservice.h"
#include "logindialog.h"
#include "loginprompt.h"
#include "messagebox.h"
#include "recorder.h"
#include "reportedwindowsource.h"
#include "rulecommands.h"
#include "ruleengine.h"
#include "session.h"
#include "settingsfile.h"
#include "statusnotices.h"
#include "suspendhandler.h"
#include "suspendmonitor.h"
#include "timelinecontroller.h"
#include "timetree.h"
#include "treemodel.h"
#include "updatechecker.h"
#include "updatecheckerfactory.h"
#include "updateschedule.h"
#include "windowcaches.h"
#include "windowprobe.h"
#include "windowshownwatch.h"

#include <QDebug>
#include <QGuiApplication>
#include <QTimer>

namespace {

// Hands the rule engine's batches to the same linking as a drop on a task.
class SubsystemsLinking : public LinkingService
{
public:
    explicit SubsystemsLinking(Subsystems *subsystems)
        : m_subsystems(subsystems)
    {}
    void connectEntriesWithTask(const QStringList &ids, const QString &taskId, const QString &notes,
                                const std::function<void(bool)> &done) override
    {
        m_subsystems->linkEntries(ids, taskId, notes, [done](BookingService::LinkResult::Status status) {
            done(status == BookingService::LinkResult::Status::Linked);
        });
    }

private:
    Subsystems *m_subsystems;
};

// Asks for the account's credentials with the login dialog.
class DialogLoginPrompt : public LoginPrompt
{
public:
    explicit DialogLoginPrompt(QWidget *parent)
        : m_parent(parent)
    {}
    bool ask(Values &values) override
    {
        LoginDialog dialog(m_parent);
        dialog.username = values.username;
        dialog.password = values.password;
        dialog.remember = values.remember;
        dialog.errorMessage = values.errorMessage;
        dialog.putData();
        if (dialog.exec() != QDialog::Accepted) {
            return false;
        }
        dialog.getData();
        values.username = dialog.username;
        values.password = dialog.password;
        values.remember = dialog.remember;
        return true;
    }

private:
    QWidget *m_parent;
};

} // namespace

Subsystems::Subsystems(const Window &window, RecordingSources sources)
    : QObject(window.widget)
    , m_window(window.widget)
    , m_context(window.context)
    , m_clock(sources.clock ? sources.clock : SystemClock::instance())
    , m_updateChecker(createUpdateChecker())
{
    m_databaseOpen = openDatabase();
    createRecording(std::move(sources));
    // The open stretch must reach the database however the program or the session ends.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Subsystems::flushRecording);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &Subsystems::flushRecording);
    connect(qApp, &QGuiApplication::saveStateRequest, this, &Subsystems::flushRecording);
    m_loginPrompt = std::make_unique<DialogLoginPrompt>(m_window);
    m_session = new Session(m_loginPrompt.get(), this);
    for (TreeModel *tree : {window.unlinkedTree, window.linkedTree}) {
        if (tree) {
            tree->setEntryReader(&m_entries);
        }
    }
    m_linker = new EntryLinker(window.unlinkedTree, window.linkedTree, m_window);
    m_entryCommands = new EntryCommands(m_window);
    m_linking = std::make_unique<SubsystemsLinking>(this);
    m_rules = new RuleCommands(m_context, m_linking.get(), m_entries, m_window, m_metadata.get(), m_clock);
    m_updateSchedule = new UpdateSchedule([this] { return m_updateChecker.get(); }, m_window, this);
    m_notifications = new DesktopNotifications(QDBusConnection::sessionBus(), BuildInfo::appId(), this);
    if (GnomeShellExtension::isGnomeWayland()) {
        m_gnomeSetup = new GnomeExtensionSetup(QDBusConnection::sessionBus(), QString(), m_window);
        // The note on what is recorded follows what the set-up changed.
        if (auto *shell = dynamic_cast<GnomeShellWindowSource *>(m_windowSource.get())) {
            connect(m_gnomeSetup, &GnomeExtensionSetup::extensionChanged, shell, &GnomeShellWindowSource::check);
        }
    }
    connectWindow(window);
}

Subsystems::~Subsystems()
{
    if (m_updateChecker) {
        m_updateChecker->cleanup();
    }
}

bool Subsystems::openDatabase()
{
    const QString path = SettingsFile::databasePath();
    QString error;
    if (!m_database.open(path, &error)) {
        MessageBox::warning(m_window, tr("Database error"), tr("Could not open database: %1\n%2").arg(path, error));
        // The start-up ends without ever showing the window.
        return false;
    }
    Database::createSchema();
    DatabaseCheck::startInBackground(m_window, path);
    return true;
}

void Subsystems::closeDatabase()
{
    flushRecording();
    m_database.close();
}

void Subsystems::createRecording(RecordingSources sources)
{
    m_windowSource = sources.windows ? std::move(sources.windows) : createForegroundWindowSource();
    m_idleSource = sources.idle ? std::move(sources.idle) : createIdleSource();
    m_metadata = sources.metadata ? std::move(sources.metadata) : createAppMetadata();
    m_probe = std::make_unique<WindowProbe>(m_windowSource.get(), m_metadata.get());
    m_recorder = new Recorder(m_probe.get(), m_idleSource.get(), m_clock, this);
    m_sessionLock = sources.lock ? std::move(sources.lock) : createSessionLock();
    m_recorder->setSessionLock(m_sessionLock.get());
    m_idleInhibition = sources.inhibition ? std::move(sources.inhibition) : createIdleInhibition();
    m_recorder->setIdleInhibition(m_idleInhibition.get());
    m_recorder->setJournalPath(SettingsFile::dataFolder() + QStringLiteral("/recording.journal"));
    m_suspendMonitor = createSuspendMonitor(this);
    m_suspendHandler = new SuspendHandler(
        m_suspendMonitor, m_recorder, m_clock, [this] { return m_context->selectedDate(); }, this);
}

AppLook Subsystems::appLook() const
{
    // Applications are stored under a language-independent name and shown in the desktop's language;
    // rebuilt views show the same icons as the live ones, from the probe's per-path cache.
    return AppLook([metadata = m_metadata.get()](const QString &path) { return metadata->productName(path); },
                   [probe = m_probe.get()](const QString &path) { return probe->cachedAppIcon(path); });
}

void Subsystems::setUpdateChecker(std::unique_ptr<UpdateChecker> checker)
{
    if (m_updateChecker) {
        m_updateChecker->cleanup();
    }
    m_updateChecker = std::move(checker);
}

void Subsystems::connectWindow(const Window &window)
{
    EntryViews *views = window.views;
    StatusNotices *status = window.status;
    TimelineController *timeline = window.timeline;
    timeline->setEntryReader(&m_entries);
    views->unlinkedView()->setEntryReader(&m_entries);
    m_views = views;
    m_status = status;
    status->setNotifications(m_notifications);
    connect(m_recorder, &Recorder::awayTimeDetected, status, &StatusNotices::showAwayTime);
    // The away notice offers to describe the away time stored with it.
    connect(m_recorder, &Recorder::entryStored, this,
            [this](const QDateTime &, const QDateTime &, const WindowInfo &info, qint64, qint64 entryId) {
                if (info.path == QLatin1String(AwayApp::Path)) {
                    m_lastAwayEntry = entryId;
                }
            });
    connect(m_recorder, &Recorder::storageFailing, status, &StatusNotices::showStorageFailing);
    // A desktop helper that starts or stops answering changes what can be recorded.
    if (auto *reported = dynamic_cast<ReportedWindowSource *>(m_windowSource.get())) {
        connect(reported, &ReportedWindowSource::noteChanged, status, &StatusNotices::showSessionNote);
    }
    connect(m_recorder, &Recorder::entryStored, views,
            [this](const QDateTime &start, const QDateTime &, const WindowInfo &, qint64, qint64 entryId) {
                m_views->addRecorded(m_context->selectedDate(), start, entryId);
            });
    connect(m_recorder, &Recorder::entryStored, timeline,
            [timeline](const QDateTime &start, const QDateTime &end, const WindowInfo &info, qint64, qint64 entryId) {
                timeline->addRecorded(entryId, start, end, info.path, info.name, info.title);
            });

    // A rule run rebuilds the views; they keep their open nodes.
    RuleEngine *engine = m_rules->engine();
    connect(engine, &RuleEngine::runStarting, views, &EntryViews::saveExpandedNodes);
    connect(engine, &RuleEngine::progressStarted, status, [status](int maximum) { status->showProgress(0, maximum); });
    connect(engine, &RuleEngine::progressChanged, status, &StatusNotices::setProgress);
    connect(engine, &RuleEngine::progressFinished, status, &StatusNotices::hideProgress);
    connect(engine, &RuleEngine::reloadUnlinkedView, views, &EntryViews::reloadUnlinkedKeepingExpandedNodes);
    connect(engine, &RuleEngine::reloadLinkedView, views, &EntryViews::reloadLinkedKeepingExpandedNodes);

    connect(m_session, &Session::statusMessage, status, &StatusNotices::showMessage);
    // The retry countdown shows in the status bar only: it rests while the window is hidden.
    auto *shown = new WindowShownWatch(m_window);
    m_session->setCountdownShown(shown->isShown());
    connect(shown, &WindowShownWatch::shownChanged, m_session, &Session::setCountdownShown);
    connect(shown, &WindowShownWatch::shownChanged, this, [views, timeline](bool isShown) {
        if (isShown) {
            views->wake();
            timeline->wake();
        } else {
            views->rest();
            timeline->rest();
            WindowCaches::release();
        }
    });
    // A second after the last rebuild, when the views have laid out and painted the day and the
    // timeline has followed them, what the building used in passing goes back.
    auto *leftovers = new QTimer(this);
    leftovers->setSingleShot(true);
    leftovers->setInterval(1000);
    connect(leftovers, &QTimer::timeout, this, &WindowCaches::releaseBuildLeftovers);
    connect(views, &EntryViews::rebuilt, leftovers, qOverload<>(&QTimer::start));
    connect(m_session, &Session::indicatorTextChanged, status->loginIndicator(), &QLabel::setText);

    connect(m_linker, &EntryLinker::progressStarted, status, &StatusNotices::showProgress);
    connect(m_linker, &EntryLinker::progressChanged, status, &StatusNotices::setProgress);
    connect(m_linker, &EntryLinker::progressFinished, status, &StatusNotices::hideProgress);
    // Any link, unlink or settling can change which days still hold unlinked time.
    connect(m_linker, &EntryLinker::linksChanged, views, &EntryViews::datesWithZeroTimeChanged);
    connect(views->linkedView(), &EntriesList::signalSettleEntries, m_linker, &EntryLinker::settleEntries);

    // The unlinked view asks; the commands change the store; the views, their totals, the timeline
    // and the calendar's marks are rebuilt from what it then holds.
    TimeTree *unlinked = views->unlinkedView();
    connect(unlinked, &TimeTree::deleteRequested, m_entryCommands, &EntryCommands::deleteEntries);
    connect(unlinked, &TimeTree::describeAwayTimeRequested, m_entryCommands, &EntryCommands::describeAwayTime);
    connect(unlinked, &TimeTree::privateTitlesRequested, m_entryCommands, &EntryCommands::replaceTitlesWithPrivate);
    connect(m_entryCommands, &EntryCommands::entriesChanged, views, &EntryViews::reloadKeepingExpandedNodes);
    connect(m_entryCommands, &EntryCommands::entriesChanged, views, &EntryViews::datesWithZeroTimeChanged);
}

void Subsystems::startUp()
{
    // The rest of the start-up tells its notes once the session's messages are through.
    connect(
        m_session, &Session::startUpFinished, this,
        [this] {
            if (m_gnomeSetup) {
                m_gnomeSetup->startUp();
            }
            m_status->showSessionNote(m_probe->isAvailable() ? m_probe->note() : m_probe->problem());
            m_updateSchedule->start();
            // A start in the tray leaves what the start-up built and dropped.
            if (!m_window->isVisible()) {
                WindowCaches::release();
            }
            Q_EMIT startUpFinished();
        },
        Qt::SingleShotConnection);
    // The window's local views are complete before the first request goes out.
    m_session->startUp();
}

void Subsystems::linkEntries(const QStringList &ids, const QString &taskId, const QString &notes,
                             const EntryLinker::LinkDone &done)
{
    m_linker->link(ids, taskId, notes, done);
}

void Subsystems::unlinkEntries(const QStringList &ids)
{
    m_linker->unlinkEntries(ids);
}

void Subsystems::flushRecording()
{
    if (m_recorder && m_databaseOpen) {
        m_recorder->flush();
    }
}
