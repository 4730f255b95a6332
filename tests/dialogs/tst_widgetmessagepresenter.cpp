#include "widgetmessagepresenter.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

class TestWidgetMessagePresenter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void titleAndPathsShowWhole()
    {
        WidgetMessagePresenter presenter;
        MessageBox::setPresenter(&presenter);
        const QString path =
            QStringLiteral("/home/someone/.local/share/TavroDesk/a-rather-long-folder/tavrodesk.sqlite");
        int labelWidth = 0;
        int boxWidth = 0;
        int pathWidth = 0;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
            QVERIFY(label);
            labelWidth = label->width();
            boxWidth = box->width();
            pathWidth = label->fontMetrics().horizontalAdvance(path);
            box->done(QMessageBox::Ok);
        });
        MessageBox::warning(nullptr, QStringLiteral("Database error"),
                            QStringLiteral("Could not open database: ") + path + QStringLiteral("\nunable to open"));
        MessageBox::setPresenter(nullptr);
        QVERIFY2(labelWidth >= pathWidth, qPrintable(QStringLiteral("%1 < %2").arg(labelWidth).arg(pathWidth)));
        QVERIFY(boxWidth > labelWidth);

        // A short text under a long title still gets a box wider than the title.
        const QFontMetrics metrics(QApplication::font());
        const QString title = QStringLiteral("A title much longer than its text");
        QVERIFY(WidgetMessagePresenter::minimumTextWidth(metrics, title, QStringLiteral("Ok")) >
                metrics.horizontalAdvance(title));
        QCOMPARE(WidgetMessagePresenter::minimumTextWidth(metrics, QString(), QString(2000, QLatin1Char('x'))),
                 WidgetMessagePresenter::MaximumTextWidth);
    }
};

QTEST_MAIN(TestWidgetMessagePresenter)
#include "tst_widgetmessagepresenter.moc"
