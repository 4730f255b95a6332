// Desktop entry files, as read from the applications folders.
#include "desktopentry.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const DesktopEntry entry = DesktopEntry::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    entry.name(QStringLiteral("de_DE.UTF-8@euro"));
    entry.program();
    entry.boolValue(QStringLiteral("NoDisplay"));
    bool ok = false;
    DesktopEntry::splitExec(entry.exec(), &ok);
    for (const QString &group : entry.groups()) {
        entry.localizedValue(QStringLiteral("Name"), QStringLiteral("sr@latin"), group);
    }
    return 0;
}
