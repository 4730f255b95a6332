#include "privatetitles.h"

#include "entrystore.h"
#include "messagebox.h"
#include "neverrecorded.h"

#include <QCoreApplication>
#include <QWidget>

bool PrivateTitles::offerRemoval(QWidget *parent, const QStringList &paths)
{
    if (paths.isEmpty()) {
        return false;
    }
    const QString text =
        QCoreApplication::translate(
            "PrivateTitles", "TavroDesk no longer records the window titles of:\n    %1\n\n"
                             "Replace the titles already recorded for %2 with \"Private\"? The time stays as it is.")
            .arg(paths.join(QStringLiteral("\n    ")),
                 paths.size() == 1 ? QCoreApplication::translate("PrivateTitles", "this application")
                                   : QCoreApplication::translate("PrivateTitles", "these applications"));
    // Replacing cannot be undone: the buttons say what they do and Enter keeps the titles.
    if (MessageBox::confirm(parent, QCoreApplication::translate("PrivateTitles", "Never Record This Application"), text,
                            QCoreApplication::translate("PrivateTitles", "&Replace Titles"),
                            QCoreApplication::translate("PrivateTitles", "&Keep Titles")) != MessageBox::Yes) {
        return false;
    }
    int changed = 0;
    const StoreResult replaced = EntryStore::replaceTitles(paths, NeverRecorded::privateTitle(), &changed);
    if (!replaced.ok()) {
        MessageBox::critical(
            parent, QCoreApplication::translate("PrivateTitles", "Database error"),
            QCoreApplication::translate("PrivateTitles", "The recorded titles could not be replaced: %1")
                .arg(replaced.error()));
        return false;
    }
    return changed > 0;
}
