#include "logindialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

class TestLoginDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void errorLineOnlyWithErrorText()
    {
        LoginDialog dialog;
        dialog.putData();
        dialog.show();
        auto *error = dialog.findChild<QLabel *>(QStringLiteral("labelError"));
        QVERIFY(!error->isVisible());
        dialog.errorMessage = QStringLiteral("<b>Invalid</b> password");
        dialog.putData();
        QVERIFY(error->isVisible());
        // The service's text is shown as it is, never as markup.
        QCOMPARE(error->textFormat(), Qt::PlainText);
        QCOMPARE(error->text(), dialog.errorMessage);
    }
};

QTEST_MAIN(TestLoginDialog)
#include "tst_logindialog.moc"
