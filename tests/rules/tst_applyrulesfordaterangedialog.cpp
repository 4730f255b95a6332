#include "applyrulesfordaterangedialog.h"
#include "clock.h"

#include <QComboBox>
#include <QDateEdit>
#include <QTest>

namespace {
class FakeClock final : public Clock
{
public:
    QDateTime now() const override { return current; }
    QDateTime current;
};

struct Widgets
{
    QComboBox *presets;
    QDateEdit *from;
    QDateEdit *to;
};

Widgets widgetsOf(ApplyRulesForDateRangeDialog &dialog)
{
    return Widgets{dialog.findChild<QComboBox *>(QStringLiteral("cbPresets")),
                   dialog.findChild<QDateEdit *>(QStringLiteral("dateEditFrom")),
                   dialog.findChild<QDateEdit *>(QStringLiteral("dateEditTo"))};
}

void choose(QComboBox *presets, const QString &key)
{
    const int index = presets->findData(key);
    QVERIFY(index >= 0);
    presets->setCurrentIndex(index);
}
} // namespace

class TestApplyRulesForDateRangeDialog : public QObject
{
    Q_OBJECT

private:
    FakeClock m_clock;

private Q_SLOTS:
    void newDialogShowsToday()
    {
        m_clock.current = QDateTime(QDate(2012, 3, 7), QTime(23, 59, 59));
        ApplyRulesForDateRangeDialog dialog(&m_clock);
        const Widgets w = widgetsOf(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Apply Rules for Date Range"));
        QCOMPARE(w.presets->count(), 8);
        QCOMPARE(w.presets->currentText(), QStringLiteral("Today"));
        QCOMPARE(w.from->date(), QDate(2012, 3, 7));
        QCOMPARE(w.to->date(), QDate(2012, 3, 7));
        QCOMPARE(w.presets->itemText(7), QStringLiteral("Custom"));
        QCOMPARE(w.presets->itemData(4).toString(), QStringLiteral("prev week"));
    }

    void presets_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");

        const QDate monday(2012, 3, 5);
        QTest::newRow("Mon today") << monday << "today" << monday << monday;
        QTest::newRow("Mon yesterday") << monday << "yesterday" << QDate(2012, 3, 4) << QDate(2012, 3, 4);
        QTest::newRow("Mon 3 days back") << monday << "3 days back" << QDate(2012, 3, 2) << monday;
        QTest::newRow("Mon this week") << monday << "this week" << monday << QDate(2012, 3, 11);
        QTest::newRow("Mon prev week") << monday << "prev week" << QDate(2012, 2, 27) << QDate(2012, 3, 4);
        QTest::newRow("Mon this month") << monday << "this month" << QDate(2012, 3, 1) << QDate(2012, 3, 31);
        QTest::newRow("Mon prev month") << monday << "prev month" << QDate(2012, 2, 1) << QDate(2012, 2, 29);

        const QDate sunday(2012, 3, 11);
        QTest::newRow("Sun this week") << sunday << "this week" << monday << sunday;
        QTest::newRow("Sun prev week") << sunday << "prev week" << QDate(2012, 2, 27) << QDate(2012, 3, 4);
        QTest::newRow("Sun 3 days back") << sunday << "3 days back" << QDate(2012, 3, 8) << sunday;

        const QDate leap(2012, 3, 31);
        QTest::newRow("31 Mar prev month") << leap << "prev month" << QDate(2012, 2, 1) << QDate(2012, 2, 29);
        QTest::newRow("31 Mar this month") << leap << "this month" << QDate(2012, 3, 1) << leap;
        QTest::newRow("31 Mar this week") << leap << "this week" << QDate(2012, 3, 26) << QDate(2012, 4, 1);
        QTest::newRow("31 Mar prev week") << leap << "prev week" << QDate(2012, 3, 19) << QDate(2012, 3, 25);
        QTest::newRow("31 Mar 2013 prev month")
            << QDate(2013, 3, 31) << "prev month" << QDate(2013, 2, 1) << QDate(2013, 2, 28);
        QTest::newRow("1 Jan yesterday") << QDate(2013, 1, 1) << "yesterday" << QDate(2012, 12, 31)
                                         << QDate(2012, 12, 31);
        QTest::newRow("Jan prev month") << QDate(2013, 1, 15) << "prev month" << QDate(2012, 12, 1)
                                        << QDate(2012, 12, 31);
    }

    void presets()
    {
        QFETCH(QDate, today);
        QFETCH(QString, key);
        QFETCH(QDate, from);
        QFETCH(QDate, to);

        // The dialog is opened on an earlier day: the preset counts from the moment it is chosen.
        m_clock.current = QDateTime(today.addDays(-40), QTime(12, 0));
        ApplyRulesForDateRangeDialog dialog(&m_clock);
        m_clock.current = QDateTime(today, QTime(0, 0, 1));
        const Widgets w = widgetsOf(dialog);
        choose(w.presets, QStringLiteral("custom"));
        choose(w.presets, key);
        QCOMPARE(w.presets->currentData().toString(), key);
        dialog.readDates();
        QCOMPARE(dialog.dateFrom, from);
        QCOMPARE(dialog.dateTo, to);
    }

    void editingADateSwitchesToCustom()
    {
        m_clock.current = QDateTime(QDate(2012, 3, 14), QTime(9, 0));
        ApplyRulesForDateRangeDialog dialog(&m_clock);
        const Widgets w = widgetsOf(dialog);
        choose(w.presets, QStringLiteral("this month"));
        QCOMPARE(w.presets->currentText(), QStringLiteral("This Month"));

        w.to->setDate(QDate(2012, 3, 20));
        QCOMPARE(w.presets->currentData().toString(), QStringLiteral("custom"));
        QCOMPARE(w.from->date(), QDate(2012, 3, 1));
        QCOMPARE(w.to->date(), QDate(2012, 3, 20));

        // Choosing "Custom" itself keeps both dates.
        choose(w.presets, QStringLiteral("custom"));
        w.from->setDate(QDate(2012, 3, 25));
        dialog.readDates();
        QCOMPARE(dialog.dateFrom, QDate(2012, 3, 25));
        QCOMPARE(dialog.dateTo, QDate(2012, 3, 20));
        QCOMPARE(w.presets->currentData().toString(), QStringLiteral("custom"));

        choose(w.presets, QStringLiteral("yesterday"));
        QCOMPARE(w.presets->currentData().toString(), QStringLiteral("yesterday"));
        QCOMPARE(w.from->date(), QDate(2012, 3, 13));
    }

    void unknownKeyGivesNoRange()
    {
        QDate from(2000, 1, 1);
        QDate to(2000, 1, 2);
        QVERIFY(!ApplyRulesForDateRangeDialog::presetRange(QStringLiteral("custom"), QDate(2012, 3, 5), &from, &to));
        QVERIFY(!ApplyRulesForDateRangeDialog::presetRange(QStringLiteral("next year"), QDate(2012, 3, 5), &from, &to));
        QCOMPARE(from, QDate(2000, 1, 1));
        QCOMPARE(to, QDate(2000, 1, 2));
    }
};

QTEST_MAIN(TestApplyRulesForDateRangeDialog)
#include "tst_applyrulesfordaterangedialog.moc"
