#include "storedentries.h"
#include "timelinelayout.h"
#include "timetext.h"
#include "viewtestdb.h"
#include "weekchart.h"
#include "weekview.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

// ViewTest::Day, Saturday 10 March 2012, lies in the week of Monday 5 March.
namespace {
const QDate Monday(2012, 3, 5);
} // namespace

class TestWeekView : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ViewTest::TestDatabase> m_db;
    qint64 m_editor = 0;
    const StoredEntries m_entries;

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<ViewTest::TestDatabase>();
        m_editor = ViewTest::addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        ViewTest::addEntry(m_editor, QStringLiteral("work"), QStringLiteral("09:00:00"), 3600);
        ViewTest::link(ViewTest::addEntry(m_editor, QStringLiteral("work"), QStringLiteral("10:00:00"), 1800), 4, 2, 9);
        ViewTest::addEntry(m_editor, QStringLiteral("work"), QStringLiteral("2012-03-13 09:00:00"), 600);
    }

    void cleanup() { m_db.reset(); }

    void showsTheWeekOfTheDay()
    {
        WeekView view(m_entries);
        view.showWeek(ViewTest::Day, {});
        QCOMPARE(view.weekStart(), Monday);
        const QList<DayFigures> &days = view.chart()->days();
        QCOMPARE(days.size(), 7);
        QCOMPARE(days.at(5).date, ViewTest::Day);
        QCOMPARE(days.at(5).recorded, 5400);
        QCOMPARE(days.at(5).toBook, 3600);
        QVERIFY(view.totalsLabel()->text().contains(QStringLiteral("still to book 1 h 0 m 0 s")));

        QTest::mouseClick(view.nextButton(), Qt::LeftButton);
        QCOMPARE(view.weekStart(), Monday.addDays(7));
        QCOMPARE(view.chart()->days().at(1).recorded, 600);
        QVERIFY(view.totalsLabel()->text().contains(QStringLiteral("recorded 10 m 0 s")));
        QTest::mouseClick(view.previousButton(), Qt::LeftButton);
        QTest::mouseClick(view.previousButton(), Qt::LeftButton);
        QCOMPARE(view.weekStart(), Monday.addDays(-7));
        QCOMPARE(WeekDays::total(view.chart()->days()).recorded, 0);
    }

    void excludedApplicationsStayOut()
    {
        WeekView view(m_entries);
        view.showWeek(ViewTest::Day, {QStringLiteral("/usr/bin/editor")});
        QCOMPARE(WeekDays::total(view.chart()->days()).recorded, 0);
        // Still left out after moving to another week.
        QTest::mouseClick(view.nextButton(), Qt::LeftButton);
        QCOMPARE(WeekDays::total(view.chart()->days()).recorded, 0);
    }

    void clickOpensTheDay()
    {
        WeekView view(m_entries);
        view.resize(700, 400);
        view.showWeek(ViewTest::Day, {});
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QSignalSpy opened(&view, &WeekView::dayActivated);
        const QRect row = view.chart()->rowRect(QDate(2012, 3, 7));
        QVERIFY(!row.isEmpty());
        QTest::mouseClick(view.chart(), Qt::LeftButton, {}, row.center());
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.at(0).at(0).toDate(), QDate(2012, 3, 7));
        // Below the last row there is no day; a right click opens none either.
        QTest::mouseClick(view.chart(), Qt::RightButton, {}, view.chart()->rowRect(ViewTest::Day).center());
        QTest::mouseClick(view.chart(), Qt::LeftButton, {}, QPoint(10, view.chart()->height() + 5));
        QCOMPARE(opened.size(), 1);
    }

    // Arrow keys, Home and End choose a day, Enter and Space open it; the keys stop at the week's ends.
    void keysChooseAndOpenTheDay_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QDate>("opened");
        QTest::newRow("Enter on the first day") << QList<int>{Qt::Key_Return} << Monday;
        QTest::newRow("two down") << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Space} << Monday.addDays(2);
        QTest::newRow("up past the first") << QList<int>{Qt::Key_Down, Qt::Key_Up, Qt::Key_Up, Qt::Key_Enter} << Monday;
        QTest::newRow("End, then down") << QList<int>{Qt::Key_End, Qt::Key_Down, Qt::Key_Return} << Monday.addDays(6);
        QTest::newRow("End, Home") << QList<int>{Qt::Key_End, Qt::Key_Home, Qt::Key_Return} << Monday;
    }

    void keysChooseAndOpenTheDay()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QDate, opened);
        WeekView view(m_entries);
        view.showWeek(ViewTest::Day, {});
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(view.chart()->focusPolicy() & Qt::TabFocus);
        QSignalSpy activated(&view, &WeekView::dayActivated);
        for (const int key : keys) {
            QTest::keyClick(view.chart(), Qt::Key(key));
        }
        QCOMPARE(activated.size(), 1);
        QCOMPARE(activated.at(0).at(0).toDate(), opened);
        QCOMPARE(view.chart()->currentDay(), opened);
        // A screen reader hears the chosen day with its figures.
        QVERIFY2(view.chart()->accessibleDescription().startsWith(QLocale().toString(opened, QLocale::LongFormat)),
                 qPrintable(view.chart()->accessibleDescription()));
    }

    // However long the figures read (a larger font, a language with longer words), the chart asks for
    // room for the date, a bar and the whole figures.
    void figuresAreNeverCut()
    {
        WeekChart chart;
        QFont large = chart.font();
        large.setPointSize(24);
        chart.setFont(large);
        DayFigures day;
        day.date = Monday;
        day.recorded = 23 * 3600 + 59 * 60 + 59;
        day.toBook = day.recorded;
        day.shares = {{DayShare::Kind::Away, QString(), day.recorded}};
        chart.setDays({day});
        const QFontMetrics metrics(large);
        const int figures = metrics.horizontalAdvance(
            QStringLiteral("%1 to book %2").arg(formatDuration(day.recorded), formatDuration(day.toBook)));
        const int date = metrics.horizontalAdvance(QLocale().toString(Monday, QStringLiteral("dddd d MMMM")));
        QVERIFY2(chart.minimumSizeHint().width() > date + figures,
                 qPrintable(QStringLiteral("%1 <= %2").arg(chart.minimumSizeHint().width()).arg(date + figures)));
        QVERIFY(chart.sizeHint().width() >= chart.minimumSizeHint().width());
    }

    void barsStackInTheTimelinesColours()
    {
        WeekChart chart;
        DayFigures day;
        day.date = Monday;
        day.recorded = 300;
        day.shares = {{DayShare::Kind::Linked, QStringLiteral("4"), 100},
                      {DayShare::Kind::Unlinked, QStringLiteral("/usr/bin/editor"), 100},
                      {DayShare::Kind::Away, QString(), 100}};
        chart.setDays({day});
        chart.resize(700, chart.sizeHint().height());
        QImage image(chart.size(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        chart.render(&image);
        const QRect row = chart.rowRect(Monday);
        QList<QRgb> colours;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, row.center().y());
            if (colours.isEmpty() || colours.last() != pixel) {
                colours << pixel;
            }
        }
        const QList<QRgb> expected{TimelineLayout::projectColour(QStringLiteral("4")).rgb(),
                                   TimelineLayout::appColour(QStringLiteral("/usr/bin/editor")).rgb(),
                                   TimelineLayout::awayColour().rgb()};
        // The three parts lie side by side in that order.
        const qsizetype first = colours.indexOf(expected.at(0));
        QVERIFY(first >= 0);
        QCOMPARE(colours.mid(first, 3), expected);
    }
};

QTEST_MAIN(TestWeekView)
#include "tst_weekview.moc"
