#include "fakehyprland.h"
#include "hyprlandipc.h"
#include "hyprlandreply.h"
#include "swayipc.h"
#include "swayreply.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstring>

namespace {
// Waits far longer than any exchange may take: a client that never gives up fails here.
constexpr int WaitMs = 5000;

// Asks once; the event loop keeps turning meanwhile, which `ticks` counts.
struct Exchange
{
    IpcFocus focused;
    bool answered = false;
    bool answeredAtOnce = false;
    int ticks = 0;
};

Exchange exchange(CompositorIpc &ipc)
{
    Exchange result;
    QSignalSpy spy(&ipc, &CompositorIpc::answered);
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&result] { ++result.ticks; });
    // Fires on every turn of the event loop.
    ticker.start(0);
    ipc.ask();
    result.answeredAtOnce = spy.count() == 1;
    result.answered = result.answeredAtOnce || spy.wait(WaitMs);
    if (result.answered) {
        result.focused = spy.constFirst().constFirst().value<IpcFocus>();
    }
    return result;
}

// Feeds `bytes` to `reader` in pieces of `piece` bytes.
IpcReplyReader::State feed(IpcReplyReader &reader, const QByteArray &bytes, qsizetype piece)
{
    IpcReplyReader::State state = IpcReplyReader::State::Incomplete;
    for (qsizetype at = 0; at < bytes.size() && state == IpcReplyReader::State::Incomplete; at += piece) {
        state = reader.read(bytes.constData() + at, qMin(piece, bytes.size() - at));
    }
    return state;
}
} // namespace

class TestCompositorIpc : public QObject
{
    Q_OBJECT

    QTemporaryDir m_runtime;
    int m_sockets = 0;

private Q_SLOTS:
    void hyprlandActiveWindow()
    {
        FakeHyprland server(m_runtime.path(), QStringLiteral("sig"),
                            R"({"address": "0x5581", "mapped": true, "class": "org.example.Notes",
                                "title": "todo.txt – Notes [draft]", "pid": 4242, "xwayland": false})");
        QVERIFY(server.isListening());
        HyprlandIpc ipc(m_runtime.path() + QStringLiteral("/hypr/sig/.socket.sock"));
        const Exchange answer = exchange(ipc);
        QVERIFY(answer.answered && !answer.answeredAtOnce);
        QCOMPARE(server.requests(), QByteArrayList{"j/activewindow"});
        QCOMPARE(answer.focused.pid, 4242u);
        QCOMPARE(answer.focused.appId, QStringLiteral("org.example.Notes"));
        QCOMPARE(answer.focused.title, QStringLiteral("todo.txt – Notes [draft]"));

        // Nothing focused (Hyprland answers an empty object), garbage, a hostile pid, a cut reply.
        for (const QByteArray &reply : {QByteArray("{}"), QByteArray("Invalid"), QByteArray(R"({"pid": -1})"),
                                        QByteArray(R"({"pid": 99999999999})"), QByteArray("{\"pid\": 42")}) {
            server.setReply(reply);
            const Exchange other = exchange(ipc);
            QVERIFY2(other.answered && other.focused.pid == 0, reply.constData());
        }
    }

    void swayFocusedWindow()
    {
        // Shape of a GET_TREE reply: root, output, workspace, containers, floating windows.
        const QByteArray tree = R"({"id": 1, "type": "root", "focused": false, "nodes": [
            {"id": 3, "type": "output", "focused": false, "nodes": [
              {"id": 4, "type": "workspace", "focused": false, "nodes": [
                {"id": 5, "type": "con", "focused": false, "pid": 100, "app_id": "foot", "name": "one", "nodes": []}],
               "floating_nodes": [
                {"id": 6, "type": "floating_con", "focused": true, "pid": 200, "app_id": null,
                 "name": "xterm", "nodes": []}]}]}]})";
        // sway keeps the connection open after its reply: the length in the header ends it.
        FakeIpcServer server(m_runtime.path() + QStringLiteral("/sway-ipc.sock"));
        server.setReply(SwayReply::header(quint32(tree.size())) + tree, "{}", 10);
        QVERIFY(server.isListening());
        SwayIpc ipc(m_runtime.path() + QStringLiteral("/sway-ipc.sock"));
        const Exchange answer = exchange(ipc);
        QVERIFY(answer.answered);
        QCOMPARE(server.requests(), QByteArrayList{SwayReply::request()});
        QCOMPARE(answer.focused.pid, 200u);
        QCOMPARE(answer.focused.appId, QString());
        QCOMPARE(answer.focused.title, QStringLiteral("xterm"));

        QCOMPARE(SwayReply::focusedNode(R"({"nodes": [{"focused": false}]})").pid, 0u);
        QCOMPARE(SwayReply::focusedNode("not json").pid, 0u);
    }

    void noServerAnswersEmpty()
    {
        for (CompositorIpc *ipc : std::initializer_list<CompositorIpc *>{
                 new HyprlandIpc(QStringLiteral("/nonexistent/.socket.sock")),
                 new SwayIpc(QStringLiteral("/nonexistent/sway-ipc.sock")), new SwayIpc(QString())}) {
            const Exchange answer = exchange(*ipc);
            QVERIFY(answer.answered);
            QCOMPARE(answer.focused.pid, 0u);
            delete ipc;
        }
    }

    // Replies may arrive in any pieces; each is read once, and the end is found where it is.
    void readersTakeAnyPieces()
    {
        const QByteArray tree = R"({"focused": true, "pid": 7, "app_id": "a", "name": "b"})";
        const QByteArray window = " {\"class\": \"c}\", \"title\": \"d\\\"{[\\\\\", \"pid\": 9} trailing";
        for (const qsizetype piece : {qsizetype(1), qsizetype(3), qsizetype(1 << 20)}) {
            SwayReply sway;
            QCOMPARE(feed(sway, SwayReply::header(quint32(tree.size())) + tree + "extra", piece),
                     IpcReplyReader::State::Complete);
            QCOMPARE(sway.focus().pid, 7u);
            QCOMPARE(sway.focus().title, QStringLiteral("b"));

            HyprlandReply hyprland;
            QCOMPARE(feed(hyprland, window, piece), IpcReplyReader::State::Complete);
            QCOMPARE(hyprland.focus().pid, 9u);
            QCOMPARE(hyprland.focus().title, QStringLiteral("d\"{[\\"));
        }

        // Refused as soon as the header tells: too long, another message type, no magic.
        for (const QByteArray &header : {SwayReply::header(SwayReply::MaxPayload + 1), SwayReply::header(2, 0),
                                         QByteArray("i4-ipc") + SwayReply::header(2).mid(6)}) {
            SwayReply sway;
            QCOMPARE(sway.read(header.constData(), header.size()), IpcReplyReader::State::Invalid);
        }
        SwayReply cut;
        QCOMPARE(feed(cut, SwayReply::header(10) + "{}", 4), IpcReplyReader::State::Incomplete);
        QCOMPARE(cut.end(), IpcReplyReader::State::Invalid);

        HyprlandReply word;
        QCOMPARE(feed(word, "Invalid", 2), IpcReplyReader::State::Incomplete);
        QCOMPARE(word.end(), IpcReplyReader::State::Complete);
        QCOMPARE(word.focus().pid, 0u);
        HyprlandReply open;
        QCOMPARE(feed(open, "{\"pid\": 5", 2), IpcReplyReader::State::Incomplete);
        QCOMPARE(open.end(), IpcReplyReader::State::Invalid);
        HyprlandReply endless;
        QCOMPARE(feed(endless, "{\"title\": \"" + QByteArray(HyprlandReply::MaxSize, 'x'), 4096),
                 IpcReplyReader::State::Invalid);
    }

    // Compositors that never stop sending, fast or slowly: the client gives up with no answer
    // and the event loop keeps turning meanwhile.
    void hostileServersAreCutOff_data()
    {
        QTest::addColumn<bool>("sway");
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("filler");
        QTest::addColumn<int>("pauseMs");
        // Whether the exchange takes more than one piece off the socket, so the loop turns between them.
        QTest::addColumn<bool>("inPieces");
        const QByteArray flood(64 * 1024, ' ');
        QTest::newRow("sway, 4 GiB announced") << true << SwayReply::header(0xFFFFFFFF) << flood << 0 << false;
        QTest::newRow("sway, flood past the length")
            << true << SwayReply::header(SwayReply::MaxPayload) << flood << 0 << true;
        QTest::newRow("sway, trickle") << true << SwayReply::header(1000) << QByteArray(" ") << 10 << true;
        QTest::newRow("hyprland, flood") << false << QByteArray("{\"title\": \"") << QByteArray(64 * 1024, 'x') << 0
                                         << true;
        QTest::newRow("hyprland, trickle") << false << QByteArray("{") << QByteArray(" ") << 10 << true;
    }

    void hostileServersAreCutOff()
    {
        QFETCH(bool, sway);
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, filler);
        QFETCH(int, pauseMs);
        QFETCH(bool, inPieces);
        const QString path = m_runtime.path() + QStringLiteral("/hostile-%1.sock").arg(++m_sockets);
        FakeIpcServer server(path);
        server.setReply(head, filler, pauseMs);
        QVERIFY(server.isListening());
        std::unique_ptr<CompositorIpc> ipc;
        if (sway) {
            ipc = std::make_unique<SwayIpc>(path);
        } else {
            ipc = std::make_unique<HyprlandIpc>(path);
        }
        const Exchange answer = exchange(*ipc);
        QVERIFY(answer.answered && !answer.answeredAtOnce);
        QCOMPARE(answer.focused.pid, 0u);
        QVERIFY2(!inPieces || answer.ticks > 0, "the event loop stood still during the exchange");
        QTRY_VERIFY(server.clientLeft());
        // What the client did not read stayed in the socket's buffers, not in its memory.
        QVERIFY2(server.bytesSent() < 16 * 1024 * 1024, QByteArray::number(server.bytesSent()).constData());
    }

    // A backend torn down mid-question (the program quits while sway is still replying) answers
    // nothing and touches nothing of itself on the way out.
    void askerGoneMidReplyAnswersNothing()
    {
        const QString path = m_runtime.path() + QStringLiteral("/slow-%1.sock").arg(++m_sockets);
        FakeIpcServer server(path);
        server.setReply(SwayReply::header(1000), QByteArray(" "), 10);
        QVERIFY(server.isListening());
        auto ipc = std::make_unique<SwayIpc>(path);
        QSignalSpy answers(ipc.get(), &CompositorIpc::answered);
        ipc->ask();
        QVERIFY(ipc->isAsking());
        QTest::qWait(50);
        QVERIFY(ipc->isAsking());
        ipc.reset();
        QCOMPARE(answers.count(), 0);
        QTRY_VERIFY(server.clientLeft());
    }
};

QTEST_GUILESS_MAIN(TestCompositorIpc)
#include "tst_compositoripc.moc"
