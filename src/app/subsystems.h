#pragma once

#include "database.h"
#include "entrylinker.h"
#include "recordingsources.h"
#include "storedentries.h"

#include <QObject>
#include <QStringList>

#include <memory>

class AppLook;
class DesktopNotifications;
class EntryCommands;
class EntryViews;
class GnomeExtensionSetup;
class LinkingService;
class LoginPrompt;
class Recorder;
class RuleCommands;
class RuleContext;
class Session;
class StatusNotices;
class SuspendHandler;
class SuspendMonitor;
class TimelineController;
class TreeModel;
class UpdateChecker;
class UpdateSchedule;
class WindowProbe;
class QWidget;

// The program's composition root: opens the database, creates the subsystems behind the main window
// and wires them to each other and to the window's parts, once, in its constructor. The window shows
// what they report and passes on what the user asks for.
class Subsystems : public QObject
{
    Q_OBJECT

public:
    // The parts of the window the subsystems report to and ask. None is owned; all must outlive
    // this object.
    struct Window
    {
        // Parents the dialogs, message boxes and the linker.
        QWidget *widget = nullptr;
        // Tells the rule commands and the suspend handling what is selected.
        RuleContext *context = nullptr;
        EntryViews *views = nullptr;
        StatusNotices *status = nullptr;
        TimelineController *timeline = nullptr;
        // The trees behind the entry views, between which linking moves entries.
        TreeModel *unlinkedTree = nullptr;
        TreeModel *linkedTree = nullptr;
    };

    explicit Subsystems(const Window &window, RecordingSources sources = {});
    ~Subsystems() override;

    // False when the database could not be opened (the user was told): nothing is recorded then.
    bool isDatabaseOpen() const { return m_databaseOpen; }
    // Stores the open stretch and closes the database; the window calls it before its views go.
    void closeDatabase();

    Recorder *recorder() const { return m_recorder; }
    WindowProbe *probe() const { return m_probe.get(); }
    AppMetadata *metadata() const { return m_metadata.get(); }
    // What the window's dialogs read of the stored entries.
    const EntryReader &entries() const { return m_entries; }
    SuspendHandler *suspendHandler() const { return m_suspendHandler; }
    Session *session() const { return m_session; }
    RuleCommands *ruleCommands() const { return m_rules; }
    UpdateChecker *updateChecker() const { return m_updateChecker.get(); }
    // Offers TavroDesk's GNOME Shell extension; null on other desktops.
    GnomeExtensionSetup *gnomeExtensionSetup() const { return m_gnomeSetup; }
    // Replaces the update checker; the old one is cleaned up first.
    void setUpdateChecker(std::unique_ptr<UpdateChecker> checker);
    UpdateSchedule *updateSchedule() const { return m_updateSchedule; }
    // The away entry stored last, 0 before any.
    qint64 lastAwayEntry() const { return m_lastAwayEntry; }

    // The start-up work once the window's local views are complete: signing in and loading the
    // projects, the desktop's extension, the note on how windows are read, the update checks;
    // startUpFinished tells when it is through.
    void startUp();

    EntryLinker *linker() const { return m_linker; }
    // Deletes and retitles entries as the user asks; the entry views follow what it changed.
    EntryCommands *entryCommands() const { return m_entryCommands; }
    // How the views show applications: names and icons as the recording found them.
    AppLook appLook() const;
    // Links the entries with the task, after the linking asked for before; `done` learns the outcome.
    void linkEntries(const QStringList &ids, const QString &taskId, const QString &notes,
                     const EntryLinker::LinkDone &done);
    void unlinkEntries(const QStringList &ids);

Q_SIGNALS:
    void startUpFinished();

private:
    // Shows in the window's entry views, status bar and timeline what the recorder, the session,
    // the rule engine and the linker report.
    void connectWindow(const Window &window);
    bool openDatabase();
    void createRecording(RecordingSources sources);
    // Stores the open stretch, e.g. when the program or the session ends.
    void flushRecording();

    QWidget *m_window;
    RuleContext *m_context;
    Database m_database;
    bool m_databaseOpen = false;
    StoredEntries m_entries;
    Clock *m_clock;
    std::unique_ptr<ForegroundWindowSource> m_windowSource;
    std::unique_ptr<IdleSource> m_idleSource;
    std::unique_ptr<SessionLock> m_sessionLock;
    std::unique_ptr<IdleInhibition> m_idleInhibition;
    std::unique_ptr<AppMetadata> m_metadata;
    std::unique_ptr<WindowProbe> m_probe;
    Recorder *m_recorder = nullptr;
    SuspendMonitor *m_suspendMonitor = nullptr;
    SuspendHandler *m_suspendHandler = nullptr;
    std::unique_ptr<LoginPrompt> m_loginPrompt;
    Session *m_session = nullptr;
    std::unique_ptr<LinkingService> m_linking;
    RuleCommands *m_rules = nullptr;
    EntryLinker *m_linker = nullptr;
    EntryCommands *m_entryCommands = nullptr;
    std::unique_ptr<UpdateChecker> m_updateChecker;
    GnomeExtensionSetup *m_gnomeSetup = nullptr;
    UpdateSchedule *m_updateSchedule = nullptr;
    DesktopNotifications *m_notifications = nullptr;
    qint64 m_lastAwayEntry = 0;
    EntryViews *m_views = nullptr;
    StatusNotices *m_status = nullptr;
};
