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
    void titlePathsAndProseShowWhole()
    {
        WidgetMessagePresenter presenter;
        MessageBox::setPresenter(&presenter);
        const QString path =
            QStringLiteral("/home/someone/.local/share/TavroDesk/a-rather-long-folder/tavrodesk.sqlite");
        const QString paragraph = QStringLiteral("A sentence long enough to need wrapping in any box of sane width. ");
        struct Shown
        {
            int labelWidth = 0;
            int labelHeight = 0;
            // What the text needs at the label's width.
            int textHeight = 0;
            int boxWidth = 0;
            int pathWidth = 0;
        };
        const auto show = [&](const QString &title, const QString &text) {
            Shown shown;
            QTimer::singleShot(0, this, [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                QVERIFY(box);
                const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
                QVERIFY(label);
                shown = {label->width(), label->height(),
                         label->fontMetrics()
                             .boundingRect(QRect(0, 0, label->width(), 100000), Qt::TextWordWrap, label->text())
                             .height(),
                         box->width(), label->fontMetrics().horizontalAdvance(path)};
                box->done(QMessageBox::Ok);
            });
            MessageBox::warning(nullptr, title, text);
            return shown;
        };
        const Shown error = show(QStringLiteral("Database error"), QStringLiteral("Could not open database: ") + path +
                                                                       QStringLiteral("\nunable to open"));
        QVERIFY2(error.labelWidth >= error.pathWidth,
                 qPrintable(QStringLiteral("%1 < %2").arg(error.labelWidth).arg(error.pathWidth)));
        QVERIFY(error.boxWidth > error.labelWidth);
        // Long prose wraps inside a box tall enough for all of it.
        const Shown prose = show(QStringLiteral("A title"), paragraph.repeated(4) + QStringLiteral("\n\n") + paragraph);
        QVERIFY2(prose.labelHeight >= prose.textHeight,
                 qPrintable(QStringLiteral("%1 < %2").arg(prose.labelHeight).arg(prose.textHeight)));
        QVERIFY(prose.labelWidth <= WidgetMessagePresenter::MaximumTextWidth + 100);
        MessageBox::setPresenter(nullptr);

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
