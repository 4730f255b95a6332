#include "calendarwidget.h"
#include "clickablelabel.h"
#include "lineedit.h"
#include "listitemdelegate.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStyle>
#include <QTest>
#include <QTextCharFormat>
#include <QToolButton>
#include <QTreeView>

class TestControls : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void calendarSetUp()
    {
        CalendarWidget calendar;
        QCOMPARE(calendar.markedDay(), QDate::currentDate());
        QCOMPARE(calendar.firstDayOfWeek(), Qt::Monday);
        QCOMPARE(calendar.verticalHeaderFormat(), QCalendarWidget::NoVerticalHeader);
        QVERIFY(calendar.isNavigationBarVisible());
        QVERIFY(!calendar.isDateEditEnabled());
        QCOMPARE(calendar.color(), QColor(Qt::red));
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            QCOMPARE(calendar.palette().color(group, QPalette::Highlight), QColor(51, 153, 255));
            QCOMPARE(calendar.palette().color(group, QPalette::HighlightedText), QColor(Qt::white));
        }
        calendar.setProperty("color", QColor(Qt::blue));
        QCOMPARE(calendar.color(), QColor(Qt::blue));
    }

    void calendarMarkRect()
    {
        QCOMPARE(CalendarWidget::markRect(QRect(10, 20, 30, 15)), QRect(QPoint(10, 20), QPoint(38, 33)));
    }

    void calendarDaysReplaceEachOther()
    {
        CalendarWidget calendar;
        const QDate a(2026, 3, 2);
        const QDate b(2026, 3, 9);
        calendar.setDaysWithUnlinkedTime({a, b});
        QVERIFY(calendar.isEmphasised(a));
        QVERIFY(calendar.isEmphasised(b));
        QVERIFY(!calendar.isEmphasised(a.addDays(1)));
        QCOMPARE(calendar.dateTextFormat(a).fontWeight(), int(QFont::Black));

        calendar.setDaysWithUnlinkedTime({b});
        QVERIFY(!calendar.isEmphasised(a));
        QVERIFY(calendar.isEmphasised(b));
        calendar.setDaysWithUnlinkedTime({});
        QVERIFY(calendar.dateTextFormat().isEmpty());
    }

    void calendarFramesTheMarkedDay()
    {
        CalendarWidget calendar;
        const QDate day(2026, 5, 13);
        calendar.setSelectedDate(day.addDays(1));
        calendar.setMarkedDay(day);
        QCOMPARE(calendar.markedDay(), day);
        // Weekends are drawn in red already; a colour of its own makes the frame countable.
        const QColor frame(10, 200, 30);
        calendar.setColor(frame);
        calendar.resize(400, 300);
        const QImage withMark = calendar.grab().toImage();
        calendar.setMarkedDay(day.addDays(-20));
        const QImage withoutMark = calendar.grab().toImage();
        auto framePixels = [&frame](const QImage &image) {
            int count = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (image.pixelColor(x, y) == frame) {
                        ++count;
                    }
                }
            }
            return count;
        };
        QVERIFY(framePixels(withMark) > 20);
        QCOMPARE(framePixels(withoutMark), 0);
    }

    void barRect_data()
    {
        QTest::addColumn<QRect>("cell");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QRect>("expected");
        const QRect cell(0, 0, 111, 20); // x2 = 110, y2 = 19
        QTest::newRow("none at 1 %") << cell << 0.01 << QRect();
        QTest::newRow("none at 0") << cell << 0.0 << QRect();
        QTest::newRow("2 %") << cell << 0.02 << QRect(QPoint(7, 8), QPoint(7 + int(0.02 * 99), 11));
        QTest::newRow("half") << cell << 0.5 << QRect(QPoint(7, 8), QPoint(7 + 49, 11));
        QTest::newRow("whole") << cell << 1.0 << QRect(QPoint(7, 8), QPoint(106, 11));
        // h = 2: the bar takes h + 1 pixels.
        QTest::newRow("flat cell") << QRect(5, 10, 50, 5) << 1.0 << QRect(QPoint(12, 11), QPoint(50, 13));
    }

    void barRect()
    {
        QFETCH(QRect, cell);
        QFETCH(double, ratio);
        QFETCH(QRect, expected);
        QCOMPARE(ListItemDelegate::barRect(cell, ratio), expected);
    }

    void ratio()
    {
        QCOMPARE(ListItemDelegate::ratio(30, 0), 0.0);
        QCOMPARE(ListItemDelegate::ratio(30, -5), 0.0);
        QCOMPARE(ListItemDelegate::ratio(25, 100), 0.25);
    }

    void barColours_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("entry") << QStringLiteral("entry") << QColor(207, 207, 207);
        QTest::newRow("task") << QStringLiteral("task") << QColor(0, 94, 94);
        QTest::newRow("tasklist") << QStringLiteral("tasklist") << QColor(37, 133, 184);
        QTest::newRow("project") << QStringLiteral("project") << QColor(166, 55, 78);
        QTest::newRow("app") << QStringLiteral("app") << QColor(0, 168, 0);
        QTest::newRow("hour") << QStringLiteral("hour") << QColor(0, 168, 0);
    }

    void barColours()
    {
        QFETCH(QString, type);
        QFETCH(QColor, colour);
        QCOMPARE(ListItemDelegate::barColour(type), colour);
    }

    void delegateDrawsBarsOnlyAboveOnePercent()
    {
        QStandardItemModel model(2, 3);
        // Column 0 holds the node's seconds, which the reader passes as its time.
        model.setData(model.index(0, 0), 50);
        model.setData(model.index(1, 0), 1);
        QTreeView view;
        view.setModel(&model);
        view.setItemDelegateForColumn(2, new ListItemDelegate(
                                             [&model](const QModelIndex &index) {
                                                 return ListItemDelegate::Node{
                                                     model.index(index.row(), 0).data().toLongLong(),
                                                     QStringLiteral("task")};
                                             },
                                             [](const QModelIndex &) { return qint64(100); }, &view));
        view.resize(600, 200);
        view.header()->resizeSection(2, 200);
        const QImage image = view.grab().toImage();
        auto hasBarColour = [&](int row) {
            const QRect cell = view.visualRect(model.index(row, 2)).translated(view.viewport()->pos());
            for (int x = cell.left(); x <= cell.right(); ++x) {
                if (image.pixelColor(x, cell.center().y()) == QColor(0, 94, 94)) {
                    return true;
                }
            }
            return false;
        };
        QVERIFY(hasBarColour(0));
        QVERIFY(!hasBarColour(1));
    }

    void lineEditClearButton()
    {
        LineEdit edit;
        edit.resize(200, 30);
        edit.show();
        QToolButton *button = edit.clearButton();
        QVERIFY(button->isHidden());
        edit.setText(QStringLiteral("abc"));
        QVERIFY(!button->isHidden());
        const int frame = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        QCOMPARE(button->x(), edit.rect().right() - frame - button->sizeHint().width());
        QSignalSpy changed(&edit, &QLineEdit::textChanged);
        button->click();
        QVERIFY(edit.text().isEmpty());
        QCOMPARE(changed.count(), 1);
        QVERIFY(button->isHidden());
        QVERIFY(edit.minimumWidth() >= button->sizeHint().width() + 2 * frame + 2);
        QVERIFY(edit.minimumHeight() >= button->sizeHint().height() + 2 * frame + 2);
        QVERIFY(!button->icon().isNull());
    }

    void clickableLabelReportsDoubleClicks()
    {
        ClickableLabel label;
        label.setText(QStringLiteral("Not signed in"));
        QSignalSpy spy(&label, &ClickableLabel::doubleClicked);
        QTest::mouseClick(&label, Qt::LeftButton);
        QCOMPARE(spy.count(), 0);
        QTest::mouseDClick(&label, Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
    }
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
