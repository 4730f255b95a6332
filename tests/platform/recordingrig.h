#pragma once

#include "clock.h"
#include "database.h"
#include "desktopappmetadata.h"
#include "recorder.h"
#include "waylanddesktop.h"
#include "windowprobe.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <memory>

// The recording engine on a real window source and the system clock, storing into a database of its
// own, plus terminals with titles the test controls.
class RecordingRig
{
public:
    struct Row
    {
        QString path;
        QString name;
        QString title;
        QDateTime start;
        QDateTime end;
    };

    RecordingRig(ForegroundWindowSource *source, IdleSource *idle)
        : m_probe(source, &m_metadata)
        , m_recorder(&m_probe, idle, SystemClock::instance())
    {
        m_db.open(m_dir.filePath(QStringLiteral("recording.sqlite")), nullptr);
        Database::createSchema();
    }

    Recorder &recorder() { return m_recorder; }
    WindowProbe &probe() { return m_probe; }

    QList<Row> rows() const
    {
        QList<Row> result;
        QSqlQuery query(QStringLiteral("SELECT a.path, a.name, e.title, e.start_time, e.end_time FROM entries e "
                                       "JOIN applications a ON a.id = e.application_id ORDER BY e.id"));
        while (query.next()) {
            const auto time = [&](int column) {
                return QDateTime::fromString(query.value(column).toString(), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
            };
            result.append(
                Row{query.value(0).toString(), query.value(1).toString(), query.value(2).toString(), time(3), time(4)});
        }
        return result;
    }

    // A weston-terminal titled `first`, retitled `second` once `retitle()` is called.
    struct Terminal
    {
        QProcess *process = nullptr;
        QString flag;
        bool retitle() const { return QFile(flag).open(QIODevice::WriteOnly); }
    };

    static Terminal startTerminal(WaylandDesktop &desktop, const QString &first, const QString &second)
    {
        static int count = 0;
        Terminal terminal;
        terminal.flag = desktop.path(QStringLiteral("retitle-%1").arg(++count));
        QProcessEnvironment env;
        env.insert(QStringLiteral("TITLE_FIRST"), first);
        env.insert(QStringLiteral("TITLE_SECOND"), second);
        env.insert(QStringLiteral("TITLE_FLAG"), terminal.flag);
        terminal.process =
            desktop.startClient(QStringLiteral("weston-terminal"),
                                {QStringLiteral("--shell=") + qEnvironmentVariable("TAVRO_PLATFORM_TEST_DATA") +
                                 QStringLiteral("/weston/titled-shell.sh")},
                                env);
        return terminal;
    }

private:
    QTemporaryDir m_dir;
    Database m_db;
    DesktopAppMetadata m_metadata;
    WindowProbe m_probe;
    Recorder m_recorder;
};
