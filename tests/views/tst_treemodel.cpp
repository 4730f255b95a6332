#include "appicon.h"
#include "entrystore.h"
#include "timetext.h"
#include "treeitem.h"
#include "treemodel.h"
#include "viewtestdb.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QSignalSpy>

using namespace ViewTest;

namespace {
QDateTime at(const QString &time)
{
    return parseDateTime(TestDatabase::stamp(time));
}

WindowInfo window(const QString &path, const QString &name, const QString &title)
{
    return WindowInfo{path, name, title, QIcon()};
}

QStringList ids(const TreeModel &model, const QModelIndex &index)
{
    QStringList list = model.itemProperty(index, QStringLiteral("entries")).toStringList();
    list.sort();
    return list;
}

QStringList idList(std::initializer_list<qint64> values)
{
    QStringList list;
    for (qint64 value : values) {
        list << QString::number(value);
    }
    list.sort();
    return list;
}

TreeModel::Record record(qint64 id, const QString &title, qint64 app, const QString &start, const QString &end)
{
    return {{QStringLiteral("id"), QString::number(id)},
            {QStringLiteral("title"), title},
            {QStringLiteral("application_id"), QString::number(app)},
            {QStringLiteral("start_time"), TestDatabase::stamp(start)},
            {QStringLiteral("end_time"), TestDatabase::stamp(end)},
            {QStringLiteral("app_path"), QStringLiteral("/usr/bin/editor")},
            {QStringLiteral("app_name"), QStringLiteral("Editor")}};
}
} // namespace

class TestTreeModel : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> m_db;
    qint64 m_editor = 0;
    qint64 m_mail = 0;

private Q_SLOTS:
    void init()
    {
        resetSettings();
        m_db = std::make_unique<TestDatabase>();
        m_editor = TestDatabase::addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        m_mail = TestDatabase::addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"));
    }

    void cleanup()
    {
        m_db.reset();
        AppIcon::setProvider({});
    }

    void treeItemBounds()
    {
        TreeItem root({QStringLiteral("a"), QStringLiteral("b")});
        QVERIFY(!root.insertChildren(-1, 1, 2));
        QVERIFY(!root.insertChildren(1, 1, 2));
        QVERIFY(root.insertChildren(0, 2, 3));
        QCOMPARE(root.childCount(), 2);
        QCOMPARE(root.child(1)->columnCount(), 3);
        QVERIFY(!root.child(1)->data(0).isValid());
        QVERIFY(!root.child(0)->setData(3, 1));
        QVERIFY(root.child(0)->setData(2, 1));
        QCOMPARE(root.child(1)->row(), 1);
        QCOMPARE(root.row(), 0);
        QCOMPARE(root.child(2), nullptr);
        QCOMPARE(root.child(-1), nullptr);
        QVERIFY(!root.property(QStringLiteral("missing")).isValid());
        QVERIFY(!root.removeChildren(1, 2));
        QVERIFY(root.removeChildren(0, 2));
        QCOMPARE(root.childCount(), 0);
    }

    void treeItemLookupFollowsChanges()
    {
        TreeItem root({QStringLiteral("a")});
        auto *first = new TreeItem({QStringLiteral("x")});
        first->setProperty(QStringLiteral("type"), QStringLiteral("entry"));
        first->setProperty(QStringLiteral("title"), QStringLiteral("one"));
        root.appendChild(first);
        QCOMPARE(root.findChild(QStringLiteral("entry"), QStringLiteral("title"), QStringLiteral("one")), first);
        auto *second = new TreeItem({QStringLiteral("y")});
        second->setProperty(QStringLiteral("type"), QStringLiteral("entry"));
        second->setProperty(QStringLiteral("title"), QStringLiteral("one"));
        root.appendChild(second);
        // The first child in row order wins, as a search would find it.
        QCOMPARE(root.findChild(QStringLiteral("entry"), QStringLiteral("title"), QStringLiteral("one")), first);
        first->setProperty(QStringLiteral("title"), QStringLiteral("renamed"));
        QCOMPARE(root.findChild(QStringLiteral("entry"), QStringLiteral("title"), QStringLiteral("one")), second);
        QCOMPARE(root.findChild(QStringLiteral("entry"), QStringLiteral("title"), QStringLiteral("renamed")), first);
        QCOMPARE(root.findChild(QStringLiteral("app"), QStringLiteral("title"), QStringLiteral("renamed")), nullptr);
        root.removeChildren(0, 1);
        QCOMPARE(root.findChild(QStringLiteral("entry"), QStringLiteral("title"), QStringLiteral("renamed")), nullptr);
    }

    void equalTitlesAggregate()
    {
        const qint64 a = TestDatabase::addEntry(m_editor, QStringLiteral("notes.txt"), QStringLiteral("09:00:00"),
                                                QStringLiteral("09:00:40"));
        const qint64 b = TestDatabase::addEntry(m_editor, QStringLiteral("notes.txt"), QStringLiteral("11:00:00"),
                                                QStringLiteral("11:00:35"));
        TestDatabase::addEntry(m_editor, QStringLiteral("other.txt"), QStringLiteral("12:00:00"),
                               QStringLiteral("12:00:05"));
        TestDatabase::addEntry(m_editor, QStringLiteral("yesterday"), QStringLiteral("2012-03-09 23:00:00"),
                               QStringLiteral("2012-03-09 23:10:00"));

        TreeModel model(false);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy totals(&model, &TreeModel::setTotalTimeText);
        model.setupModelData(Day, 0);

        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Entries not linked with Tavro"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Time"));
        QCOMPARE(model.columnCount(), 4);
        QCOMPARE(names(model), QStringList{QStringLiteral("Editor")});
        const QModelIndex app = model.index(0, 0);
        QCOMPARE(model.itemProperty(app, QStringLiteral("type")).toString(), QStringLiteral("app"));
        QCOMPARE(model.itemProperty(app, QStringLiteral("app_id")).toLongLong(), m_editor);
        QCOMPARE(model.itemProperty(app, QStringLiteral("time")).toLongLong(), 80);
        QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("1 m 20 s"));
        QCOMPARE(names(model, app), (QStringList{QStringLiteral("notes.txt"), QStringLiteral("other.txt")}));
        const QModelIndex notes = model.index(0, 0, app);
        QCOMPARE(ids(model, notes), idList({a, b}));
        QCOMPARE(model.itemProperty(notes, QStringLiteral("time")).toLongLong(), 75);
        QCOMPARE(model.itemProperty(notes, QStringLiteral("title")).toString(), QStringLiteral("notes.txt"));
        QCOMPARE(model.totalTime(), 80);
        QCOMPARE(totals.last().at(0).toString(), QStringLiteral("1 m 20 s"));
        QVERIFY(consistent(model));

        // Roles: grey right-aligned leaf times, icons on names only, nothing editable in place.
        QCOMPARE(model.index(0, 1, app).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(127, 127, 127));
        QVERIFY(!model.index(0, 1).data(Qt::ForegroundRole).isValid());
        QCOMPARE(model.index(0, 1).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight));
        QVERIFY(!model.index(0, 0).data(Qt::TextAlignmentRole).isValid());
        QVERIFY(model.index(0, 0).data(Qt::DecorationRole).isValid());
        QVERIFY(!model.index(0, 1).data(Qt::DecorationRole).isValid());
        QVERIFY(!model.index(0, 2, app).data().isValid());
        QVERIFY(!(model.flags(notes) & Qt::ItemIsEditable));
        QVERIFY(model.flags(notes) & Qt::ItemIsDragEnabled);
        QCOMPARE(model.flags(QModelIndex()), Qt::NoItemFlags);
    }

    void sameTitleUnderTwoApplications()
    {
        TestDatabase::addEntry(m_editor, QStringLiteral("Inbox"), QStringLiteral("09:00:00"),
                               QStringLiteral("09:00:10"));
        TestDatabase::addEntry(m_mail, QStringLiteral("Inbox"), QStringLiteral("09:01:00"), QStringLiteral("09:01:30"));
        TreeModel model(false);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setupModelData(Day, 0);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(names(model, find(model, QStringLiteral("Editor"))), QStringList{QStringLiteral("Inbox")});
        QCOMPARE(names(model, find(model, QStringLiteral("Mail"))), QStringList{QStringLiteral("Inbox")});
        QCOMPARE(model.totalTime(), 40);
        QVERIFY(consistent(model));
    }

    void appIconComesFromProvider()
    {
        TestDatabase::addEntry(m_editor, QStringLiteral("x"), QStringLiteral("09:00:00"), QStringLiteral("09:00:10"));
        QStringList asked;
        AppIcon::setProvider([&asked](const QString &path) {
            asked << path;
            return QIcon();
        });
        TreeModel model(false);
        model.setupModelData(Day, 0);
        QCOMPARE(asked, QStringList{QStringLiteral("/usr/bin/editor")});
    }

    void hourGroupingAcrossHoursAndMidnight()
    {
        TestDatabase::addEntry(m_editor, QStringLiteral("a"), QStringLiteral("09:15:00"), QStringLiteral("09:16:00"));
        TestDatabase::addEntry(m_editor, QStringLiteral("a"), QStringLiteral("10:20:00"), QStringLiteral("10:20:30"));
        TestDatabase::addEntry(m_mail, QStringLiteral("late"), QStringLiteral("23:58:00"),
                               QStringLiteral("2012-03-11 00:03:00"));
        TestDatabase::addEntry(m_mail, QStringLiteral("next day"), QStringLiteral("2012-03-11 00:03:00"),
                               QStringLiteral("2012-03-11 00:04:00"));
        TreeModel model(false);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setGroupByHour(true);
        model.setupModelData(Day, 0);

        QStringList hours = names(model);
        hours.sort();
        QCOMPARE(hours, (QStringList{QStringLiteral("10:00 - 11:00"), QStringLiteral("23:00 - 24:00"),
                                     QStringLiteral("9:00 - 10:00")}));
        const QModelIndex nine = find(model, QStringLiteral("9:00 - 10:00"));
        QCOMPARE(model.itemProperty(nine, QStringLiteral("type")).toString(), QStringLiteral("hour"));
        QCOMPARE(model.itemProperty(nine, QStringLiteral("hour")).toInt(), 9);
        QCOMPARE(names(model, nine), QStringList{QStringLiteral("Editor")});
        QCOMPARE(model.itemProperty(model.index(0, 0, nine), QStringLiteral("time")).toLongLong(), 60);
        const QModelIndex ten = find(model, QStringLiteral("10:00 - 11:00"));
        QCOMPARE(model.itemProperty(model.index(0, 0, ten), QStringLiteral("time")).toLongLong(), 30);
        const QModelIndex late = find(model, QStringLiteral("23:00 - 24:00"));
        QCOMPARE(model.itemProperty(late, QStringLiteral("time")).toLongLong(), 300);
        QVERIFY(!find(model, QStringLiteral("next day")).isValid());
        QCOMPARE(model.totalTime(), 390);
        QVERIFY(consistent(model));
    }

    void linkedShapeNames_data()
    {
        QTest::addColumn<bool>("catalogue");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("stored names") << false
                                      << QStringList{QStringLiteral("Stored project"), QStringLiteral("Stored list"),
                                                     QStringLiteral("Stored task")};
        QTest::newRow("catalogue names") << true
                                         << QStringList{QStringLiteral("Website"), QString(),
                                                        QStringLiteral("Write copy")};
    }

    void linkedShapeNames()
    {
        QFETCH(bool, catalogue);
        QFETCH(QStringList, expected);
        const qint64 a = TestDatabase::addEntry(m_editor, QStringLiteral("draft"), QStringLiteral("09:00:00"),
                                                QStringLiteral("09:00:20"));
        const qint64 b = TestDatabase::addEntry(m_editor, QStringLiteral("draft"), QStringLiteral("09:10:00"),
                                                QStringLiteral("09:10:10"));
        TestDatabase::addEntry(m_editor, QStringLiteral("unlinked"), QStringLiteral("09:20:00"),
                               QStringLiteral("09:20:10"));
        const TestDatabase::Link link{
            3, 4, 5, QStringLiteral("Stored project"), QStringLiteral("Stored list"), QStringLiteral("Stored task")};
        TestDatabase::link(a, link);
        TestDatabase::link(b, link);
        if (catalogue) {
            auto &values = Settings::instance()->values;
            values.insert(QStringLiteral("mapProjectNames"),
                          QVariantMap{{QStringLiteral("3"), QStringLiteral("Website")}});
            values.insert(QStringLiteral("mapTasklistNames"),
                          QVariantMap{{QStringLiteral("99"), QStringLiteral("Other")}});
            values.insert(QStringLiteral("mapTaskNames"),
                          QVariantMap{{QStringLiteral("5"), QStringLiteral("Write copy")}});
        }

        TreeModel model(true);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setupModelData(Day, 0);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Entries linked with Tavro"));
        const QModelIndex project = model.index(0, 0);
        const QModelIndex tasklist = model.index(0, 0, project);
        const QModelIndex task = model.index(0, 0, tasklist);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE((QStringList{project.data().toString(), tasklist.data().toString(), task.data().toString()}),
                 expected);
        QCOMPARE(model.itemProperty(project, QStringLiteral("type")).toString(), QStringLiteral("project"));
        QCOMPARE(model.itemProperty(project, QStringLiteral("id")).toString(), QStringLiteral("3"));
        QCOMPARE(model.itemProperty(tasklist, QStringLiteral("id")).toString(), QStringLiteral("4"));
        QCOMPARE(model.itemProperty(task, QStringLiteral("id")).toString(), QStringLiteral("5"));
        const QModelIndex app = model.index(0, 0, task);
        QCOMPARE(app.data().toString(), QStringLiteral("Editor"));
        const QModelIndex entry = model.index(0, 0, app);
        QCOMPARE(ids(model, entry), idList({a, b}));
        QVERIFY(model.itemProperty(entry, QStringLiteral("linked")).toBool());
        QCOMPARE(model.totalTime(), 30);
        QVERIFY(consistent(model));
    }

    void thresholdHidesShortTitles()
    {
        TestDatabase::addEntry(m_editor, QStringLiteral("short"), QStringLiteral("09:00:00"),
                               QStringLiteral("09:00:09"));
        TestDatabase::addEntry(m_editor, QStringLiteral("long"), QStringLiteral("09:01:00"),
                               QStringLiteral("09:01:06"));
        TestDatabase::addEntry(m_editor, QStringLiteral("long"), QStringLiteral("09:02:00"),
                               QStringLiteral("09:02:06"));
        TreeModel model(false);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setupModelData(Day, 10);
        QCOMPARE(names(model, model.index(0, 0)), QStringList{QStringLiteral("long")});
        QCOMPARE(model.totalTime(), 12);
        QCOMPARE(model.hideUnder(), 10);
        QVERIFY(consistent(model));
    }

    void excludedApplicationsAreSkipped()
    {
        TestDatabase::addEntry(m_editor, QStringLiteral("a"), QStringLiteral("09:00:00"), QStringLiteral("09:00:10"));
        TestDatabase::addEntry(m_mail, QStringLiteral("b"), QStringLiteral("09:00:00"), QStringLiteral("09:00:10"));
        Settings::instance()->values.insert(QStringLiteral("IgnoredApps"),
                                            QStringList{QStringLiteral("/USR/bin/Mail")});
        TreeModel model(false);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setupModelData(Day, 0);
        QCOMPARE(names(model), QStringList{QStringLiteral("Editor")});
        QCOMPARE(model.totalTime(), 10);
    }

    void failedQueryKeepsTotal()
    {
        TestDatabase::addEntry(m_editor, QStringLiteral("a"), QStringLiteral("09:00:00"), QStringLiteral("09:00:10"));
        TreeModel model(false);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setupModelData(Day, 0);
        QCOMPARE(model.totalTime(), 10);
        QSqlQuery(QStringLiteral("DROP TABLE applications"));
        model.reload();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.totalTime(), 10);
    }

    void addEntryIgnored_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("threshold");
        QTest::newRow("other day") << QStringLiteral("2012-03-11 09:00:00") << QString()
                                   << QStringLiteral("/usr/bin/editor") << 0;
        QTest::newRow("filter misses") << QStringLiteral("09:00:00") << QStringLiteral("report \"weekly plan\"")
                                       << QStringLiteral("/usr/bin/editor") << 0;
        QTest::newRow("excluded, other case")
            << QStringLiteral("09:00:00") << QString() << QStringLiteral("/usr/bin/EDITOR") << 0;
        QTest::newRow("still under threshold")
            << QStringLiteral("09:00:00") << QString() << QStringLiteral("/usr/bin/editor") << 60;
    }

    void addEntryIgnored()
    {
        QFETCH(QString, start);
        QFETCH(QString, filter);
        QFETCH(QString, path);
        QFETCH(int, threshold);
        Settings::instance()->values.insert(QStringLiteral("IgnoredApps"),
                                            QStringList{QStringLiteral("/usr/bin/editor")});
        TreeModel model(false);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setFilterText(filter);
        model.setupModelData(Day, threshold);
        const QString end = TimeText::formatDateTime(at(start).addSecs(20));
        const qint64 id = TestDatabase::addEntry(m_mail, QStringLiteral("report"), start, end);
        QSignalSpy totals(&model, &TreeModel::setTotalTimeText);
        model.addEntry(at(start), at(start).addSecs(20),
                       window(path == QLatin1String("/usr/bin/editor") ? QStringLiteral("/usr/bin/mail") : path,
                              QStringLiteral("Mail"), QStringLiteral("report")),
                       m_mail, id);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.totalTime(), 0);
        QCOMPARE(totals.count(), 0);
    }

    void addEntryReachingThresholdShowsWholeDay()
    {
        const qint64 first = TestDatabase::addEntry(m_mail, QStringLiteral("Inbox"), QStringLiteral("09:00:00"),
                                                    QStringLiteral("09:00:50"));
        TreeModel model(false);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setupModelData(Day, 60);
        QCOMPARE(model.rowCount(), 0);
        QSignalSpy expanded(&model, &TreeModel::expandNode);
        QSignalSpy zero(&model, &TreeModel::datesWithZeroTimeChanged);
        const qint64 second = TestDatabase::addEntry(m_mail, QStringLiteral("Inbox"), QStringLiteral("09:05:00"),
                                                     QStringLiteral("09:05:20"));
        model.addEntry(at(QStringLiteral("09:05:00")), at(QStringLiteral("09:05:20")),
                       window(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"), QStringLiteral("Inbox")), m_mail,
                       second);
        const QModelIndex entry = find(model, QStringLiteral("Inbox"));
        QVERIFY(entry.isValid());
        QCOMPARE(model.itemProperty(entry, QStringLiteral("time")).toLongLong(), 70);
        QCOMPARE(entry.siblingAtColumn(1).data().toString(), QStringLiteral("1 m 10 s"));
        QCOMPARE(ids(model, entry), idList({first, second}));
        QCOMPARE(model.totalTime(), 70);
        QCOMPARE(expanded.count(), 1);
        QCOMPARE(zero.count(), 1);
        QVERIFY(consistent(model));
    }

    void addEntryWithoutThreshold()
    {
        const qint64 first = TestDatabase::addEntry(m_mail, QStringLiteral("Inbox"), QStringLiteral("09:00:00"),
                                                    QStringLiteral("09:00:50"));
        TreeModel model(false);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setGroupByHour(true);
        model.setFilterText(QStringLiteral("mail"));
        model.setupModelData(Day, 0);
        QSignalSpy expanded(&model, &TreeModel::expandNode);

        // Same hour, application and title: the leaf grows.
        const qint64 second = TestDatabase::addEntry(m_mail, QStringLiteral("Inbox"), QStringLiteral("09:30:00"),
                                                     QStringLiteral("09:30:10"));
        model.addEntry(at(QStringLiteral("09:30:00")), at(QStringLiteral("09:30:10")),
                       window(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"), QStringLiteral("Inbox")), m_mail,
                       second);
        QCOMPARE(expanded.count(), 0);
        QCOMPARE(ids(model, find(model, QStringLiteral("Inbox"))), idList({first, second}));
        QCOMPARE(model.totalTime(), 60);

        // A new hour: hour and application nodes appear opened, the leaf holds only this stretch.
        const qint64 third = TestDatabase::addEntry(m_mail, QStringLiteral("Inbox"), QStringLiteral("10:00:00"),
                                                    QStringLiteral("10:00:05"));
        model.addEntry(at(QStringLiteral("10:00:00")), at(QStringLiteral("10:00:05")),
                       window(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"), QStringLiteral("Inbox")), m_mail,
                       third);
        QCOMPARE(expanded.count(), 2);
        const QModelIndex ten = find(model, QStringLiteral("10:00 - 11:00"));
        QVERIFY(ten.isValid());
        const QModelIndex leaf = model.index(0, 0, model.index(0, 0, ten));
        QCOMPARE(ids(model, leaf), idList({third}));
        QCOMPARE(model.itemProperty(ten, QStringLiteral("time")).toLongLong(), 5);
        QCOMPARE(model.totalTime(), 65);
        QVERIFY(consistent(model));
    }

    void addEntryOnLinkedModelIsRefused()
    {
        TreeModel model(true);
        model.setupModelData(Day, 0);
        const qint64 id = TestDatabase::addEntry(m_mail, QStringLiteral("Inbox"), QStringLiteral("09:00:00"),
                                                 QStringLiteral("09:00:50"));
        model.addEntry(at(QStringLiteral("09:00:00")), at(QStringLiteral("09:00:50")),
                       window(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"), QStringLiteral("Inbox")), m_mail,
                       id);
        QCOMPARE(model.rowCount(), 0);
    }

    void addTotalTimeZeroCrossings()
    {
        TreeModel model(false);
        QSignalSpy zero(&model, &TreeModel::datesWithZeroTimeChanged);
        QSignalSpy texts(&model, &TreeModel::setTotalTimeText);
        model.addTotalTime(12);
        QCOMPARE(zero.count(), 1);
        model.addTotalTime(18);
        QCOMPARE(zero.count(), 1);
        QCOMPARE(texts.last().at(0).toString(), QStringLiteral("30 s"));
        model.addTotalTime(-30);
        QCOMPARE(zero.count(), 2);
        model.addTotalTime(0);
        QCOMPARE(zero.count(), 2);
        QCOMPARE(texts.count(), 4);
        QCOMPARE(model.totalTime(), 0);
    }

    void linkedBatch()
    {
        auto &values = Settings::instance()->values;
        values.insert(QStringLiteral("mapProjectNames"), QVariantMap{{QStringLiteral("3"), QStringLiteral("Website")}});
        values.insert(QStringLiteral("mapTasklistNames"), QVariantMap{{QStringLiteral("4"), QStringLiteral("Copy")}});
        values.insert(QStringLiteral("mapTaskNames"), QVariantMap{{QStringLiteral("5"), QStringLiteral("Write")}});
        values.insert(QStringLiteral("mapTaskParentProjects"), QVariantMap{{QStringLiteral("5"), QStringLiteral("3")}});
        values.insert(QStringLiteral("mapTaskParentTasklists"),
                      QVariantMap{{QStringLiteral("5"), QStringLiteral("4")}});
        const TestDatabase::Link link{3, 4, 5, QString(), QString(), QString()};
        const qint64 a = TestDatabase::addEntry(m_editor, QStringLiteral("draft"), QStringLiteral("09:00:00"),
                                                QStringLiteral("09:00:20"));
        const qint64 b = TestDatabase::addEntry(m_editor, QStringLiteral("draft"), QStringLiteral("10:00:00"),
                                                QStringLiteral("10:00:10"));
        TestDatabase::link(a, link);
        TestDatabase::link(b, link);

        TreeModel unlinked(false);
        QVERIFY(!unlinked.addLinkedTimeBatch(
            {record(a, QStringLiteral("draft"), m_editor, QStringLiteral("09:00:00"), QStringLiteral("09:00:20"))},
            QStringLiteral("5")));

        TreeModel model(true);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setupModelData(Day, 0);
        model.removeIndexAndEmptyParents(find(model, QStringLiteral("draft")));
        model.addTotalTime(-30);
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.addLinkedTimeBatch({}, QStringLiteral("5")));
        // Entries of another day have no place in this day's tree.
        QVERIFY(!model.addLinkedTimeBatch(
            {record(a, QStringLiteral("draft"), m_editor, QStringLiteral("2012-03-11 09:00:00"),
                    QStringLiteral("2012-03-11 09:00:20"))},
            QStringLiteral("5")));
        QCOMPARE(model.rowCount(), 0);

        QSignalSpy expanded(&model, &TreeModel::expandNode);
        QVERIFY(model.addLinkedTimeBatch(
            {record(a, QStringLiteral("draft"), m_editor, QStringLiteral("09:00:00"), QStringLiteral("09:00:20"))},
            QStringLiteral("5")));
        QCOMPARE(expanded.count(), 4);
        QCOMPARE(names(model), QStringList{QStringLiteral("Website")});
        QVERIFY(find(model, QStringLiteral("Copy")).isValid());
        QVERIFY(find(model, QStringLiteral("Write")).isValid());
        QCOMPARE(ids(model, find(model, QStringLiteral("draft"))), idList({a}));
        QVERIFY(model.addLinkedTimeBatch(
            {record(b, QStringLiteral("draft"), m_editor, QStringLiteral("10:00:00"), QStringLiteral("10:00:10"))},
            QStringLiteral("5")));
        const QModelIndex entry = find(model, QStringLiteral("draft"));
        QCOMPARE(ids(model, entry), idList({a, b}));
        QCOMPARE(model.itemProperty(entry, QStringLiteral("time")).toLongLong(), 30);
        QCOMPARE(model.totalTime(), 30);
        QCOMPARE(model.rowCount(), 1);
        QVERIFY(consistent(model));
    }

    void linkedBatchUnderThreshold()
    {
        const qint64 a = TestDatabase::addEntry(m_editor, QStringLiteral("draft"), QStringLiteral("09:00:00"),
                                                QStringLiteral("09:00:20"));
        TestDatabase::link(a, {3, 4, 5, QString(), QString(), QString()});
        TreeModel model(true);
        model.setupModelData(Day, 60);
        QVERIFY(!model.addLinkedTimeBatch(
            {record(a, QStringLiteral("draft"), m_editor, QStringLiteral("09:00:00"), QStringLiteral("09:00:20"))},
            QStringLiteral("5")));
        QCOMPARE(model.rowCount(), 0);
    }

    void sortKeepsOrderRules()
    {
        TestDatabase::addEntry(m_editor, QStringLiteral("b short"), QStringLiteral("09:00:00"),
                               QStringLiteral("09:00:10"));
        TestDatabase::addEntry(m_editor, QStringLiteral("a long"), QStringLiteral("09:01:00"),
                               QStringLiteral("09:02:00"));
        TestDatabase::addEntry(m_mail, QStringLiteral("c"), QStringLiteral("09:03:00"), QStringLiteral("09:05:00"));
        TreeModel model(false);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setupModelData(Day, 0);
        QStringList order;
        connect(&model, &TreeModel::sortStarting, this, [&order] { order << QStringLiteral("starting"); });
        connect(&model, &TreeModel::collapseAll, this, [&order] { order << QStringLiteral("collapse"); });
        connect(&model, &TreeModel::layoutChanged, this, [&order] { order << QStringLiteral("layout"); });
        connect(&model, &TreeModel::sortDone, this, [&order] { order << QStringLiteral("done"); });
        const QPersistentModelIndex mail = find(model, QStringLiteral("Mail"));

        model.sort(1, Qt::DescendingOrder);
        QCOMPARE(names(model), (QStringList{QStringLiteral("Mail"), QStringLiteral("Editor")}));
        QCOMPARE(names(model, model.index(1, 0)), (QStringList{QStringLiteral("a long"), QStringLiteral("b short")}));
        QCOMPARE(mail.row(), 0);
        QCOMPARE(order, (QStringList{QStringLiteral("starting"), QStringLiteral("layout"), QStringLiteral("collapse"),
                                     QStringLiteral("done")}));

        model.sort(0, Qt::AscendingOrder);
        QCOMPARE(names(model), (QStringList{QStringLiteral("Editor"), QStringLiteral("Mail")}));
        QCOMPARE(names(model, model.index(0, 0)), (QStringList{QStringLiteral("a long"), QStringLiteral("b short")}));
        QCOMPARE(mail.row(), 1);
        QVERIFY(consistent(model));
    }

    void findIndexSearchesIntoOtherTypes()
    {
        TestDatabase::addEntry(m_editor, QStringLiteral("x"), QStringLiteral("09:00:00"), QStringLiteral("09:00:10"));
        TestDatabase::addEntry(m_mail, QStringLiteral("y"), QStringLiteral("11:00:00"), QStringLiteral("11:00:10"));
        TreeModel model(false);
        model.setGroupByHour(true);
        model.setupModelData(Day, 0);
        const QModelIndex mail =
            model.findIndex(QStringLiteral("app"), QStringLiteral("app_path"), QStringLiteral("/usr/bin/mail"));
        QCOMPARE(mail.data().toString(), QStringLiteral("Mail"));
        QCOMPARE(mail.parent().data().toString(), QStringLiteral("11:00 - 12:00"));
        const QModelIndex y = model.findIndex(QStringLiteral("entry"), QStringLiteral("title"), QStringLiteral("y"));
        QCOMPARE(y.parent(), mail);
        QVERIFY(!model
                     .findIndex(QStringLiteral("entry"), QStringLiteral("title"), QStringLiteral("y"),
                                find(model, QStringLiteral("9:00 - 10:00")))
                     .isValid());
        QVERIFY(
            !model.findIndex(QStringLiteral("app"), QStringLiteral("app_path"), QStringLiteral("/nowhere")).isValid());
    }

    void removalKeepsSums()
    {
        TestDatabase::addEntry(m_editor, QStringLiteral("x"), QStringLiteral("09:00:00"), QStringLiteral("09:00:10"));
        TestDatabase::addEntry(m_editor, QStringLiteral("y"), QStringLiteral("09:10:00"), QStringLiteral("09:10:30"));
        TestDatabase::addEntry(m_mail, QStringLiteral("z"), QStringLiteral("11:00:00"), QStringLiteral("11:00:10"));
        TreeModel model(false);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setGroupByHour(true);
        model.setupModelData(Day, 0);

        const QModelIndex x = find(model, QStringLiteral("x"));
        model.propagateTime(x, -10);
        model.removeIndexAndEmptyParents(x);
        model.addTotalTime(-10);
        QCOMPARE(model.itemProperty(find(model, QStringLiteral("Editor")), QStringLiteral("time")).toLongLong(), 30);
        QVERIFY(consistent(model));

        const QModelIndex z = find(model, QStringLiteral("z"));
        model.propagateTime(z, -10);
        model.removeIndexAndEmptyParents(z);
        model.addTotalTime(-10);
        QCOMPARE(names(model), QStringList{QStringLiteral("9:00 - 10:00")});
        QCOMPARE(model.totalTime(), 30);
        QVERIFY(consistent(model));
    }

    void selectionHelpers()
    {
        const qint64 x = TestDatabase::addEntry(m_editor, QStringLiteral("x"), QStringLiteral("09:00:00"),
                                                QStringLiteral("09:01:15"));
        const qint64 y =
            TestDatabase::addEntry(m_mail, QStringLiteral("y"), QStringLiteral("11:00:00"), QStringLiteral("11:00:10"));
        TreeModel model(false);
        model.setupModelData(Day, 0);
        const QModelIndex editor = find(model, QStringLiteral("Editor"));
        const QModelIndexList selection{editor, find(model, QStringLiteral("x")), find(model, QStringLiteral("y")),
                                        find(model, QStringLiteral("y")).siblingAtColumn(1)};
        QCOMPARE(model.entryIndexes(selection).size(), 2);
        QCOMPARE(model.entryIds(selection), (QStringList{QString::number(x), QString::number(y)}));
        QCOMPARE(model.entriesTime(selection), 85);
        QCOMPARE(model.countWithProperty(selection, QStringLiteral("type"), QStringLiteral("entry")), 2);
        QCOMPARE(model.entryParentNames(selection), (QStringList{QStringLiteral("Editor"), QStringLiteral("Mail")}));
        QCOMPARE(model.applicationIds(selection), (QList<qint64>{m_editor, m_mail}));
        QCOMPARE(model.entriesDescription(selection), QStringLiteral("(1 m 15 s) x\n(10 s) y"));
    }

    void appendRowAndProperties()
    {
        TreeModel model(false);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QModelIndex row = model.appendRow(QModelIndex(), {QStringLiteral("name"), QStringLiteral("0 s")});
        QCOMPARE(row.data().toString(), QStringLiteral("name"));
        QCOMPARE(row.siblingAtColumn(1).data().toString(), QStringLiteral("0 s"));
        QVERIFY(!row.siblingAtColumn(2).data().isValid());
        QSignalSpy changed(&model, &TreeModel::dataChanged);
        model.setItemProperty(row, QStringLiteral("type"), QStringLiteral("app"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.itemProperty(row, QStringLiteral("type")).toString(), QStringLiteral("app"));
        QVERIFY(!model.setData(row, QStringLiteral("x"), Qt::DisplayRole));
        QVERIFY(model.setHeaderData(1, Qt::Horizontal, QStringLiteral("Seconds")));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Seconds"));
        QVERIFY(!model.setHeaderData(1, Qt::Vertical, QStringLiteral("x")));
    }
};

QTEST_MAIN(TestTreeModel)
#include "tst_treemodel.moc"
