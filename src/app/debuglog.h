#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// With -debug every Qt message goes to a log file as "dd-MM-yyyy hh:mm:ss" + tag + text.
namespace DebugLog {
// True when the exact, case-sensitive switch is among the arguments.
bool requested(const QStringList &arguments);
// Opens the log for appending and installs the message handler. A log that cannot be opened
// is ignored: messages then keep going to the default handler.
bool open(const QString &path);
void close();
// The line written for one message (without the newline).
QString formatLine(QtMsgType type, const QString &message, const QDateTime &when);
} // namespace DebugLog
