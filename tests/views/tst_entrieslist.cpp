#include "entrieslist.h"
#include "viewtestdb.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>

using namespace ViewTest;

class TestEntriesList : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<RecordingPresenter> m_boxes;
    std::unique_ptr<TreeModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    std::unique_ptr<EntriesList> m_list;
    qint64 m_editor = 0;
    qint64 m_mail = 0;
    QStringList m_ids;

    void select(const QString &name)
    {
        const QModelIndex index = find(*m_model, name);
        QVERIFY2(index.isValid(), qPrintable(name));
        m_list->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

private Q_SLOTS:
    void init()
    {
        resetSettings();
        m_db = std::make_unique<TestDatabase>();
        m_boxes = std::make_unique<RecordingPresenter>();
        m_editor = TestDatabase::addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        m_mail = TestDatabase::addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"));
        const TestDatabase::Link write{
            1, 2, 3, QStringLiteral("Website"), QStringLiteral("Copy"), QStringLiteral("Write")};
        const TestDatabase::Link review{
            1, 2, 4, QStringLiteral("Website"), QStringLiteral("Copy"), QStringLiteral("Review")};
        const TestDatabase::Link support{
            7, 8, 9, QStringLiteral("Support"), QStringLiteral("Tickets"), QStringLiteral("Answer")};
        const qint64 draft = TestDatabase::addEntry(m_editor, QStringLiteral("draft"), QStringLiteral("09:00:00"),
                                                    QStringLiteral("09:01:00"));
        const qint64 outline = TestDatabase::addEntry(m_editor, QStringLiteral("outline"), QStringLiteral("09:02:00"),
                                                      QStringLiteral("09:02:30"));
        const qint64 comments = TestDatabase::addEntry(m_mail, QStringLiteral("comments"), QStringLiteral("10:00:00"),
                                                       QStringLiteral("10:00:10"));
        const qint64 ticket = TestDatabase::addEntry(m_mail, QStringLiteral("ticket"), QStringLiteral("11:00:00"),
                                                     QStringLiteral("11:00:05"));
        TestDatabase::link(draft, write);
        TestDatabase::link(outline, write);
        TestDatabase::link(comments, review);
        TestDatabase::link(ticket, support);
        m_ids = QStringList{QString::number(draft), QString::number(outline), QString::number(comments),
                            QString::number(ticket)};

        m_model = std::make_unique<TreeModel>(true);
        m_tester = std::make_unique<QAbstractItemModelTester>(m_model.get(),
                                                              QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_model->setupModelData(Day, 0);
        m_list = std::make_unique<EntriesList>();
        m_list->setModel(m_model.get());
        m_list->expandToDepth(2);
    }

    void cleanup()
    {
        m_list.reset();
        m_tester.reset();
        m_model.reset();
        m_boxes.reset();
        m_db.reset();
    }

    void actions()
    {
        QStringList texts;
        for (QAction *action : m_list->actions()) {
            texts << action->text();
            QCOMPARE(action->shortcutContext(), Qt::WidgetShortcut);
        }
        QCOMPARE(texts, (QStringList{QStringLiteral("&Unlink"), QStringLiteral("Ex&pand All"),
                                     QStringLiteral("&Collapse All")}));
        QCOMPARE(m_list->unlinkAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+U")));
        QVERIFY(!m_list->dragEnabled());
        // Expanded to depth 2: projects, task lists and tasks open, applications closed.
        QVERIFY(m_list->isExpanded(find(*m_model, QStringLiteral("Write"))));
        QVERIFY(!m_list->isExpanded(find(*m_model, QStringLiteral("Editor"))));
    }

    void unlinkOneEntryRemovesEmptyParents()
    {
        select(QStringLiteral("ticket"));
        QSignalSpy unlink(m_list.get(), &EntriesList::signalUnlinkEntries);
        m_boxes->answer = MessageBox::No;
        m_list->onMenuUnlink();
        QCOMPARE(m_boxes->boxes.size(), 1);
        QCOMPARE(m_boxes->boxes.first().title, QStringLiteral("Confirm unlink"));
        QCOMPARE(m_boxes->boxes.first().text,
                 QStringLiteral("Are you sure you want to unlink selected entry?\n\nTime: 5 s"));
        QCOMPARE(m_boxes->boxes.first().defaultButton, MessageBox::Yes);
        QCOMPARE(unlink.count(), 0);
        QVERIFY(find(*m_model, QStringLiteral("ticket")).isValid());

        m_boxes->answer = MessageBox::Yes;
        m_list->onMenuUnlink();
        QCOMPARE(unlink.count(), 1);
        QCOMPARE(unlink.first().at(0).toStringList(), QStringList{m_ids.at(3)});
        QCOMPARE(names(*m_model), QStringList{QStringLiteral("Website")});
        QCOMPARE(m_model->totalTime(), 100);
        QVERIFY(consistent(*m_model));
    }

    void unlinkApplicationTakesItsTitles()
    {
        select(QStringLiteral("Editor"));
        QSignalSpy unlink(m_list.get(), &EntriesList::signalUnlinkEntries);
        m_list->unlinkAction()->trigger();
        QCOMPARE(m_boxes->boxes.first().text,
                 QStringLiteral("Are you sure you want to unlink these 2 entries?\n\nCumulated time: 1 m 30 s"));
        QStringList ids = unlink.first().at(0).toStringList();
        ids.sort();
        QCOMPARE(ids, m_ids.mid(0, 2));
        QVERIFY(!find(*m_model, QStringLiteral("Write")).isValid());
        QVERIFY(find(*m_model, QStringLiteral("Review")).isValid());
        QCOMPARE(m_model->itemProperty(find(*m_model, QStringLiteral("Website")), QStringLiteral("time")).toLongLong(),
                 10);
        QCOMPARE(m_model->totalTime(), 15);
        QVERIFY(consistent(*m_model));
    }

    void selectingATaskUnlinksNothing()
    {
        select(QStringLiteral("Write"));
        select(QStringLiteral("Website"));
        m_list->onMenuUnlink();
        QVERIFY(m_boxes->boxes.isEmpty());
    }

    void menus_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("expected");
        const QString expand = QStringLiteral("Ex&pand All");
        const QString collapse = QStringLiteral("&Collapse All");
        const QString unlink = QStringLiteral("&Unlink");
        QTest::newRow("project") << QStringLiteral("Website") << QStringList{QStringLiteral("-"), expand, collapse};
        QTest::newRow("task") << QStringLiteral("Write") << QStringList{QStringLiteral("-"), expand, collapse};
        QTest::newRow("app") << QStringLiteral("Editor") << QStringList{unlink, QStringLiteral("-"), expand, collapse};
        QTest::newRow("entry") << QStringLiteral("draft") << QStringList{unlink, QStringLiteral("-"), expand, collapse};
        QTest::newRow("empty space") << QString() << QStringList{expand, collapse};
    }

    void menus()
    {
        QFETCH(QString, node);
        QFETCH(QStringList, expected);
        const QModelIndex index = node.isEmpty() ? QModelIndex() : find(*m_model, node);
        std::unique_ptr<QMenu> menu(m_list->createContextMenu(index));
        QCOMPARE(menuTexts(menu.get()), expected);
        QVERIFY(!m_list->unlinkAction()->isEnabled());
        Settings::instance()->values.insert(QStringLiteral("isLoggedIn"), true);
        menu.reset(m_list->createContextMenu(index));
        QVERIFY(m_list->unlinkAction()->isEnabled());
    }

    void expandedNodesUseIds()
    {
        m_list->collapseAll();
        m_list->expand(find(*m_model, QStringLiteral("Support")));
        m_list->saveExpandedNodes();
        QCOMPARE(m_list->savedExpandedNodes(),
                 (QList<QPair<QString, QString>>{{QStringLiteral("project"), QStringLiteral("##7")}}));
        m_model->reload();
        QVERIFY(!m_list->isExpanded(find(*m_model, QStringLiteral("Support"))));
        m_list->restoreExpandedNodes();
        QVERIFY(m_list->isExpanded(find(*m_model, QStringLiteral("Support"))));
        QVERIFY(!m_list->isExpanded(find(*m_model, QStringLiteral("Website"))));
    }

    void headerStateRestored()
    {
        m_list->header()->resizeSection(0, 222);
        auto &values = Settings::instance()->values;
        values.insert(QStringLiteral("LinkedListState"), m_list->header()->saveState());
        EntriesList other;
        other.setModel(m_model.get());
        other.restoreHeaderState();
        QCOMPARE(other.header()->sectionSize(0), 222);
    }
};

QTEST_MAIN(TestEntriesList)
#include "tst_entrieslist.moc"
