// Starts the main window on the five-year benchmark database (made by bench_dayview) and prints how
// long it takes until the window is usable: views filled, calendar marked, session started
// offline. Then how long showing the heavy day takes.
#include "benchdatabase.h"
#include "entrydaymodel.h"
#include "mainwindow.h"
#include "session.h"
#include "settingsfile.h"
#include "shellfloor.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

namespace {
const QString DayViewDatabase = QStringLiteral("/tmp/tavro-bench-dayview.sqlite");

} // namespace

int main(int argc, char *argv[])
{
    QTextStream out(stdout);
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_STATE_HOME", home.filePath(QStringLiteral("state")).toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (!QFile::exists(DayViewDatabase)) {
        out << "run bench_dayview first: it makes " << DayViewDatabase << "\n";
        return 1;
    }
    if (!SettingsFile::ensureFolders() || !QFile::link(DayViewDatabase, SettingsFile::databasePath())) {
        out << "cannot place the database in " << SettingsFile::dataFolder() << "\n";
        return 1;
    }
    {
        QSettings ini(SettingsFile::iniPath(), QSettings::IniFormat);
        // Nothing listens there: the session goes offline at once.
        ini.setValue(QStringLiteral("API/Url"), QStringLiteral("http://127.0.0.1:1/service/"));
        ini.setValue(QStringLiteral("Application/Started"), false);
    }

    out << loadLine() << "\n";
    QElapsedTimer wall;
    const double cpuStart = processCpuMs();
    const double threadStart = threadCpuMs();
    wall.start();
    MainWindow window;
    // Offline, the session would wait between its sign-in attempts; that is no part of the start.
    window.session()->setRetryInterval(0);
    window.show();
    while (!window.isInitialised()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    QCoreApplication::processEvents();
    const double windowThread = threadCpuMs() - threadStart;
    // The database's integrity check runs in a thread of its own beside the window: it counts in
    // the process's time, not in the time until the window is usable.
    out << QStringLiteral("start to a usable window: %1 ms wall, %2 ms cpu in the window's thread (target <= 1000 ms, "
                          "%3), %4 ms cpu in all threads\n")
               .arg(wall.elapsed())
               .arg(windowThread, 0, 'f', 1)
               .arg(windowThread <= 1000 ? QStringLiteral("met") : QStringLiteral("NOT met"))
               .arg(processCpuMs() - cpuStart, 0, 'f', 1);

    const double dayStart = threadCpuMs();
    wall.restart();
    window.findChild<QCalendarWidget *>(QStringLiteral("calendar"))->setSelectedDate(QDate(2025, 11, 12));
    QCoreApplication::processEvents();
    out << QStringLiteral("showing the heavy day (10,000 entries) in both views: %1 ms wall, %2 ms cpu in the "
                          "window's thread\n")
               .arg(wall.elapsed())
               .arg(threadCpuMs() - dayStart, 0, 'f', 1);
    out << "  unlinked total " << window.unlinkedModel()->totalTime() << " s\n";
    return 0;
}
