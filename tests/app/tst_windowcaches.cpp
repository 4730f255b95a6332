#include "mainwindow.h"
#include "windowgallery.h"

#include <QPixmapCache>
#include <QTest>

// Closed to the tray, the window lets go of what it can render again; shown again, it shows the same.
class TestWindowCaches : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hiddenAndShownAgainShowsTheSame()
    {
        WindowGallery::prepareOfflineStart();
        MainWindow window;
        WindowGallery::showWithSampleDay(&window);
        QTRY_VERIFY(window.isInitialised());
        const QStringList views{QStringLiteral("appList"), QStringLiteral("linkedEntries")};
        QList<QImage> before;
        for (const QString &name : views) {
            before << window.findChild<QWidget *>(name)->grab().toImage();
        }
        QPixmap rendered(16, 16);
        rendered.fill(Qt::darkGreen);
        const QString key = QStringLiteral("rendered while shown");
        QPixmapCache::insert(key, rendered);

        window.hide();
        QPixmap kept;
        QVERIFY(!QPixmapCache::find(key, &kept));

        window.show();
        for (qsizetype i = 0; i < views.size(); ++i) {
            QCOMPARE(window.findChild<QWidget *>(views.at(i))->grab().toImage(), before.at(i));
        }
    }
};

QTEST_MAIN(TestWindowCaches)
#include "tst_windowcaches.moc"
