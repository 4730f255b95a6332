#include "addruledialog.h"
#include "cataloguereader.h"
#include "recordingpresenter.h"
#include "ruletestdb.h"
#include "storedentries.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

namespace {
// The catalogue as the session loads it from the service's reply (one character per byte of its UTF-8).
const ProjectsCatalogue &catalogue()
{
    static ProjectsCatalogue catalogue;
    QFile file(qEnvironmentVariable("TAVRO_TEST_DATA") + QStringLiteral("/projects-rules.xml"));
    if (!catalogue.isUsable() && file.open(QIODevice::ReadOnly)) {
        CatalogueReader::load(QString::fromLatin1(file.readAll()), catalogue);
    }
    return catalogue;
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
        QVERIFY(!catalogue().projects().isEmpty());
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
        QTest::newRow("between") << QStringLiteral("between") << QStringLiteral("radioDateInterval") << from << to;
        QTest::newRow("before") << QStringLiteral("before") << QStringLiteral("radioUntilDate") << QDate() << to;
    }

    void roundTrip()
    {
        QFETCH(QString, dateRule);
        QFETCH(QString, radio);
        const QList<int> apps{m_gone, m_zeta};
        RuleFields stored{QStringLiteral("Mail rule"), apps,     QStringLiteral("exact"),
                          QStringLiteral("Inbox"),     dateRule, QDate(2012, 3, 5),
                          QDate(2012, 3, 7),           2,        202};
        AddRuleDialog dialog(nullptr, catalogue(), StoredEntries().applications());
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
        std::tie(stored.dateFrom, stored.dateTo) = std::tie(from, to);
        QCOMPARE(dialog.fields(), stored);
    }

    void acceptingWithoutApplicationKeepsInput()
    {
        AddRuleDialog dialog(nullptr, catalogue(), StoredEntries().applications());
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
};

QTEST_MAIN(TestAddRuleDialog)
#include "tst_addruledialog.moc"
