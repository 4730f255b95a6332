#pragma once

#include "entryviews.h"
#include "rulecommands.h"
#include "statusnotices.h"
#include "subsystems.h"
#include "traymenu.h"

#include <QDate>
#include <QMainWindow>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

class DateHeader;
class FilterSync;
class SettingsStorage;
class TimelineController;
class TimelineStrip;
class WeekView;

namespace Ui {
class MainWindow;
}

// The program's window: owns the form, its menus and views, and the tray icon. Menu actions and
// buttons whose work another object does are connected to it; the window's own slots run its
// dialogs and show state. The database and the subsystems are opened, created and wired by
// Subsystems, the entry views kept by EntryViews, the status bar by StatusNotices, the tray by
// TrayMenu, the filters by FilterSync and the settings file by SettingsStorage.
class MainWindow : public QMainWindow, public RuleContext
{
    Q_OBJECT

public:
    // `sources` are what recording looks at; empty ones are made for the running desktop.
    explicit MainWindow(QWidget *parent = nullptr, Qt::WindowFlags flags = {}, RecordingSources sources = {});
    ~MainWindow() override;

    // False when the database could not be opened: the start-up then ends.
    bool isUsable() const { return m_subsystems->isDatabaseOpen(); }
    bool isRecording() const { return m_recording; }
    // True once the deferred start-up work is through: signed in or offline, projects loaded, notes shown.
    bool isInitialised() const { return m_initialUpdateDone; }
    // Told once when the window closes on a desktop without a notification area.
    static QString noTrayCloseText();
    // Switches the recording engine; the record button's state is left alone.
    void setRecording(bool on);
    Recorder *recorder() const { return m_subsystems->recorder(); }
    WindowProbe *windowProbe() const { return m_subsystems->probe(); }

    void loadSettings();
    void saveSettings();

    QDate selectedDate() const override;
    // What new rules start from: the entry filter, the applications selected in the unlinked view
    // and the project and task selected in the projects tree.
    QString filterText() const override;
    QList<int> selectedAppIds() const override;
    int selectedProjectId() const override;
    int selectedTaskId() const override;
    void showDate(const QDate &date);
    void updateDateHeader(const QDate &date);

    // The models behind the unlinked and linked views; taken over by the window. Without them the
    // controls still work but have nothing to reload. Linking keeps working on the trees the window
    // made at its start.
    void setEntryModels(EntryDayModel *unlinked, EntryDayModel *linked);
    EntryDayModel *unlinkedModel() const { return m_views->unlinkedModel(); }
    EntryDayModel *linkedModel() const { return m_views->linkedModel(); }

    // Replaces the update checker (owned); the window cleans it up when it is destroyed.
    void setUpdateChecker(std::unique_ptr<UpdateChecker> checker);
    UpdateChecker *updateChecker() const { return m_subsystems->updateChecker(); }

    // Whether a notification area can show the tray icon; replaceable for tests.
    void setTrayAvailabilityCheck(std::function<bool()> check) { m_tray->setAvailabilityCheck(std::move(check)); }
    // Checks that the data folder and the database take changes; when not, a lasting warning in the
    // status bar and a tray balloon. Runs with the deferred start-up.
    void checkStorage();
    QLabel *storageWarning() const { return m_status->storageWarning(); }

    QSystemTrayIcon *trayIcon() const { return m_tray->icon(); }
    QMenu *trayMenu() const { return m_tray->menu(); }
    QProgressBar *progressBar() const { return m_status->progressBar(); }
    ClickableLabel *loginIndicator() const { return m_status->loginIndicator(); }
    RuleCommands *ruleCommands() const { return m_subsystems->ruleCommands(); }
    // Connectivity, sign-in and the projects catalogue.
    Session *session() const { return m_subsystems->session(); }
    TimelineStrip *timelineStrip() const { return m_timelineStrip; }

Q_SIGNALS:
    // The projects filter was applied with this text; the projects tree filters and repopulates.
    void signalProjectsFilterApplied(const QString &text);

public Q_SLOTS:
    void on_checkGroupByHour_clicked(bool checked);
    void on_action_Help_Topics_triggered();
    void on_action_About_Tavro_triggered();
    void on_actionLogout_triggered();
    void on_action_Timestamps_triggered();
    // Quits, after asking when recorded time would be lost.
    void on_actionExit_triggered();
    // Quits without asking: the session ends or a termination signal came.
    void quitNow();
    void on_action_Ignored_Applications_triggered();
    void on_action_NeverRecorded_Applications_triggered();
    // Writes the entries of the shown day or a chosen range to a CSV or JSON file.
    void on_actionExport_triggered();
    void on_btToday_clicked();
    void on_cbHideUnder_activated(int index);
    void onInitialUpdate();
    void onCalendarDateChanged(const QDate &date);
    // Links the entries with the task, showing the progress and the outcome in the status bar.
    void connectEntriesWithTask(const QStringList &ids, const QString &taskId, const QString &notes);
    // The settings dialog, from the menu or the tray; changed proxy settings apply at once.
    void editSettings();
    // Opens the description of the away time the last away notice told about.
    void describeAwayTime();
    void onTrayMenuShow();
    void iconActivated(QSystemTrayIcon::ActivationReason reason);
    void initCalendarDaysWithEntries();

protected:
    bool eventFilter(QObject *object, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void openAtScreenSize();
    // The window's side of the session's wiring: sign-in actions and the projects tree.
    void connectSession();
    // Menu actions and buttons whose work another object does.
    void connectActions();
    void onRecordingChanged(bool on);
    void setApplyRulesEnabled(bool enabled);
    void createTray();
    // View > Week and its button by the calendar.
    void createWeekView();
    int hideUnderSeconds() const;

    std::unique_ptr<Ui::MainWindow> m_ui;
    std::unique_ptr<SettingsStorage> m_settings;
    bool m_recording = false;
    bool m_initialUpdateDone = false;
    bool m_viewsAttached = false;
    // Exit was chosen: closing ends the program instead of leaving it running.
    bool m_exiting = false;

    StatusNotices *m_status = nullptr;
    TrayMenu *m_tray = nullptr;
    Subsystems *m_subsystems = nullptr;
    EntryViews *m_views = nullptr;
    FilterSync *m_filters = nullptr;
    TimelineStrip *m_timelineStrip = nullptr;
    TimelineController *m_timeline = nullptr;
    WeekView *m_weekView = nullptr;
    std::unique_ptr<DateHeader> m_dateHeader;
};
