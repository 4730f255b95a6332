#include "applicationpathdialog.h"
#include "ignoredappsdialog.h"
#include "recordingpresenter.h"
#include "settings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {
QStringList stored()
{
    return Settings::instance()->value(Setting::IgnoredApps);
}
} // namespace

class TestIgnoredAppsDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addsExistingPathsOnce()
    {
        Settings::instance()->setValue(Setting::IgnoredApps, QStringList());
        QTemporaryDir dir;
        const QString lower = dir.filePath(QStringLiteral("tool"));
        const QString upper = dir.filePath(QStringLiteral("TOOL"));
        for (const QString &name : {lower, upper}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        RecordingPresenter presenter;
        IgnoredAppsDialog dialog;
        QString answer;
        dialog.setPathPrompt([&](QWidget *) { return answer; });
        for (const QString &text : {QStringLiteral("/no/such/tavro/app"), QString()}) {
            answer = text;
            dialog.on_btAdd_clicked();
        }
        QCOMPARE(presenter.boxes().size(), 1);
        QVERIFY(presenter.boxes().first().text.contains(QStringLiteral("/no/such/tavro/app")));
        QVERIFY(!dialog.listChanged);
        // Blanks around the path are dropped; another letter case is another file on Linux.
        for (const QString &text : {QStringLiteral("  ") + lower + QStringLiteral(" "), lower, upper}) {
            answer = text;
            dialog.on_btAdd_clicked();
        }
        QVERIFY(dialog.listChanged);
        QCOMPARE(stored(), QStringList({lower, upper}));
        QCOMPARE(dialog.listedPaths(), stored());
    }

    // The same dialog edits the never-recorded list: its own list, the choice of keeping their time,
    // and what was added (the titles recorded before may then go), not the excluded list.
    void editsTheNeverRecordedList()
    {
        Settings::instance()->setValue(Setting::IgnoredApps, QStringList{QStringLiteral("/usr/bin/excluded")});
        Settings::instance()->setValue(Setting::NeverRecordedApps, QStringList{QStringLiteral("/bin/sh")});
        Settings::instance()->setValue(Setting::NeverRecordedKeepTime, true);
        IgnoredAppsDialog dialog(nullptr, {}, IgnoredAppsDialog::List::NeverRecorded);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Never Recorded Applications"));
        QCOMPARE(dialog.listedPaths(), QStringList{QStringLiteral("/bin/sh")});
        dialog.setPathPrompt([](QWidget *) { return QStringLiteral("/bin/true"); });
        dialog.on_btAdd_clicked();
        QCOMPARE(dialog.addedPaths(), QStringList{QStringLiteral("/bin/true")});
        QCOMPARE(Settings::instance()->value(Setting::NeverRecordedApps),
                 (QStringList{QStringLiteral("/bin/sh"), QStringLiteral("/bin/true")}));
        QCOMPARE(stored(), QStringList{QStringLiteral("/usr/bin/excluded")});
        auto *keepTime = dialog.findChild<QCheckBox *>(QStringLiteral("checkKeepTime"));
        QVERIFY(keepTime && keepTime->isChecked());
        keepTime->click();
        QCOMPARE(Settings::instance()->value(Setting::NeverRecordedKeepTime), false);
        // Added and removed again: nothing was added.
        dialog.findChild<QTreeWidget *>()->topLevelItem(1)->setSelected(true);
        dialog.on_btRemove_clicked();
        QVERIFY(dialog.addedPaths().isEmpty());
    }

    void pathDialogOffersAHintNotAValue()
    {
        ApplicationPathDialog dialog;
        QVERIFY(dialog.pathEdit()->text().isEmpty());
        QCOMPARE(dialog.pathEdit()->placeholderText(), QStringLiteral("Enter path here"));
        dialog.setPath(QStringLiteral("  /usr/bin/xterm "));
        QCOMPARE(dialog.path(), QStringLiteral("/usr/bin/xterm"));
        dialog.show();
        // Wide enough for its title and a long path.
        QVERIFY(dialog.width() > dialog.fontMetrics().horizontalAdvance(dialog.windowTitle()) + 100);
        QVERIFY(dialog.pathEdit()->width() >=
                dialog.fontMetrics().horizontalAdvance(QStringLiteral("/usr/lib/x86_64-linux-gnu/libexec/tool")));
    }

    void removingTakesEveryOccurrence()
    {
        const QString twice = QStringLiteral("/usr/bin/twice");
        const QString other = QStringLiteral("/usr/bin/other");
        Settings::instance()->setValue(Setting::IgnoredApps, QStringList({twice, other, twice}));
        IgnoredAppsDialog dialog;
        dialog.findChild<QTreeWidget *>(QStringLiteral("ignoredApps"))->topLevelItem(0)->setSelected(true);
        dialog.on_btRemove_clicked();
        QVERIFY(dialog.listChanged);
        QCOMPARE(stored() + dialog.listedPaths(), QStringList({other, other}));
    }
};

QTEST_MAIN(TestIgnoredAppsDialog)
#include "tst_ignoredappsdialog.moc"
