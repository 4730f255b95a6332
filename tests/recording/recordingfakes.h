#pragma once

// Scriptable stand-ins for the platform and the clock, for the recording tests and the recorder benchmark.

#include "appmetadata.h"
#include "clock.h"
#include "foregroundwindow.h"
#include "idleinhibition.h"
#include "idlesource.h"
#include "sessionlock.h"

#include <QIcon>
#include <QMap>

class FakeClock : public Clock
{
public:
    QDateTime now() const override { return m_now; }
    void set(const QDateTime &when) { m_now = when; }
    void advance(int seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now{QDate(2012, 3, 10), QTime(10, 0, 0)};
};

class FakeForegroundSource : public ForegroundWindowSource
{
public:
    void show(const QString &path, const QString &title, const QString &appId = {})
    {
        m_sample = ForegroundSample{1, path, title, appId};
    }
    ForegroundSample sample() override { return m_sample; }
    QString windowText(quint64) override { return m_sample.title; }
    quint64 parentWindow(quint64) override { return 0; }
    bool isAvailable() const override { return true; }
    QString problem() const override { return {}; }
    QString description() const override { return QStringLiteral("fake"); }

private:
    ForegroundSample m_sample;
};

class FakeAppMetadata : public AppMetadata
{
public:
    QString productName(const QString &path) override { return ++nameCalls[path], names.value(path); }
    QIcon icon(const QString &path) override { return ++iconCalls[path], QIcon(); }
    QStringList knownNames(const QString &path) override { return known.value(path); }
    QString productNameForAppId(const QString &appId) override { return appNames.value(appId); }
    QIcon iconForAppId(const QString &) override { return {}; }

    QMap<QString, QString> names;
    QMap<QString, QStringList> known;
    QMap<QString, QString> appNames;
    QMap<QString, int> nameCalls;
    QMap<QString, int> iconCalls;
};

class FakeIdleSource : public IdleSource
{
public:
    int idleSeconds() override { return seconds; }
    QString description() const override { return QStringLiteral("fake"); }
    int seconds = 0;
};

class FakeIdleInhibition : public IdleInhibition
{
public:
    bool isInhibited() override { return inhibited; }
    QString description() const override { return QStringLiteral("fake"); }
    bool inhibited = false;
};

class FakeSessionLock : public SessionLock
{
public:
    void set(bool locked) { setLocked(locked); }
    QString description() const override { return QStringLiteral("fake"); }
};

// What a recorder samples: a scripted clock, window, desktop metadata and idle time.
struct FakeDesktop
{
    FakeClock clock;
    FakeForegroundSource source;
    FakeAppMetadata metadata;
    FakeIdleSource idle;
};
