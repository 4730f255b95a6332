#include "applook.h"
#include "projectscatalogue.h"
#include "storedentries.h"
#include "treemodel.h"
#include "viewtestdb.h"

#include <QAbstractItemModelTester>
#include <QIcon>
#include <QPixmap>
#include <QSignalSpy>

using namespace ViewTest;

class TestTreeModel : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> m_db;
    StoredEntries m_entries;
    std::unique_ptr<TreeModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    qint64 m_editor = 0;
    qint64 m_mail = 0;

    TreeModel &model(bool linked = false)
    {
        m_model = std::make_unique<TreeModel>(linked);
        m_model->setEntryReader(&m_entries);
        m_tester = std::make_unique<QAbstractItemModelTester>(m_model.get(),
                                                              QAbstractItemModelTester::FailureReportingMode::QtTest);
        return *m_model;
    }

    // Records a stretch of "Inbox" (Mail's unless another application is given) and hands it to the model
    // as the recorder does.
    qint64 recordInbox(const QString &start, int secs, qint64 app = 0)
    {
        const qint64 id = addEntry(app ? app : m_mail, QStringLiteral("Inbox"), start, secs);
        m_model->addEntry(at(start), id);
        return id;
    }

    // The tree as a new day would show it, node by node.
    static QStringList shape(const TreeModel &model, const QModelIndex &parent = {})
    {
        QStringList lines;
        for (int row = 0; row < model.rowCount(parent); ++row) {
            const QModelIndex index = model.index(row, 0, parent);
            lines
                << QStringLiteral("%1 %2 %3")
                       .arg(index.data().toString())
                       .arg(model.itemProperty(index, QStringLiteral("time")).toLongLong())
                       .arg(model.itemProperty(index, QStringLiteral("entries")).toStringList().join(QLatin1Char(',')));
            lines += shape(model, index);
        }
        lines.sort();
        return lines;
    }

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<TestDatabase>();
        m_editor = addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        m_mail = addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"));
    }

    void cleanup()
    {
        m_tester.reset();
        m_model.reset();
        m_db.reset();
    }

    void equalTitlesAggregate()
    {
        const qint64 a = addEntry(m_editor, QStringLiteral("notes.txt"), QStringLiteral("09:00:00"), 40);
        const qint64 b = addEntry(m_editor, QStringLiteral("notes.txt"), QStringLiteral("11:00:00"), 35);
        addEntry(m_editor, QStringLiteral("other.txt"), QStringLiteral("12:00:00"), 5);
        addEntry(m_editor, QStringLiteral("yesterday"), QStringLiteral("2012-03-09 23:00:00"), 600);
        addEntry(m_mail, QStringLiteral("notes.txt"), QStringLiteral("09:01:00"), 30);
        TreeModel &tree = model();
        tree.setupModelData(Day, 0);
        QCOMPARE(names(tree), (QStringList{QStringLiteral("Editor"), QStringLiteral("Mail")}));
        const QModelIndex editor = tree.index(0, 0);
        QCOMPARE(names(tree, editor), (QStringList{QStringLiteral("notes.txt"), QStringLiteral("other.txt")}));
        QCOMPARE(ids(tree, QStringLiteral("notes.txt")), idList({a, b}));
        QCOMPARE(names(tree, tree.index(1, 0)), QStringList{QStringLiteral("notes.txt")});
        QCOMPARE(tree.totalTime(), 110);
        QVERIFY(consistent(tree));
    }

    // Each model shows applications as its look says: the desktop's name where it has one, else the
    // stored name; the look's icon, else the stock one.
    void applicationsShowAsTheLookSays_data()
    {
        QTest::addColumn<bool>("withLook");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("mailIcon");
        QTest::newRow("no look") << false << QStringList{QStringLiteral("Editor"), QStringLiteral("Mail")}
                                 << QStringLiteral("stock");
        QTest::newRow("desktop names") << true << QStringList{QStringLiteral("Editor"), QStringLiteral("Post")}
                                       << QStringLiteral("looked up");
    }

    void applicationsShowAsTheLookSays()
    {
        QFETCH(bool, withLook);
        QFETCH(QStringList, names);
        QFETCH(QString, mailIcon);
        addEntry(m_editor, QStringLiteral("a.txt"), QStringLiteral("09:00:00"), 40);
        addEntry(m_mail, QStringLiteral("Inbox"), QStringLiteral("10:00:00"), 30);
        QPixmap red(8, 8);
        red.fill(Qt::red);
        const QIcon lookedUp(red);
        TreeModel &tree = model();
        if (withLook) {
            tree.setAppLook(AppLook(
                [](const QString &path) {
                    return path == QLatin1String("/usr/bin/mail") ? QStringLiteral("Post") : QString();
                },
                [lookedUp](const QString &) { return lookedUp; }));
        }
        tree.setupModelData(Day, 0);
        QCOMPARE(::names(tree), names);
        const QIcon shown = tree.index(1, 0).data(Qt::DecorationRole).value<QIcon>();
        QCOMPARE(shown.cacheKey() == lookedUp.cacheKey() ? QStringLiteral("looked up") : QStringLiteral("stock"),
                 mailIcon);
    }

    void sortOrderOutlivesRebuilds()
    {
        addEntry(m_editor, QStringLiteral("b.txt"), QStringLiteral("09:00:00"), 40);
        addEntry(m_editor, QStringLiteral("a.txt"), QStringLiteral("09:10:00"), 90);
        addEntry(m_mail, QStringLiteral("Inbox"), QStringLiteral("10:00:00"), 300);
        TreeModel &tree = model();
        tree.setupModelData(Day, 0);
        QSignalSpy done(&tree, &TreeModel::sortDone);
        tree.sort(TreeModel::TimeColumn, Qt::DescendingOrder);
        QCOMPARE(done.count(), 1);
        QCOMPARE(names(tree), (QStringList{QStringLiteral("Mail"), QStringLiteral("Editor")}));
        QCOMPARE(names(tree, tree.index(1, 0)), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));

        // Another day's rebuild (here: the same day again, with one more title) keeps the order.
        addEntry(m_editor, QStringLiteral("c.txt"), QStringLiteral("11:00:00"), 1000);
        tree.reload();
        QCOMPARE(names(tree), (QStringList{QStringLiteral("Editor"), QStringLiteral("Mail")}));
        QCOMPARE(names(tree, tree.index(0, 0)),
                 (QStringList{QStringLiteral("c.txt"), QStringLiteral("a.txt"), QStringLiteral("b.txt")}));

        tree.sort(TreeModel::NameColumn, Qt::AscendingOrder);
        tree.reload();
        QCOMPARE(names(tree, tree.index(0, 0)),
                 (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")}));
        QVERIFY(consistent(tree));
    }

    void hourGroupingAcrossHoursAndMidnight()
    {
        addEntry(m_editor, QStringLiteral("a"), QStringLiteral("09:15:00"), 60);
        addEntry(m_editor, QStringLiteral("a"), QStringLiteral("10:20:00"), 30);
        addEntry(m_mail, QStringLiteral("late"), QStringLiteral("23:58:00"), 300);
        addEntry(m_mail, QStringLiteral("next day"), QStringLiteral("2012-03-11 00:03:00"), 60);
        TreeModel &tree = model();
        tree.setGroupByHour(true);
        tree.setupModelData(Day, 0);

        QStringList hours = names(tree);
        hours.sort();
        QCOMPARE(hours, (QStringList{QStringLiteral("10:00 - 11:00"), QStringLiteral("23:00 - 24:00"),
                                     QStringLiteral("9:00 - 10:00")}));
        QCOMPARE(seconds(tree, QStringLiteral("10:00 - 11:00")), 30);
        QCOMPARE(seconds(tree, QStringLiteral("23:00 - 24:00")), 300);
        QVERIFY(!find(tree, QStringLiteral("next day")).isValid());
        QCOMPARE(tree.totalTime(), 390);
        QVERIFY(consistent(tree));
    }

    void linkedShapeStoredThenCatalogueNames()
    {
        const QStringList stored{QStringLiteral("Stored project"), QStringLiteral("Stored list"),
                                 QStringLiteral("Stored task")};
        const qint64 a = addEntry(m_editor, QStringLiteral("draft"), QStringLiteral("09:00:00"), 20);
        const qint64 b = addEntry(m_editor, QStringLiteral("draft"), QStringLiteral("09:10:00"), 10);
        addEntry(m_editor, QStringLiteral("unlinked"), QStringLiteral("09:20:00"), 10);
        link(a, 3, 4, 5, stored);
        link(b, 3, 4, 5, stored);
        TreeModel &tree = model(true);
        tree.setupModelData(Day, 0);
        const auto shape = [&tree] {
            const QModelIndex tasklist = tree.index(0, 0, tree.index(0, 0));
            return QStringList{tree.index(0, 0).data().toString(), tasklist.data().toString(),
                               tree.index(0, 0, tasklist).data().toString()};
        };
        QCOMPARE(shape(), stored);
        QCOMPARE(tree.rowCount(), 1);
        QCOMPARE(ids(tree, QStringLiteral("draft")), idList({a, b}));
        QVERIFY(consistent(tree));

        // The catalogue's names win; a task list or a (completed) task it no longer lists keeps the name
        // stored with the link.
        ProjectsCatalogue::shared().replace({{3,
                                              QStringLiteral("Website"),
                                              0,
                                              QString(),
                                              {{9, QStringLiteral("Other"), true, {{6, QStringLiteral("Write")}}}}}});
        tree.reload();
        ProjectsCatalogue::shared().clear();
        QCOMPARE(shape(), (QStringList{QStringLiteral("Website"), stored.at(1), stored.at(2)}));
        QCOMPARE(tree.itemProperty(tree.index(0, 0, tree.index(0, 0, tree.index(0, 0))), QStringLiteral("id")).toInt(),
                 5);
    }

    void rebuildResetsTheModel()
    {
        addEntry(m_editor, QStringLiteral("a"), QStringLiteral("09:00:00"), 10);
        TreeModel &tree = model();
        tree.setupModelData(Day, 0);
        const QPersistentModelIndex before = find(tree, QStringLiteral("a"));
        QSignalSpy reset(&tree, &TreeModel::modelReset);
        tree.reload();
        QCOMPARE(reset.count(), 1);
        QVERIFY(!before.isValid());
        // A failed query leaves an empty tree but keeps the day's total.
        QSqlQuery(QStringLiteral("DROP TABLE applications"));
        tree.reload();
        QCOMPARE(tree.rowCount(), 0);
        QCOMPARE(tree.totalTime(), 10);
    }

    // Built nodes and nodes added later leave the tree together: the last title of an
    // application takes its node along, and a new stretch joins the built node of its title.
    // Recorded stretches go through the same builder as a new day: the tree is always the one a
    // rebuild gives, also where a view took nodes out, for other applications of one path, and
    // around the threshold.
    void liveAdditionsEqualARebuild()
    {
        addEntry(m_editor, QStringLiteral("a"), QStringLiteral("09:00:00"), 10);
        const qint64 otherMail = addApp(QStringLiteral("/usr/bin/other-mail"), QStringLiteral("Mail"));
        for (const int threshold : {0, 30}) {
            TreeModel &tree = model();
            tree.setGroupByHour(threshold > 0);
            tree.setupModelData(Day, threshold);
            tree.removeIndexAndEmptyParents(find(tree, QStringLiteral("Editor")));
            recordInbox(QStringLiteral("10:00:00"), 5);
            recordInbox(QStringLiteral("10:10:00"), 20, otherMail);
            recordInbox(QStringLiteral("11:10:00"), 20);
            TreeModel rebuilt(false);
            rebuilt.setEntryReader(&m_entries);
            rebuilt.setGroupByHour(threshold > 0);
            rebuilt.setupModelData(Day, threshold);
            QCOMPARE(shape(tree), shape(rebuilt));
            QCOMPARE(tree.totalTime(), rebuilt.totalTime());
            QVERIFY(consistent(tree));
        }
    }

    // Stretches the tree leaves out; the total says how much the filter or the threshold hides.
    void addEntryIgnored_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<QString>("total");
        const QString mail = QStringLiteral("/usr/bin/mail");
        QTest::newRow("other day") << QStringLiteral("2012-03-11 09:00:00") << QString() << mail << 0 << QString();
        QTest::newRow("filter misses") << QStringLiteral("09:00:00") << QStringLiteral("Inbox \"weekly plan\"") << mail
                                       << 0 << QStringLiteral("0 s shown, 20 s hidden by the filter");
        QTest::newRow("excluded, other case") << QStringLiteral("09:00:00") << QString()
                                              << QStringLiteral("/usr/bin/EDITOR") << 0 << QStringLiteral("0 s");
        QTest::newRow("still under threshold") << QStringLiteral("09:00:00") << QString() << mail << 60
                                               << QStringLiteral("0 s shown, 20 s hidden by \"Hide entries under\"");
        QTest::newRow("both") << QStringLiteral("09:00:00") << QStringLiteral("Outbox") << mail << 60
                              << QStringLiteral("0 s shown, 20 s hidden by the filter and \"Hide entries under\"");
    }

    void addEntryIgnored()
    {
        QFETCH(QString, start);
        QFETCH(QString, filter);
        QFETCH(QString, path);
        QFETCH(int, threshold);
        QFETCH(QString, total);
        Settings::instance()->setValue(Setting::IgnoredApps, QStringList{QStringLiteral("/usr/bin/editor")});
        TreeModel &tree = model();
        tree.setFilterText(filter);
        tree.setupModelData(Day, threshold);
        QSignalSpy totals(&tree, &TreeModel::setTotalTimeText);
        recordInbox(start, 20, path == QLatin1String("/usr/bin/mail") ? m_mail : addApp(path, QStringLiteral("Mail")));
        QCOMPARE(tree.rowCount(), 0);
        QCOMPARE(tree.totalTime(), 0);
        QCOMPARE(totals.isEmpty() ? QString() : totals.last().at(0).toString(), total);
    }

    // The filter matches what the tree shows: an application's name in the desktop's language, as
    // well as the stored one.
    void filterMatchesTheShownName()
    {
        addEntry(m_mail, QStringLiteral("Inbox"), QStringLiteral("09:00:00"), 30);
        addEntry(m_editor, QStringLiteral("notes.txt"), QStringLiteral("09:01:00"), 40);
        const AppLook look(
            [](const QString &path) {
                return path == QLatin1String("/usr/bin/mail") ? QStringLiteral("Posteingang-Programm") : QString();
            },
            {});
        for (const QString &filter : {QStringLiteral("posteingang"), QStringLiteral("Mail"), QStringLiteral("Inbox")}) {
            TreeModel &tree = model();
            tree.setAppLook(look);
            tree.setFilterText(filter);
            tree.setupModelData(Day, 0);
            QCOMPARE(tree.totalTime(), 30);
            QCOMPARE(tree.hiddenTime(), 40);
            // A stretch recorded while filtering stays shown after the next rebuild.
            recordInbox(QStringLiteral("09:02:00"), 5);
            tree.reload();
            QCOMPARE(tree.totalTime(), 35);
            exec(QStringLiteral("DELETE FROM entries WHERE start_time LIKE '% 09:02:00'"));
        }
    }

    void addEntryReachingThresholdShowsWholeDay()
    {
        const qint64 first = addEntry(m_mail, QStringLiteral("Inbox"), QStringLiteral("09:00:00"), 50);
        TreeModel &tree = model();
        tree.setupModelData(Day, 60);
        // Under the threshold the title is hidden on load.
        QCOMPARE(tree.rowCount(), 0);
        const qint64 second = recordInbox(QStringLiteral("09:05:00"), 20);
        QCOMPARE(seconds(tree, QStringLiteral("Inbox")), 70);
        QCOMPARE(find(tree, QStringLiteral("Inbox")).siblingAtColumn(1).data().toString(), QStringLiteral("1 m 10 s"));
        QCOMPARE(ids(tree, QStringLiteral("Inbox")), idList({first, second}));
        QCOMPARE(tree.totalTime(), 70);
    }

    void addEntryInNewHourAfterThresholdAddsOnlyItsStretch()
    {
        const qint64 first = addEntry(m_mail, QStringLiteral("Inbox"), QStringLiteral("09:00:00"), 50);
        TreeModel &tree = model();
        tree.setGroupByHour(true);
        tree.setupModelData(Day, 60);
        const qint64 second = recordInbox(QStringLiteral("09:05:00"), 20);
        // Already over the threshold: the 10 o'clock leaf must not count the morning again.
        const qint64 third = recordInbox(QStringLiteral("10:00:00"), 5);
        const QModelIndex ten = tree.index(0, 0, tree.index(0, 0, find(tree, QStringLiteral("10:00 - 11:00"))));
        QCOMPARE(tree.itemProperty(ten, QStringLiteral("entries")).toStringList(), idList({third}));
        QCOMPARE(tree.itemProperty(ten, QStringLiteral("time")).toLongLong(), 5);
        QCOMPARE(ids(tree, QStringLiteral("Inbox")), idList({first, second}));
        QCOMPARE(tree.totalTime(), 75);
        QVERIFY(consistent(tree));
    }

    void addTotalTimeZeroCrossings()
    {
        TreeModel tree(false);
        tree.setEntryReader(&m_entries);
        QSignalSpy zero(&tree, &TreeModel::datesWithZeroTimeChanged);
        QSignalSpy texts(&tree, &TreeModel::setTotalTimeText);
        const QList<QPair<int, int>> steps{{12, 1}, {18, 1}, {-30, 2}, {0, 2}};
        for (const auto &[add, crossings] : steps) {
            tree.addTotalTime(add);
            QCOMPARE(zero.count(), crossings);
        }
        QCOMPARE(texts.at(1).at(0).toString(), formatDuration(30));
        QCOMPARE(tree.totalTime(), 0);
    }

    // Freshly linked entries show under their task as a rebuild shows them; other days' do not.
    void linkedRefreshShowsTheNewLinks()
    {
        const qint64 a = addEntry(m_editor, QStringLiteral("draft"), QStringLiteral("09:00:00"), 20);
        const qint64 b = addEntry(m_editor, QStringLiteral("draft"), QStringLiteral("2012-03-11 09:00:00"), 20);
        TreeModel &tree = model(true);
        tree.setupModelData(Day, 0);
        QSignalSpy expanded(&tree, &TreeModel::expandNode);
        link(a, 3, 4, 5);
        link(b, 3, 4, 5);
        tree.refresh({a, b});
        QCOMPARE(ids(tree, QStringLiteral("draft")), idList({a}));
        QCOMPARE(tree.totalTime(), 20);
        // Project, task list, task and application open on the way to it.
        QCOMPARE(expanded.count(), 4);
        QVERIFY(consistent(tree));
    }
};

QTEST_MAIN(TestTreeModel)
#include "tst_treemodel.moc"
