#include "entrydragpayload.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <QTest>

namespace {
QByteArray stream(const std::function<void(QDataStream &)> &write)
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    write(out);
    return data;
}
} // namespace

class TestEntryDragPayload : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip()
    {
        const EntryDragPayload payload{{QStringLiteral("12"), QStringLiteral("7"), QStringLiteral("12345678901")},
                                       QStringLiteral("Nötes \"q\""),
                                       3661};
        std::unique_ptr<QMimeData> mimeData(payload.toMimeData());
        QVERIFY(mimeData->hasFormat(QStringLiteral("application/x-tavro")));
        const std::optional<EntryDragPayload> decoded = EntryDragPayload::fromMimeData(mimeData.get());
        QVERIFY(decoded.has_value());
        QCOMPARE(decoded->ids, payload.ids);
        QCOMPARE(decoded->notes, payload.notes);
        QCOMPARE(decoded->seconds, payload.seconds);
        // What another reader of the format expects: a QStringList, a QString and a 32-bit integer.
        QCOMPARE(payload.encode(), stream([&payload](QDataStream &out) {
                     out << payload.ids << payload.notes << qint32(payload.seconds);
                 }));
        QVERIFY(!EntryDragPayload::fromMimeData(nullptr).has_value());
    }

    void malformed_data()
    {
        QTest::addColumn<QByteArray>("data");
        const QByteArray whole = EntryDragPayload{{QStringLiteral("1")}, QStringLiteral("n"), 5}.encode();
        QTest::newRow("truncated") << whole.chopped(1);
        QTest::newRow("huge count") << stream(
            [](QDataStream &out) { out << qint32(2000000000) << QStringLiteral("1") << QString() << qint32(0); });
        QTest::newRow("id that is no number") << stream(
            [](QDataStream &out) { out << qint32(1) << QStringLiteral("1) OR (1=1") << QString() << qint32(0); });
        QTest::newRow("trailing bytes") << stream(
            [](QDataStream &out) { out << qint32(1) << QStringLiteral("3") << QString() << qint32(0) << qint8(1); });
    }

    void malformed()
    {
        QFETCH(QByteArray, data);
        QVERIFY(!EntryDragPayload::decode(data).has_value());
    }
};

QTEST_GUILESS_MAIN(TestEntryDragPayload)
#include "tst_entrydragpayload.moc"
