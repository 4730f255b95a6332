#include "calendarwidget.h"
#include "listitemdelegate.h"

#include <QHeaderView>
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

    // The month arrows look as the style draws them, in either direction, and hold that one size only.
    void calendarArrowsAsTheStyleDrawsThem()
    {
        CalendarWidget calendar;
        for (const Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
            calendar.setLayoutDirection(direction);
            const bool leftToRight = direction == Qt::LeftToRight;
            const struct
            {
                const char *name;
                QStyle::StandardPixmap arrow;
            } arrows[] = {{"qt_calendar_prevmonth", leftToRight ? QStyle::SP_ArrowLeft : QStyle::SP_ArrowRight},
                          {"qt_calendar_nextmonth", leftToRight ? QStyle::SP_ArrowRight : QStyle::SP_ArrowLeft}};
            for (const auto &arrow : arrows) {
                const auto *button = calendar.findChild<QToolButton *>(QLatin1String(arrow.name));
                QVERIFY(button);
                const QSize size = button->iconSize();
                QCOMPARE(button->icon().availableSizes(), QList<QSize>{size});
                QCOMPARE(button->icon().pixmap(size).toImage(),
                         calendar.style()->standardIcon(arrow.arrow, nullptr, button).pixmap(size).toImage());
            }
        }
    }

    void calendarFramesTheMarkedDay()
    {
        CalendarWidget calendar;
        const QDate day(2026, 5, 13);
        calendar.setSelectedDate(day.addDays(1));
        calendar.setMarkedDay(day);
        // Weekends are drawn in red already; a colour of its own, readable on the calendar's white,
        // makes the frame countable.
        const QColor frame(0, 110, 20);
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
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
