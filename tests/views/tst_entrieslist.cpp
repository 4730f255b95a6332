#include "entrieslist.h"
#include "recordingpresenter.h"
#include "viewtestdb.h"

#include <QAbstractItemModelTester>
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
    qint64 m_ticket = 0;

    void select(const QString &name)
    {
        m_list->selectionModel()->select(find(*m_model, name), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<TestDatabase>();
        m_boxes = std::make_unique<RecordingPresenter>();
        const qint64 editor = addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        const qint64 mail = addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"));
        const QString website = QStringLiteral("Website");
        link(addEntry(editor, QStringLiteral("draft"), QStringLiteral("09:00:00"), 60), 1, 2, 3,
             {website, QStringLiteral("Copy"), QStringLiteral("Write")});
        link(addEntry(mail, QStringLiteral("comments"), QStringLiteral("10:00:00"), 10), 1, 2, 4,
             {website, QStringLiteral("Copy"), QStringLiteral("Review")});
        m_ticket = addEntry(mail, QStringLiteral("ticket"), QStringLiteral("11:00:00"), 5);
        link(m_ticket, 7, 8, 9, {QStringLiteral("Support"), QStringLiteral("Tickets"), QStringLiteral("Answer")});

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

    void unlinkOneEntryRemovesEmptyParents()
    {
        select(QStringLiteral("ticket"));
        // A selected task is no entry and adds nothing.
        select(QStringLiteral("Review"));
        QSignalSpy unlink(m_list.get(), &EntriesList::signalUnlinkEntries);
        m_boxes->answerNext(MessageBox::No);
        m_list->onMenuUnlink();
        QCOMPARE(m_boxes->lastTitle(), QStringLiteral("Confirm unlink"));
        QCOMPARE(m_boxes->lastText(), QStringLiteral("Are you sure you want to unlink selected entry?\n\nTime: 5 s"));
        QCOMPARE(unlink.count(), 0);
        QVERIFY(find(*m_model, QStringLiteral("ticket")).isValid());

        m_list->onMenuUnlink();
        QCOMPARE(unlink.count(), 1);
        QCOMPARE(unlink.first().at(0).toStringList(), QStringList{QString::number(m_ticket)});
        QCOMPARE(names(*m_model), QStringList{QStringLiteral("Website")});
        QCOMPARE(m_model->totalTime(), 70);
        QVERIFY(consistent(*m_model));
    }

    void menus_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("expected");
        const QString expand = QStringLiteral("Ex&pand All");
        const QString collapse = QStringLiteral("&Collapse All");
        const QString sep = QStringLiteral("-");
        QTest::newRow("task") << QStringLiteral("Write") << QStringList{sep, expand, collapse};
        QTest::newRow("entry") << QStringLiteral("draft")
                               << QStringList{QStringLiteral("&Unlink"), sep, expand, collapse};
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
};

QTEST_MAIN(TestEntriesList)
#include "tst_entrieslist.moc"
