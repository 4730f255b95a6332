#include "aboutdialog.h"
#include "hosts.h"
#include "settingsfile.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestAboutDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsVersionAndFiles()
    {
        AboutDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("About"));
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("labelTitle"))->text(), QStringLiteral("Tavro Desk 1.0.10"));
        const QString files = dialog.findChild<QLabel *>(QStringLiteral("label_files"))->text();
        const QString data = QDir::toNativeSeparators(QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")));
        QVERIFY(!data.isEmpty());
        const QStringList lines = files.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines.at(2), QStringLiteral("INI File:"));
        QCOMPARE(lines.at(3), data + QStringLiteral("/TavroDesk/tavrodesk.ini"));
        QCOMPARE(lines.at(5), data + QStringLiteral("/TavroDesk/tavrodesk.sqlite"));
        QCOMPARE(lines.at(7), data + QStringLiteral("/TavroDesk/debug.log"));
        const QString site = dialog.findChild<QLabel *>(QStringLiteral("labelWebSite"))->text();
        QVERIFY(site.contains(QStringLiteral("href=\"") + Hosts::webSiteUrl() + QLatin1Char('"')));
        QVERIFY(
            dialog.findChild<QLabel *>(QStringLiteral("labelBuilt"))->text().startsWith(QStringLiteral("Built on ")));
    }

    void checkButtonAsksAndStaysOpen()
    {
        AboutDialog dialog;
        dialog.show();
        QSignalSpy spy(&dialog, &AboutDialog::checkForUpdates);
        dialog.findChild<QPushButton *>(QStringLiteral("btnCheckForUpdates"))->click();
        QCOMPARE(spy.count(), 1);
        QVERIFY(dialog.isVisible());
    }
};

QTEST_MAIN(TestAboutDialog)
#include "tst_aboutdialog.moc"
