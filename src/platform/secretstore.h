#pragma once

#include <QString>

#include <functional>

class QObject;

// A place for secrets outside the settings file: the desktop's keyring. Reads answer later, through
// a callback, so that a keyring that prompts or hangs holds nothing up. Writes and removals wait for
// their answer: they run when the settings are saved, also as the program quits, when no later
// answer could be taken.
class SecretStore
{
public:
    enum class Result {
        Ok,
        NotFound,
        // No keyring, or it refused the request (locked, denied, timed out).
        Failed,
    };

    using ReadDone = std::function<void(Result result, const QString &value)>;

    virtual ~SecretStore() = default;

    // Calls `done` once with the outcome and the value read, unless `context` is gone by then.
    virtual void read(const QString &key, QObject *context, ReadDone done) = 0;
    virtual Result write(const QString &key, const QString &value) = 0;
    // Removing a key that is not there is Ok.
    virtual Result remove(const QString &key) = 0;
};
