#include "settingsdialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

namespace {
template <typename T> T *child(SettingsDialog &dialog, const char *name)
{
    return dialog.findChild<T *>(QLatin1String(name));
}

QVariantList fields(const SettingsFile::DialogValues &v)
{
    return {v.idleLimit,       v.idleEnabled,    v.inhibitedIdleIsPresence,
            v.username,        v.password,       v.proxyEnabled,
            v.proxyHost,       v.proxyPort,      v.sslEnabled,
            v.closeToTray,     v.minimizeToTray, v.singleClickTrayOpen,
            v.checkForUpdates, v.updateFeedUrl,  v.helpUrl};
}
} // namespace

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void connectionNoteOnlyOnceConnectionIsTouched()
    {
        SettingsDialog dialog;
        dialog.values.proxyHost = QStringLiteral("proxy.local");
        dialog.values.sslEnabled = false;
        dialog.serviceUrl = QStringLiteral("http://tavro.example/service/");
        dialog.putData();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *note = child<QLabel>(dialog, "labelProxyNote");
        QVERIFY(!note->isVisible());
        const QSize before = dialog.sizeHint();
        child<QCheckBox>(dialog, "checkSslEnabled")->click();
        QVERIFY(note->isVisible());
        // SSL on a plain http address changes nothing, and the user is told so.
        QCOMPARE(note->text(), SettingsDialog::sslNote(dialog.serviceUrl, true));
        QVERIFY(note->text().contains(QStringLiteral("does not encrypt")));
        QVERIFY(!SettingsDialog::sslNote(QStringLiteral("https://tavro.example/"), true)
                     .contains(QStringLiteral("does not encrypt")));
        // The note had its room already: the dialog does not grow, and fits a 1280 x 800 screen.
        QVERIFY(dialog.sizeHint().height() <= before.height());
        QCOMPARE(dialog.sizeHint().width(), before.width());
        QVERIFY2(before.height() <= 700 && before.width() <= 1200,
                 qPrintable(QStringLiteral("%1 x %2").arg(before.width()).arg(before.height())));
    }

    void startAtLoginAndKeyringNote()
    {
        SettingsDialog dialog;
        dialog.startAtLogin = true;
        dialog.keyringNote = QStringLiteral("No keyring took your password.");
        dialog.putData();
        dialog.show();
        QVERIFY(child<QLabel>(dialog, "labelKeyringNote")->isVisible());
        QCOMPARE(child<QLabel>(dialog, "labelKeyringNote")->text(), dialog.keyringNote);
        auto *box = child<QCheckBox>(dialog, "checkStartAtLogin");
        QVERIFY(box->isChecked());
        // Alt+L toggles it (scripts/package-test.sh relies on it).
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(&dialog, Qt::Key_L, Qt::AltModifier);
        QTRY_VERIFY(!box->isChecked());
        dialog.getData();
        QVERIFY(!dialog.startAtLogin);

        SettingsDialog withKeyring;
        withKeyring.putData();
        withKeyring.show();
        QVERIFY(!child<QLabel>(withKeyring, "labelKeyringNote")->isVisible());
        QVERIFY(!child<QCheckBox>(withKeyring, "checkStartAtLogin")->isChecked());
    }

    void disabledFieldsKeepTheirValues()
    {
        SettingsDialog dialog;
        dialog.values.proxyEnabled = true;
        dialog.values.proxyHost = QStringLiteral("proxy.local");
        dialog.values.proxyPort = QStringLiteral("3128");
        dialog.values.idleEnabled = false;
        dialog.putData();
        auto *spin = child<QSpinBox>(dialog, "spinAwayLimit");
        QVERIFY(!spin->isEnabled());
        spin->setValue(150);
        QCOMPARE(spin->value(), 99);
        spin->setValue(0);
        QCOMPARE(spin->value(), 1);
        child<QCheckBox>(dialog, "checkProxyEnabled")->click();
        QVERIFY(!child<QLineEdit>(dialog, "editProxyHost")->isEnabled());
        QVERIFY(!child<QLineEdit>(dialog, "editProxyPort")->isEnabled());
        child<QCheckBox>(dialog, "checkAwayEnabled")->click();
        QVERIFY(spin->isEnabled());
        dialog.getData();
        QCOMPARE(dialog.values.proxyEnabled, false);
        QCOMPARE(dialog.values.proxyHost, QStringLiteral("proxy.local"));
        QCOMPARE(dialog.values.proxyPort, QStringLiteral("3128"));
        QCOMPARE(dialog.values.idleEnabled, true);
    }

    void roundTripsEveryValue()
    {
        // Every value differs from its default, so a field left unread shows.
        const SettingsFile::DialogValues values{42,
                                                false,
                                                false,
                                                QStringLiteral("anna@example.com"),
                                                QStringLiteral("sécret"),
                                                true,
                                                QStringLiteral("h"),
                                                QStringLiteral("not a number"),
                                                false,
                                                false,
                                                true,
                                                false,
                                                false,
                                                QStringLiteral("http://127.0.0.1:8080/feed.xml"),
                                                QStringLiteral("http://127.0.0.1:8080/help.html")};
        SettingsDialog dialog;
        dialog.values = values;
        dialog.putData();
        dialog.values = SettingsFile::DialogValues();
        dialog.getData();
        QCOMPARE(fields(dialog.values), fields(values));
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
