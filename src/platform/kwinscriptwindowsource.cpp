#include "kwinscriptwindowsource.h"

#include "busnameowner.h"
#include "logging.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {
const QString KWinService = QStringLiteral("org.kde.KWin");
const QString ScriptingInterface = QStringLiteral("org.kde.kwin.Scripting");
const QString ReceiverMarker = QStringLiteral("%RECEIVER%");
constexpr int UnloadTimeoutMs = 1000;
} // namespace

// Our D-Bus object: hands every message to the source, which checks sender and arguments itself,
// so refused calls are logged instead of vanishing in Qt's signature matching.
class KWinReportReceiver : public QDBusVirtualObject
{
public:
    explicit KWinReportReceiver(KWinScriptWindowSource *source)
        : QDBusVirtualObject(source)
        , m_source(source)
    {}

    QString introspect(const QString &) const override
    {
        return QStringLiteral("<interface name=\"%1\"><method name=\"WindowActivated\">"
                              "<arg type=\"s\" direction=\"in\" name=\"caption\"/>"
                              "<arg type=\"s\" direction=\"in\" name=\"desktopFileName\"/>"
                              "<arg type=\"s\" direction=\"in\" name=\"resourceClass\"/>"
                              "<arg type=\"i\" direction=\"in\" name=\"pid\"/>"
                              "</method></interface>")
            .arg(QLatin1String(KWinScriptWindowSource::InterfaceName));
    }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override
    {
        if (message.interface() != QLatin1String(KWinScriptWindowSource::InterfaceName)) {
            return false;
        }
        m_source->handle(message);
        return true;
    }

private:
    KWinScriptWindowSource *m_source;
};

KWinScriptWindowSource::KWinScriptWindowSource(const QDBusConnection &bus, const QString &scriptFolder,
                                               std::unique_ptr<ForegroundWindowSource> fallback, QObject *parent)
    : ReportedWindowSource(std::move(fallback), parent)
    , m_bus(bus)
    , m_scriptFolder(scriptFolder)
    , m_kwin(new BusNameOwner(bus, KWinService, this))
    , m_receiver(new KWinReportReceiver(this))
{
    if (!m_bus.registerVirtualObject(QLatin1String(ObjectPath), m_receiver)) {
        qCWarning(lcPlatform).noquote() << "cannot register" << ObjectPath << m_bus.lastError().message();
    }
    m_firstReport.setSingleShot(true);
    m_firstReport.setInterval(FirstReportTimeoutMs);
    connect(&m_firstReport, &QTimer::timeout, this, [this] { failedToLoad(tr("The KWin script does not answer.")); });
    connect(this, &ReportedWindowSource::reportAccepted, &m_firstReport, &QTimer::stop);
    connect(m_kwin, &BusNameOwner::ownerChanged, this, &KWinScriptWindowSource::onKWinChanged);
    onKWinChanged();
}

KWinScriptWindowSource::~KWinScriptWindowSource()
{
    m_bus.unregisterObject(QLatin1String(ObjectPath));
    unload();
}

QString KWinScriptWindowSource::description() const
{
    return QStringLiteral("KWin (TavroDesk script)");
}

QString KWinScriptWindowSource::scriptPath() const
{
    return m_scriptFolder + QLatin1Char('/') + QLatin1String(PluginName) + QStringLiteral(".js");
}

QString KWinScriptWindowSource::scriptText(const QString &receiver)
{
    QFile shipped(QStringLiteral(":/kwin/focusedwindow.js"));
    if (!shipped.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(shipped.readAll()).replace(ReceiverMarker, receiver);
}

void KWinScriptWindowSource::onKWinChanged()
{
    m_loaded = false;
    m_loadAttempts = 0;
    m_firstReport.stop();
    if (m_kwin->owner().isEmpty()) {
        failed(tr("KWin is not running on this session bus."));
        return;
    }
    // A new owner is a new KWin: our script died with the old one.
    load();
}

void KWinScriptWindowSource::load()
{
    QDir().mkpath(m_scriptFolder);
    QSaveFile file(scriptPath());
    const QString text = scriptText(m_bus.baseService());
    if (text.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        failed(tr("TavroDesk cannot write its KWin script to %1.").arg(scriptPath()));
        return;
    }
    // A script of an earlier run that ended without unloading would keep the plugin name taken.
    call(QStringLiteral("/Scripting"), ScriptingInterface, QStringLiteral("unloadScript"), {QLatin1String(PluginName)},
         [this](const QDBusMessage &) {
             call(QStringLiteral("/Scripting"), ScriptingInterface, QStringLiteral("loadScript"),
                  {scriptPath(), QLatin1String(PluginName)}, [this](const QDBusMessage &reply) {
                      const int id = reply.arguments().value(0, -1).toInt();
                      if (reply.type() != QDBusMessage::ReplyMessage || id < 0) {
                          failedToLoad(tr("KWin refused to load the TavroDesk script (%1).")
                                           .arg(reply.errorMessage().isEmpty() ? QStringLiteral("no id")
                                                                               : reply.errorMessage()));
                          return;
                      }
                      run(id);
                  });
         });
}

void KWinScriptWindowSource::run(int id)
{
    // Plasma 6 puts the loaded script under /Scripting/Script<id>, Plasma 5.27 under /<id>.
    const QString runInterface = QStringLiteral("org.kde.kwin.Script");
    auto started = [this](const QDBusMessage &) {
        m_loaded = true;
        m_firstReport.start();
        Q_EMIT scriptStarted();
    };
    call(QStringLiteral("/Scripting/Script%1").arg(id), runInterface, QStringLiteral("run"), {},
         [this, id, runInterface, started](const QDBusMessage &reply) {
             if (reply.type() == QDBusMessage::ReplyMessage) {
                 started(reply);
                 return;
             }
             call(QStringLiteral("/%1").arg(id), runInterface, QStringLiteral("run"), {},
                  [this, started](const QDBusMessage &second) {
                      if (second.type() == QDBusMessage::ReplyMessage) {
                          started(second);
                      } else {
                          failedToLoad(tr("KWin did not start the TavroDesk script (%1).").arg(second.errorMessage()));
                      }
                  });
         });
}

void KWinScriptWindowSource::unload()
{
    if (!m_loaded || m_kwin->owner().isEmpty()) {
        return;
    }
    // Blocking on purpose: this runs while the program quits, when no event loop delivers replies.
    const QDBusMessage message = QDBusMessage::createMethodCall(m_kwin->owner(), QStringLiteral("/Scripting"),
                                                                ScriptingInterface, QStringLiteral("unloadScript"))
                                 << QLatin1String(PluginName);
    m_bus.call(message, QDBus::Block, UnloadTimeoutMs);
    m_loaded = false;
}

void KWinScriptWindowSource::call(const QString &path, const QString &interfaceName, const QString &method,
                                  const QVariantList &arguments, std::function<void(const QDBusMessage &)> done)
{
    QDBusMessage message = QDBusMessage::createMethodCall(m_kwin->owner(), path, interfaceName, method);
    message.setArguments(arguments);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [done](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        done(finished->reply());
    });
}

void KWinScriptWindowSource::failed(const QString &what)
{
    lose(what + QLatin1Char(' ') + fallbackSentence());
}

void KWinScriptWindowSource::failedToLoad(const QString &what)
{
    failed(what);
    if (++m_loadAttempts >= LoadAttempts) {
        return;
    }
    QTimer::singleShot(LoadRetryDelayMs, this, [this, kwin = m_kwin->owner()] {
        if (!kwin.isEmpty() && m_kwin->owner() == kwin && !isLive()) {
            load();
        }
    });
}

void KWinScriptWindowSource::handle(const QDBusMessage &message)
{
    auto answer = [this, &message](const QDBusMessage &reply) {
        if (!message.isReplyRequired()) {
            return;
        }
        m_bus.send(reply);
    };
    if (!m_kwin->isOwnedBy(message.service())) {
        refuse(message.service(), QStringLiteral("caller is not KWin"));
        answer(message.createErrorReply(QDBusError::AccessDenied, QStringLiteral("only KWin may report windows")));
        return;
    }
    QString why = QStringLiteral("unknown method %1").arg(message.member());
    std::optional<WindowReport> report;
    if (message.member() == QLatin1String("WindowActivated")) {
        report = WindowReport::parse(message.arguments(), 2, &why);
    }
    if (!report) {
        refuse(message.service(), why);
        answer(message.createErrorReply(QDBusError::InvalidArgs, why));
        return;
    }
    accept(*report);
    answer(message.createReply());
}
