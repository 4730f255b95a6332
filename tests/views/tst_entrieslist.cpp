#include "entrieslist.h"
#include "recordingpresenter.h"
#include "viewtestdb.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

using namespace ViewTest;

class TestEntriesList : public QObject
{
    Q_OBJECT

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

        list.onMenuUnlink();
        QCOMPARE(unlink.count(), 1);
        QCOMPARE(unlink.first().at(0).toStringList(), QStringList{QString::number(ticket)});
        QCOMPARE(names(model), QStringList{QStringLiteral("Website")});
        QCOMPARE(model.totalTime(), 60);
        QVERIFY(consistent(model));
    }
};

QTEST_MAIN(TestEntriesList)
#include "tst_entrieslist.moc"
