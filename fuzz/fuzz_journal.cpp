// The crash journal: whatever it accepts must come out of a write and a read the same.
#include "recordingjournal.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QDateTime now(QDate(2026, 12, 6), QTime(12, 0));
    const QDateTime notBefore(QDate(2026, 12, 1), QTime(8, 0));
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const RecordingJournal::Contents contents = RecordingJournal::parse(text, now, notBefore);
    for (const JournalStretch &stretch : contents.stretches) {
        if (stretch.start > stretch.end || stretch.start < notBefore || stretch.info.path.isEmpty() ||
            stretch.info.title.size() > RecordingJournal::MaxTitleLength) {
            __builtin_trap();
        }
    }
    const RecordingJournal::Contents again =
        RecordingJournal::parse(RecordingJournal::serialize(contents.stretches), now, notBefore);
    if (!contents.stretches.isEmpty() && again.stretches.size() != contents.stretches.size()) {
        __builtin_trap();
    }
    return 0;
}
