#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QJSEngine>
#include <QStringList>

#include <memory>

// Plays KWin on a private bus for the script loader: owns org.kde.KWin, answers /Scripting's
// loadScript, unloadScript and the script's run(), and runs the loaded script in a QJSEngine with
// a fake Plasma 6 `workspace` (windowActivated, activeWindow, captionChanged) whose callDBus()
// sends real calls from this connection.
class FakeKWin : public QDBusVirtualObject
{
    Q_OBJECT

public:
    FakeKWin(const QString &busAddress, const QString &connectionName);
    ~FakeKWin() override;

    QDBusConnection &bus() { return m_bus; }
    // "loadScript <path> <plugin>", "unloadScript <plugin>", "run <path>" in arrival order.
    QStringList calls;
    // loadScript answers this id; -1 means "refused".
    int nextId = 0;
    // False: run() answers but the script never runs, as when it broke.
    bool runScripts = true;

    // Evaluates `code` in the script's engine (after run()): fires the fake workspace's signals.
    QJSValue evaluate(const QString &code);
    bool isRunning() const { return m_engine != nullptr; }

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

    // Called by the script's callDBus(): service, path, interface, method, then the arguments.
    Q_INVOKABLE void callDBus(const QVariantList &arguments);

private:
    QDBusConnection m_bus;
    QString m_scriptPath;
    std::unique_ptr<QJSEngine> m_engine;
};
