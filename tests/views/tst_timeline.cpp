#include "contrast.h"
#include "entrieslist.h"
#include "storedentries.h"
#include "timelinecontroller.h"
#include "timelinelayout.h"
#include "timelinestrip.h"
#include "timetree.h"
#include "treemodel.h"
#include "viewtestdb.h"
#include "windowinfo.h"

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QTest>

using namespace ViewTest;

namespace {

qint64 secs(const QString &time)
{
    return at(time).toSecsSinceEpoch();
}

TimelineEntry stretch(qint64 id, const QString &from, const QString &to, const QString &app, bool away = false,
                      bool linked = false)
{
    TimelineEntry entry;
    entry.id = id;
    entry.start = secs(from);
    entry.end = secs(to);
    entry.appPath = QStringLiteral("/usr/bin/") + app;
    entry.appName = app;
    entry.title = app + QStringLiteral(" window");
    entry.away = away;
    entry.linked = linked;
    entry.projectId = linked ? QStringLiteral("7") : QString();
    return entry;
}

// 09:05 to 10:50 in three stretches: the day runs 09:00 to 11:00, 1200 pixels, 10 pixels a minute.
QList<TimelineEntry> fixtureDay()
{
    return {stretch(3, QStringLiteral("10:00:00"), QStringLiteral("10:50:00"), QStringLiteral("editor"), false, true),
            stretch(1, QStringLiteral("09:05:00"), QStringLiteral("09:30:00"), QStringLiteral("shell")),
            stretch(2, QStringLiteral("09:30:00"), QStringLiteral("10:00:00"), QStringLiteral("away"), true)};
}

QString described(const TimelineEntry &entry)
{
    return QStringList{QString::number(entry.id),
                       QString::number(entry.start),
                       QString::number(entry.end),
                       entry.appPath,
                       entry.appName,
                       entry.title,
                       QString::number(entry.away),
                       QString::number(entry.linked),
                       entry.projectId}
        .join(QLatin1Char('|'));
}

// Records where it was asked to paint.
class RecordingStrip : public TimelineStrip
{
public:
    QRegion painted;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        painted += event->region();
        TimelineStrip::paintEvent(event);
    }
};

} // namespace

class TestTimeline : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bandsAwayAndLinkMarksOfADay()
    {
        TimelineLayout layout;
        layout.setEntries(fixtureDay());
        layout.setWidth(1200);
        QCOMPARE(layout.dayStart(), secs(QStringLiteral("09:00:00")));
        QCOMPARE(layout.dayEnd(), secs(QStringLiteral("11:00:00")));
        // Sorted by start whatever the order given.
        QCOMPARE(layout.entry(0).id, 1);
        QCOMPARE(layout.bandRect(0), QRectF(50, TimelineLayout::TopMargin, 250, TimelineLayout::BandHeight));
        QCOMPARE(layout.bandRect(1).left(), 300.0);
        QCOMPARE(layout.bandRect(2), QRectF(600, TimelineLayout::TopMargin, 500, TimelineLayout::BandHeight));
        QCOMPARE(layout.linkRect(2).top(), layout.bandRect(2).bottom() + TimelineLayout::LinkGap);
        // Each entry reads back as given, set or appended, its texts shared with others or its own.
        QList<TimelineEntry> given{fixtureDay().at(1), fixtureDay().at(2), fixtureDay().at(0)};
        given << stretch(4, QStringLiteral("10:50:00"), QStringLiteral("10:52:00"), QStringLiteral("shell"))
              << stretch(5, QStringLiteral("10:52:00"), QStringLiteral("10:53:00"), QStringLiteral("viewer"), false,
                         true);
        layout.append(given.at(3));
        layout.append(given.at(4));
        QCOMPARE(layout.count(), int(given.size()));
        for (int index = 0; index < layout.count(); ++index) {
            QCOMPARE(described(layout.entry(index)), described(given.at(index)));
            QCOMPARE(layout.idAt(index), given.at(index).id);
        }
        layout.setEntries(fixtureDay());

        // Drawn on a light and on a dark palette: each application's colour, away grey and the
        // project's mark under linked time only, every one readable on the background and told apart.
        const int bandY = TimelineLayout::TopMargin + TimelineLayout::BandHeight / 2;
        const int linkY = int(layout.linkRect(2).center().y());
        for (const QColor &base : {QColor(Qt::white), QColor(0x2a, 0x2a, 0x2a)}) {
            TimelineStrip strip;
            QPalette palette = strip.palette();
            palette.setColor(QPalette::Base, base);
            strip.setPalette(palette);
            strip.resize(1200, strip.minimumSizeHint().height());
            strip.setEntries(fixtureDay());
            QImage image(strip.size(), QImage::Format_ARGB32);
            strip.render(&image);
            const QList<QRgb> drawn{image.pixel(150, bandY), image.pixel(450, bandY), image.pixel(800, bandY),
                                    image.pixel(800, linkY)};
            for (qsizetype i = 0; i < drawn.size(); ++i) {
                QVERIFY2(Contrast::ratio(QColor(drawn.at(i)), base) >= Contrast::Readable, qPrintable(base.name()));
                for (qsizetype j = i + 1; j < drawn.size(); ++j) {
                    QVERIFY(drawn.at(i) != drawn.at(j));
                }
            }
            QCOMPARE(image.pixel(150, linkY), base.rgb());
            QCOMPARE(image.pixel(1150, bandY), base.rgb());
        }
    }

    void hitTestingZoomAndPan()
    {
        TimelineLayout layout;
        QList<TimelineEntry> day = fixtureDay();
        // A two-second stretch is a fraction of a pixel wide, yet clickable.
        day << stretch(4, QStringLiteral("10:55:00"), QStringLiteral("10:55:02"), QStringLiteral("mail"));
        layout.setEntries(day);
        layout.setWidth(1200);
        QCOMPARE(layout.hitTest(150, 10), 0);
        QCOMPARE(layout.hitTest(299.5, 10), 0);
        QCOMPARE(layout.hitTest(300, 10), 1);
        QCOMPARE(layout.hitTest(1151.5, 10), 3);
        QCOMPARE(layout.hitTest(20, 10), -1);
        QCOMPARE(layout.hitTest(150, TimelineLayout::LabelTop + 5), -1);

        const qint64 anchor = layout.timeAt(600);
        layout.zoom(2.0, 600);
        QCOMPARE(layout.viewEnd() - layout.viewStart(), 3600);
        QVERIFY(qAbs(layout.timeAt(600) - anchor) <= 3);
        QCOMPARE(layout.bandRect(layout.indexOfId(3)).width(), 1000.0);
        layout.pan(-100000);
        QCOMPARE(layout.viewStart(), layout.dayStart());
        layout.pan(100000);
        QCOMPARE(layout.viewEnd(), layout.dayEnd());
        for (int i = 0; i < 30; ++i) {
            layout.zoom(4.0, 0);
        }
        QCOMPARE(layout.viewEnd() - layout.viewStart(), TimelineLayout::MinimumViewSeconds);

        const QList<TimelineLayout::HourMark> marks = [] {
            TimelineLayout whole;
            whole.setEntries(fixtureDay());
            whole.setWidth(1200);
            return whole.hourMarks();
        }();
        // Two hours on 1200 pixels: a mark every ten minutes, on the clock.
        QCOMPARE(marks.size(), 13);
        QCOMPARE(marks.at(1).label, QStringLiteral("9:10"));
        QCOMPARE(marks.at(6).label, QStringLiteral("10:00"));
        QCOMPARE(marks.at(6).x, 600.0);
        // Zoomed in to the last minute, the strip still says where it is.
        const QList<TimelineLayout::HourMark> zoomed = layout.hourMarks();
        QVERIFY(!zoomed.isEmpty());
        QVERIFY(zoomed.first().time >= layout.viewStart() && zoomed.last().time <= layout.viewEnd());
    }

    void toolTipEscapesRecordedText()
    {
        TimelineEntry entry = stretch(1, QStringLiteral("09:00:00"), QStringLiteral("09:01:15"), QStringLiteral("x"));
        entry.appName = QStringLiteral("<i>App</i>");
        entry.title = QStringLiteral("<img src=x> & <b>bold</b>");
        const QString tip = TimelineLayout::toolTipHtml(entry);
        QVERIFY(tip.contains(QStringLiteral("&lt;img src=x&gt; &amp; &lt;b&gt;bold&lt;/b&gt;")));
        QVERIFY(tip.contains(QStringLiteral("&lt;i&gt;App&lt;/i&gt;")));
        QVERIFY(!tip.contains(QStringLiteral("<img")));
        QVERIFY(tip.contains(QStringLiteral("09:00:00 - 09:01:15 (1 m 15 s)")));
    }

    void liveAppendRepaintsOnlyTheNewBand()
    {
        RecordingStrip strip;
        strip.resize(1200, strip.minimumSizeHint().height());
        strip.setEntries(fixtureDay());
        strip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&strip));
        QTRY_VERIFY(!strip.painted.isEmpty());
        strip.painted = QRegion();

        strip.appendEntry(stretch(5, QStringLiteral("10:50:00"), QStringLiteral("10:51:00"), QStringLiteral("mail")));
        QTRY_VERIFY(!strip.painted.isEmpty());
        QVERIFY2(strip.painted.boundingRect().width() < 40,
                 qPrintable(QString::number(strip.painted.boundingRect().width())));
        QVERIFY(strip.painted.boundingRect().contains(1105, 10));

        // A stretch past the last hour grows the day: everything moves.
        strip.painted = QRegion();
        strip.appendEntry(stretch(6, QStringLiteral("11:10:00"), QStringLiteral("11:20:00"), QStringLiteral("mail")));
        QTRY_VERIFY(!strip.painted.isEmpty());
        QCOMPARE(strip.painted.boundingRect().width(), strip.width());
        QCOMPARE(strip.layout().dayEnd(), secs(QStringLiteral("12:00:00")));
    }

    void selectionFollowsBothWays()
    {
        TestDatabase db;
        const qint64 shell = addApp(QStringLiteral("/usr/bin/shell"), QStringLiteral("Shell"));
        const qint64 editor = addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        const qint64 first = addEntry(shell, QStringLiteral("build"), QStringLiteral("09:05:00"), 1500);
        const qint64 again = addEntry(shell, QStringLiteral("build"), QStringLiteral("09:40:00"), 600);
        const qint64 linked = addEntry(editor, QStringLiteral("notes"), QStringLiteral("10:00:00"), 3000);
        link(linked, 7, 8, 9, {QStringLiteral("P"), QStringLiteral("L"), QStringLiteral("T")});

        TimeTree unlinkedView;
        EntriesList linkedView;
        const StoredEntries entries;
        TreeModel unlinkedModel(false);
        TreeModel linkedModel(true);
        unlinkedModel.setEntryReader(&entries);
        linkedModel.setEntryReader(&entries);
        unlinkedModel.setupModelData(Day, 0);
        linkedModel.setupModelData(Day, 0);
        unlinkedView.setModel(&unlinkedModel);
        linkedView.setModel(&linkedModel);
        unlinkedView.expandAll();
        linkedView.expandAll();

        TimelineStrip strip;
        strip.resize(1200, strip.minimumSizeHint().height());
        TimelineController controller(&strip, &unlinkedView, &linkedView);
        controller.setEntryReader(&entries);
        controller.watchModels();
        controller.showDay(Day);
        QTRY_COMPARE(strip.layout().count(), 3);
        const int linkedBand = strip.layout().indexOfId(linked);
        QVERIFY(strip.layout().entry(linkedBand).linked);

        // Clicking a band selects the title holding that entry in its tree.
        QTest::mouseClick(&strip, Qt::LeftButton, {}, strip.layout().bandRect(linkedBand).center().toPoint());
        QCOMPARE(linkedModel.entryIds(linkedView.selectionModel()->selectedIndexes()),
                 QStringList{QString::number(linked)});
        QCOMPARE(strip.highlighted(), QSet<qint64>{linked});

        // Selecting a title in a tree outlines all of its stretches.
        const QModelIndex build = find(unlinkedModel, QStringLiteral("build"));
        unlinkedView.selectionModel()->select(build, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QCOMPARE(strip.highlighted(), (QSet<qint64>{first, again, linked}));
        linkedView.selectionModel()->clearSelection();
        QCOMPARE(strip.highlighted(), (QSet<qint64>{first, again}));

        // Reloading a tree (a link, a delete) reads the day again.
        exec(QStringLiteral("DELETE FROM entries WHERE id = ?"), {again});
        unlinkedModel.reload();
        QTRY_COMPARE(strip.layout().count(), 2);
        QCOMPARE(strip.layout().indexOfId(again), -1);
    }
};

QTEST_MAIN(TestTimeline)
#include "tst_timeline.moc"
