#pragma once

#include "xvfbsession.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

// A session bus of the test's own: dbus-daemon with its socket in a folder of the test, ended with it.
class PrivateBus
{
public:
    ~PrivateBus()
    {
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }

    // The bus address, or empty when dbus-daemon did not start.
    QString start(const QString &folder)
    {
        XvfbSession::endWithTest(m_daemon);
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                        QStringLiteral("--address=unix:dir=") + folder});
        if (!m_daemon.waitForReadyRead(10000)) {
            return {};
        }
        return QString::fromLocal8Bit(m_daemon.readLine().trimmed());
    }

private:
    QProcess m_daemon;
};

// A system and a session bus of the test's own, made this process's buses. Start them before
// anything in the process uses a bus: Qt reads the addresses only once.
class PrivateBuses
{
public:
    bool start()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("system"));
        QDir(m_dir.path()).mkpath(QStringLiteral("session"));
        system = m_system.start(m_dir.filePath(QStringLiteral("system")));
        session = m_session.start(m_dir.filePath(QStringLiteral("session")));
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", system.toLocal8Bit());
        qputenv("DBUS_SESSION_BUS_ADDRESS", session.toLocal8Bit());
        return !system.isEmpty() && !session.isEmpty();
    }

    QString system;
    QString session;

private:
    QTemporaryDir m_dir;
    PrivateBus m_system;
    PrivateBus m_session;
};
