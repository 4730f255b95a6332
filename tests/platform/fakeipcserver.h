#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <atomic>
#include <chrono>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

// A compositor's IPC socket, honest or hostile: each connection gets the reply and is then closed,
// or, with a filler set, gets the reply and then the filler again and again, with a pause between,
// until the client goes away. Serves from a thread of its own, so a client that blocked would show.
class FakeIpcServer
{
public:
    explicit FakeIpcServer(const QString &path, const QByteArray &reply = {})
        : m_reply(reply)
    {
        QDir().mkpath(QFileInfo(path).path());
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
        m_listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            ::listen(m_listener, 4) != 0) {
            ::close(m_listener);
            m_listener = -1;
            return;
        }
        m_thread = std::thread([this] { serve(); });
    }

    ~FakeIpcServer()
    {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
        if (m_listener >= 0) {
            ::close(m_listener);
        }
    }

    bool isListening() const { return m_listener >= 0; }
    void setReply(const QByteArray &reply, const QByteArray &filler = {}, int pauseMs = 0)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_reply = reply;
        m_filler = filler;
        m_pauseMs = pauseMs;
    }
    QByteArrayList requests() const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }
    // Bytes the last connection took before it ended, and whether the client ended it.
    qint64 bytesSent() const { return m_sent; }
    bool clientLeft() const { return m_clientLeft; }

private:
    bool send(int client, const QByteArray &bytes)
    {
        for (qsizetype written = 0; written < bytes.size() && !m_stop;) {
            pollfd ready{client, POLLOUT, 0};
            if (::poll(&ready, 1, 50) <= 0) {
                continue;
            }
            const ssize_t n = ::send(client, bytes.constData() + written, size_t(bytes.size() - written), MSG_NOSIGNAL);
            if (n <= 0) {
                m_clientLeft = true;
                return false;
            }
            written += n;
            m_sent += n;
        }
        return !m_stop;
    }

    void serve()
    {
        while (!m_stop) {
            pollfd ready{m_listener, POLLIN, 0};
            if (::poll(&ready, 1, 50) <= 0) {
                continue;
            }
            const int client = ::accept(m_listener, nullptr, nullptr);
            if (client < 0) {
                continue;
            }
            m_sent = 0;
            m_clientLeft = false;
            char buffer[1024];
            const ssize_t length = ::read(client, buffer, sizeof buffer);
            QByteArray reply;
            QByteArray filler;
            int pauseMs = 0;
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_requests << QByteArray(buffer, int(qMax<ssize_t>(length, 0)));
                reply = m_reply;
                filler = m_filler;
                pauseMs = m_pauseMs;
            }
            bool open = send(client, reply);
            while (open && !filler.isEmpty()) {
                open = send(client, filler);
                if (pauseMs > 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
                }
            }
            ::close(client);
        }
    }

    int m_listener = -1;
    QByteArray m_reply;
    QByteArray m_filler;
    int m_pauseMs = 0;
    QByteArrayList m_requests;
    mutable std::mutex m_mutex;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_sent{0};
    std::atomic<bool> m_clientLeft{false};
    std::thread m_thread;
};
