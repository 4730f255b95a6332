#include "entrydragpayload.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

namespace {
bool isDecimalId(const QString &id)
{
    if (id.isEmpty() || id.size() > 19) {
        return false;
    }
    for (const QChar c : id) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
    }
    return true;
}
} // namespace

QByteArray EntryDragPayload::encode() const
{
    QByteArray data;
    QDataStream stream(&data, QIODevice::WriteOnly);
    stream << qint32(ids.size());
    for (const QString &id : ids) {
        stream << id;
    }
    stream << notes << seconds;
    return data;
}

std::optional<EntryDragPayload> EntryDragPayload::decode(const QByteArray &data)
{
    QDataStream stream(data);
    qint32 count = 0;
    stream >> count;
    // Every id takes at least its 4-byte length, so a count the data cannot hold is rejected
    // before anything is allocated.
    if (stream.status() != QDataStream::Ok || count < 0 || count > MaxIds || qint64(count) * 4 > data.size() - 4) {
        return std::nullopt;
    }
    EntryDragPayload payload;
    payload.ids.reserve(count);
    for (qint32 i = 0; i < count; ++i) {
        QString id;
        stream >> id;
        if (stream.status() != QDataStream::Ok || !isDecimalId(id)) {
            return std::nullopt;
        }
        payload.ids << id;
    }
    stream >> payload.notes >> payload.seconds;
    if (stream.status() != QDataStream::Ok || !stream.atEnd()) {
        return std::nullopt;
    }
    return payload;
}

QMimeData *EntryDragPayload::toMimeData() const
{
    auto *mimeData = new QMimeData;
    mimeData->setData(QLatin1String(MimeType), encode());
    return mimeData;
}

std::optional<EntryDragPayload> EntryDragPayload::fromMimeData(const QMimeData *mimeData)
{
    if (!mimeData || !mimeData->hasFormat(QLatin1String(MimeType))) {
        return std::nullopt;
    }
    return decode(mimeData->data(QLatin1String(MimeType)));
}
