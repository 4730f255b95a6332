#include "privatetitles.h"

#include "messagebox.h"

#include <QWidget>

bool PrivateTitles::askToReplace(QWidget *parent, const QStringList &paths)
{
    if (paths.isEmpty()) {
        return false;
    }
    const QString text =
        QStringLiteral("TavroDesk no longer records the window titles of:\n    %1\n\n"
                       "Replace the titles already recorded for %2 with \"Private\"? The time stays as it is.")
            .arg(paths.join(QStringLiteral("\n    ")),
                 paths.size() == 1 ? QStringLiteral("this application") : QStringLiteral("these applications"));
    return MessageBox::question(parent, QStringLiteral("Never Record This Application"), text,
                                MessageBox::Yes | MessageBox::No, MessageBox::No) == MessageBox::Yes;
}
