#include "recorder.h"
#include "recordingfakes.h"
#include "trayanimation.h"
#include "windowprobe.h"

#include <QSignalSpy>
#include <QTest>

class TestTrayAnimation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void framePaths()
    {
        QCOMPARE(TrayAnimation::framePath(0), QStringLiteral(":/icons/res/frame1.png"));
        QCOMPARE(TrayAnimation::framePath(7), QStringLiteral(":/icons/res/frame8.png"));
        QCOMPARE(TrayAnimation::idleIconPath(), QStringLiteral(":/icons/res/frame9.png"));
    }

    void cyclesWhileRecording()
    {
        TrayAnimation animation;
        QSignalSpy changed(&animation, &TrayAnimation::iconChanged);
        QVERIFY(!animation.isRunning());
        QCOMPARE(animation.currentIconPath(), TrayAnimation::idleIconPath());

        animation.setRecording(true);
        QVERIFY(animation.isRunning());
        QCOMPARE(changed.size(), 1);
        QCOMPARE(animation.currentIconPath(), TrayAnimation::framePath(0));

        QStringList shown;
        for (int i = 0; i < 9; ++i) {
            animation.updateTrayIcon();
            shown << animation.currentIconPath().section(QLatin1Char('/'), -1);
        }
        QCOMPARE(shown, (QStringList{
                            QStringLiteral("frame2.png"), QStringLiteral("frame3.png"), QStringLiteral("frame4.png"),
                            QStringLiteral("frame5.png"), QStringLiteral("frame6.png"), QStringLiteral("frame7.png"),
                            QStringLiteral("frame8.png"), QStringLiteral("frame1.png"), QStringLiteral("frame2.png")}));
        QCOMPARE(changed.size(), 10);

        animation.setRecording(false);
        QVERIFY(!animation.isRunning());
        QCOMPARE(animation.frameIndex(), 0);
        QCOMPARE(animation.currentIconPath(), TrayAnimation::idleIconPath());
        QCOMPARE(changed.size(), 11);

        // The timer advances the frames by itself.
        animation.setRecording(true);
        QTRY_VERIFY_WITH_TIMEOUT(animation.frameIndex() > 0, 5000);
    }

    void followsRecorder()
    {
        FakeForegroundSource source;
        FakeAppMetadata metadata;
        FakeIdleSource idle;
        FakeClock clock;
        WindowProbe probe(&source, &metadata);
        Recorder recorder(&probe, &idle, &clock);
        TrayAnimation animation;
        connect(&recorder, &Recorder::recordingChanged, &animation, &TrayAnimation::setRecording);

        recorder.setRecording(true);
        QVERIFY(animation.isRunning());
        recorder.setRecording(false);
        QVERIFY(!animation.isRunning());
        QCOMPARE(animation.currentIconPath(), TrayAnimation::idleIconPath());
    }
};

QTEST_MAIN(TestTrayAnimation)
#include "tst_trayanimation.moc"
