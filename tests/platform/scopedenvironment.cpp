#include "scopedenvironment.h"

#include <QtGlobal>

ScopedEnvironment::ScopedEnvironment(const char *name, const QByteArray &value)
    : m_name(name)
    , m_wasSet(qEnvironmentVariableIsSet(name))
    , m_saved(qgetenv(name))
{
    if (value.isNull()) {
        qunsetenv(name);
    } else {
        qputenv(name, value);
    }
}

ScopedEnvironment::~ScopedEnvironment()
{
    if (m_wasSet) {
        qputenv(m_name, m_saved);
    } else {
        qunsetenv(m_name);
    }
}
