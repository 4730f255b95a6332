#include "logindialog.h"

#include <QCheckBox>
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

    void copiesFieldsBack()
    {
        LoginDialog dialog;
        dialog.putData();
        dialog.findChild<QLineEdit *>(QStringLiteral("editUsername"))->setText(QStringLiteral("me@example.com"));
        dialog.findChild<QLineEdit *>(QStringLiteral("editPassword"))->setText(QStringLiteral("pässwörd"));
        dialog.findChild<QCheckBox *>(QStringLiteral("checkRemember"))->setChecked(true);
        dialog.getData();
        QCOMPARE(dialog.username, QStringLiteral("me@example.com"));
        QCOMPARE(dialog.password, QStringLiteral("pässwörd"));
        QVERIFY(dialog.remember);
    }
};

QTEST_MAIN(TestLoginDialog)
#include "tst_logindialog.moc"
