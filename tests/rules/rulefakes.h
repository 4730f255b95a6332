#pragma once

#include "clock.h"
#include "linkingservice.h"
#include "messagebox.h"

#include <QList>
#include <QStringList>

#include <algorithm>
#include <functional>

struct LinkCall
{
    QStringList ids;
    QString taskId;
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
        Q_UNUSED(notes)
        calls.append(LinkCall{sorted, taskId});
        if (duringCall) {
            duringCall();
        }
        return result;
    }

    // "task:id,id task:id" in the order of the calls.
    QString summary() const
    {
        QStringList parts;
        for (const LinkCall &call : calls) {
            parts << call.taskId + QLatin1Char(':') + call.ids.join(QLatin1Char(','));
        }
        return parts.join(QLatin1Char(' '));
    }

    QList<LinkCall> calls;
    std::function<void()> duringCall;
    bool result = true;
};

// Takes the place of real message boxes while it exists: records every box and gives `answer`.
class RecordingPresenter final : public MessageBox::Presenter
{
public:
    RecordingPresenter() { MessageBox::setPresenter(this); }
    ~RecordingPresenter() override { MessageBox::setPresenter(nullptr); }
    MessageBox::Button present(const MessageBox::Box &box) override
    {
        boxes << box;
        return answer;
    }

    QList<MessageBox::Box> boxes;
    MessageBox::Button answer = MessageBox::Ok;
};

class FakeClock final : public Clock
{
public:
    QDateTime now() const override { return current; }
    QDateTime current{QDate(2012, 3, 7), QTime(10, 0)};
};
