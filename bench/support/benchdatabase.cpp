#include "benchdatabase.h"

#include <QFile>

#include <QSqlQuery>

#include <algorithm>
#include <ctime>

BenchDatabase::BenchDatabase()
{
    m_open = m_dir.isValid() && m_database.open(path(), nullptr);
    if (m_open) {
        Database::createSchema();
    }
}

void BenchDatabase::addApplications(int count)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("INSERT INTO applications (path, name) VALUES (?, ?)"));
    for (int app = 1; app <= count; ++app) {
        query.addBindValue(QStringLiteral("/usr/bin/app%1").arg(app));
        query.addBindValue(QStringLiteral("App %1").arg(app));
        query.exec();
    }
}

namespace {
double cpuMs(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}
} // namespace

double processCpuMs()
{
    return cpuMs(CLOCK_PROCESS_CPUTIME_ID);
}

double threadCpuMs()
{
    return cpuMs(CLOCK_THREAD_CPUTIME_ID);
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

namespace {
long statusKiB(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith(field)) {
            return line.mid(field.size()).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}
} // namespace

long peakRssKiB()
{
    return statusKiB("VmHWM:");
}

long rssKiB()
{
    return statusKiB("VmRSS:");
}

void resetPeakRss()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly)) {
        clearRefs.write("5");
    }
}
