#pragma once

#include <QString>

// A place for secrets outside the settings file: the desktop's keyring. Every call waits for its
// answer in a local event loop, so the window keeps painting while the keyring works.
class SecretStore
{
public:
    enum class Result {
        Ok,
        NotFound,
        // No keyring, or it refused the request (locked, denied, timed out).
        Failed,
    };

    virtual ~SecretStore() = default;

    virtual Result read(const QString &key, QString &value) = 0;
    virtual Result write(const QString &key, const QString &value) = 0;
    // Removing a key that is not there is Ok.
    virtual Result remove(const QString &key) = 0;
};
