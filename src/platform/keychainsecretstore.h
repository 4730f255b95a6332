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

    Result read(const QString &key, QString &value) override;
    Result write(const QString &key, const QString &value) override;
    Result remove(const QString &key) override;

private:
    Result run(QKeychain::Job *job, QString *value);

    QString m_service;
};
