#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

class QMimeData;

// What a drag of entries carries under "application/x-tavro": in QDataStream form the number of
// ids (32-bit), the ids as strings, the notes and the summed seconds (32-bit).
struct EntryDragPayload
{
    static constexpr char MimeType[] = "application/x-tavro";
    // More ids than any day can hold: a count above it means the data is not ours.
    static constexpr qint32 MaxIds = 1000000;

    QStringList ids;
    QString notes;
    qint32 seconds = 0;

    QByteArray encode() const;
    // Rejects truncated or trailing data, absurd counts and ids that are not decimal numbers.
    static std::optional<EntryDragPayload> decode(const QByteArray &data);

    // A new QMimeData holding the payload; the caller (usually QDrag) owns it.
    QMimeData *toMimeData() const;
    static std::optional<EntryDragPayload> fromMimeData(const QMimeData *mimeData);
};
