#include "applyrulesfordaterangedialog.h"
#include "rulefakes.h"

#include <QComboBox>
#include <QDateEdit>
#include <QTest>

namespace {
void row(const char *today, const char *key, const char *from, const char *to)
{
    QTest::newRow(qPrintable(QLatin1String(today) + QLatin1Char(' ') + QLatin1String(key)))
        << QDate::fromString(QLatin1String(today), Qt::ISODate) << QString::fromLatin1(key)
        << QDate::fromString(QLatin1String(from), Qt::ISODate) << QDate::fromString(QLatin1String(to), Qt::ISODate);
}
} // namespace

class TestApplyRulesForDateRangeDialog : public QObject
{
    Q_OBJECT

private:
    FakeClock m_clock;

    static void choose(ApplyRulesForDateRangeDialog &dialog, const char *key)
    {
        auto *presets = dialog.findChild<QComboBox *>(QStringLiteral("cbPresets"));
        presets->setCurrentIndex(presets->findData(QLatin1String(key)));
        QCOMPARE(presets->currentData().toString(), QLatin1String(key));
    }

private Q_SLOTS:
    void presets_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");

        // 5 March 2012 is a Monday, 11 March the Sunday of the same week.
        row("2012-03-05", "yesterday", "2012-03-04", "2012-03-04");
        row("2012-03-05", "3 days back", "2012-03-02", "2012-03-05");
        row("2012-03-05", "this week", "2012-03-05", "2012-03-11");
        row("2012-03-05", "prev week", "2012-02-27", "2012-03-04");
        row("2012-03-05", "this month", "2012-03-01", "2012-03-31");
        row("2012-03-11", "this week", "2012-03-05", "2012-03-11");
        row("2012-03-11", "prev week", "2012-02-27", "2012-03-04");
        row("2012-03-31", "prev month", "2012-02-01", "2012-02-29");
        row("2012-03-31", "this week", "2012-03-26", "2012-04-01");
    }

    void presets()
    {
        QFETCH(QDate, today);
        QFETCH(QString, key);
        // The dialog is opened on an earlier day: the preset counts from the moment it is chosen.
        m_clock.current = QDateTime(today.addDays(-40), QTime(12, 0));
        ApplyRulesForDateRangeDialog dialog(&m_clock);
        m_clock.current = QDateTime(today, QTime(0, 0, 1));
        choose(dialog, "custom");
        choose(dialog, qPrintable(key));
        dialog.readDates();
        QTEST(dialog.dateFrom, "from");
        QTEST(dialog.dateTo, "to");
    }

    void editingADateSwitchesToCustom()
    {
        m_clock.current = QDateTime(QDate(2012, 3, 14), QTime(23, 59, 59));
        ApplyRulesForDateRangeDialog dialog(&m_clock);
        auto *presets = dialog.findChild<QComboBox *>(QStringLiteral("cbPresets"));
        auto *from = dialog.findChild<QDateEdit *>(QStringLiteral("dateEditFrom"));
        auto *to = dialog.findChild<QDateEdit *>(QStringLiteral("dateEditTo"));
        choose(dialog, "this month");
        to->setDate(QDate(2012, 3, 20));
        QCOMPARE(presets->currentData().toString(), QStringLiteral("custom"));
        QCOMPARE(from->date(), QDate(2012, 3, 1));

        // Choosing "Custom" itself keeps both dates.
        choose(dialog, "custom");
        from->setDate(QDate(2012, 3, 25));
        dialog.readDates();
        QCOMPARE(dialog.dateFrom, QDate(2012, 3, 25));
        QCOMPARE(dialog.dateTo, QDate(2012, 3, 20));
    }
};

QTEST_MAIN(TestApplyRulesForDateRangeDialog)
#include "tst_applyrulesfordaterangedialog.moc"
