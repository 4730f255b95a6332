#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

// One running TavroDesk per user and one per data folder. The running instance holds a lock file
// and listens on a local socket in the user's runtime folder; a later start asks it to show itself
// and then ends. The lock, not the socket, guarantees uniqueness: a socket left by a killed
// instance is replaced. A second lock file in the data folder keeps out instances of other
// sessions (another runtime folder) and other computers sharing the folder.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Outcome {
        Started,
        // The running instance of this session was asked to show its window.
        OtherShown,
        // An instance of another session or computer uses the data folder.
        DataFolderInUse,
    };

    explicit SingleInstance(const QString &dataFolder, const QString &runtimeFolder = defaultRuntimeFolder(),
                            QObject *parent = nullptr);
    ~SingleInstance() override;

    // Tries to become the running instance. When another one runs, asks it to show its window,
    // handing on the launcher's `activation` (see StartupActivation).
    Outcome start(const QString &activation = {});
    // The data folder's holder after DataFolderInUse, for the user: "process 4242 on host example".
    QString dataFolderHolder() const;

    QString socketPath() const;
    static QString defaultRuntimeFolder();

Q_SIGNALS:
    // Another start asked this instance to bring its window forward; `activation` is its
    // launcher's, empty when it had none.
    void showRequested(const QString &activation);

private:
    bool askRunningInstance(int timeoutMs, const QString &activation);
    void answer();

    bool lockDataFolder();

    QString m_dataFolder;
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLockFile> m_dataLock;
    QLocalServer *m_server = nullptr;
};
