#pragma once

#include <QDateTime>
#include <QString>

class QObject;

// Checks the open database for damage and tells the user: at start only when something is wrong,
// on demand always. A damaged file may be kept as a copy before the program carries on with it.
namespace DatabaseCheck {

// Returns the path of the copy that was kept, or an empty text.
QString run(QObject *parent, const QString &path, bool onDemand, const QDateTime &now);

// The check at start, on a connection of its own in another thread: a large file must not hold up
// the window. Damage is told as by run() once the check is done. The check belongs to `parent`,
// which waits for it when destroyed.
void startInBackground(QObject *parent, const QString &path);

} // namespace DatabaseCheck
