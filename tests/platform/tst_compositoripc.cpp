#include "fakehyprland.h"
#include "hyprlandipc.h"
#include "swayipc.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

class TestCompositorIpc : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hyprlandActiveWindow()
    {
        QTemporaryDir runtime;
        FakeHyprland server(runtime.path(), QStringLiteral("sig"),
                            R"({"address": "0x5581", "mapped": true, "class": "org.example.Notes",
                                "title": "todo.txt – Notes", "pid": 4242, "xwayland": false})");
        QVERIFY(server.isListening());
        HyprlandIpc ipc(runtime.path() + QStringLiteral("/hypr/sig/.socket.sock"));
        const CompositorIpc::Focused focused = ipc.focused();
        QCOMPARE(server.requests(), QByteArrayList{"j/activewindow"});
        QCOMPARE(focused.pid, 4242u);
        QCOMPARE(focused.appId, QStringLiteral("org.example.Notes"));
        QCOMPARE(focused.title, QStringLiteral("todo.txt – Notes"));

        // Nothing focused (Hyprland answers an empty object), garbage, a hostile pid.
        for (const QByteArray &reply : {QByteArray("{}"), QByteArray("Invalid"), QByteArray(R"({"pid": -1})"),
                                        QByteArray(R"({"pid": 99999999999})")}) {
            server.setReply(reply);
            QVERIFY2(ipc.focused().pid == 0, reply.constData());
        }
    }

    void noServerAnswersQuickly()
    {
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(HyprlandIpc(QStringLiteral("/nonexistent/.socket.sock")).focused().pid, 0u);
        QCOMPARE(SwayIpc(QStringLiteral("/nonexistent/sway-ipc.sock")).focused().pid, 0u);
        QVERIFY(timer.elapsed() < 1000);
    }

    void swayFocusedNode()
    {
        // Shape of a GET_TREE reply: root, output, workspace, containers, floating windows.
        const QByteArray tree = R"({"id": 1, "type": "root", "focused": false, "nodes": [
            {"id": 3, "type": "output", "focused": false, "nodes": [
              {"id": 4, "type": "workspace", "focused": false, "nodes": [
                {"id": 5, "type": "con", "focused": false, "pid": 100, "app_id": "foot", "name": "one", "nodes": []}],
               "floating_nodes": [
                {"id": 6, "type": "floating_con", "focused": true, "pid": 200, "app_id": null,
                 "name": "xterm", "nodes": []}]}]}]})";
        const CompositorIpc::Focused focused = SwayIpc::focusedNode(tree);
        QCOMPARE(focused.pid, 200u);
        QCOMPARE(focused.appId, QString());
        QCOMPARE(focused.title, QStringLiteral("xterm"));
        QCOMPARE(SwayIpc::focusedNode(R"({"nodes": [{"focused": false}]})").pid, 0u);
        QCOMPARE(SwayIpc::focusedNode("not json").pid, 0u);
    }
};

QTEST_GUILESS_MAIN(TestCompositorIpc)
#include "tst_compositoripc.moc"
