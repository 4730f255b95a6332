#include "keychainsecretstore.h"

#include "logging.h"

#include <QDebug>
#include <QEventLoop>
#include <QTimer>

#include <qt6keychain/keychain.h>

#include <memory>
#include <utility>

namespace {
// The job deletes itself when it ends; a keyring that never answers leaves it behind rather than
// holding up the program.
void prepare(QKeychain::Job *job)
{
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
}

SecretStore::Result resultOf(const QKeychain::Job *job)
{
    switch (job->error()) {
    case QKeychain::NoError:
        return SecretStore::Result::Ok;
    case QKeychain::EntryNotFound:
        return SecretStore::Result::NotFound;
    default:
        qCDebug(lcPlatform) << "keyring:" << job->errorString();
        return SecretStore::Result::Failed;
    }
}

void logSilence()
{
    qCDebug(lcPlatform) << "keyring: no answer within" << KeychainSecretStore::TimeoutMs << "ms";
}
} // namespace

KeychainSecretStore::KeychainSecretStore(const QString &service)
    : m_service(service)
{}

SecretStore::Result KeychainSecretStore::run(QKeychain::Job *job)
{
    prepare(job);
    // The program's one local event loop, on purpose: writes and removals run as the settings are
    // saved, also while the program quits, when no later answer could be taken in. User input waits.
    QEventLoop loop;
    Result result = Result::Failed;
    bool finished = false;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job *done) {
        finished = true;
        result = resultOf(done);
        loop.quit();
    });
    QTimer::singleShot(TimeoutMs, &loop, &QEventLoop::quit);
    job->start();
    if (!finished) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!finished) {
        logSilence();
    }
    return result;
}

void KeychainSecretStore::read(const QString &key, QObject *context, ReadDone done)
{
    auto *job = new QKeychain::ReadPasswordJob(m_service);
    job->setKey(key);
    prepare(job);
    // Answered once: by the keyring, or by the time-out while it keeps silent.
    auto pending = std::make_shared<ReadDone>(std::move(done));
    QObject::connect(job, &QKeychain::Job::finished, context, [pending](QKeychain::Job *finished) {
        if (*pending) {
            const auto *reader = qobject_cast<const QKeychain::ReadPasswordJob *>(finished);
            std::exchange(*pending, nullptr)(resultOf(finished), reader ? reader->textData() : QString());
        }
    });
    QTimer::singleShot(TimeoutMs, context, [pending] {
        if (*pending) {
            logSilence();
            std::exchange(*pending, nullptr)(Result::Failed, QString());
        }
    });
    job->start();
}

SecretStore::Result KeychainSecretStore::write(const QString &key, const QString &value)
{
    auto *job = new QKeychain::WritePasswordJob(m_service);
    job->setKey(key);
    job->setTextData(value);
    return run(job);
}

SecretStore::Result KeychainSecretStore::remove(const QString &key)
{
    auto *job = new QKeychain::DeletePasswordJob(m_service);
    job->setKey(key);
    const Result result = run(job);
    return result == Result::NotFound ? Result::Ok : result;
}
