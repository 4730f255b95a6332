#include "awayeditdialog.h"
#include "storedentries.h"
#include "timestampsdialog.h"
#include "viewtestdb.h"

#include <QLabel>
#include <QTreeWidget>

using namespace ViewTest;

namespace {
// The rows as "application|title|from|to|duration", after loading `appPath` and `title` of Day.
QStringList timestamps(const QString &appPath, const QString &title = QString())
{
    const StoredEntries entries;
    TimestampsDialog dialog(entries);
    dialog.day = Day;
    dialog.appPath = appPath;
    dialog.title = title;
    dialog.load();
    const auto *list = dialog.findChild<QTreeWidget *>(QStringLiteral("timestamps"));
    QStringList result;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list->topLevelItem(i);
        QStringList columns;
        for (int column = 0; column < list->columnCount(); ++column) {
            columns << item->text(column);
        }
        result << columns.join(QLatin1Char('|'));
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
    qint64 m_away = 0;

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<TestDatabase>();
        m_editor = addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        m_away = addApp(QStringLiteral("tavro://idle"), QStringLiteral("Away Time"));
    }

    void cleanup() { m_db.reset(); }

    void timestampsOfATitle()
    {
        const qint64 mail = addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"));
        // A quote in a title reaches the query as a value, never as SQL.
        const QString title = QStringLiteral("Don't panic' OR '1'='1");
        addEntry(m_editor, title, QStringLiteral("10:00:00"), 7);
        addEntry(m_editor, title, QStringLiteral("09:00:00"), 75);
        addEntry(mail, title, QStringLiteral("09:30:00"), 1);
        link(addEntry(m_editor, title, QStringLiteral("11:00:00"), 1), 1, 2, 3);
        addEntry(m_editor, title, QStringLiteral("2012-03-11 09:00:00"), 1);
        QCOMPARE(timestamps(QStringLiteral("/usr/bin/editor"), title),
                 (QStringList{QStringLiteral("Editor|") + title + QStringLiteral("|09:00:00|09:01:15|1 m 15 s"),
                              QStringLiteral("Editor|") + title + QStringLiteral("|10:00:00|10:00:07|7 s")}));
        // No path and no title list every unlinked entry of the day.
        QCOMPARE(timestamps(QString()).size(), 3);
    }

    void awayWithOneStretch()
    {
        const qint64 id = addEntry(m_away, QStringLiteral("at 12:00:00"), QStringLiteral("12:00:00"), 1530);
        const StoredEntries entries;
        AwayEditDialog dialog(entries);
        dialog.entryIds = QStringList{QString::number(id)};
        dialog.load();
        QVERIFY(!dialog.findChild<QWidget *>(QStringLiteral("widgetTimes"))->isHidden());
        QCOMPARE(label(dialog, "labelStartTime"), QStringLiteral("12:00:00"));
        QCOMPARE(label(dialog, "labelEndTime"), QStringLiteral("12:25:30"));
        QCOMPARE(label(dialog, "labelDuration"), QStringLiteral("25 m 30 s"));
        QCOMPARE(dialog.description(), QStringLiteral("at 12:00:00"));
    }

    void awayWithThreeStretches()
    {
        QStringList ids;
        for (const auto &[start, secs] : {std::pair{"09:00:00", 600}, {"10:00:00", 300}, {"11:00:00", 45}}) {
            ids << QString::number(addEntry(m_away, QStringLiteral("Meeting"), QLatin1String(start), secs));
        }
        const StoredEntries entries;
        AwayEditDialog dialog(entries);
        dialog.entryIds = ids;
        dialog.load();
        QVERIFY(dialog.findChild<QWidget *>(QStringLiteral("widgetTimes"))->isHidden());
        QCOMPARE(label(dialog, "labelDuration"), QStringLiteral("15 m 45 s"));
        QCOMPARE(dialog.description(), QStringLiteral("Meeting"));

        // Ids that are not numbers never reach the statement.
        dialog.entryIds = QStringList{QStringLiteral("4711) OR (1=1")};
        dialog.load();
        QCOMPARE(label(dialog, "labelDuration"), QStringLiteral("0 s"));
        QCOMPARE(dialog.description(), QString());
    }
};

QTEST_MAIN(TestEntryDialogs)
#include "tst_entrydialogs.moc"
