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
        EntryDragPayload payload;
        payload.ids = QStringList{QStringLiteral("12"), QStringLiteral("7"), QStringLiteral("12345678901")};
        payload.notes = QStringLiteral("Notes with ünïcode and \"quotes\"");
        payload.seconds = 3661;
        std::unique_ptr<QMimeData> mimeData(payload.toMimeData());
        QVERIFY(mimeData->hasFormat(QStringLiteral("application/x-tavro")));
        const std::optional<EntryDragPayload> decoded = EntryDragPayload::fromMimeData(mimeData.get());
        QVERIFY(decoded.has_value());
        QCOMPARE(decoded->ids, payload.ids);
        QCOMPARE(decoded->notes, payload.notes);
        QCOMPARE(decoded->seconds, payload.seconds);
    }

    void layoutIsStringListNotesSeconds()
    {
        // What another reader of the format writes: a QStringList, a QString and a 32-bit integer.
        const QByteArray data = stream([](QDataStream &out) {
            out << QStringList{QStringLiteral("4"), QStringLiteral("5")} << QString() << qint32(90);
        });
        const EntryDragPayload written{{QStringLiteral("4"), QStringLiteral("5")}, QString(), 90};
        QCOMPARE(written.encode(), data);
        const auto decoded = EntryDragPayload::decode(data);
        QVERIFY(decoded.has_value());
        QCOMPARE(decoded->ids, (QStringList{QStringLiteral("4"), QStringLiteral("5")}));
        QCOMPARE(decoded->seconds, 90);
    }

    void emptySelection()
    {
        const auto decoded = EntryDragPayload::decode(EntryDragPayload{}.encode());
        QVERIFY(decoded.has_value());
        QVERIFY(decoded->ids.isEmpty());
    }

    void everyTruncationIsRejected()
    {
        const EntryDragPayload payload{{QStringLiteral("1"), QStringLiteral("22")}, QStringLiteral("n"), 5};
        const QByteArray data = payload.encode();
        for (int size = 0; size < data.size(); ++size) {
            QVERIFY2(!EntryDragPayload::decode(data.left(size)).has_value(), qPrintable(QString::number(size)));
        }
    }

    void malformed_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("negative count") << stream(
            [](QDataStream &out) { out << qint32(-1) << QString() << qint32(0); });
        QTest::newRow("absurd count") << stream(
            [](QDataStream &out) { out << qint32(2000000000) << QStringLiteral("1") << QString() << qint32(0); });
        QTest::newRow("count beyond data")
            << stream([](QDataStream &out) { out << qint32(100) << QStringLiteral("1") << QString() << qint32(0); });
        QTest::newRow("id that is no number") << stream(
            [](QDataStream &out) { out << qint32(1) << QStringLiteral("1) OR (1=1") << QString() << qint32(0); });
        QTest::newRow("empty id") << stream(
            [](QDataStream &out) { out << qint32(1) << QString() << QString() << qint32(0); });
        QTest::newRow("string longer than data")
            << stream([](QDataStream &out) { out << qint32(1) << quint32(0x7ffffff0) << QString() << qint32(0); });
        QTest::newRow("trailing bytes") << stream(
            [](QDataStream &out) { out << qint32(1) << QStringLiteral("3") << QString() << qint32(0) << qint8(1); });
    }

    void malformed()
    {
        QFETCH(QByteArray, data);
        QVERIFY(!EntryDragPayload::decode(data).has_value());
    }

    void otherMimeTypeIsIgnored()
    {
        QMimeData mimeData;
        mimeData.setText(QStringLiteral("1,2,3"));
        QVERIFY(!EntryDragPayload::fromMimeData(&mimeData).has_value());
        QVERIFY(!EntryDragPayload::fromMimeData(nullptr).has_value());
    }
};

QTEST_GUILESS_MAIN(TestEntryDragPayload)
#include "tst_entrydragpayload.moc"
