#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

// One running TavroDesk per user. The running instance holds a lock file and listens on a local
// socket in the user's runtime folder; a later start asks it to show itself and then ends.
// The lock, not the socket, guarantees uniqueness: a socket left by a killed instance is replaced.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(const QString &runtimeFolder = defaultRuntimeFolder(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // Tries to become the running instance. When another one runs, asks it to show its window,
    // handing on the launcher's `activation` (see StartupActivation), and returns false; the caller
    // then ends with status 0.
    bool start(const QString &activation = {});

    QString socketPath() const;
    static QString defaultRuntimeFolder();

Q_SIGNALS:
    // Another start asked this instance to bring its window forward; `activation` is its
    // launcher's, empty when it had none.
    void showRequested(const QString &activation);

private:
    bool askRunningInstance(int timeoutMs, const QString &activation);
    void answer();

    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};
