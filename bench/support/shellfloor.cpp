#include "shellfloor.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>

double shellFloorMs(const QString &databasePath, const QString &statement,
                    const QList<QPair<QString, QString>> &parameters, int runs)
{
    QString script = QStringLiteral(".output /dev/null\n");
    for (const auto &[name, value] : parameters) {
        // The shell takes the value as an SQL literal: texts go in single quotes.
        script += QStringLiteral(".parameter set %1 %2\n").arg(name, value);
    }
    script += QStringLiteral(".timer on\n");
    for (int run = 0; run < runs; ++run) {
        script += statement + QStringLiteral(";\n");
    }
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), databasePath});
    if (!shell.waitForStarted()) {
        return -1;
    }
    shell.write(script.toUtf8());
    shell.closeWriteChannel();
    if (!shell.waitForFinished(120000) || shell.exitCode() != 0) {
        return -1;
    }
    static const QRegularExpression timer(QStringLiteral("user ([0-9.]+) sys ([0-9.]+)"));
    QList<double> times;
    auto match = timer.globalMatch(QString::fromUtf8(shell.readAllStandardOutput()));
    while (match.hasNext()) {
        const auto found = match.next();
        times << (found.captured(1).toDouble() + found.captured(2).toDouble()) * 1000.0;
    }
    if (times.isEmpty()) {
        return -1;
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

QString floorLine(const char *name, double cpuMs, double targetMs, double floorMs)
{
    return QStringLiteral("%1: cpu median %2 ms (target <= %3 ms%4), sqlite3 shell %5 ms, ratio %6")
        .arg(QLatin1String(name))
        .arg(cpuMs, 0, 'f', 1)
        .arg(targetMs)
        .arg(cpuMs <= targetMs ? QStringLiteral(", met") : QStringLiteral(", NOT met"))
        .arg(floorMs, 0, 'f', 1)
        .arg(floorMs > 0 ? cpuMs / floorMs : 0.0, 0, 'f', 1);
}

QString loadLine()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("load average unknown");
    }
    const QList<QByteArray> fields = file.readAll().split(' ');
    return QStringLiteral("load average %1 %2 %3 (1, 5, 15 minutes)")
        .arg(QString::fromLatin1(fields.value(0)), QString::fromLatin1(fields.value(1)),
             QString::fromLatin1(fields.value(2)));
}
