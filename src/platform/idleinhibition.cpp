#include "idleinhibition.h"

#include "dbusidleinhibition.h"
#include "logging.h"
#include "sourcechoice.h"

#include <QDebug>

#include <vector>

namespace {
class AnyIdleInhibition : public IdleInhibition
{
public:
    void add(std::unique_ptr<IdleInhibition> source) { m_sources.push_back(std::move(source)); }

    bool isInhibited() override
    {
        // Every source is asked, so each keeps its answer fresh.
        bool inhibited = false;
        for (const auto &source : m_sources) {
            inhibited = source->isInhibited() || inhibited;
        }
        return inhibited;
    }

    QString description() const override { return describeAll(m_sources); }

private:
    std::vector<std::unique_ptr<IdleInhibition>> m_sources;
};
} // namespace

std::unique_ptr<IdleInhibition> createIdleInhibition()
{
    auto inhibition = std::make_unique<AnyIdleInhibition>();
    const QDBusConnection system = QDBusConnection::systemBus();
    if (isServiceRunning(system, QStringLiteral("org.freedesktop.login1"))) {
        inhibition->add(DBusIdleInhibition::logind(system));
    }
    const QDBusConnection session = QDBusConnection::sessionBus();
    if (isServiceRunning(session, QStringLiteral("org.gnome.SessionManager"))) {
        inhibition->add(DBusIdleInhibition::gnome(session));
    }
    qCDebug(lcPlatform).noquote() << "Idle inhibitor source:" << inhibition->description();
    return inhibition;
}
