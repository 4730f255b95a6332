#include "addruledialog.h"
#include "recordingpresenter.h"
#include "ruletestdb.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

namespace {
// The catalogue as the settings map caches it: one character per byte of the UTF-8 reply.
QString catalogue()
{
    QFile file(qEnvironmentVariable("TAVRO_TEST_DATA") + QStringLiteral("/projects-rules.xml"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

template <typename T> T *child(const QDialog &dialog, const char *name)
{
    return dialog.findChild<T *>(QLatin1String(name));
}
} // namespace

class TestAddRuleDialog : public QObject
{
    Q_OBJECT

private:
    RuleTestDb m_db;
    RecordingPresenter m_presenter;
    int m_zeta = 0;
    int m_gone = 0;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_db.open());
        QVERIFY(!catalogue().isEmpty());
        m_zeta = RuleTestDb::addApp(QCoreApplication::applicationFilePath(), QStringLiteral("Zeta"));
        m_gone = RuleTestDb::addApp(QStringLiteral("/no/such/program"), QStringLiteral("Gone"));
    }

    void init() { m_presenter.clear(); }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("dateRule");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");

        const QDate from(2012, 3, 5);
        const QDate to(2012, 3, 7);
        QTest::newRow("always") << QStringLiteral("always") << QStringLiteral("radioAnyDate") << QDate() << QDate();
        QTest::newRow("after") << QStringLiteral("after") << QStringLiteral("radioFromDate") << from << QDate();
        QTest::newRow("between") << QStringLiteral("between") << QStringLiteral("radioDateInterval") << from << to;
        QTest::newRow("before") << QStringLiteral("before") << QStringLiteral("radioUntilDate") << QDate() << to;
    }

    void roundTrip()
    {
        QFETCH(QString, dateRule);
        QFETCH(QString, radio);
        RuleFields stored = ruleFields(QStringLiteral("Mail rule"), {m_gone, m_zeta}, "exact", QStringLiteral("Inbox"),
                                       qPrintable(dateRule), QDate(2012, 3, 5), QDate(2012, 3, 7), 2, 202);
        AddRuleDialog dialog(nullptr, catalogue());
        dialog.setFields(stored);
        dialog.isUpdate = true;
        dialog.putData();
        QVERIFY(dialog.findChild<QRadioButton *>(radio)->isChecked());

        // Only the dates the condition uses are read back; an application that is gone drops out.
        dialog.setFields(RuleFields());
        dialog.getData();
        stored.appIds = {m_zeta};
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        stored.dateFrom = from;
        stored.dateTo = to;
        QCOMPARE(dialog.fields(), stored);
    }

    void acceptingWithoutApplicationKeepsInput()
    {
        AddRuleDialog dialog(nullptr, catalogue());
        dialog.name = QStringLiteral("Unfinished");
        dialog.title = QStringLiteral("report");
        dialog.putData();
        dialog.show();
        dialog.accept();
        QCOMPARE(m_presenter.boxes().size(), 1);
        QCOMPARE(m_presenter.boxes().first().text, QStringLiteral("Select at least one application."));
        QVERIFY(dialog.isVisible());
        QCOMPARE(child<QLineEdit>(dialog, "editName")->text(), QStringLiteral("Unfinished"));
        QCOMPARE(child<QLineEdit>(dialog, "editTitle")->text(), QStringLiteral("report"));

        dialog.selectApplication(m_zeta);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(m_presenter.boxes().size(), 1);
    }

    void regexpErrorShownWhileTyping()
    {
        AddRuleDialog dialog(nullptr, catalogue());
        dialog.titleRule = QStringLiteral("regexp");
        dialog.putData();
        const auto *error = child<QLabel>(dialog, "labelTitleError");
        auto *title = child<QLineEdit>(dialog, "editTitle");
        title->setText(QStringLiteral("^(mail"));
        QVERIFY2(error->text().startsWith(QStringLiteral("Invalid regular expression: ")), qPrintable(error->text()));
        QVERIFY(!error->isHidden());
        // Plain words are not patterns.
        child<QComboBox>(dialog, "cbTitleRule")->setCurrentIndex(1);
        QVERIFY(error->isHidden());
        child<QComboBox>(dialog, "cbTitleRule")->setCurrentIndex(3);
        QVERIFY(!error->isHidden());
        title->setText(QStringLiteral("^(mail)"));
        QVERIFY(error->isHidden());
        // The pattern can still be saved.
        title->setText(QStringLiteral("["));
        dialog.getData();
        QCOMPARE(dialog.title, QStringLiteral("["));
    }
};

QTEST_MAIN(TestAddRuleDialog)
#include "tst_addruledialog.moc"
