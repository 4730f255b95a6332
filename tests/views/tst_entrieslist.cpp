#include "entrieslist.h"
#include "recordingpresenter.h"
#include "storedentries.h"
#include "viewtestdb.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>

using namespace ViewTest;

class TestEntriesList : public QObject
{
    Q_OBJECT

    StoredEntries m_entries;

private Q_SLOTS:
    void unlinkOneEntryRemovesEmptyParents()
    {
        TestDatabase db;
        RecordingPresenter boxes;
        const qint64 mail = addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"));
        link(addEntry(mail, QStringLiteral("draft"), QStringLiteral("09:00:00"), 60), 1, 2, 3,
             {QStringLiteral("Website"), QStringLiteral("Copy"), QStringLiteral("Write")});
        const qint64 ticket = addEntry(mail, QStringLiteral("ticket"), QStringLiteral("11:00:00"), 5);
        link(ticket, 7, 8, 9, {QStringLiteral("Support"), QStringLiteral("Tickets"), QStringLiteral("Answer")});
        TreeModel model(true);
        model.setEntryReader(&m_entries);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setupModelData(Day, 0);
        EntriesList list;
        list.setModel(&model);
        list.expandToDepth(2);
        // A selected task is no entry and adds nothing.
        for (const QString &name : {QStringLiteral("ticket"), QStringLiteral("Write")}) {
            list.selectionModel()->select(find(model, name), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        QSignalSpy unlink(&list, &EntriesList::signalUnlinkEntries);
        boxes.answerNext(MessageBox::No);
        list.onMenuUnlink();
        QCOMPARE(boxes.lastTitle(), QStringLiteral("Confirm unlink"));
        QCOMPARE(boxes.lastText(), QStringLiteral("Are you sure you want to unlink selected entry?\n\nTime: 5 s"));
        QCOMPARE(unlink.count(), 0);
        QCOMPARE(boxes.boxes().last().defaultButton, MessageBox::No);
        QCOMPARE(boxes.boxes().last().yesText, QStringLiteral("&Unlink Entry"));

        boxes.answerNext(MessageBox::Yes);
        list.onMenuUnlink();
        QCOMPARE(unlink.count(), 1);
        QCOMPARE(unlink.first().at(0).toStringList(), QStringList{QString::number(ticket)});
        QCOMPARE(names(model), QStringList{QStringLiteral("Website")});
        QCOMPARE(model.totalTime(), 60);
        QVERIFY(consistent(model));
    }

    void columnsKeepTimeAndBarInView()
    {
        TestDatabase db;
        TreeModel model(true);
        model.setEntryReader(&m_entries);
        model.setupModelData(Day, 0);
        // A header saved by an older layout: a fixed 400-pixel name column and a narrow time.
        {
            QTreeView old;
            old.setModel(&model);
            old.header()->setStretchLastSection(true);
            old.header()->setSectionResizeMode(0, QHeaderView::Interactive);
            old.header()->resizeSection(0, 400);
            old.header()->resizeSection(1, 40);
            Settings::instance()->setValue(Setting::LinkedListState, old.header()->saveState());
        }
        EntriesList list;
        list.setModel(&model);
        list.restoreHeaderState();
        const QString longest = QStringLiteral("23 h 59 m 59 s");
        QVERIFY(list.columnWidth(TreeModel::TimeColumn) > list.fontMetrics().horizontalAdvance(longest));
        QVERIFY(list.columnWidth(TreeModel::BarColumn) >= EntryTreeView::MinimumBarWidth);
        for (const int width : {300, 900, 450}) {
            list.resize(width, 200);
            list.show();
            QVERIFY(QTest::qWaitForWindowExposed(&list));
            const int viewport = list.viewport()->width();
            const QHeaderView *header = list.header();
            const int barEnd =
                header->sectionViewportPosition(TreeModel::BarColumn) + header->sectionSize(TreeModel::BarColumn);
            QVERIFY2(barEnd <= viewport, qPrintable(QStringLiteral("%1 > %2").arg(barEnd).arg(viewport)));
            // The name takes the rest: an empty tree scrolls nowhere.
            QCOMPARE(list.horizontalScrollBar()->maximum(), 0);
            QVERIFY(header->sectionSize(TreeModel::NameColumn) > 0);
        }
    }

    // A header longer than the names, as a translation's can be, shows whole while the view has room.
    void nameColumnKeepsItsHeaderWhole()
    {
        TestDatabase db;
        TreeModel model(true);
        model.setEntryReader(&m_entries);
        model.setupModelData(Day, 0);
        QVERIFY(model.setHeaderData(TreeModel::NameColumn, Qt::Horizontal,
                                    QStringLiteral("Mit Tavro verknüpfte Einträge dieses Tages und ihre Aufgaben"),
                                    Qt::EditRole));
        EntriesList list;
        list.setModel(&model);
        list.restoreHeaderState();
        list.resize(1200, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QHeaderView *header = list.header();
        QVERIFY2(header->sectionSize(TreeModel::NameColumn) >= header->sectionSizeHint(TreeModel::NameColumn),
                 qPrintable(QStringLiteral("%1 < %2")
                                .arg(header->sectionSize(TreeModel::NameColumn))
                                .arg(header->sectionSizeHint(TreeModel::NameColumn))));
    }
};

QTEST_MAIN(TestEntriesList)
#include "tst_entrieslist.moc"
