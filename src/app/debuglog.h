#pragma once

#include <QDateTime>
#include <QString>

// With -debug (see CommandLine) every Qt message goes to a log file as "dd-MM-yyyy hh:mm:ss" + tag + text.
namespace DebugLog {
// Switches the debug messages of every area on (-debug) or off, the program's own uncategorised
// ones included; QT_LOGGING_RULES still decides over both.
void enableDebugMessages(bool enabled);
// Opens the log for appending and installs the message handler. A log that cannot be opened
// is ignored: messages then keep going to the default handler.
bool open(const QString &path);
void close();
// The line written for one message (without the newline).
QString formatLine(QtMsgType type, const QString &message, const QDateTime &when);
} // namespace DebugLog
