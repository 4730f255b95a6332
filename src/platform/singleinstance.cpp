#include "singleinstance.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace {
// "show", or "show " and the launcher's activation, then a newline.
const QByteArray ShowRequest = QByteArrayLiteral("show");
const char ShowAnswer[] = "ok\n";
// How long a start that lost the race for the lock waits for the winner to listen.
constexpr int StartupWaitMs = 3000;
} // namespace

SingleInstance::SingleInstance(const QString &dataFolder, const QString &runtimeFolder, QObject *parent)
    : QObject(parent)
    , m_dataFolder(dataFolder)
    , m_folder(runtimeFolder)
{}

SingleInstance::~SingleInstance()
{
    if (m_server) {
        m_server->close();
    }
}

QString SingleInstance::defaultRuntimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        return runtime;
    }
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

QString SingleInstance::socketPath() const
{
    return m_folder + QStringLiteral("/tavrodesk.sock");
}

bool SingleInstance::askRunningInstance(int timeoutMs, const QString &activation)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    // One line: a line break inside the token would end the request early.
    const QByteArray token = activation.toUtf8().simplified();
    socket.write(token.isEmpty() ? ShowRequest + '\n' : ShowRequest + ' ' + token + '\n');
    if (!socket.waitForBytesWritten(timeoutMs)) {
        return false;
    }
    // The answer only confirms that a live instance took the request.
    return socket.waitForReadyRead(timeoutMs) && socket.readLine() == ShowAnswer;
}

SingleInstance::Outcome SingleInstance::start(const QString &activation)
{
    if (askRunningInstance(1000, activation)) {
        return Outcome::OtherShown;
    }
    QDir().mkpath(m_folder);
    m_lock = std::make_unique<QLockFile>(m_folder + QStringLiteral("/tavrodesk.lock"));
    // Only a dead owner makes the lock stale, never its age.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        // Another start won the lock and is about to listen: hand it the request instead.
        const QDeadlineTimer deadline(StartupWaitMs);
        while (!deadline.hasExpired()) {
            if (askRunningInstance(500, activation)) {
                return Outcome::OtherShown;
            }
            QThread::msleep(50);
        }
        qWarning() << "another instance holds" << m_lock->fileName() << "but does not answer";
        return Outcome::OtherShown;
    }
    if (!lockDataFolder()) {
        m_lock.reset();
        return Outcome::DataFolderInUse;
    }

    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socketPath())) {
        qWarning() << "cannot listen on" << socketPath() << m_server->errorString();
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::answer);
    return Outcome::Started;
}

bool SingleInstance::lockDataFolder()
{
    if (!QFileInfo(m_dataFolder).isDir()) {
        // Nothing can be stored there either; the settings loader tells the user.
        return true;
    }
    m_dataLock = std::make_unique<QLockFile>(m_dataFolder + QStringLiteral("/instance.lock"));
    // A holder on another computer is never taken for dead.
    m_dataLock->setStaleLockTime(0);
    if (m_dataLock->tryLock(0)) {
        return true;
    }
    if (m_dataLock->error() != QLockFile::LockFailedError) {
        qWarning() << "cannot lock the data folder:" << m_dataLock->fileName();
        m_dataLock.reset();
        return true;
    }
    return false;
}

QString SingleInstance::dataFolderHolder() const
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (!m_dataLock || !m_dataLock->getLockInfo(&pid, &host, &application)) {
        return QStringLiteral("another process");
    }
    return QStringLiteral("process %1 on host %2").arg(pid).arg(host);
}

void SingleInstance::answer()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                return;
            }
            const QByteArray request = socket->readLine().chopped(1);
            if (request == ShowRequest || request.startsWith(ShowRequest + ' ')) {
                socket->write(ShowAnswer);
                socket->flush();
                Q_EMIT showRequested(QString::fromUtf8(request.mid(ShowRequest.size() + 1)));
            }
            socket->disconnectFromServer();
        });
    }
}
