#pragma once

#include <QString>

// The outcome of a store operation. A failure carries the driver's text, so that the caller can
// report it instead of mistaking a failed statement for an empty result.
class StoreResult
{
public:
    static StoreResult success() { return StoreResult(); }
    static StoreResult failure(const QString &error)
    {
        StoreResult result;
        result.m_failed = true;
        result.m_error = error;
        return result;
    }

    bool ok() const { return !m_failed; }
    QString error() const { return m_error; }

private:
    bool m_failed = false;
    QString m_error;
};
