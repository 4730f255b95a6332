#pragma once

#include "linkingservice.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>

struct LinkCall
{
    QStringList ids;
    QString taskId;
    QString notes;
};

// Records the batches instead of talking to the service; can run code "during the wait".
class FakeLinking final : public LinkingService
{
public:
    bool connectEntriesWithTask(const QStringList &ids, const QString &taskId, const QString &notes) override
    {
        QStringList sorted = ids;
        std::sort(sorted.begin(), sorted.end(),
                  [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
        calls.append(LinkCall{sorted, taskId, notes});
        if (duringCall) {
            duringCall();
        }
        return result;
    }

    QList<LinkCall> calls;
    std::function<void()> duringCall;
    bool result = true;
};
