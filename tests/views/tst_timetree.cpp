#include "recordingpresenter.h"
#include "storedentries.h"
#include "timetree.h"
#include "viewtestdb.h"
#include "windowinfo.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>

using namespace ViewTest;

class TestTimeTree : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<RecordingPresenter> m_boxes;
    StoredEntries m_entries;
    std::unique_ptr<TreeModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    std::unique_ptr<TimeTree> m_tree;

    void show(bool groupByHour = false)
    {
        m_model = std::make_unique<TreeModel>(false);
        m_model->setEntryReader(&m_entries);
        m_tester = std::make_unique<QAbstractItemModelTester>(m_model.get(),
                                                              QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_model->setGroupByHour(groupByHour);
        m_model->setupModelData(Day, 0);
        m_tree = std::make_unique<TimeTree>();
        m_tree->setModel(m_model.get());
        m_tree->expandAll();
    }

    static QStringList storedIds(const QString &where)
    {
        QStringList ids;
        QSqlQuery query(QStringLiteral("SELECT id FROM entries WHERE ") + where);
        while (query.next()) {
            ids << query.value(0).toString();
        }
        ids.sort();
        return ids;
    }

    void select(const QStringList &nodes)
    {
        for (const QString &name : nodes) {
            const QModelIndex index = find(*m_model, name);
            QVERIFY2(index.isValid(), qPrintable(name));
            m_tree->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<TestDatabase>();
        m_boxes = std::make_unique<RecordingPresenter>();
        const qint64 editor = addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        const qint64 mail = addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"));
        const qint64 away = addApp(QLatin1String(AwayApp::Path), QStringLiteral("Away Time"));
        addEntry(editor, QStringLiteral("notes.txt"), QStringLiteral("09:00:00"), 60);
        addEntry(editor, QStringLiteral("plan.txt"), QStringLiteral("09:05:00"), 30);
        addEntry(mail, QStringLiteral("Inbox"), QStringLiteral("11:00:00"), 20);
        addEntry(away, QStringLiteral("at 12:00:00"), QStringLiteral("12:00:00"), 600);
    }

    void cleanup()
    {
        m_tree.reset();
        m_tester.reset();
        m_model.reset();
        m_boxes.reset();
        m_db.reset();
    }

    // The view asks, then hands the selection's entries on; what the store then holds rebuilds it.
    void deleteAsksThenRequests_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("entries");
        QTest::newRow("one entry") << QStringLiteral("plan.txt")
                                   << QStringLiteral("Are you sure you want to delete selected entry?\n\nTime: 30 s\n\n"
                                                     "Entry is from this application:\n    Editor")
                                   << QStringLiteral("title = 'plan.txt'");
        QTest::newRow("application")
            << QStringLiteral("Editor")
            << QStringLiteral("Are you sure you want to delete these 2 entries?\n\n"
                              "Cumulated time: 1 m 30 s\n\n"
                              "Entries are from this application:\n    Editor")
            << QStringLiteral("application_id IN (SELECT id FROM applications WHERE path = '/usr/bin/editor')");
    }

    void deleteAsksThenRequests()
    {
        QFETCH(QString, node);
        QFETCH(QString, question);
        QFETCH(QString, entries);
        show(true);
        select({node});
        QSignalSpy requested(m_tree.get(), &TimeTree::deleteRequested);
        m_boxes->answerNext(MessageBox::No);
        m_tree->onMenuDelete();
        QCOMPARE(m_boxes->lastTitle(), QStringLiteral("Confirm delete"));
        QCOMPARE(m_boxes->lastText(), question);
        QCOMPARE(requested.count(), 0);
        // Enter keeps the entries; the buttons say what they do.
        const MessageBox::Box &box = m_boxes->boxes().last();
        QCOMPARE(box.defaultButton, MessageBox::No);
        QCOMPARE(box.noText, QStringLiteral("&Keep"));
        QVERIFY(box.yesText.startsWith(QStringLiteral("&Delete Entr")));

        m_boxes->answerNext(MessageBox::Yes);
        m_tree->onMenuDelete();
        QCOMPARE(requested.count(), 1);
        QStringList ids = requested.first().first().toStringList();
        ids.sort();
        QCOMPARE(ids, storedIds(entries));
        QCOMPARE(m_model->totalTime(), 710);
        QCOMPARE(count(QStringLiteral("1")), 4);
    }

    void deleteListsTenApplications()
    {
        QStringList selection{QStringLiteral("Inbox")};
        for (int i = 0; i < 10; ++i) {
            addEntry(addApp(QStringLiteral("/opt/app%1").arg(i), QStringLiteral("App %1").arg(i)),
                     QStringLiteral("work"), QStringLiteral("13:00:00"), 1);
            selection << QStringLiteral("App %1").arg(i);
        }
        show();
        select(selection);
        m_boxes->answerNext(MessageBox::No);
        m_tree->onMenuDelete();
        const QStringList lines = m_boxes->lastText().split(QLatin1Char('\n'));
        QCOMPARE(lines.mid(0, 5), (QStringList{QStringLiteral("Are you sure you want to delete these 11 entries?"),
                                               QString(), QStringLiteral("Cumulated time: 30 s"), QString(),
                                               QStringLiteral("Entries are from these applications:")}));
        QCOMPARE(lines.size(), 5 + 10 + 1);
        QCOMPARE(lines.last(), QStringLiteral("    (1 more)"));
        QCOMPARE(m_model->totalTime(), 60 + 30 + 20 + 600 + 10);
    }

    void copyTitleShortcut()
    {
        show();
        select({QStringLiteral("notes.txt"), QStringLiteral("Mail")});
        m_tree->show();
        QVERIFY(QTest::qWaitForWindowActive(m_tree.get()));
        m_tree->setFocus();
        QApplication::clipboard()->clear();
        QTest::keyClick(m_tree.get(), Qt::Key_C, Qt::ControlModifier);
        const QString copied = QApplication::clipboard()->text();
        QVERIFY(copied == QStringLiteral("notes.txt\nMail") || copied == QStringLiteral("Mail\nnotes.txt"));
    }

    void excludeKnownInOtherCaseChangesNothing()
    {
        const QStringList ignored{QStringLiteral("/USR/BIN/Mail")};
        show();
        Settings::instance()->setValue(Setting::IgnoredApps, ignored);
        select({QStringLiteral("Mail")});
        QSignalSpy reset(m_model.get(), &TreeModel::modelReset);
        QSignalSpy zero(m_tree.get(), &TimeTree::datesWithZeroTimeChanged);
        m_tree->onMenuExclude();
        QCOMPARE(Settings::instance()->value(Setting::IgnoredApps), ignored);
        QCOMPARE(reset.count() + zero.count(), 0);
        QVERIFY(find(*m_model, QStringLiteral("Mail")).isValid());
        QCOMPARE(m_model->totalTime(), 710);
    }

    // The titles recorded before are asked to go only when the user says so; the list takes the
    // application either way, once, and never the away time.
    void neverRecordListsAndOffersToReplaceTitles_data()
    {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << QStringList{QStringLiteral("notes.txt"), QStringLiteral("Editor")}
                             << int(MessageBox::Yes);
        QTest::newRow("no") << QStringList{QStringLiteral("plan.txt"), QStringLiteral("at 12:00:00")}
                            << int(MessageBox::No);
    }

    void neverRecordListsAndOffersToReplaceTitles()
    {
        QFETCH(QStringList, selected);
        QFETCH(int, answer);
        Settings::instance()->setValue(Setting::NeverRecordedApps, QStringList{QStringLiteral("/usr/bin/vault")});
        show();
        select(selected);
        QSignalSpy requested(m_tree.get(), &TimeTree::privateTitlesRequested);
        m_boxes->answerNext(MessageBox::Button(answer));
        m_tree->neverRecordAction()->trigger();
        QCOMPARE(Settings::instance()->value(Setting::NeverRecordedApps),
                 (QStringList{QStringLiteral("/usr/bin/vault"), QStringLiteral("/usr/bin/editor")}));
        QCOMPARE(m_boxes->boxes().size(), 1);
        QCOMPARE(m_boxes->lastTitle(), QStringLiteral("Never Record This Application"));
        QVERIFY2(m_boxes->lastText().contains(QLatin1String("\n    /usr/bin/editor\n")),
                 qPrintable(m_boxes->lastText()));
        const QList<QList<QVariant>> expected =
            answer == MessageBox::Yes ? QList<QList<QVariant>>{{QStringList{QStringLiteral("/usr/bin/editor")}}}
                                      : QList<QList<QVariant>>{};
        QCOMPARE(static_cast<QList<QList<QVariant>>>(requested), expected);
        // Listed already: nothing is asked again.
        m_tree->neverRecordAction()->trigger();
        QCOMPARE(m_boxes->boxes().size(), 1);
        QCOMPARE(requested.count(), expected.size());
    }

    void menusPerNodeKind_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("expected");
        const QString tail = QStringLiteral("|-|&View details...|Copy &title|-|Ex&pand All|&Collapse All");
        QTest::newRow("app") << QStringLiteral("Editor")
                             << QStringLiteral("&Link Time With Task...|&Delete|-|Create Rule from Application...|"
                                               "E&xclude Application|&Never Record This Application") +
                                    tail;
        QTest::newRow("away entry") << QStringLiteral("at 12:00:00")
                                    << QStringLiteral("Edit descr&iption|-|&Link Time With Task...|&Delete|-|"
                                                      "Create Rule from Entry...") +
                                           tail;
        QTest::newRow("entry") << QStringLiteral("notes.txt")
                               << QStringLiteral("&Link Time With Task...|&Delete|-|Create Rule from Entry...|"
                                                 "&Never Record This Application") +
                                      tail;
        QTest::newRow("away application")
            << QStringLiteral("Away Time")
            << QStringLiteral(
                   "&Link Time With Task...|&Delete|-|Create Rule from Application...|E&xclude Application") +
                   tail;
        QTest::newRow("hour") << QStringLiteral("9:00 - 10:00") << QStringLiteral("Ex&pand All|&Collapse All");
    }

    void menusPerNodeKind()
    {
        QFETCH(QString, node);
        QFETCH(QString, expected);
        show(true);
        std::unique_ptr<QMenu> menu(m_tree->createContextMenu(find(*m_model, node)));
        QCOMPARE(menuTexts(menu.get()).join(QLatin1Char('|')), expected);
        QCOMPARE(sharedAccessKeys(menu.get()), QStringList());
        QVERIFY(!m_tree->linkAction()->isEnabled());
    }

    void sortKeepsExpandedNodes()
    {
        show(true);
        connect(m_model.get(), &TreeModel::sortStarting, m_tree.get(), &TimeTree::saveExpandedNodes);
        connect(m_model.get(), &TreeModel::sortDone, m_tree.get(), &TimeTree::restoreExpandedNodes);
        connect(m_model.get(), &TreeModel::collapseAll, m_tree.get(), &TimeTree::collapseAll);
        m_tree->collapseAll();
        m_tree->expand(find(*m_model, QStringLiteral("9:00 - 10:00")));
        m_tree->expand(find(*m_model, QStringLiteral("Editor")));
        m_model->sort(1, Qt::DescendingOrder);
        QCOMPARE(names(*m_model), (QStringList{QStringLiteral("12:00 - 13:00"), QStringLiteral("9:00 - 10:00"),
                                               QStringLiteral("11:00 - 12:00")}));
        QVERIFY(m_tree->isExpanded(find(*m_model, QStringLiteral("9:00 - 10:00"))));
        QVERIFY(m_tree->isExpanded(find(*m_model, QStringLiteral("Editor"))));
        QVERIFY(!m_tree->isExpanded(find(*m_model, QStringLiteral("11:00 - 12:00"))));
    }
};

QTEST_MAIN(TestTimeTree)
#include "tst_timetree.moc"
