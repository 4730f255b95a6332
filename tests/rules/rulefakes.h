#pragma once

#include "clock.h"
#include "linkingservice.h"

#include <QList>
#include <QStringList>

#include <algorithm>
#include <functional>

// Records each batch as "task:id,id" (ids ascending, notes in brackets when given) instead of
// talking to the service, and answers at once; can run code "during the wait".
class FakeLinking final : public LinkingService
{
public:
    void connectEntriesWithTask(const QStringList &ids, const QString &taskId, const QString &notes,
                                const std::function<void(bool)> &done) override
    {
        QStringList sorted = ids;
        std::sort(sorted.begin(), sorted.end(),
                  [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
        calls << taskId + QLatin1Char(':') + sorted.join(QLatin1Char(',')) +
                     (notes.isEmpty() ? QString() : QLatin1Char('(') + notes + QLatin1Char(')'));
        if (duringCall) {
            duringCall();
        }
        done(result);
    }

    QString summary() const { return calls.join(QLatin1Char(' ')); }

    QStringList calls;
    std::function<void()> duringCall;
    bool result = true;
};

class FakeClock final : public Clock
{
public:
    QDateTime now() const override { return current; }
    QDateTime current{QDate(2012, 3, 7), QTime(10, 0)};
};
