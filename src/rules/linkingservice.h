#pragma once

#include <QString>
#include <QStringList>

// Links a set of unlinked entries with one remote task: one remote time entry carrying their summed
// time, then the local rows marked as linked. Implemented by the main window's linking operation.
class LinkingService
{
public:
    virtual ~LinkingService() = default;
    // May wait for the service in a nested event loop. False when nothing was linked.
    virtual bool connectEntriesWithTask(const QStringList &ids, const QString &taskId, const QString &notes) = 0;
};
