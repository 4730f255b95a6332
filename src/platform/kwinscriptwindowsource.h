#pragma once

#include "buildinfo.h"
#include "reportedwindowsource.h"

#include <QDBusConnection>
#include <QTimer>

#include <functional>

class BusNameOwner;
class KWinReportReceiver;
class QDBusMessage;

// The active window as a KWin script reports it. The script is written with our unique bus name
// into `scriptFolder`, loaded through org.kde.KWin /Scripting (no installation by the user), and
// calls back WindowActivated(caption, desktop file name, resource class, pid) on a D-Bus object
// of ours. Calls are taken only from the connection that owns org.kde.KWin. The script is loaded
// again whenever KWin (re)appears on the bus and unloaded when this source goes away.
class KWinScriptWindowSource : public ReportedWindowSource
{
    Q_OBJECT

public:
    static constexpr const char *ObjectPath = BuildInfo::KWinFocusPath;
    static constexpr const char *InterfaceName = BuildInfo::KWinFocusInterface;
    static constexpr const char *PluginName = BuildInfo::KWinScriptName;
    // How long a freshly loaded script may take to send its first report.
    static constexpr int FirstReportTimeoutMs = 5000;
    // KWin takes its bus name before it serves /Scripting: a failed load is tried again a few times.
    static constexpr int LoadAttempts = 5;
    static constexpr int LoadRetryDelayMs = 1000;

    KWinScriptWindowSource(const QDBusConnection &bus, const QString &scriptFolder,
                           std::unique_ptr<ForegroundWindowSource> fallback, QObject *parent = nullptr);
    ~KWinScriptWindowSource() override;

    QString description() const override;
    QString scriptPath() const;

    // The shipped script with `receiver` filled in as the bus name to call back.
    static QString scriptText(const QString &receiver);

Q_SIGNALS:
    // The script was loaded and started (tests wait for this after a KWin restart).
    void scriptStarted();

private:
    friend class KWinReportReceiver;

    void handle(const QDBusMessage &message);
    void onKWinChanged();
    void load();
    void run(int id);
    void unload();
    void call(const QString &path, const QString &interfaceName, const QString &method, const QVariantList &arguments,
              std::function<void(const QDBusMessage &)> done);
    void failed(const QString &what);
    // failed(), then load() again after a while, unless KWin changed or the attempts are used up.
    void failedToLoad(const QString &what);

    QDBusConnection m_bus;
    QString m_scriptFolder;
    BusNameOwner *m_kwin;
    KWinReportReceiver *m_receiver;
    QTimer m_firstReport;
    bool m_loaded = false;
    int m_loadAttempts = 0;
};
