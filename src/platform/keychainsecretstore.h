#pragma once

#include "secretstore.h"

namespace QKeychain {
class Job;
}

// Secrets in the Secret Service through QtKeychain, under one service name.
class KeychainSecretStore : public SecretStore
{
public:
    static constexpr int TimeoutMs = 10000;

    explicit KeychainSecretStore(const QString &service);

    void read(const QString &key, QObject *context, ReadDone done) override;
    Result write(const QString &key, const QString &value) override;
    Result remove(const QString &key) override;

private:
    // Waits for a write or removal job in a local event loop (see SecretStore).
    Result run(QKeychain::Job *job);

    QString m_service;
};
