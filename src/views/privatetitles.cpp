#include "privatetitles.h"

#include "messagebox.h"

#include <QCoreApplication>
#include <QWidget>

bool PrivateTitles::askToReplace(QWidget *parent, const QStringList &paths)
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
    return MessageBox::confirm(parent, QCoreApplication::translate("PrivateTitles", "Never Record This Application"),
                               text, QCoreApplication::translate("PrivateTitles", "&Replace Titles"),
                               QCoreApplication::translate("PrivateTitles", "&Keep Titles")) == MessageBox::Yes;
}
