#include "aboutdialog.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestAboutDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsTheFilesInTheDataFolder()
    {
        AboutDialog dialog;
        const QString data = QDir::toNativeSeparators(QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")));
        QVERIFY(!data.isEmpty());
        const QStringList lines =
            dialog.findChild<QLabel *>(QStringLiteral("label_files"))->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines.at(3), data + QStringLiteral("/TavroDesk/tavrodesk.ini"));
        QCOMPARE(lines.at(5), data + QStringLiteral("/TavroDesk/tavrodesk.sqlite"));
        QCOMPARE(lines.at(7), data + QStringLiteral("/TavroDesk/debug.log"));
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
