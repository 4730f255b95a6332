#include "awayeditdialog.h"
#include "timestampsdialog.h"
#include "viewtestdb.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QTreeWidget>

using namespace ViewTest;

namespace {
QStringList rows(const QTreeWidget *list)
{
    QStringList result;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list->topLevelItem(i);
        result << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join(QLatin1Char('|'));
    }
    return result;
}

QString label(const QDialog &dialog, const char *name)
{
    return dialog.findChild<QLabel *>(QLatin1String(name))->text();
}
} // namespace

class TestEntryDialogs : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> m_db;
    qint64 m_editor = 0;
    qint64 m_mail = 0;
    qint64 m_away = 0;

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<TestDatabase>();
        m_editor = TestDatabase::addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        m_mail = TestDatabase::addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"));
        m_away = TestDatabase::addApp(QStringLiteral("tavro://idle"), QStringLiteral("Away Time"));
    }

    void cleanup() { m_db.reset(); }

    void timestampsForm()
    {
        TimestampsDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Timestamps"));
        auto *list = dialog.findChild<QTreeWidget *>(QStringLiteral("timestamps"));
        QVERIFY(list);
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("Application"));
        QCOMPARE(list->headerItem()->text(1), QStringLiteral("From"));
        QCOMPARE(list->headerItem()->text(2), QStringLiteral("To"));
        QCOMPARE(list->headerItem()->text(3), QStringLiteral("Duration"));
        QVERIFY(!list->header()->stretchLastSection());
        QCOMPARE(list->header()->sectionResizeMode(0), QHeaderView::Stretch);
        QCOMPARE(list->header()->sectionResizeMode(3), QHeaderView::ResizeToContents);
        QCOMPARE(dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))->standardButtons(),
                 QDialogButtonBox::Close);
    }

    void timestampsOfAnApplication()
    {
        TestDatabase::addEntry(m_editor, QStringLiteral("b"), QStringLiteral("10:00:00"), QStringLiteral("10:00:07"));
        TestDatabase::addEntry(m_editor, QStringLiteral("a"), QStringLiteral("09:00:00"), QStringLiteral("09:01:15"));
        TestDatabase::addEntry(m_mail, QStringLiteral("a"), QStringLiteral("09:30:00"), QStringLiteral("09:30:01"));
        const qint64 linked = TestDatabase::addEntry(m_editor, QStringLiteral("sent"), QStringLiteral("11:00:00"),
                                                     QStringLiteral("11:00:01"));
        TestDatabase::link(linked, {1, 2, 3, QString(), QString(), QString()});
        TestDatabase::addEntry(m_editor, QStringLiteral("other day"), QStringLiteral("2012-03-11 09:00:00"),
                               QStringLiteral("2012-03-11 09:00:01"));

        TimestampsDialog dialog;
        dialog.day = Day;
        dialog.appPath = QStringLiteral("/usr/bin/editor");
        dialog.load();
        auto *list = dialog.findChild<QTreeWidget *>(QStringLiteral("timestamps"));
        QCOMPARE(rows(list), (QStringList{QStringLiteral("a|09:00:00|09:01:15|1 m 15 s"),
                                          QStringLiteral("b|10:00:00|10:00:07|7 s")}));
        QCOMPARE(label(dialog, "labelDate"), Day.toString(QLocale::system().dateFormat(QLocale::LongFormat)));

        // Loading again replaces the list; no path lists every application.
        dialog.appPath.clear();
        dialog.load();
        QCOMPARE(rows(list).size(), 3);
    }

    void timestampsOfATitleWithQuotes()
    {
        const QString title = QStringLiteral("Don't panic' OR '1'='1");
        TestDatabase::addEntry(m_editor, title, QStringLiteral("09:00:00"), QStringLiteral("09:00:30"));
        TestDatabase::addEntry(m_editor, title, QStringLiteral("09:10:00"), QStringLiteral("09:10:10"));
        TestDatabase::addEntry(m_editor, QStringLiteral("Don"), QStringLiteral("09:20:00"), QStringLiteral("09:20:10"));
        TimestampsDialog dialog;
        dialog.day = Day;
        dialog.appPath = QStringLiteral("/usr/bin/editor");
        dialog.title = title;
        dialog.load();
        QCOMPARE(rows(dialog.findChild<QTreeWidget *>(QStringLiteral("timestamps"))),
                 (QStringList{title + QStringLiteral("|09:00:00|09:00:30|30 s"),
                              title + QStringLiteral("|09:10:00|09:10:10|10 s")}));
    }

    void timestampsOfAnEmptyDay()
    {
        TimestampsDialog dialog;
        dialog.day = QDate(2012, 4, 1);
        dialog.load();
        QCOMPARE(dialog.findChild<QTreeWidget *>(QStringLiteral("timestamps"))->topLevelItemCount(), 0);
        QCOMPARE(label(dialog, "labelDate"),
                 QDate(2012, 4, 1).toString(QLocale::system().dateFormat(QLocale::LongFormat)));
    }

    void awayForm()
    {
        AwayEditDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Away Time"));
        auto *presets = dialog.findChild<QListWidget *>(QStringLiteral("listPresets"));
        QCOMPARE(presets->count(), 3);
        QCOMPARE(presets->item(0)->text(), QStringLiteral("On the phone"));
        QCOMPARE(presets->item(1)->text(), QStringLiteral("Meeting"));
        QCOMPARE(presets->item(2)->text(), QStringLiteral("Lunch"));
        QCOMPARE(label(dialog, "labelBetween"), QStringLiteral("Away time between"));
        QCOMPARE(label(dialog, "labelPresets"), QStringLiteral("or use a description from the list"));
    }

    void awayWithOneStretch()
    {
        const qint64 id = TestDatabase::addEntry(m_away, QStringLiteral("at 12:00:00"), QStringLiteral("12:00:00"),
                                                 QStringLiteral("12:25:30"));
        AwayEditDialog dialog;
        dialog.entryIds = QStringList{QString::number(id)};
        dialog.load();
        QVERIFY(!dialog.findChild<QWidget *>(QStringLiteral("widgetTimes"))->isHidden());
        QCOMPARE(label(dialog, "labelStartTime"), QStringLiteral("12:00:00"));
        QCOMPARE(label(dialog, "labelEndTime"), QStringLiteral("12:25:30"));
        QCOMPARE(label(dialog, "labelDuration"), QStringLiteral("25 m 30 s"));
        auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("editDescription"));
        QCOMPARE(edit->text(), QStringLiteral("at 12:00:00"));
        QCOMPARE(edit->selectedText(), QStringLiteral("at 12:00:00"));
        QCOMPARE(dialog.description(), QStringLiteral("at 12:00:00"));

        dialog.findChild<QListWidget *>(QStringLiteral("listPresets"))->setCurrentRow(2);
        QCOMPARE(dialog.description(), QStringLiteral("Lunch"));
        edit->setText(QStringLiteral("Lunch with the team"));
        QCOMPARE(dialog.description(), QStringLiteral("Lunch with the team"));
    }

    void awayWithThreeStretches()
    {
        QStringList ids;
        ids << QString::number(TestDatabase::addEntry(m_away, QStringLiteral("Meeting"), QStringLiteral("09:00:00"),
                                                      QStringLiteral("09:10:00")));
        ids << QString::number(TestDatabase::addEntry(m_away, QStringLiteral("Meeting"), QStringLiteral("10:00:00"),
                                                      QStringLiteral("10:05:00")));
        ids << QString::number(TestDatabase::addEntry(m_away, QStringLiteral("Meeting"), QStringLiteral("11:00:00"),
                                                      QStringLiteral("11:00:45")));
        AwayEditDialog dialog;
        dialog.entryIds = ids;
        dialog.load();
        QVERIFY(dialog.findChild<QWidget *>(QStringLiteral("widgetTimes"))->isHidden());
        QCOMPARE(label(dialog, "labelDuration"), QStringLiteral("15 m 45 s"));
        QCOMPARE(dialog.description(), QStringLiteral("Meeting"));
    }

    void awayWithVanishedEntries()
    {
        AwayEditDialog dialog;
        dialog.entryIds = QStringList{QStringLiteral("4711")};
        dialog.load();
        QCOMPARE(dialog.description(), QString());
        QCOMPARE(label(dialog, "labelStartTime"), QString());
        QCOMPARE(label(dialog, "labelEndTime"), QString());
        QCOMPARE(label(dialog, "labelDuration"), QStringLiteral("0 s"));

        // Ids that are not numbers never reach the statement.
        dialog.entryIds = QStringList{QStringLiteral("1) OR (1=1")};
        dialog.load();
        QCOMPARE(label(dialog, "labelDuration"), QStringLiteral("0 s"));
    }
};

QTEST_MAIN(TestEntryDialogs)
#include "tst_entrydialogs.moc"
