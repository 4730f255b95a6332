#pragma once

#include <QString>
#include <QtGlobal>

// The executable a running process was started from, read from /proc/<pid>/exe. A binary that was
// replaced on disk loses the kernel's " (deleted)" suffix. Empty when the link cannot be read
// (another user's process, a process that ended, pid 0).
QString executablePath(quint32 pid);
