#include "aboutdialog.h"
#include "buildinfo.h"
#include "recordingpresenter.h"

#include <QDir>
#include <QLabel>
#include <QTest>

class TestAboutDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsTheFilesInTheirXdgPlaces()
    {
        AboutDialog dialog;
        const auto folder = [](const char *variable) {
            return QDir::toNativeSeparators(qEnvironmentVariable(variable)) + QStringLiteral("/TavroDesk/");
        };
        const QStringList lines =
            dialog.findChild<QLabel *>(QStringLiteral("label_files"))->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 8);
        QCOMPARE(QStringList({lines.at(3), lines.at(5), lines.at(7)}),
                 QStringList({folder("XDG_CONFIG_HOME") + QStringLiteral("tavrodesk.ini"),
                              folder("XDG_DATA_HOME") + QStringLiteral("tavrodesk.sqlite"),
                              folder("XDG_STATE_HOME") + QStringLiteral("debug.log")}));
    }

    void wholeTextShowsAndLinksSayWhenNoBrowserOpens()
    {
        AboutDialog dialog;
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("labelTitle"))->text(),
                 QStringLiteral("TavroDesk ") + BuildInfo::version());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const auto *files = dialog.findChild<QLabel *>(QStringLiteral("label_files"));
        const QPoint bottom = files->mapTo(&dialog, QPoint(0, files->height()));
        QVERIFY2(files->height() >= files->sizeHint().height() && bottom.y() <= dialog.height(),
                 qPrintable(QStringLiteral("%1 < %2").arg(files->height()).arg(files->sizeHint().height())));

        // No browser can start here: the box names the address instead of doing nothing.
        RecordingPresenter presenter;
        auto *site = dialog.findChild<QLabel *>(QStringLiteral("labelWebSite"));
        QVERIFY(!site->openExternalLinks());
        Q_EMIT site->linkActivated(QStringLiteral("http://127.0.0.1:1/help.html"));
        QCOMPARE(presenter.boxes().size(), 1);
        QVERIFY(presenter.lastText().endsWith(QStringLiteral("http://127.0.0.1:1/help.html")));
    }
};

QTEST_MAIN(TestAboutDialog)
#include "tst_aboutdialog.moc"
