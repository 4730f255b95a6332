#include "mainwindow.h"
#include "recordingpresenter.h"
#include "settingsdialog.h"
#include "settingsfile.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QSettings>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestMainWindowStartup : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_home;

    // Answers the next modal dialog once it is up.
    static void whenDialogOpens(const std::function<void(QDialog *)> &answer)
    {
        QTimer::singleShot(0, qApp, [answer] {
            QTRY_VERIFY(qobject_cast<QDialog *>(QApplication::activeModalWidget()));
            answer(qobject_cast<QDialog *>(QApplication::activeModalWidget()));
        });
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"}) {
            qputenv(name, (m_home->path() + QLatin1Char('/') + QLatin1String(name)).toUtf8());
        }
    }

    void firstStartAskForSettingsAndWritesThem()
    {
        bool sawDialog = false;
        whenDialogOpens([&sawDialog](QDialog *dialog) {
            sawDialog = qobject_cast<SettingsDialog *>(dialog) != nullptr;
            dialog->findChild<QLineEdit *>(QStringLiteral("editUsername"))->setText(QStringLiteral("new@example.com"));
            dialog->findChild<QLineEdit *>(QStringLiteral("editPassword"))->setText(QStringLiteral("Grüße"));
            dialog->accept();
        });
        MainWindow window;
        QVERIFY(sawDialog);
        QVERIFY(window.isUsable());
        QCOMPARE(window.windowTitle(), QStringLiteral("TavroDesk"));

        const QString folder = SettingsFile::dataFolder();
        QCOMPARE(QFile::permissions(folder) & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
                 QFileDevice::Permissions());
        QSettings ini(SettingsFile::iniPath(), QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("API/Url")).toString(), SettingsFile::defaultServiceUrl());
        QCOMPARE(ini.value(QStringLiteral("API/Username")).toString(), QStringLiteral("new@example.com"));
        QCOMPARE(SettingsFile::decodePassword(ini.value(QStringLiteral("API/Password")).toString()),
                 QStringLiteral("Grüße"));
        // No keyring answers here: the password stays in the ini, and that is remembered.
        QCOMPARE(ini.value(QStringLiteral("API/Keyring")).toString(), QStringLiteral("refused"));
        QCOMPARE(ini.allKeys().size(), 17);

        QSqlQuery tables(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                                        "('entries', 'applications', 'settings', 'rules', 'rules_apps')"));
        QVERIFY(tables.next());
        QCOMPARE(tables.value(0).toInt(), 5);
    }

    void cancelledFirstStartWritesNothingAndUsesDefaults()
    {
        whenDialogOpens([](QDialog *dialog) { dialog->reject(); });
        {
            MainWindow window;
            QVERIFY(!QFile::exists(SettingsFile::iniPath()));
        }
        // Without a close event nothing was saved, so the next start asks again.
        bool askedAgain = false;
        whenDialogOpens([&askedAgain](QDialog *dialog) {
            askedAgain = true;
            dialog->reject();
        });
        MainWindow window;
        QVERIFY(askedAgain);
        window.close();
        QVERIFY(QFile::exists(SettingsFile::iniPath()));
    }

    void unopenableDatabaseShowsPathAndDriverText()
    {
        QVERIFY(QDir().mkpath(SettingsFile::databasePath()));
        QSettings(SettingsFile::iniPath(), QSettings::IniFormat).setValue(QStringLiteral("API/Url"), QString());
        RecordingPresenter presenter;
        MainWindow window;
        QVERIFY(!window.isUsable());
        QCOMPARE(presenter.boxes().size(), 1);
        QCOMPARE(presenter.lastTitle(), QStringLiteral("Database error"));
        const QStringList lines = presenter.lastText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.at(0), QStringLiteral("Could not open database: ") + SettingsFile::databasePath());
        QVERIFY(!lines.at(1).isEmpty());
    }
};

QTEST_MAIN(TestMainWindowStartup)
#include "tst_mainwindowstartup.moc"
