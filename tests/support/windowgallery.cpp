#include "windowgallery.h"

#include "aboutdialog.h"
#include "addruledialog.h"
#include "addtaskdialog.h"
#include "addtasklistdialog.h"
#include "applicationpathdialog.h"
#include "applicationstore.h"
#include "applyrulesfordaterangedialog.h"
#include "awayeditdialog.h"
#include "cataloguereader.h"
#include "entrystore.h"
#include "exportdialog.h"
#include "ignoredappsdialog.h"
#include "linktimedialog.h"
#include "logindialog.h"
#include "mainwindow.h"
#include "rulepreviewdialog.h"
#include "rulesdialog.h"
#include "rulestore.h"
#include "session.h"
#include "settingsdialog.h"
#include "settingsfile.h"
#include "storedentries.h"
#include "timestampsdialog.h"
#include "weekview.h"
#include "windowinfo.h"

#include <QDateTime>
#include <QFile>
#include <QSettings>

namespace {
qint64 addApplication(const QString &path, const QString &name)
{
    qint64 id = 0;
    ApplicationStore::add(path, name, &id);
    return id;
}

void addEntry(const QString &title, const QDate &day, const QTime &from, const QTime &to, qint64 appId)
{
    qint64 id = 0;
    EntryStore::insertEntry(title, QDateTime(day, from), QDateTime(day, to), appId, &id);
}

template <typename Dialog> Dialog *opened(Dialog *dialog, QList<QWidget *> *dialogs)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(false);
    dialog->show();
    dialogs->append(dialog);
    return dialog;
}
} // namespace

void WindowGallery::prepareOfflineStart()
{
    SettingsFile::ensureFolders();
    QFile::remove(SettingsFile::databasePath());
    QSettings ini(SettingsFile::iniPath(), QSettings::IniFormat);
    // Nothing listens there.
    ini.setValue(QStringLiteral("API/Url"), QStringLiteral("http://127.0.0.1:1/service/"));
}

void WindowGallery::addSampleDay(const QDate &day)
{
    const qint64 editor = addApplication(QStringLiteral("/usr/bin/ed"), QStringLiteral("ed"));
    const qint64 terminal = addApplication(QStringLiteral("/usr/bin/xterm"), QStringLiteral("XTerm"));
    const qint64 away = addApplication(QLatin1String(AwayApp::Path), QLatin1String(AwayApp::Name));
    addEntry(QStringLiteral("notes.txt"), day, QTime(9, 0), QTime(9, 40), editor);
    addEntry(QStringLiteral("make check"), day, QTime(9, 40), QTime(10, 5), terminal);
    addEntry(QStringLiteral("at 10:05"), day, QTime(10, 5), QTime(10, 30), away);
    addEntry(QStringLiteral("notes.txt"), day, QTime(10, 30), QTime(11, 15), editor);
    RuleFields rule;
    rule.name = QStringLiteral("Editing notes");
    rule.appIds = {int(editor)};
    rule.title = QStringLiteral("notes");
    rule.projectId = 10;
    rule.taskId = 1000;
    RuleStore::addRule(rule);
}

void WindowGallery::showWithSampleDay(MainWindow *window)
{
    addSampleDay(window->selectedDate());
    // Nothing answers: the start goes offline at once instead of after the pauses between tries.
    window->session()->setRetryInterval(0);
    window->show();
}

QList<QWidget *> WindowGallery::openDialogs(MainWindow *window, const QString &projectsXml)
{
    QList<QWidget *> dialogs;
    const QDate day = window->selectedDate();
    // The catalogue the service would have sent: the task dialogs list it, the rules name from it.
    ProjectsCatalogue &catalogue = ProjectsCatalogue::shared();
    CatalogueReader::load(projectsXml, catalogue);

    opened(new AboutDialog(window), &dialogs)->setWindowSource(QStringLiteral("X11"));

    auto *settings = new SettingsDialog(window);
    settings->putData();
    opened(settings, &dialogs);

    auto *login = new LoginDialog(window);
    login->putData();
    opened(login, &dialogs);

    auto *excluded = new IgnoredAppsDialog(window);
    opened(excluded, &dialogs);
    opened(new IgnoredAppsDialog(window, {}, IgnoredAppsDialog::List::NeverRecorded), &dialogs);
    opened(new ApplicationPathDialog(window), &dialogs);
    opened(new ExportDialog(day, nullptr, window), &dialogs);

    static const StoredEntries entries;
    auto *timestamps = new TimestampsDialog(entries, window);
    timestamps->day = day;
    timestamps->load();
    opened(timestamps, &dialogs);

    auto *away = new AwayEditDialog(entries, window);
    away->load();
    opened(away, &dialogs);

    auto *link = new LinkTimeDialog(window);
    link->loadProjects(catalogue);
    link->seconds = 3600;
    link->putData();
    opened(link, &dialogs);

    auto *task = new AddTaskDialog(window);
    task->loadProjects(catalogue);
    task->putData();
    opened(task, &dialogs);

    auto *taskList = new AddTaskListDialog(window);
    taskList->loadProjects(catalogue);
    taskList->putData();
    opened(taskList, &dialogs);

    auto *rules = new RulesDialog(window);
    rules->loadRules();
    opened(rules, &dialogs);

    auto *rule = new AddRuleDialog(window, catalogue, StoredEntries().applications());
    rule->putData();
    opened(rule, &dialogs);

    opened(new ApplyRulesForDateRangeDialog(nullptr, window), &dialogs);
    auto *preview = new RulePreviewDialog([] { return RuleStore::loadActiveRules(); }, entries, day, nullptr, window);
    preview->refresh();
    opened(preview, &dialogs);

    window->findChild<QAction *>(QStringLiteral("actionWeek"))->trigger();
    dialogs.append(window->findChild<WeekView *>(QStringLiteral("weekView")));
    return dialogs;
}
