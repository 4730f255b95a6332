#include "ignoredappsdialog.h"
#include "recordingpresenter.h"
#include "settings.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {
const QString Key = QStringLiteral("IgnoredApps");

QStringList stored()
{
    return Settings::instance()->value(Key).toStringList();
}

void store(const QStringList &paths)
{
    Settings::instance()->values[Key] = paths;
}
} // namespace

class TestIgnoredAppsDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { store({}); }

    void listsTheStoredPathsWithIcons()
    {
        store({QStringLiteral("/usr/bin/a"), QStringLiteral("/usr/bin/b")});
        QStringList icons;
        IgnoredAppsDialog dialog(nullptr, [&icons](const QString &path) {
            icons.append(path);
            return QIcon();
        });
        QCOMPARE(dialog.listedPaths(), QStringList({QStringLiteral("/usr/bin/a"), QStringLiteral("/usr/bin/b")}));
        QCOMPARE(icons, dialog.listedPaths());
        QVERIFY(!dialog.listChanged);
    }

    void addsExistingPathsOncePerSpelling()
    {
        QTemporaryDir dir;
        const QString lower = dir.filePath(QStringLiteral("tool"));
        const QString upper = dir.filePath(QStringLiteral("TOOL"));
        for (const QString &name : {lower, upper}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        IgnoredAppsDialog dialog;
        QString answer = QStringLiteral("  ") + lower + QStringLiteral(" ");
        dialog.setPathPrompt([&](QWidget *) { return answer; });
        dialog.on_btAdd_clicked();
        QVERIFY(dialog.listChanged);
        QCOMPARE(stored(), QStringList{lower});
        dialog.on_btAdd_clicked();
        QCOMPARE(stored(), QStringList{lower});
        // Another letter case is another file.
        answer = upper;
        dialog.on_btAdd_clicked();
        QCOMPARE(stored(), QStringList({lower, upper}));
        QCOMPARE(dialog.listedPaths(), stored());
    }

    void rejectsMissingPaths_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("cancelled") << QString();
        QTest::newRow("pre-filled text") << QStringLiteral("Enter path here");
        QTest::newRow("missing file") << QStringLiteral("/no/such/tavro/app");
    }

    void rejectsMissingPaths()
    {
        QFETCH(QString, answer);
        RecordingPresenter presenter;
        IgnoredAppsDialog dialog;
        dialog.setPathPrompt([&](QWidget *) { return answer; });
        dialog.on_btAdd_clicked();
        if (answer.isEmpty()) {
            QVERIFY(presenter.boxes().isEmpty());
        } else {
            QCOMPARE(presenter.boxes().size(), 1);
            QCOMPARE(presenter.boxes().first().text,
                     QStringLiteral("Application \"") + answer + QStringLiteral("\" does not exist."));
            QCOMPARE(presenter.boxes().first().icon, MessageBox::Icon::Critical);
        }
        QVERIFY(stored().isEmpty());
        QVERIFY(dialog.listedPaths().isEmpty());
        QVERIFY(!dialog.listChanged);
    }

    void removingTakesEveryOccurrence()
    {
        const QString twice = QStringLiteral("/usr/bin/twice");
        const QString other = QStringLiteral("/usr/bin/other");
        store({twice, other, twice});
        IgnoredAppsDialog dialog;
        // Nothing selected: nothing removed.
        dialog.on_btRemove_clicked();
        QVERIFY(!dialog.listChanged);
        QCOMPARE(stored().size(), 3);
        dialog.findChild<QTreeWidget *>(QStringLiteral("ignoredApps"))->topLevelItem(0)->setSelected(true);
        dialog.on_btRemove_clicked();
        QVERIFY(dialog.listChanged);
        QCOMPARE(stored(), QStringList{other});
        QCOMPARE(dialog.listedPaths(), QStringList{other});
    }
};

QTEST_MAIN(TestIgnoredAppsDialog)
#include "tst_ignoredappsdialog.moc"
