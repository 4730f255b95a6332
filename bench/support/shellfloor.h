#pragma once

#include <QList>
#include <QPair>
#include <QString>

// The floor a read is measured against: the CPU time (user + system) the sqlite3 shell takes for
// the same statement on the same file, rows written to /dev/null. Median of `runs`; -1 when the
// shell cannot be run.
double shellFloorMs(const QString &databasePath, const QString &statement,
                    const QList<QPair<QString, QString>> &parameters = {}, int runs = 11);

// "name: cpu median X ms (target <= T ms), sqlite3 shell Y ms, ratio Z"
QString floorLine(const char *name, double cpuMs, double targetMs, double floorMs);

// "load average 0.52 0.61 0.70 (1, 5, 15 minutes)": CPU-time figures on a shared machine read
// higher while others keep its cores busy.
QString loadLine();
