#pragma once

// Scriptable stand-ins for the platform and the clock, driven tick by tick by the recording tests
// and the recorder benchmark.

#include "appmetadata.h"
#include "clock.h"
#include "foregroundwindow.h"
#include "idlesource.h"

#include <QHash>
#include <QIcon>
#include <QMap>
#include <QPixmap>

class FakeClock : public Clock
{
public:
    explicit FakeClock(const QDateTime &start = QDateTime(QDate(2012, 3, 10), QTime(10, 0, 0)))
        : m_now(start)
    {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime &when) { m_now = when; }
    void advance(int seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now;
};

class FakeForegroundSource : public ForegroundWindowSource
{
public:
    // What sample() reports from now on.
    void show(const QString &path, const QString &title, quint64 window = 1)
    {
        m_sample = ForegroundSample{window, path, title};
        m_titles.insert(window, title);
    }
    void setWindow(quint64 window, const QString &title, quint64 parent = 0)
    {
        m_titles.insert(window, title);
        m_parents.insert(window, parent);
    }

    ForegroundSample sample() override
    {
        ++sampleCalls;
        return m_sample;
    }
    QString windowText(quint64 window) override { return m_titles.value(window); }
    quint64 parentWindow(quint64 window) override { return m_parents.value(window); }
    bool isAvailable() const override { return available; }
    QString problem() const override { return available ? QString() : QStringLiteral("no display"); }

    bool available = true;
    int sampleCalls = 0;

private:
    ForegroundSample m_sample;
    QHash<quint64, QString> m_titles;
    QHash<quint64, quint64> m_parents;
};

class FakeAppMetadata : public AppMetadata
{
public:
    QString productName(const QString &path) override
    {
        ++nameCalls[path];
        return names.value(path);
    }
    QIcon icon(const QString &path) override
    {
        ++iconCalls[path];
        return icons.value(path);
    }
    static QIcon solidIcon(Qt::GlobalColor color)
    {
        QPixmap pixmap(16, 16);
        pixmap.fill(color);
        return QIcon(pixmap);
    }

    QMap<QString, QString> names;
    QMap<QString, QIcon> icons;
    QMap<QString, int> nameCalls;
    QMap<QString, int> iconCalls;
};

class FakeIdleSource : public IdleSource
{
public:
    int idleSeconds() override { return seconds; }
    int seconds = 0;
};
