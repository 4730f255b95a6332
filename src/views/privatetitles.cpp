#include "privatetitles.h"

#include "entrystore.h"
#include "messagebox.h"
#include "neverrecorded.h"

#include <QWidget>

bool PrivateTitles::offerRemoval(QWidget *parent, const QStringList &paths)
{
    if (paths.isEmpty()) {
        return false;
    }
    const QString text =
        QStringLiteral("TavroDesk no longer records the window titles of:\n    %1\n\n"
                       "Replace the titles already recorded for %2 with \"Private\"? The time stays as it is.")
            .arg(paths.join(QStringLiteral("\n    ")),
                 paths.size() == 1 ? QStringLiteral("this application") : QStringLiteral("these applications"));
    if (MessageBox::question(parent, QStringLiteral("Never Record This Application"), text,
                             MessageBox::Yes | MessageBox::No, MessageBox::No) != MessageBox::Yes) {
        return false;
    }
    int changed = 0;
    const StoreResult replaced = EntryStore::replaceTitles(paths, NeverRecorded::privateTitle(), &changed);
    if (!replaced.ok()) {
        MessageBox::critical(parent, QStringLiteral("Database error"),
                             QStringLiteral("The recorded titles could not be replaced: ") + replaced.error());
        return false;
    }
    return changed > 0;
}
