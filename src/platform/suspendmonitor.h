#pragma once

#include <QObject>

// Announces that the system is about to sleep and that it woke up again.
class SuspendMonitor : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~SuspendMonitor() override = default;

Q_SIGNALS:
    void suspending();
    void resumed();
};

// The logind monitor; it stays silent when there is no system bus.
SuspendMonitor *createSuspendMonitor(QObject *parent = nullptr);
