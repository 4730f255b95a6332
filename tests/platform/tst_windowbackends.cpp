#include "windowbackends.h"
#include "xvfbsession.h"

#include <QTest>

namespace {
QProcessEnvironment environment(const QStringList &assignments)
{
    QProcessEnvironment env;
    for (const QString &assignment : assignments) {
        env.insert(assignment.section(QLatin1Char('='), 0, 0), assignment.section(QLatin1Char('='), 1));
    }
    return env;
}
} // namespace

class TestWindowBackends : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void candidates_data()
    {
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<QStringList>("expected");
        const QStringList x11{QStringLiteral("x11")};
        const QStringList sway{QStringLiteral("sway"), QStringLiteral("wlroots"), QStringLiteral("x11")};
        QTest::newRow("X11 session") << QStringList{QStringLiteral("DISPLAY=:0")} << x11;
        QTest::newRow("sway") << QStringList{QStringLiteral("WAYLAND_DISPLAY=wayland-1"),
                                             QStringLiteral("SWAYSOCK=/run/sway.sock")}
                              << sway;
        QTest::newRow("sway by desktop name")
            << QStringList{QStringLiteral("XDG_SESSION_TYPE=Wayland"), QStringLiteral("XDG_CURRENT_DESKTOP=sway")}
            << sway;
        QTest::newRow("Hyprland") << QStringList{QStringLiteral("WAYLAND_DISPLAY=wayland-1"),
                                                 QStringLiteral("HYPRLAND_INSTANCE_SIGNATURE=abc")}
                                  << QStringList{QStringLiteral("hyprland"), QStringLiteral("wlroots"),
                                                 QStringLiteral("x11")};
        QTest::newRow("GNOME") << QStringList{QStringLiteral("WAYLAND_DISPLAY=wayland-0"),
                                              QStringLiteral("XDG_CURRENT_DESKTOP=ubuntu:GNOME")}
                               << QStringList{QStringLiteral("gnome"), QStringLiteral("x11")};
        QTest::newRow("KDE") << QStringList{QStringLiteral("WAYLAND_DISPLAY=wayland-0"),
                                            QStringLiteral("XDG_CURRENT_DESKTOP=KDE")}
                             << QStringList{QStringLiteral("kde"), QStringLiteral("x11")};
        QTest::newRow("other wlroots compositor")
            << QStringList{QStringLiteral("WAYLAND_DISPLAY=wayland-0"), QStringLiteral("XDG_CURRENT_DESKTOP=river")}
            << QStringList{QStringLiteral("wlroots"), QStringLiteral("x11")};
        QTest::newRow("desktop name outside a Wayland session")
            << QStringList{QStringLiteral("DISPLAY=:0"), QStringLiteral("XDG_CURRENT_DESKTOP=GNOME")} << x11;
        QTest::newRow("override to X11") << QStringList{QStringLiteral("WAYLAND_DISPLAY=wayland-1"),
                                                        QStringLiteral("SWAYSOCK=/run/sway.sock"),
                                                        QStringLiteral("TAVRO_WINDOW_SOURCE=x11")}
                                         << x11;
        QTest::newRow("override, any case and blanks")
            << QStringList{QStringLiteral("DISPLAY=:0"), QStringLiteral("TAVRO_WINDOW_SOURCE= Sway ")} << sway;
        QTest::newRow("override to another desktop")
            << QStringList{QStringLiteral("WAYLAND_DISPLAY=wayland-1"), QStringLiteral("SWAYSOCK=/run/sway.sock"),
                           QStringLiteral("TAVRO_WINDOW_SOURCE=kde")}
            << QStringList{QStringLiteral("kde"), QStringLiteral("x11")};
        QTest::newRow("unknown override is ignored")
            << QStringList{QStringLiteral("WAYLAND_DISPLAY=wayland-1"), QStringLiteral("SWAYSOCK=/run/sway.sock"),
                           QStringLiteral("TAVRO_WINDOW_SOURCE=weston")}
            << sway;
    }

    void candidates()
    {
        QFETCH(QStringList, env);
        QFETCH(QStringList, expected);
        if (qstrcmp(QTest::currentDataTag(), "unknown override is ignored") == 0) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("names no window source.*weston")));
        }
        QCOMPARE(windowBackendCandidates(environment(env)), expected);
    }

    // Nothing to connect to: the null sources, and the user is told why.
    void nothingAnswers_data()
    {
        QTest::addColumn<QStringList>("env");
        QTest::newRow("empty environment") << QStringList();
        QTest::newRow("no X server answers") << QStringList{QStringLiteral("DISPLAY=:4711")};
        QTest::newRow("no compositor answers")
            << QStringList{QStringLiteral("WAYLAND_DISPLAY=tavro-test-none"), QStringLiteral("SWAYSOCK=/nonexistent")};
    }

    void nothingAnswers()
    {
        QFETCH(QStringList, env);
        auto source = createForegroundWindowSource(environment(env));
        QVERIFY(!source->isAvailable());
        QVERIFY(source->problem().contains(QLatin1String("No X11 display")));
        QCOMPARE(source->description(), QStringLiteral("none"));
        QVERIFY(source->sample().window == 0 && source->sample().path.isEmpty());
        auto idle = createIdleSource(environment(env));
        QCOMPARE(idle->description(), QStringLiteral("none"));
        QCOMPARE(idle->idleSeconds(), 0);
    }

    // A Wayland session whose compositor offers nothing we know falls back to its XWayland server,
    // and only then warns that native windows stay unseen.
    void fallsBackToXWayland()
    {
        XvfbSession session;
        QString error;
        QVERIFY2(session.start(false, &error), qPrintable(error));
        const QString display = QStringLiteral("DISPLAY=") + QString::fromLatin1(session.display());

        auto x11 = createForegroundWindowSource(environment({display}));
        QCOMPARE(x11->description(), QStringLiteral("X11"));
        QVERIFY(x11->note().isEmpty());

        const QStringList wayland{display, QStringLiteral("WAYLAND_DISPLAY=tavro-test-none")};
        auto xwayland = createForegroundWindowSource(environment(wayland));
        QVERIFY(xwayland->isAvailable());
        QCOMPARE(xwayland->description(), QStringLiteral("X11 (XWayland)"));
        QVERIFY(xwayland->note().contains(QLatin1String("XWayland")));
        QCOMPARE(createIdleSource(environment(wayland))->description(), QStringLiteral("X11 MIT-SCREEN-SAVER"));
    }
};

QTEST_GUILESS_MAIN(TestWindowBackends)
#include "tst_windowbackends.moc"
