#include "trayanimation.h"

#include <QColor>
#include <QImage>
#include <QPainter>
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
};

QTEST_MAIN(TestTrayAnimation)
#include "tst_trayanimation.moc"
