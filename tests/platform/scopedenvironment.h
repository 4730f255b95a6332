#pragma once

#include <QByteArray>

// Sets (or, with a null value, removes) one environment variable until the end of the scope, so a
// failing check cannot leak the change into later cases.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char *name, const QByteArray &value);
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;
    ~ScopedEnvironment();

private:
    const char *m_name;
    bool m_wasSet;
    QByteArray m_saved;
};
