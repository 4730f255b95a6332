#include "fakekwin.h"

#include <QDBusMessage>
#include <QFile>

namespace {
// The parts of KWin 6's scripting API the script uses.
const char *const WorkspacePrelude = R"(
function FakeSignal() { this.handlers = []; }
FakeSignal.prototype.connect = function (handler) { this.handlers.push(handler); };
FakeSignal.prototype.disconnect = function (handler) {
    var at = this.handlers.indexOf(handler);
    if (at < 0) throw new Error("disconnecting a handler that is not connected");
    this.handlers.splice(at, 1);
};
FakeSignal.prototype.fire = function (argument) {
    this.handlers.slice().forEach(function (handler) { handler(argument); });
};
function makeWindow(caption, desktopFileName, resourceClass, pid) {
    return { caption: caption, desktopFileName: desktopFileName, resourceClass: resourceClass, pid: pid,
             captionChanged: new FakeSignal() };
}
function activate(window) {
    workspace.activeWindow = window;
    workspace.windowActivated.fire(window);
}
function setCaption(window, caption) {
    window.caption = caption;
    window.captionChanged.fire();
}
var workspace = { windowActivated: new FakeSignal(), activeWindow: null };
function callDBus() { kwin.callDBus(Array.prototype.slice.call(arguments)); }
)";
} // namespace

FakeKWin::FakeKWin(const QString &busAddress, const QString &connectionName)
    : m_bus(QDBusConnection::connectToBus(busAddress, connectionName))
{
    m_bus.registerVirtualObject(QStringLiteral("/"), this, QDBusConnection::SubPath);
    m_bus.registerService(QStringLiteral("org.kde.KWin"));
}

FakeKWin::~FakeKWin()
{
    const QString name = m_bus.name();
    m_bus.unregisterObject(QStringLiteral("/"));
    m_bus = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(name);
}

QString FakeKWin::introspect(const QString &) const
{
    return {};
}

bool FakeKWin::handleMessage(const QDBusMessage &message, const QDBusConnection &)
{
    QStringList words{message.member()};
    for (const QVariant &argument : message.arguments()) {
        words << argument.toString();
    }
    QDBusMessage reply = message.createReply();
    if (message.member() == QLatin1String("loadScript")) {
        m_scriptPath = message.arguments().value(0).toString();
        reply << nextId;
    } else if (message.member() == QLatin1String("unloadScript")) {
        reply << (m_engine != nullptr);
        m_engine.reset();
    } else if (message.member() == QLatin1String("run") &&
               message.path() == QStringLiteral("/Scripting/Script%1").arg(nextId)) {
        words << m_scriptPath;
        if (!runScripts) {
            calls << words.join(QLatin1Char(' '));
            m_bus.send(reply);
            return true;
        }
        m_engine = std::make_unique<QJSEngine>();
        QJSEngine::setObjectOwnership(this, QJSEngine::CppOwnership);
        m_engine->globalObject().setProperty(QStringLiteral("kwin"), m_engine->newQObject(this));
        m_engine->evaluate(QString::fromLatin1(WorkspacePrelude));
        QFile script(m_scriptPath);
        script.open(QIODevice::ReadOnly);
        const QJSValue result = m_engine->evaluate(QString::fromUtf8(script.readAll()), m_scriptPath);
        if (result.isError()) {
            qWarning().noquote() << "script failed:" << result.toString();
        }
    } else {
        reply = message.createErrorReply(QDBusError::UnknownObject, message.path());
    }
    calls << words.join(QLatin1Char(' '));
    m_bus.send(reply);
    return true;
}

QJSValue FakeKWin::evaluate(const QString &code)
{
    return m_engine ? m_engine->evaluate(code) : QJSValue();
}

void FakeKWin::callDBus(const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(arguments.value(0).toString(), arguments.value(1).toString(),
                                                       arguments.value(2).toString(), arguments.value(3).toString());
    call.setArguments(arguments.mid(4));
    m_bus.send(call);
}
