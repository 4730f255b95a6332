#include "devserver.h"
#include "devservicestore.h"
#include "entrieslist.h"
#include "mainwindow.h"
#include "rulestore.h"
#include "settingsfile.h"
#include "testsupport.h"
#include "timetree.h"
#include "weekchart.h"
#include "weekview.h"
#include "widgetmessagepresenter.h"
#include "windowgallery.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <functional>

namespace {
// The window whose keys are pressed when nothing has the focus yet.
QWidget *mainWindow = nullptr;

// Presses a key on whatever has the keyboard focus, as the user's keyboard would.
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *target = QApplication::activePopupWidget();
    for (QWidget *next : {QApplication::focusWidget(), QApplication::activeWindow(), mainWindow}) {
        target = target ? target : next;
    }
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

void type(const QString &text)
{
    QTest::keyClicks(QApplication::focusWidget(), text);
}

// Presses Tab until `widget` has the focus; false when it never comes.
bool tabTo(QWidget *widget)
{
    for (int presses = 0; presses < 60; ++presses) {
        if (widget->hasFocus() || (widget->focusProxy() && widget->focusProxy()->hasFocus())) {
            return true;
        }
        press(Qt::Key_Tab);
    }
    return false;
}

// A window manager gives the keyboard back to the window when a dialog closes; the offscreen
// platform of the tests does not.
void backToWindow()
{
    mainWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(mainWindow));
}

// Drives the modal dialog (or message box) the next key press opens, once it is up.
void whenModal(std::function<void(QWidget *)> drive)
{
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, drive] {
        QWidget *dialog = QApplication::activeModalWidget();
        QWidget *focus = QApplication::focusWidget();
        if (dialog && dialog->isVisible() && focus && focus->window() == dialog) {
            poll->deleteLater();
            poll->stop();
            drive(dialog);
            // A dialog the keys failed to close would hold the test: it fails instead.
            QTimer::singleShot(3000, qApp, [open = QPointer<QWidget>(dialog)] {
                if (auto *left = qobject_cast<QDialog *>(open.data()); left && left->isVisible()) {
                    left->reject();
                }
            });
        }
    });
    poll->start(20);
}

// The letter after a single '&', lower-cased; none for "&&" or no mark.
QChar accessKey(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&')) {
            if (text.at(i + 1) != QLatin1Char('&')) {
                return text.at(i + 1).toLower();
            }
            ++i;
        }
    }
    return {};
}

// Every access key one window answers to, with what carries it.
QMultiMap<QChar, QString> accessKeys(QWidget *window)
{
    QMultiMap<QChar, QString> keys;
    const auto add = [&keys](const QString &text, const QString &owner) {
        const QChar key = accessKey(text);
        if (!key.isNull()) {
            keys.insert(key, owner + QStringLiteral(" \"") + text + QLatin1Char('"'));
        }
    };
    for (QWidget *child : window->findChildren<QWidget *>()) {
        if (!child->isVisibleTo(window) || child->window() != window) {
            continue;
        }
        if (auto *button = qobject_cast<QAbstractButton *>(child)) {
            add(button->text(), child->objectName());
        } else if (auto *label = qobject_cast<QLabel *>(child); label && label->buddy()) {
            add(label->text(), child->objectName());
        } else if (auto *group = qobject_cast<QGroupBox *>(child); group && group->isCheckable()) {
            add(group->title(), child->objectName());
        } else if (auto *bar = qobject_cast<QMenuBar *>(child)) {
            for (QAction *menu : bar->actions()) {
                add(menu->text(), QStringLiteral("menu"));
            }
        }
    }
    return keys;
}
} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_store.open(QStringLiteral(":memory:")));
        QVERIFY(m_server.listen());
        QVERIFY(SettingsFile::ensureFolders());
        // Every run starts from an empty database.
        QFile::remove(SettingsFile::databasePath());
        QSettings ini(SettingsFile::iniPath(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("API/Url"), m_server.url().toString());
        ini.setValue(QStringLiteral("API/Username"), QStringLiteral("demo@tavro.test"));
        ini.setValue(QStringLiteral("API/Password"), SettingsFile::encodePassword(QStringLiteral("demo")));
        ini.setValue(QStringLiteral("Application/Started"), false);
    }

    // Recording, linking, unlinking, a new rule, an export and the settings, from the keyboard alone.
    void everyFlowByKeyboard()
    {
        WidgetMessagePresenter presenter;
        MessageBox::setPresenter(&presenter);
        MainWindow window;
        mainWindow = &window;
        WindowGallery::addSampleDay(window.selectedDate());
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTRY_VERIFY(window.isInitialised());
        QTRY_VERIFY(window.findChild<QAction *>(QStringLiteral("actionLogout"))->isEnabled());
        const int user = m_store.authenticate(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));

        // Tab reaches the record button; Space switches recording on and off.
        auto *record = window.findChild<QPushButton *>(QStringLiteral("btnRecord"));
        QVERIFY(tabTo(record));
        press(Qt::Key_Space);
        QVERIFY(window.isRecording());
        press(Qt::Key_Space);
        QVERIFY(!window.isRecording());

        // Ctrl+F finds the entry filter wherever the focus is.
        press(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("editFilter"));

        // The longest application's time goes to the service with the link dialog's first task.
        auto *unlinked = window.findChild<TimeTree *>(QStringLiteral("appList"));
        QVERIFY(tabTo(unlinked));
        press(Qt::Key_End);
        press(Qt::Key_Home);
        // What the service holds for the user, in seconds.
        const auto booked = [this, user] {
            int seconds = 0;
            for (const DevServiceStore::Entry &entry : m_store.entries(user)) {
                seconds += entry.duration;
            }
            return seconds;
        };
        const int before = booked();
        whenModal([](QWidget *) { press(Qt::Key_Return); });
        press(Qt::Key_L, Qt::ControlModifier);
        backToWindow();
        QTRY_COMPARE(booked(), before + 85 * 60);

        // Unlinking asks first: Enter keeps the link; Tab to the other button and Space take the
        // entry's time back off the service.
        auto *linked = window.findChild<EntriesList *>(QStringLiteral("linkedEntries"));
        QVERIFY(tabTo(linked));
        // The last entry under the project, opened with '*'.
        press(Qt::Key_Home);
        press(Qt::Key_Asterisk);
        press(Qt::Key_End);
        whenModal([](QWidget *) { press(Qt::Key_Return); });
        press(Qt::Key_U, Qt::ControlModifier);
        backToWindow();
        QCOMPARE(booked(), before + 85 * 60);
        whenModal([](QWidget *) {
            press(Qt::Key_Tab);
            press(Qt::Key_Space);
        });
        press(Qt::Key_U, Qt::ControlModifier);
        backToWindow();
        QTRY_VERIFY(booked() < before + 85 * 60);

        // Rules > New Rule: a name, an application moved across, the first task; Enter stores it.
        const qsizetype rules = RuleStore::loadActiveRules().size();
        whenModal([](QWidget *dialog) {
            type(QStringLiteral("Terminal work"));
            press(Qt::Key_V, Qt::AltModifier);
            press(Qt::Key_End);
            press(Qt::Key_Home);
            QVERIFY(tabTo(dialog->findChild<QWidget *>(QStringLiteral("btnMoveToSelected"))));
            press(Qt::Key_Space);
            // Back in the name field Enter means OK, not the focused arrow button.
            press(Qt::Key_N, Qt::AltModifier);
            press(Qt::Key_Return);
        });
        press(Qt::Key_R, Qt::AltModifier);
        press(Qt::Key_N);
        backToWindow();
        QCOMPARE(RuleStore::loadActiveRules().size(), rules + 1);

        // Ctrl+E exports the shown day to the file typed in.
        QTemporaryDir folder;
        const QString exported = folder.filePath(QStringLiteral("day.csv"));
        whenModal([exported](QWidget *) {
            press(Qt::Key_I, Qt::AltModifier);
            press(Qt::Key_A, Qt::ControlModifier);
            type(exported);
            press(Qt::Key_Return);
        });
        press(Qt::Key_E, Qt::ControlModifier);
        backToWindow();
        QVERIFY(QFile::exists(exported));

        // File > Settings: Alt+T ticks "Close to tray", Enter keeps it.
        whenModal([](QWidget *) {
            press(Qt::Key_T, Qt::AltModifier);
            press(Qt::Key_Return);
        });
        press(Qt::Key_F, Qt::AltModifier);
        press(Qt::Key_E);
        backToWindow();

        // The week button opens the week; the day chosen there by keys opens in the window.
        QVERIFY(tabTo(window.findChild<QPushButton *>(QStringLiteral("btnWeek"))));
        press(Qt::Key_Space);
        auto *week = window.findChild<WeekView *>(QStringLiteral("weekView"));
        QVERIFY(week->isVisible());
        QTRY_VERIFY(QApplication::activeWindow() == week);
        QVERIFY(tabTo(week->chart()));
        // One day down from Monday, or two where that is the day shown already.
        const int down = window.selectedDate() == week->weekStart().addDays(1) ? 2 : 1;
        press(Qt::Key_Home);
        for (int i = 0; i < down; ++i) {
            press(Qt::Key_Down);
        }
        press(Qt::Key_Return);
        QCOMPARE(window.selectedDate(), week->weekStart().addDays(down));
        week->close();
        backToWindow();

        // Ctrl+Q ends the program even though closing now only hides the window.
        press(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!window.isVisible());
        // Quitting saved the settings, "Close to tray" among them.
        QVERIFY(QSettings(SettingsFile::iniPath(), QSettings::IniFormat)
                    .value(QStringLiteral("Application/CloseToTray"))
                    .toBool());
        MessageBox::setPresenter(nullptr);
        mainWindow = nullptr;
    }

    void accessKeysAreUniquePerWindow_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << QString();
        QTest::newRow("German") << QStringLiteral(":/i18n/tavrodesk_de.qm");
    }

    // In every window and dialog an access key leads to one control only, in each language.
    void accessKeysAreUniquePerWindow()
    {
        QFETCH(QString, language);
        QTranslator translator;
        if (!language.isEmpty()) {
            QVERIFY(translator.load(language));
            QCoreApplication::installTranslator(&translator);
        }
        QStringList clashes;
        {
            MainWindow window;
            window.show();
            QTRY_VERIFY(window.isInitialised());
            QList<QWidget *> windows{&window};
            windows += WindowGallery::openDialogs(&window, TestSupport::fixtureReply(QStringLiteral("projects.xml")));
            for (QWidget *shown : std::as_const(windows)) {
                const QMultiMap<QChar, QString> keys = accessKeys(shown);
                for (const QChar &key : keys.uniqueKeys()) {
                    if (keys.count(key) > 1) {
                        clashes << QStringLiteral("%1: Alt+%2 for %3")
                                       .arg(shown->objectName(), key,
                                            QStringList(keys.values(key)).join(QStringLiteral(", ")));
                    }
                }
            }
        }
        QCoreApplication::removeTranslator(&translator);
        QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join(QLatin1Char('\n'))));
    }

private:
    DevServiceStore m_store;
    DevServer m_server{&m_store};
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
