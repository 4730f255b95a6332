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
    void init()
    {
        store({});
        m_icons.clear();
    }

    void listsTheStoredPathsWithIcons()
    {
        store({QStringLiteral("/usr/bin/a"), QStringLiteral("/usr/bin/b")});
        IgnoredAppsDialog dialog(nullptr, [this](const QString &path) {
            m_icons.append(path);
            return QIcon();
        });
        QCOMPARE(dialog.listedPaths(), QStringList({QStringLiteral("/usr/bin/a"), QStringLiteral("/usr/bin/b")}));
        QCOMPARE(m_icons, dialog.listedPaths());
        QVERIFY(!dialog.listChanged);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Excluded Applications"));
        auto *tree = dialog.findChild<QTreeWidget *>(QStringLiteral("ignoredApps"));
        QVERIFY(tree->isHeaderHidden());
        QVERIFY(!tree->rootIsDecorated());
    }

    void addsAnExistingPathOnce()
    {
        const QString path = QCoreApplication::applicationFilePath();
        IgnoredAppsDialog dialog;
        dialog.setPathPrompt([&](QWidget *) { return QStringLiteral("  ") + path + QStringLiteral(" "); });
        dialog.on_btAdd_clicked();
        QVERIFY(dialog.listChanged);
        QCOMPARE(stored(), QStringList{path});
        dialog.on_btAdd_clicked();
        QCOMPARE(stored(), QStringList{path});
        QCOMPARE(dialog.listedPaths(), QStringList{path});
    }

    void otherLetterCaseIsAnotherEntry()
    {
        QTemporaryDir dir;
        const QString lower = dir.filePath(QStringLiteral("tool"));
        const QString upper = dir.filePath(QStringLiteral("TOOL"));
        for (const QString &name : {lower, upper}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        IgnoredAppsDialog dialog;
        QString answer = lower;
        dialog.setPathPrompt([&](QWidget *) { return answer; });
        dialog.on_btAdd_clicked();
        answer = upper;
        dialog.on_btAdd_clicked();
        QCOMPARE(stored(), QStringList({lower, upper}));
    }

    void rejectsMissingPaths_data()
    {
        QTest::addColumn<QString>("answer");
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
        QCOMPARE(presenter.boxes().size(), 1);
        const MessageBox::Box box = presenter.boxes().first();
        QCOMPARE(box.title, QStringLiteral("Error"));
        QCOMPARE(box.text, QStringLiteral("Application \"") + answer + QStringLiteral("\" does not exist."));
        QCOMPARE(box.icon, MessageBox::Icon::Critical);
        QCOMPARE(box.buttons, MessageBox::Buttons(MessageBox::Close));
        QVERIFY(stored().isEmpty());
        QVERIFY(!dialog.listChanged);
    }

    void cancellingChangesNothing()
    {
        RecordingPresenter presenter;
        IgnoredAppsDialog dialog;
        dialog.setPathPrompt([](QWidget *) { return QString(); });
        dialog.on_btAdd_clicked();
        QVERIFY(presenter.boxes().isEmpty());
        QVERIFY(!dialog.listChanged);
        QVERIFY(dialog.listedPaths().isEmpty());
    }

    void removingTakesEveryOccurrence()
    {
        const QString twice = QStringLiteral("/usr/bin/twice");
        const QString other = QStringLiteral("/usr/bin/other");
        store({twice, other, twice});
        IgnoredAppsDialog dialog;
        auto *tree = dialog.findChild<QTreeWidget *>(QStringLiteral("ignoredApps"));
        QCOMPARE(tree->topLevelItemCount(), 3);
        tree->topLevelItem(0)->setSelected(true);
        dialog.on_btRemove_clicked();
        QVERIFY(dialog.listChanged);
        QCOMPARE(stored(), QStringList{other});
        QCOMPARE(dialog.listedPaths(), QStringList{other});
    }

    void removingNothingSelectedKeepsTheList()
    {
        store({QStringLiteral("/usr/bin/kept")});
        IgnoredAppsDialog dialog;
        dialog.on_btRemove_clicked();
        QVERIFY(!dialog.listChanged);
        QCOMPARE(stored(), QStringList{QStringLiteral("/usr/bin/kept")});
    }

private:
    QStringList m_icons;
};

QTEST_MAIN(TestIgnoredAppsDialog)
#include "tst_ignoredappsdialog.moc"
