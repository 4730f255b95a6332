#include "trayanimation.h"

#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

namespace {
// Pixels of `path` drawn on `panel` whose lightness differs from the panel's by at least 40 %.
int standingOutPixels(const QString &path, const QColor &panel)
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(panel);
    QPainter painter(&image);
    painter.drawImage(QRect(0, 0, 32, 32), QImage(path));
    painter.end();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += qAbs(QColor(image.pixel(x, y)).lightnessF() - panel.lightnessF()) >= 0.4 ? 1 : 0;
        }
    }
    return count;
}

// Whether `icon` draws the picture of the resource at `path`.
bool shows(const QIcon &icon, const QString &path)
{
    const QImage expected = QImage(path).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return icon.pixmap(expected.size()).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied) == expected;
}

QIcon lastIcon(const QSignalSpy &spy)
{
    return spy.constLast().constFirst().value<QIcon>();
}
} // namespace

class TestTrayAnimation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pausedIconReadsOnLightAndDarkPanels()
    {
        QVERIFY(!QImage(TrayAnimation::idleIconPath()).isNull());
        // A tenth of the icon must stand out from a light and from a dark panel.
        for (const QColor &panel : {QColor(0xf0, 0xf0, 0xf0), QColor(0x20, 0x20, 0x20)}) {
            QVERIFY2(standingOutPixels(TrayAnimation::idleIconPath(), panel) >= 100, qPrintable(panel.name()));
        }
        // Paused and recording differ in shape, not only in colour: their opaque areas differ.
        const QImage paused = QImage(TrayAnimation::idleIconPath()).convertToFormat(QImage::Format_ARGB32);
        const QImage recording = QImage(TrayAnimation::framePath(0)).convertToFormat(QImage::Format_ARGB32);
        int different = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                different += (qAlpha(paused.pixel(x, y)) > 128) != (qAlpha(recording.pixel(x, y)) > 128) ? 1 : 0;
            }
        }
        QVERIFY(different >= 100);
    }

    // Each tick shows the next frame, wrapping after the eighth; a pause shows the still icon.
    void ticksStepThroughTheFrames_data()
    {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<bool>("paused");
        QTest::addColumn<QString>("shown");
        QTest::newRow("started") << 0 << false << TrayAnimation::framePath(0);
        QTest::newRow("one tick") << 1 << false << TrayAnimation::framePath(1);
        QTest::newRow("last frame") << 7 << false << TrayAnimation::framePath(7);
        QTest::newRow("wrapped") << 9 << false << TrayAnimation::framePath(1);
        QTest::newRow("paused") << 3 << true << TrayAnimation::idleIconPath();
    }

    void ticksStepThroughTheFrames()
    {
        QFETCH(int, ticks);
        QFETCH(bool, paused);
        QFETCH(QString, shown);
        TrayAnimation animation;
        QSignalSpy icons(&animation, &TrayAnimation::iconChanged);
        animation.setRecording(true);
        for (int i = 0; i < ticks; ++i) {
            animation.step();
        }
        if (paused) {
            animation.setRecording(false);
        }
        QCOMPARE(icons.count(), 1 + ticks + (paused ? 1 : 0));
        QVERIFY(shows(lastIcon(icons), shown));
        QCOMPARE(animation.currentIconPath(), shown);
    }

    // Half a tick after the start and after each tick one frame more, and no other; none while paused.
    void oneFrameBetweenTicks()
    {
        TrayAnimation animation;
        QSignalSpy icons(&animation, &TrayAnimation::iconChanged);
        QElapsedTimer sinceStep;
        sinceStep.start();
        animation.setRecording(true);
        QVERIFY(icons.wait(2 * TrayAnimation::FrameIntervalMs));
        QVERIFY(sinceStep.elapsed() >= TrayAnimation::FrameIntervalMs - 50);
        QVERIFY(shows(lastIcon(icons), TrayAnimation::framePath(1)));
        QVERIFY(!icons.wait(2 * TrayAnimation::FrameIntervalMs));

        animation.step();
        sinceStep.start();
        QVERIFY(icons.wait(2 * TrayAnimation::FrameIntervalMs));
        QVERIFY(sinceStep.elapsed() >= TrayAnimation::FrameIntervalMs - 50);
        QVERIFY(shows(lastIcon(icons), TrayAnimation::framePath(3)));
        QVERIFY(!icons.wait(2 * TrayAnimation::FrameIntervalMs));

        animation.step();
        animation.setRecording(false);
        animation.step();
        QTest::qWait(2 * TrayAnimation::FrameIntervalMs);
        QCOMPARE(icons.count(), 6);
        QVERIFY(shows(lastIcon(icons), TrayAnimation::idleIconPath()));
    }
};

QTEST_MAIN(TestTrayAnimation)
#include "tst_trayanimation.moc"
