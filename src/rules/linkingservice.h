#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Links a set of unlinked entries with one remote task: one remote time entry carrying their summed
// time, then the local rows marked as linked. Implemented by the presenter of linking.
class LinkingService
{
public:
    virtual ~LinkingService() = default;
    // Returns at once; `done` learns whether the entries were linked once the service answered.
    virtual void connectEntriesWithTask(const QStringList &ids, const QString &taskId, const QString &notes,
                                        const std::function<void(bool linked)> &done) = 0;
};
