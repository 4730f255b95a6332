#pragma once

#include "xvfbsession.h"

#include <QProcess>

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
