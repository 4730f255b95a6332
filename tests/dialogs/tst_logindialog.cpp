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
        dialog.username = QStringLiteral("demo@tavro.test");
        dialog.putData();
        dialog.show();
        auto *error = dialog.findChild<QLabel *>(QStringLiteral("labelError"));
        QVERIFY(error);
        QVERIFY(!error->isVisible());

        dialog.errorMessage = QStringLiteral("<b>Invalid</b> password");
        dialog.putData();
        QVERIFY(error->isVisible());
        // The service's text is shown as it is, never as markup.
        QCOMPARE(error->textFormat(), Qt::PlainText);
        QCOMPARE(error->text(), dialog.errorMessage);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Login"));
    }

    void copiesFieldsBackButNotTheError()
    {
        LoginDialog dialog;
        dialog.errorMessage = QStringLiteral("bad");
        dialog.putData();
        dialog.findChild<QLineEdit *>(QStringLiteral("editUsername"))->setText(QStringLiteral("me@example.com"));
        dialog.findChild<QLineEdit *>(QStringLiteral("editPassword"))->setText(QStringLiteral("pässwörd"));
        dialog.findChild<QCheckBox *>(QStringLiteral("checkRemember"))->setChecked(true);
        dialog.errorMessage.clear();
        dialog.getData();
        QCOMPARE(dialog.username, QStringLiteral("me@example.com"));
        QCOMPARE(dialog.password, QStringLiteral("pässwörd"));
        QVERIFY(dialog.remember);
        QVERIFY(dialog.errorMessage.isEmpty());
    }

    void tabOrderFollowsTheFields()
    {
        LoginDialog dialog;
        auto nextTabStop = [](QWidget *widget) {
            do {
                widget = widget->nextInFocusChain();
            } while (!(widget->focusPolicy() & Qt::TabFocus));
            return widget;
        };
        auto *username = dialog.findChild<QLineEdit *>(QStringLiteral("editUsername"));
        auto *password = dialog.findChild<QLineEdit *>(QStringLiteral("editPassword"));
        auto *remember = dialog.findChild<QCheckBox *>(QStringLiteral("checkRemember"));
        QCOMPARE(nextTabStop(username), password);
        QCOMPARE(nextTabStop(password), remember);
        QCOMPARE(nextTabStop(remember)->parentWidget()->objectName(), QStringLiteral("buttonBox"));
    }
};

QTEST_MAIN(TestLoginDialog)
#include "tst_logindialog.moc"
