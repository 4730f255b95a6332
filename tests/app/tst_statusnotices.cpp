#include "statusnotices.h"

#include <QStatusBar>
#include <QTest>

class TestStatusNotices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A desktop helper that starts answering takes its "not running" note off the status bar, but
    // not a message shown since.
    void sessionNoteClearedWhenTheHelperAnswers()
    {
        QStatusBar bar;
        StatusNotices notices(&bar);
        const QString note = QStringLiteral("The GNOME Shell extension is not running.");
        notices.showSessionNote(note);
        QCOMPARE(bar.currentMessage(), note);
        notices.showSessionNote(QString());
        QCOMPARE(bar.currentMessage(), QString());

        notices.showSessionNote(note);
        bar.showMessage(QStringLiteral("Ready"));
        notices.showSessionNote(QString());
        QCOMPARE(bar.currentMessage(), QStringLiteral("Ready"));
    }
};

QTEST_MAIN(TestStatusNotices)
#include "tst_statusnotices.moc"
