#include "appicon.h"
#include "awayeditdialog.h"
#include "entrydragpayload.h"
#include "timestampsdialog.h"
#include "timetree.h"
#include "viewtestdb.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeWidget>

using namespace ViewTest;

namespace {

// Stands in for the user's drop: answers every drag with a preset action and keeps the payload.
class DropTree : public TimeTree
{
public:
    Qt::DropAction answer = Qt::IgnoreAction;
    std::optional<EntryDragPayload> dropped;
    int drags = 0;

protected:
    Qt::DropAction execDrag(QDrag *drag) override
    {
        ++drags;
        dropped = EntryDragPayload::fromMimeData(drag->mimeData());
        delete drag;
        return answer;
    }
};

} // namespace

class TestTimeTree : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<RecordingPresenter> m_boxes;
    std::unique_ptr<TreeModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    std::unique_ptr<DropTree> m_tree;
    qint64 m_editor = 0;
    qint64 m_mail = 0;
    qint64 m_away = 0;

    void show(bool groupByHour = false)
    {
        m_model = std::make_unique<TreeModel>(false);
        m_tester = std::make_unique<QAbstractItemModelTester>(m_model.get(),
                                                              QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_model->setGroupByHour(groupByHour);
        m_model->setupModelData(Day, 0);
        m_tree = std::make_unique<DropTree>();
        m_tree->setModel(m_model.get());
        connect(m_model.get(), &TreeModel::sortStarting, m_tree.get(), &TimeTree::saveExpandedNodes);
        connect(m_model.get(), &TreeModel::sortDone, m_tree.get(), &TimeTree::restoreExpandedNodes);
        connect(m_model.get(), &TreeModel::collapseAll, m_tree.get(), &TimeTree::collapseAll);
        m_tree->expandAll();
    }

    void select(const QString &name)
    {
        const QModelIndex index = find(*m_model, name);
        QVERIFY2(index.isValid(), qPrintable(name));
        m_tree->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    qint64 time(const QString &name) const
    {
        return m_model->itemProperty(find(*m_model, name), QStringLiteral("time")).toLongLong();
    }

private Q_SLOTS:
    void init()
    {
        resetSettings();
        m_db = std::make_unique<TestDatabase>();
        m_boxes = std::make_unique<RecordingPresenter>();
        m_editor = TestDatabase::addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        m_mail = TestDatabase::addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"));
        m_away = TestDatabase::addApp(QLatin1String(AppIcon::AwayPath), QStringLiteral("Away Time"));
        TestDatabase::addEntry(m_editor, QStringLiteral("notes.txt"), QStringLiteral("09:00:00"),
                               QStringLiteral("09:01:00"));
        TestDatabase::addEntry(m_editor, QStringLiteral("plan.txt"), QStringLiteral("09:05:00"),
                               QStringLiteral("09:05:30"));
        TestDatabase::addEntry(m_mail, QStringLiteral("Inbox"), QStringLiteral("11:00:00"), QStringLiteral("11:00:20"));
        TestDatabase::addEntry(m_away, QStringLiteral("at 12:00:00"), QStringLiteral("12:00:00"),
                               QStringLiteral("12:10:00"));
    }

    void cleanup()
    {
        m_tree.reset();
        m_tester.reset();
        m_model.reset();
        m_boxes.reset();
        m_db.reset();
    }

    void actionsAndShortcuts()
    {
        show();
        const QStringList expected{QStringLiteral("&Link Time With Task..."),
                                   QStringLiteral("E&xclude Application"),
                                   QStringLiteral("&Delete"),
                                   QStringLiteral("Ex&pand All"),
                                   QStringLiteral("&Collapse All"),
                                   QStringLiteral("View &details..."),
                                   QStringLiteral("Copy &title"),
                                   QStringLiteral("Create Rule from Entry..."),
                                   QStringLiteral("Create Rule from Application..."),
                                   QStringLiteral("Edit &description")};
        QStringList texts;
        for (QAction *action : m_tree->actions()) {
            texts << action->text();
            QCOMPARE(action->shortcutContext(), Qt::WidgetShortcut);
        }
        QCOMPARE(texts, expected);
        QCOMPARE(m_tree->linkAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
        QCOMPARE(m_tree->deleteAction()->shortcut(), QKeySequence(QStringLiteral("Delete")));
        QCOMPARE(m_tree->copyTitleAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
        QCOMPARE(m_tree->expandAllAction()->shortcut(), QKeySequence(QKeySequence::ZoomIn));
        QCOMPARE(m_tree->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(m_tree->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(m_tree->dragEnabled());
        QVERIFY(!m_tree->header()->sectionsMovable());
    }

    void deleteOneEntryAsks()
    {
        show();
        select(QStringLiteral("plan.txt"));
        m_boxes->answer = MessageBox::No;
        m_tree->onMenuDelete();
        QCOMPARE(m_boxes->boxes.size(), 1);
        const MessageBox::Box box = m_boxes->boxes.first();
        QCOMPARE(box.title, QStringLiteral("Confirm delete"));
        QCOMPARE(box.text, QStringLiteral("Are you sure you want to delete selected entry?\n\nTime: 30 s\n\n"
                                          "Entry is from this application:\n    Editor"));
        QCOMPARE(box.buttons, MessageBox::Buttons(MessageBox::Yes | MessageBox::No));
        QCOMPARE(box.defaultButton, MessageBox::Yes);
        QVERIFY(find(*m_model, QStringLiteral("plan.txt")).isValid());
        QCOMPARE(TestDatabase::count(QStringLiteral("1")), 4);

        m_boxes->answer = MessageBox::Yes;
        m_tree->onMenuDelete();
        QVERIFY(!find(*m_model, QStringLiteral("plan.txt")).isValid());
        QCOMPARE(TestDatabase::count(QStringLiteral("title = 'plan.txt'")), 0);
        QCOMPARE(time(QStringLiteral("Editor")), 60);
        QCOMPARE(m_model->totalTime(), 60 + 20 + 600);
        QVERIFY(consistent(*m_model));
    }

    void deleteApplicationTakesAllTitles()
    {
        show(true);
        select(QStringLiteral("Editor"));
        QSignalSpy zero(m_model.get(), &TreeModel::datesWithZeroTimeChanged);
        m_tree->onMenuDelete();
        QCOMPARE(m_boxes->boxes.size(), 1);
        QCOMPARE(m_boxes->boxes.first().text,
                 QStringLiteral("Are you sure you want to delete these 2 entries?\n\nCumulated time: 1 m 30 s\n\n"
                                "Entries are from this application:\n    Editor"));
        // The application was the only one of its hour: the hour goes too.
        QVERIFY(!find(*m_model, QStringLiteral("Editor")).isValid());
        QVERIFY(!find(*m_model, QStringLiteral("9:00 - 10:00")).isValid());
        QCOMPARE(m_model->totalTime(), 620);
        QCOMPARE(TestDatabase::count(QStringLiteral("application_id = ") + QString::number(m_editor)), 0);
        QCOMPARE(zero.count(), 0);
        QVERIFY(consistent(*m_model));
    }

    void deleteListsTenApplications()
    {
        for (int i = 0; i < 10; ++i) {
            const qint64 app =
                TestDatabase::addApp(QStringLiteral("/opt/app%1").arg(i), QStringLiteral("App %1").arg(i));
            TestDatabase::addEntry(app, QStringLiteral("work"), QStringLiteral("13:00:00"), QStringLiteral("13:00:01"));
        }
        show();
        select(QStringLiteral("Inbox"));
        for (int i = 0; i < 10; ++i) {
            select(QStringLiteral("App %1").arg(i));
        }
        m_boxes->answer = MessageBox::No;
        m_tree->onMenuDelete();
        QCOMPARE(m_boxes->boxes.size(), 1);
        const QStringList lines = m_boxes->boxes.first().text.split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), QStringLiteral("Are you sure you want to delete these 11 entries?"));
        QCOMPARE(lines.at(2), QStringLiteral("Cumulated time: 30 s"));
        QCOMPARE(lines.at(4), QStringLiteral("Entries are from these applications:"));
        QCOMPARE(lines.size(), 5 + 10 + 1);
        QSet<QString> listed;
        for (int i = 5; i < 15; ++i) {
            QVERIFY(lines.at(i).startsWith(QStringLiteral("    ")));
            listed.insert(lines.at(i).mid(4));
        }
        QCOMPARE(listed.size(), 10);
        QCOMPARE(lines.last(), QStringLiteral("    (1 more)"));
        QCOMPARE(m_model->totalTime(), 60 + 30 + 20 + 600 + 10);
    }

    void nothingSelectedDoesNothing()
    {
        show(true);
        m_tree->onMenuDelete();
        select(QStringLiteral("9:00 - 10:00"));
        m_tree->onMenuDelete();
        QVERIFY(m_boxes->boxes.isEmpty());
    }

    void copyTitleShortcut()
    {
        show();
        select(QStringLiteral("notes.txt"));
        select(QStringLiteral("Mail"));
        m_tree->show();
        QVERIFY(QTest::qWaitForWindowActive(m_tree.get()));
        m_tree->setFocus();
        QApplication::clipboard()->clear();
        QTest::keyClick(m_tree.get(), Qt::Key_C, Qt::ControlModifier);
        const QString copied = QApplication::clipboard()->text();
        QVERIFY(copied == QStringLiteral("notes.txt\nMail") || copied == QStringLiteral("Mail\nnotes.txt"));
    }

    void excludeAddsApplication()
    {
        show();
        Settings::instance()->values.insert(QStringLiteral("IgnoredApps"), QStringList{QStringLiteral("/opt/other")});
        select(QStringLiteral("Mail"));
        select(QStringLiteral("notes.txt"));
        QSignalSpy zero(m_tree.get(), &TimeTree::datesWithZeroTimeChanged);
        m_tree->onMenuExclude();
        QCOMPARE(Settings::instance()->values.value(QStringLiteral("IgnoredApps")).toStringList(),
                 (QStringList{QStringLiteral("/opt/other"), QStringLiteral("/usr/bin/mail")}));
        QCOMPARE(zero.count(), 1);
        QVERIFY(!find(*m_model, QStringLiteral("Mail")).isValid());
        QVERIFY(find(*m_model, QStringLiteral("notes.txt")).isValid());
        QCOMPARE(m_model->totalTime(), 90 + 600);
        // Expanded nodes survive the rebuild.
        QVERIFY(m_tree->isExpanded(find(*m_model, QStringLiteral("Editor"))));
    }

    void excludeKnownApplicationChangesNothing()
    {
        show();
        const QStringList ignored{QStringLiteral("/USR/BIN/Mail")};
        Settings::instance()->values.insert(QStringLiteral("IgnoredApps"), ignored);
        select(QStringLiteral("Mail"));
        QSignalSpy reset(m_model.get(), &TreeModel::modelReset);
        QSignalSpy zero(m_tree.get(), &TimeTree::datesWithZeroTimeChanged);
        m_tree->onMenuExclude();
        QCOMPARE(Settings::instance()->values.value(QStringLiteral("IgnoredApps")).toStringList(), ignored);
        QCOMPARE(reset.count(), 0);
        QCOMPARE(zero.count(), 0);
        QVERIFY(find(*m_model, QStringLiteral("Mail")).isValid());
    }

    void menusPerNodeKind_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("expected");
        const QString link = QStringLiteral("&Link Time With Task...");
        const QString del = QStringLiteral("&Delete");
        const QString sep = QStringLiteral("-");
        const QString details = QStringLiteral("View &details...");
        const QString copy = QStringLiteral("Copy &title");
        const QString expand = QStringLiteral("Ex&pand All");
        const QString collapse = QStringLiteral("&Collapse All");
        QTest::newRow("app") << QStringLiteral("Editor")
                             << QStringList{link,
                                            del,
                                            sep,
                                            QStringLiteral("Create Rule from Application..."),
                                            QStringLiteral("E&xclude Application"),
                                            sep,
                                            details,
                                            copy,
                                            sep,
                                            expand,
                                            collapse};
        QTest::newRow("entry") << QStringLiteral("notes.txt")
                               << QStringList{link,   del,     sep,  QStringLiteral("Create Rule from Entry..."),
                                              sep,    details, copy, sep,
                                              expand, collapse};
        QTest::newRow("away entry") << QStringLiteral("at 12:00:00")
                                    << QStringList{QStringLiteral("Edit &description"),
                                                   sep,
                                                   link,
                                                   del,
                                                   sep,
                                                   QStringLiteral("Create Rule from Entry..."),
                                                   sep,
                                                   details,
                                                   copy,
                                                   sep,
                                                   expand,
                                                   collapse};
        QTest::newRow("hour") << QStringLiteral("9:00 - 10:00") << QStringList{expand, collapse};
        QTest::newRow("empty space") << QString() << QStringList{expand, collapse};
    }

    void menusPerNodeKind()
    {
        QFETCH(QString, node);
        QFETCH(QStringList, expected);
        show(true);
        const QModelIndex index = node.isEmpty() ? QModelIndex() : find(*m_model, node);
        QVERIFY(node.isEmpty() || index.isValid());
        std::unique_ptr<QMenu> menu(m_tree->createContextMenu(index));
        QCOMPARE(menuTexts(menu.get()), expected);
    }

    void linkEnabledWhenSignedIn()
    {
        show();
        std::unique_ptr<QMenu> menu(m_tree->createContextMenu(find(*m_model, QStringLiteral("Editor"))));
        QVERIFY(!m_tree->linkAction()->isEnabled());
        Settings::instance()->values.insert(QStringLiteral("isLoggedIn"), true);
        menu.reset(m_tree->createContextMenu(find(*m_model, QStringLiteral("Editor"))));
        QVERIFY(m_tree->linkAction()->isEnabled());
    }

    void keyboardMenuOpensAtSelection()
    {
        show();
        m_tree->resize(400, 300);
        select(QStringLiteral("Inbox"));
        const QRect rect = m_tree->visualRect(find(*m_model, QStringLiteral("Inbox")));
        QContextMenuEvent keyboard(QContextMenuEvent::Keyboard, QPoint(5, 5), QPoint(1000, 1000));
        QCOMPARE(m_tree->contextMenuPosition(&keyboard),
                 m_tree->viewport()->mapToGlobal(QPoint(rect.left() + rect.height() / 2, rect.top())));
        QContextMenuEvent mouse(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(1000, 1000));
        QCOMPARE(m_tree->contextMenuPosition(&mouse), QPoint(1000, 1000));
        m_tree->selectionModel()->clear();
        QCOMPARE(m_tree->contextMenuPosition(&keyboard), QPoint(1000, 1000));
    }

    void linkThroughDialogHook()
    {
        show();
        select(QStringLiteral("Editor"));
        QSignalSpy link(m_tree.get(), &TimeTree::signalConnectEntriesWithTask);

        // Without the linking layer's dialog nothing is linked and nothing is lost.
        m_tree->onMenuLink();
        QCOMPARE(link.count(), 0);
        QVERIFY(find(*m_model, QStringLiteral("Editor")).isValid());

        QString shownNotes;
        qint64 shownSeconds = 0;
        TimeTree::LinkChoice choice;
        m_tree->setLinkDialog([&](QWidget *parent, const QString &notes, qint64 seconds) {
            [&] { QCOMPARE(parent, m_tree.get()); }();
            shownNotes = notes;
            shownSeconds = seconds;
            return choice;
        });
        m_tree->onMenuLink();
        QCOMPARE(shownSeconds, 90);
        QVERIFY(shownNotes == QStringLiteral("(30 s) plan.txt\n(1 m 0 s) notes.txt") ||
                shownNotes == QStringLiteral("(1 m 0 s) notes.txt\n(30 s) plan.txt"));
        QCOMPARE(link.count(), 0);

        choice = {true, 0, QStringLiteral("no task")};
        m_tree->onMenuLink();
        QCOMPARE(link.count(), 0);

        choice = {true, 42, QStringLiteral("edited")};
        m_tree->onMenuLink();
        QCOMPARE(link.count(), 1);
        QStringList ids = link.first().at(0).toStringList();
        ids.sort();
        QCOMPARE(ids, (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
        QCOMPARE(link.first().at(1).toString(), QStringLiteral("42"));
        QCOMPARE(link.first().at(2).toString(), QStringLiteral("edited"));
        QVERIFY(!find(*m_model, QStringLiteral("Editor")).isValid());
        QCOMPARE(m_model->totalTime(), 620);
        // Linking is the linking layer's business: the rows stay in the database.
        QCOMPARE(TestDatabase::count(QStringLiteral("1")), 4);
        QVERIFY(consistent(*m_model));
    }

    void dragCarriesPayload_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("removed");
        QTest::newRow("dropped nowhere") << int(Qt::IgnoreAction) << false;
        QTest::newRow("moved") << int(Qt::MoveAction) << true;
    }

    void dragCarriesPayload()
    {
        QFETCH(int, answer);
        QFETCH(bool, removed);
        show();
        m_tree->answer = Qt::DropAction(answer);
        m_tree->resize(400, 300);
        const QModelIndex inbox = find(*m_model, QStringLiteral("Inbox"));
        const QPoint press = m_tree->visualRect(inbox).center();
        QTest::mousePress(m_tree->viewport(), Qt::LeftButton, Qt::NoModifier, press);
        QVERIFY(m_tree->selectionModel()->isSelected(inbox));
        // A move shorter than the drag distance starts nothing.
        QMouseEvent small(QEvent::MouseMove, press + QPoint(1, 0), m_tree->viewport()->mapToGlobal(press), Qt::NoButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_tree->viewport(), &small);
        QCOMPARE(m_tree->drags, 0);
        const QPoint far = press + QPoint(0, QApplication::startDragDistance() + 1);
        QMouseEvent move(QEvent::MouseMove, far, m_tree->viewport()->mapToGlobal(far), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(m_tree->viewport(), &move);
        QCOMPARE(m_tree->drags, 1);
        QVERIFY(m_tree->dropped.has_value());
        QCOMPARE(m_tree->dropped->ids, QStringList{QStringLiteral("3")});
        QCOMPARE(m_tree->dropped->notes, QString());
        QCOMPARE(m_tree->dropped->seconds, 20);
        QCOMPARE(find(*m_model, QStringLiteral("Mail")).isValid(), !removed);
        QCOMPARE(m_model->totalTime(), removed ? 690 : 710);
        QVERIFY(consistent(*m_model));
    }

    void ruleSignals()
    {
        show();
        select(QStringLiteral("notes.txt"));
        select(QStringLiteral("Mail"));
        QSignalSpy fromEntry(m_tree.get(), &TimeTree::signalCreateRuleFromEntry);
        QSignalSpy fromApp(m_tree.get(), &TimeTree::signalCreateRuleFromApp);
        m_tree->ruleFromEntryAction()->trigger();
        m_tree->ruleFromAppAction()->trigger();
        QCOMPARE(fromEntry.count(), 1);
        QCOMPARE(fromEntry.first().at(0).toLongLong(), m_editor);
        QCOMPARE(fromEntry.first().at(1).toString(), QStringLiteral("notes.txt"));
        QCOMPARE(fromApp.count(), 1);
        QCOMPARE(fromApp.first().at(0).toLongLong(), m_mail);
    }

    void editAwayDescription()
    {
        const qint64 second = TestDatabase::addEntry(m_away, QStringLiteral("at 12:00:00"), QStringLiteral("14:00:00"),
                                                     QStringLiteral("14:05:00"));
        show();
        select(QStringLiteral("notes.txt"));
        select(QStringLiteral("at 12:00:00"));
        bool seen = false;
        QTimer::singleShot(0, this, [&seen] {
            auto *dialog = qobject_cast<AwayEditDialog *>(QApplication::activeModalWidget());
            if (!dialog) {
                return;
            }
            // Answer as a user would, once the dialog has the focus.
            seen = QTest::qWaitForWindowActive(dialog);
            dialog->findChild<QLineEdit *>(QStringLiteral("editDescription"))->setText(QStringLiteral("Don't ask"));
            dialog->accept();
        });
        m_tree->editDescriptionAction()->trigger();
        QVERIFY(seen);
        const QModelIndex node = find(*m_model, QStringLiteral("Don't ask"));
        QVERIFY(node.isValid());
        QCOMPARE(m_model->itemProperty(node, QStringLiteral("title")).toString(), QStringLiteral("Don't ask"));
        QCOMPARE(TestDatabase::count(QStringLiteral("title = 'Don''t ask'")), 2);
        QCOMPARE(TestDatabase::count(QStringLiteral("id = ") + QString::number(second) +
                                     QStringLiteral(" AND title = 'Don''t ask'")),
                 1);
        QCOMPARE(TestDatabase::count(QStringLiteral("title = 'notes.txt'")), 1);
    }

    void cancelledAwayDescriptionChangesNothing()
    {
        show();
        select(QStringLiteral("at 12:00:00"));
        QTimer::singleShot(0, this, [] {
            if (QWidget *dialog = QApplication::activeModalWidget()) {
                qobject_cast<QDialog *>(dialog)->reject();
            }
        });
        m_tree->onEditAwayEntry();
        QVERIFY(find(*m_model, QStringLiteral("at 12:00:00")).isValid());
        QCOMPARE(TestDatabase::count(QStringLiteral("title = 'at 12:00:00'")), 1);
    }

    void detailsListsStretches()
    {
        TestDatabase::addEntry(m_editor, QStringLiteral("notes.txt"), QStringLiteral("10:00:00"),
                               QStringLiteral("10:00:07"));
        show();
        select(QStringLiteral("notes.txt"));
        QStringList rows;
        QTimer::singleShot(0, this, [&rows] {
            auto *dialog = qobject_cast<TimestampsDialog *>(QApplication::activeModalWidget());
            if (!dialog) {
                return;
            }
            auto *list = dialog->findChild<QTreeWidget *>(QStringLiteral("timestamps"));
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                QTreeWidgetItem *item = list->topLevelItem(i);
                rows << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join(QLatin1Char('|'));
            }
            dialog->reject();
        });
        m_tree->detailsAction()->trigger();
        QCOMPARE(rows, (QStringList{QStringLiteral("notes.txt|09:00:00|09:01:00|1 m 0 s"),
                                    QStringLiteral("notes.txt|10:00:00|10:00:07|7 s")}));
    }

    void sortKeepsExpandedNodes()
    {
        show(true);
        m_tree->collapseAll();
        const QModelIndex nine = find(*m_model, QStringLiteral("9:00 - 10:00"));
        m_tree->expand(nine);
        m_tree->expand(find(*m_model, QStringLiteral("Editor")));
        m_model->sort(1, Qt::DescendingOrder);
        QVERIFY(m_tree->isExpanded(find(*m_model, QStringLiteral("9:00 - 10:00"))));
        QVERIFY(m_tree->isExpanded(find(*m_model, QStringLiteral("Editor"))));
        QVERIFY(!m_tree->isExpanded(find(*m_model, QStringLiteral("11:00 - 12:00"))));
        QVERIFY(!m_tree->isExpanded(find(*m_model, QStringLiteral("12:00 - 13:00"))));
        const QList<QPair<QString, QString>> saved{
            {QStringLiteral("hour"), QStringLiteral("##9:00 - 10:00")},
            {QStringLiteral("app"), QStringLiteral("##9:00 - 10:00##") + QString::number(m_editor)}};
        QCOMPARE(m_tree->savedExpandedNodes(), saved);
        QCOMPARE(names(*m_model).first(), QStringLiteral("12:00 - 13:00"));
    }

    void headerStateRestored()
    {
        show();
        m_tree->header()->resizeSection(0, 321);
        auto &values = Settings::instance()->values;
        values.insert(QStringLiteral("UnlinkedListState"), m_tree->header()->saveState());
        values.insert(QStringLiteral("UnlinkedListGeometry"), m_tree->header()->saveGeometry());
        TimeTree other;
        other.setModel(m_model.get());
        other.restoreHeaderState();
        QCOMPARE(other.header()->sectionSize(0), 321);

        values.remove(QStringLiteral("UnlinkedListState"));
        TimeTree fresh;
        fresh.setModel(m_model.get());
        fresh.restoreHeaderState();
        QCOMPARE(fresh.columnWidth(1), 80);
        QCOMPARE(fresh.columnWidth(2), 120);
    }
};

QTEST_MAIN(TestTimeTree)
#include "tst_timetree.moc"
