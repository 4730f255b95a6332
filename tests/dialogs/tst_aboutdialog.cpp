#include "aboutdialog.h"

#include <QDir>
#include <QLabel>
#include <QTest>

class TestAboutDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsTheFilesInTheDataFolder()
    {
        AboutDialog dialog;
        const QString folder =
            QDir::toNativeSeparators(qEnvironmentVariable("XDG_DATA_HOME")) + QStringLiteral("/TavroDesk/");
        const QStringList lines =
            dialog.findChild<QLabel *>(QStringLiteral("label_files"))->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 8);
        QCOMPARE(QStringList({lines.at(3), lines.at(5), lines.at(7)}),
                 QStringList({folder + QStringLiteral("tavrodesk.ini"), folder + QStringLiteral("tavrodesk.sqlite"),
                              folder + QStringLiteral("debug.log")}));
    }

    void namesTheWindowSource()
    {
        AboutDialog dialog;
        auto *label = dialog.findChild<QLabel *>(QStringLiteral("labelWindowSource"));
        QVERIFY(label->isHidden());
        dialog.setWindowSource(QStringLiteral("sway (foreign-toplevel + IPC)"));
        QVERIFY(!label->isHidden());
        QCOMPARE(label->text(), QStringLiteral("Window source: sway (foreign-toplevel + IPC)"));
    }
};

QTEST_MAIN(TestAboutDialog)
#include "tst_aboutdialog.moc"
