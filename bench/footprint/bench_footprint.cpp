// What TavroDesk costs a desktop while it records, beside Qt's own floor: a minimal Widgets program with a
// window, a tree view and a tray icon (bench_floor), run under the same private X server with a tray host and
// an xterm in front. Prints resident memory, where TavroDesk's goes (smaps_rollup, and the TLS libraries'
// share apart) and the share of a core each takes while recording. The floor runs a second time with
// its tray icon animated as a recording one is, which is the floor under the recording's CPU figure.
//
// The share of a core is given over the whole measured time and as the steady state: the median of its
// 5-second slices, so that one-off work that falls into the window (the update check once the service
// gave up, say) shows as what it is instead of as a rate. Both are printed, with the CPU time of the
// start-up and the slices themselves.
//
// Usage: bench_footprint [--seconds N] [--repeat N]
//   --seconds: measured time per run (default 60 s, after 10 s to settle)
//   --repeat:  runs of the hidden recording scenario, for the spread (default 1)

#include "benchdatabase.h"
#include "database.h"
#include "settingsfile.h"
#include "shellfloor.h"
#include "timetext.h"
#include "xvfbsession.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>

namespace {

constexpr int SettleSeconds = 10;
constexpr int SliceSeconds = 5;
constexpr int DayEntries = 10000;

struct Figures
{
    long rssKiB = -1;
    // Over the whole measured time.
    double corePercent = -1;
    // CPU time of the start-up and the settling time.
    double startMs = -1;
    // Share of a core in each slice of the measured time.
    QList<double> slicePercents;
    QString rollup;
    long tlsKiB = 0;
    // Why there are no figures, if the program did not last the run.
    QString ended;

    double steadyPercent() const
    {
        QList<double> sorted = slicePercents;
        std::sort(sorted.begin(), sorted.end());
        return sorted.isEmpty() ? -1 : sorted.at(sorted.size() / 2);
    }

    QString slices() const
    {
        QStringList parts;
        for (double percent : slicePercents) {
            parts << QString::number(percent, 'f', 3);
        }
        return parts.join(QLatin1Char(' '));
    }
};

QByteArray procFile(qint64 pid, const char *name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

long statusKiB(qint64 pid, const QByteArray &field)
{
    for (const QByteArray &line : procFile(pid, "status").split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(field.size()).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

// Nanoseconds on a CPU: finer than the clock ticks of /proc/<pid>/stat, which a 0.05 % share barely moves.
qint64 cpuNs(qint64 pid)
{
    qint64 total = 0;
    const QString taskDir = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &tid : QDir(taskDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile schedstat(taskDir + QLatin1Char('/') + tid + QStringLiteral("/schedstat"));
        if (schedstat.open(QIODevice::ReadOnly)) {
            total += schedstat.readAll().split(' ').value(0).toLongLong();
        }
    }
    return total;
}

// Resident KiB of the TLS stack (OpenSSL and Qt's TLS plugins). They come with the first HTTPS request and
// stay: here the update check, in production also the service. Printed apart so that the rest can be judged.
long tlsKiB(qint64 pid)
{
    long total = 0;
    bool tls = false;
    for (const QByteArray &line : procFile(pid, "smaps").split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 5 && fields.at(0).contains('-') && !fields.at(0).endsWith(':')) {
            const QByteArray file = fields.size() > 5 ? fields.at(5) : QByteArray();
            const QByteArray name = file.mid(file.lastIndexOf('/') + 1);
            tls = name.startsWith("libssl.so") || name.startsWith("libcrypto.so") || file.contains("/plugins/tls/");
        } else if (tls && line.startsWith("Rss:")) {
            total += fields.value(1).toLong();
        }
    }
    return total;
}

// The resident lines of smaps_rollup that say what kind of memory it is.
QString rollup(qint64 pid)
{
    QStringList parts;
    for (const QByteArray &line : procFile(pid, "smaps_rollup").split('\n')) {
        for (const char *field : {"Rss:", "Pss_Anon:", "Pss_File:", "Pss_Shmem:", "Private_Dirty:"}) {
            if (line.startsWith(field)) {
                parts << QString::fromLatin1(line.simplified());
            }
        }
    }
    return parts.join(QStringLiteral(", "));
}

class Bench
{
public:
    bool start(QString *error)
    {
        if (!m_x.start(true, error)) {
            return false;
        }
        if (!XvfbSession::haveProgram(QStringLiteral("trayer"))) {
            *error = QStringLiteral("trayer is missing: the tray host (scripts/install-deps.sh installs it)");
            return false;
        }
        m_x.startClient(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("bottom"),
                                                   QStringLiteral("--widthtype"), QStringLiteral("request")});
        m_x.startClient(QStringLiteral("xterm"), {QStringLiteral("-T"), QStringLiteral("Report.txt - Editor")});
        m_editor = m_x.waitForWindow({QStringLiteral("--name"), QStringLiteral("Report.txt")});
        if (m_editor == 0) {
            *error = QStringLiteral("the xterm does not come up");
            return false;
        }
        return true;
    }

    // Runs the program for the settling time and `seconds` more with the xterm in front.
    Figures run(const QString &program, const QStringList &arguments, int seconds)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(m_x.display()));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        XvfbSession::endWithTest(process);
        process.start(program, arguments);
        Figures figures;
        if (!process.waitForStarted()) {
            return figures;
        }
        QThread::sleep(2);
        m_x.activate(m_editor);
        QThread::sleep(SettleSeconds - 2);
        const qint64 pid = process.processId();
        const qint64 cpuBefore = cpuNs(pid);
        figures.startMs = double(cpuBefore) / 1e6;
        QElapsedTimer wall;
        wall.start();
        qint64 sliceCpu = cpuBefore;
        qint64 sliceWall = 0;
        for (int slice = 0; slice < qMax(1, seconds / SliceSeconds); ++slice) {
            QThread::sleep(qMin(seconds, SliceSeconds));
            const qint64 cpu = cpuNs(pid);
            const qint64 elapsed = wall.nsecsElapsed();
            figures.slicePercents << 100.0 * double(cpu - sliceCpu) / double(elapsed - sliceWall);
            sliceCpu = cpu;
            sliceWall = elapsed;
        }
        figures.corePercent = 100.0 * double(sliceCpu - cpuBefore) / double(sliceWall);
        figures.rssKiB = statusKiB(pid, "VmRSS:");
        figures.rollup = rollup(pid);
        figures.tlsKiB = tlsKiB(pid);
        // A program that ended early measures nothing: say so rather than print a zero.
        if (process.waitForFinished(0)) {
            figures.ended = process.exitStatus() == QProcess::CrashExit
                                ? QStringLiteral("crashed during the run")
                                : QStringLiteral("ended during the run, exit code %1").arg(process.exitCode());
            return figures;
        }
        process.terminate();
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished();
        }
        return figures;
    }

private:
    XvfbSession m_x;
    quint64 m_editor = 0;
};

// A settings file that records from the start and a service that is not there (the session goes offline at
// once), and optionally a database whose today holds a heavy day.
bool prepareHome(bool heavyDay, QString *error)
{
    if (!SettingsFile::ensureFolders(error)) {
        return false;
    }
    QFile::remove(SettingsFile::databasePath());
    {
        QSettings ini(SettingsFile::iniPath(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("API/Url"), QStringLiteral("http://127.0.0.1:1/service/"));
        ini.setValue(QStringLiteral("Application/Started"), true);
    }
    if (!heavyDay) {
        return true;
    }
    Database database;
    if (!database.open(SettingsFile::databasePath(), error)) {
        return false;
    }
    Database::createSchema();
    BenchDatabase::addApplications(50);
    QSqlQuery insert;
    insert.prepare(
        QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) VALUES (?, ?, ?, ?)"));
    const QDateTime midnight(QDate::currentDate(), QTime(0, 0));
    QSqlDatabase::database().transaction();
    for (int i = 0; i < DayEntries; ++i) {
        const QDateTime start = midnight.addSecs(i);
        insert.addBindValue(QStringLiteral("Document %1").arg(i % 700));
        insert.addBindValue(1 + i % 50);
        insert.addBindValue(TimeText::formatDateTime(start));
        insert.addBindValue(TimeText::formatDateTime(start.addSecs(1)));
        insert.exec();
    }
    return QSqlDatabase::database().commit();
}

QString line(const char *name, const Figures &figures, const Figures &floor, double targetMiB)
{
    if (!figures.ended.isEmpty()) {
        return QStringLiteral("%1: no figures, the program %2\n").arg(QLatin1String(name), figures.ended);
    }
    const double extraMiB = double(figures.rssKiB - floor.rssKiB) / 1024.0;
    const double tlsMiB = double(figures.tlsKiB) / 1024.0;
    return QStringLiteral("%1: RSS %2 MiB, floor %3 MiB, difference %4 MiB (target <= %5 MiB), %6 % of a core\n"
                          "  of the difference, the TLS libraries (first HTTPS request): %7 MiB; without them %8 MiB\n")
        .arg(QLatin1String(name))
        .arg(double(figures.rssKiB) / 1024.0, 0, 'f', 1)
        .arg(double(floor.rssKiB) / 1024.0, 0, 'f', 1)
        .arg(extraMiB, 0, 'f', 1)
        .arg(targetMiB, 0, 'f', 0)
        .arg(figures.corePercent, 0, 'f', 3)
        .arg(tlsMiB, 0, 'f', 1)
        .arg(extraMiB - tlsMiB, 0, 'f', 1);
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_STATE_HOME", home.filePath(QStringLiteral("state")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.filePath(QStringLiteral("runtime")).toUtf8());
    QDir().mkpath(home.filePath(QStringLiteral("runtime")));
    QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const auto option = [&args](const char *name, int fallback) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at < 0 ? fallback : qMax(1, args.value(at + 1).toInt());
    };
    const int seconds = option("--seconds", 60);
    const int repeats = option("--repeat", 1);
    QTextStream out(stdout);
    Bench bench;
    QString error;
    if (!bench.start(&error)) {
        out << "cannot start the X session: " << error << "\n";
        return 1;
    }
    out << "each program runs " << SettleSeconds << " s to settle, then " << seconds
        << " s measured, an xterm in front\n";
    out.flush();
    const Figures floor = bench.run(QStringLiteral(FLOOR_BINARY), {}, seconds);
    out << "floor (window, tree view, tray icon): RSS " << double(floor.rssKiB) / 1024.0 << " MiB, "
        << QString::number(floor.corePercent, 'f', 3) << " % of a core (steady state "
        << QString::number(floor.steadyPercent(), 'f', 3) << " %)\n";
    out.flush();
    const Figures animatedFloor = bench.run(QStringLiteral(FLOOR_BINARY), {QStringLiteral("--animated")}, seconds);
    out << "floor with the recording's tray animation (8 frames, one every 500 ms): "
        << QString::number(animatedFloor.corePercent, 'f', 3) << " % of a core (steady state "
        << QString::number(animatedFloor.steadyPercent(), 'f', 3) << " %)\n";
    out.flush();

    if (!prepareHome(false, &error)) {
        out << "cannot prepare the settings: " << error << "\n";
        return 1;
    }
    QList<double> steady;
    for (int run = 0; run < repeats; ++run) {
        if (run > 0 && !prepareHome(false, &error)) {
            out << "cannot prepare the settings: " << error << "\n";
            return 1;
        }
        const Figures hidden = bench.run(QStringLiteral(TAVRO_BINARY), {QStringLiteral("--autostart")}, seconds);
        out << line("recording, window hidden", hidden, floor, 6);
        if (!hidden.ended.isEmpty()) {
            continue;
        }
        out << "  smaps_rollup: " << hidden.rollup << "\n";
        out << "  idle CPU while recording, steady state (median of " << SliceSeconds
            << "-s slices): " << QString::number(hidden.steadyPercent(), 'f', 3)
            << " % of a core (target <= 0.050 %, before 0.100 %, the animated floor "
            << QString::number(animatedFloor.steadyPercent(), 'f', 3) << " %); whole window "
            << QString::number(hidden.corePercent, 'f', 3) << " %; start-up and settling "
            << QString::number(hidden.startMs, 'f', 0) << " ms of CPU\n";
        out << "  slices (% of a core): " << hidden.slices() << "\n";
        out.flush();
        steady << hidden.steadyPercent();
    }
    if (steady.size() > 1) {
        std::sort(steady.begin(), steady.end());
        out << "  steady state over " << steady.size() << " runs: min " << QString::number(steady.first(), 'f', 3)
            << " %, median " << QString::number(steady.at(steady.size() / 2), 'f', 3) << " %, max "
            << QString::number(steady.last(), 'f', 3) << " % (target <= 0.050 %)\n";
    }

    if (!prepareHome(true, &error)) {
        out << "cannot prepare the heavy day: " << error << "\n";
        return 1;
    }
    // Started in the tray in the middle of a long day, as after a restart: the day is not held for a window
    // nobody opened.
    const Figures heavyHidden = bench.run(QStringLiteral(TAVRO_BINARY), {QStringLiteral("--autostart")}, seconds);
    out << line("recording, window hidden, started on a 10,000-entry day", heavyHidden, floor, 6)
        << "  smaps_rollup: " << heavyHidden.rollup << "\n";
    out.flush();

    if (!prepareHome(true, &error)) {
        out << "cannot prepare the heavy day: " << error << "\n";
        return 1;
    }
    const Figures shown = bench.run(QStringLiteral(TAVRO_BINARY), {}, seconds);
    out << line("recording, a 10,000-entry day shown", shown, floor, 15) << "  smaps_rollup: " << shown.rollup << "\n";
    out << "before: 52.9 MiB recording against a 34.3 MiB floor (+18.6 MiB)\n";
    out << loadLine() << " (a shared machine: memory and CPU figures vary with it; repeat runs)\n";
    return 0;
}
