#include "entrycommands.h"

#include "entrystore.h"
#include "messagebox.h"
#include "neverrecorded.h"

#include <QWidget>

EntryCommands::EntryCommands(QWidget *parent)
    : QObject(parent)
    , m_parent(parent)
{}

bool EntryCommands::deleteEntries(const QStringList &ids)
{
    const StoreResult deleted = EntryStore::deleteEntries(ids);
    if (!deleted.ok()) {
        reportFailure(tr("The entries could not be deleted: "), deleted.error());
        return false;
    }
    Q_EMIT entriesChanged();
    return true;
}

bool EntryCommands::describeAwayTime(const QStringList &ids, const QString &description)
{
    const StoreResult described = EntryStore::updateEntriesTitle(ids, description);
    if (!described.ok()) {
        reportFailure(tr("The description of the away time could not be stored: "), described.error());
        return false;
    }
    Q_EMIT entriesChanged();
    return true;
}

bool EntryCommands::replaceTitlesWithPrivate(const QStringList &paths)
{
    int changed = 0;
    const StoreResult replaced = EntryStore::replaceTitles(paths, NeverRecorded::privateTitle(), &changed);
    if (!replaced.ok()) {
        reportFailure(tr("The recorded titles could not be replaced: "), replaced.error());
        return false;
    }
    if (changed > 0) {
        Q_EMIT entriesChanged();
    }
    return true;
}

void EntryCommands::reportFailure(const QString &what, const QString &error)
{
    MessageBox::critical(m_parent, tr("Database error"), what + error);
}
