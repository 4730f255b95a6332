#include "processpath.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <unistd.h>

QString executablePath(quint32 pid)
{
    if (pid == 0) {
        return {};
    }
    // Stack buffers: this runs once a second for the whole session.
    char link[32];
    std::snprintf(link, sizeof link, "/proc/%u/exe", pid);
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link, target, sizeof target);
    if (length <= 0 || length == ssize_t(sizeof target)) {
        return {};
    }
    static const char Deleted[] = " (deleted)";
    constexpr ssize_t DeletedLength = sizeof Deleted - 1;
    ssize_t used = length;
    if (used > DeletedLength && std::memcmp(target + used - DeletedLength, Deleted, DeletedLength) == 0) {
        used -= DeletedLength;
    }
    return QString::fromLocal8Bit(target, used);
}
