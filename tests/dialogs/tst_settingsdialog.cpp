#include "settingsdialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private:
    template <typename T> static T *child(SettingsDialog &dialog, const char *name)
    {
        T *widget = dialog.findChild<T *>(QLatin1String(name));
        Q_ASSERT(widget);
        return widget;
    }

private Q_SLOTS:
    void opensWithoutRestartNoteUntilConnectionIsTouched()
    {
        SettingsDialog dialog;
        dialog.values.sslEnabled = true;
        dialog.values.proxyHost = QStringLiteral("proxy.local");
        dialog.putData();
        dialog.show();
        auto *note = child<QLabel>(dialog, "labelProxyNote");
        QVERIFY(!note->isVisible());
        auto *ssl = child<QCheckBox>(dialog, "checkSslEnabled");
        ssl->click();
        ssl->click();
        QVERIFY(note->isVisible());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Settings"));
    }

    void disabledProxyFieldsKeepAndSaveTheirText()
    {
        SettingsDialog dialog;
        dialog.values.proxyEnabled = true;
        dialog.values.proxyHost = QStringLiteral("proxy.local");
        dialog.values.proxyPort = QStringLiteral("3128");
        dialog.putData();
        auto *host = child<QLineEdit>(dialog, "editProxyHost");
        QVERIFY(host->isEnabled());
        child<QCheckBox>(dialog, "checkProxyEnabled")->click();
        QVERIFY(!host->isEnabled());
        QVERIFY(!child<QLineEdit>(dialog, "editProxyPort")->isEnabled());
        dialog.getData();
        QCOMPARE(dialog.values.proxyEnabled, false);
        QCOMPARE(dialog.values.proxyHost, QStringLiteral("proxy.local"));
        QCOMPARE(dialog.values.proxyPort, QStringLiteral("3128"));
    }

    void awayLimitFollowsDetectionAndStaysInRange()
    {
        SettingsDialog dialog;
        dialog.values.idleEnabled = false;
        dialog.values.idleLimit = 7;
        dialog.putData();
        auto *spin = child<QSpinBox>(dialog, "spinAwayLimit");
        QVERIFY(!spin->isEnabled());
        QCOMPARE(spin->minimum(), 1);
        QCOMPARE(spin->maximum(), 99);
        spin->setValue(150);
        QCOMPARE(spin->value(), 99);
        spin->setValue(0);
        QCOMPARE(spin->value(), 1);
        child<QCheckBox>(dialog, "checkAwayEnabled")->click();
        QVERIFY(spin->isEnabled());
        spin->setValue(12);
        dialog.getData();
        QCOMPARE(dialog.values.idleEnabled, true);
        QCOMPARE(dialog.values.idleLimit, 12);
    }

    void roundTripsEveryValue()
    {
        SettingsDialog dialog;
        SettingsFile::DialogValues values;
        values.idleLimit = 42;
        values.idleEnabled = true;
        values.username = QStringLiteral("anna@example.com");
        values.password = QStringLiteral("sécret");
        values.proxyEnabled = true;
        values.proxyHost = QStringLiteral("h");
        values.proxyPort = QStringLiteral("not a number");
        values.sslEnabled = false;
        values.closeToTray = false;
        values.minimizeToTray = true;
        values.singleClickTrayOpen = false;
        dialog.values = values;
        dialog.putData();
        dialog.values = SettingsFile::DialogValues();
        dialog.getData();
        QCOMPARE(dialog.values.idleLimit, 42);
        QCOMPARE(dialog.values.username, values.username);
        QCOMPARE(dialog.values.password, values.password);
        QCOMPARE(dialog.values.proxyPort, values.proxyPort);
        QCOMPARE(dialog.values.sslEnabled, false);
        QCOMPARE(dialog.values.closeToTray, false);
        QCOMPARE(dialog.values.minimizeToTray, true);
        QCOMPARE(dialog.values.singleClickTrayOpen, false);
        QCOMPARE(child<QLineEdit>(dialog, "editPassword")->echoMode(), QLineEdit::Password);
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
