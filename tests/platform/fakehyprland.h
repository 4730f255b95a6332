#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDir>
#include <QString>

#include <atomic>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

// Stands in for Hyprland's request socket: answers every request with one recorded reply and then
// closes the connection, as Hyprland does. Serves from a thread of its own, because the client
// under test blocks while it waits for the answer.
class FakeHyprland
{
public:
    // Listens at <runtimeDir>/hypr/<instance>/.socket.sock.
    FakeHyprland(const QString &runtimeDir, const QString &instance, const QByteArray &reply)
        : m_reply(reply)
    {
        const QString folder = runtimeDir + QStringLiteral("/hypr/") + instance;
        QDir().mkpath(folder);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(folder + QStringLiteral("/.socket.sock"));
        qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
        m_listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            ::listen(m_listener, 4) != 0) {
            ::close(m_listener);
            m_listener = -1;
            return;
        }
        m_thread = std::thread([this] { serve(); });
    }

    ~FakeHyprland()
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
    void setReply(const QByteArray &reply)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_reply = reply;
    }
    QByteArrayList requests() const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

private:
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
            char buffer[1024];
            const ssize_t length = ::read(client, buffer, sizeof buffer);
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_requests << QByteArray(buffer, int(qMax<ssize_t>(length, 0)));
            for (qsizetype written = 0; written < m_reply.size();) {
                const ssize_t n = ::write(client, m_reply.constData() + written, size_t(m_reply.size() - written));
                if (n <= 0) {
                    break;
                }
                written += n;
            }
            ::close(client);
        }
    }

    int m_listener = -1;
    QByteArray m_reply;
    QByteArrayList m_requests;
    mutable std::mutex m_mutex;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
