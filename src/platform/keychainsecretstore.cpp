#include "keychainsecretstore.h"

#include "logging.h"

#include <QDebug>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <qt6keychain/keychain.h>

KeychainSecretStore::KeychainSecretStore(const QString &service)
    : m_service(service)
{}

SecretStore::Result KeychainSecretStore::run(QKeychain::Job *job, QString *value)
{
    // The job deletes itself when it ends; a keyring that never answers leaves it behind rather
    // than holding up the program.
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    QEventLoop loop;
    Result result = Result::Failed;
    bool finished = false;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job *done) {
        finished = true;
        switch (done->error()) {
        case QKeychain::NoError:
            result = Result::Ok;
            if (value) {
                if (auto *reader = qobject_cast<QKeychain::ReadPasswordJob *>(done)) {
                    *value = reader->textData();
                }
            }
            break;
        case QKeychain::EntryNotFound:
            result = Result::NotFound;
            break;
        default:
            qCDebug(lcPlatform) << "keyring:" << done->errorString();
            result = Result::Failed;
            break;
        }
        loop.quit();
    });
    QTimer::singleShot(TimeoutMs, &loop, &QEventLoop::quit);
    job->start();
    if (!finished) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!finished) {
        qCDebug(lcPlatform) << "keyring: no answer within" << TimeoutMs << "ms";
    }
    return result;
}

SecretStore::Result KeychainSecretStore::read(const QString &key, QString &value)
{
    auto *job = new QKeychain::ReadPasswordJob(m_service);
    job->setKey(key);
    QString read;
    const Result result = run(job, &read);
    if (result == Result::Ok) {
        value = read;
    }
    return result;
}

SecretStore::Result KeychainSecretStore::write(const QString &key, const QString &value)
{
    auto *job = new QKeychain::WritePasswordJob(m_service);
    job->setKey(key);
    job->setTextData(value);
    return run(job, nullptr);
}

SecretStore::Result KeychainSecretStore::remove(const QString &key)
{
    auto *job = new QKeychain::DeletePasswordJob(m_service);
    job->setKey(key);
    const Result result = run(job, nullptr);
    return result == Result::NotFound ? Result::Ok : result;
}
