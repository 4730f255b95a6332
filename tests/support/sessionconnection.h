#pragma once

// Connecting a session as the start-up does, for tests that go on once the connection or a sign-in is settled.

#include "session.h"

#include <QSignalSpy>

namespace SessionTest {

// Runs the session's connection attempts, pauses included, and gives whether it came on line.
inline bool connect(Session &session, int timeoutMs = 10000)
{
    QSignalSpy checked(&session, &Session::connectionChecked);
    session.connectToService();
    return (!checked.isEmpty() || checked.wait(timeoutMs)) && checked.first().first().toBool();
}

// Waits until the sign-in or projects load the session runs is over; true when it is.
inline bool settled(Session &session, int timeoutMs = 10000)
{
    QSignalSpy busy(&session, &Session::busyChanged);
    return !session.isBusy() || busy.wait(timeoutMs);
}

} // namespace SessionTest
