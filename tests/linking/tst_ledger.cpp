#include "ledgerrig.h"

#include <QLoggingCategory>
#include <QTest>

// Random sequences of recording, linking, unlinking and settling against the development service,
// with its faults, in the time zone the test runs in (CTest runs it in several). The seed of a
// failing sequence is printed; LEDGER_SEED replays one, LEDGER_SEQUENCES and LEDGER_STEPS size the run.
class TestLedger : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every step logs its service calls; a failure prints the steps instead.
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

    void serviceHoldsWhatIsLinked()
    {
        const int sequences =
            qEnvironmentVariableIntValue("LEDGER_SEQUENCES") > 0 ? qEnvironmentVariableIntValue("LEDGER_SEQUENCES") : 6;
        const int steps =
            qEnvironmentVariableIntValue("LEDGER_STEPS") > 0 ? qEnvironmentVariableIntValue("LEDGER_STEPS") : 40;
        const bool replay = qEnvironmentVariableIsSet("LEDGER_SEED");
        const quint32 first =
            replay ? quint32(qEnvironmentVariableIntValue("LEDGER_SEED")) : quint32(QDateTime::currentSecsSinceEpoch());
        for (int sequence = 0; sequence < (replay ? 1 : sequences); ++sequence) {
            const quint32 seed = first + quint32(sequence);
            LedgerRig rig(seed);
            bool ok = rig.start();
            for (int step = 0; ok && step < steps; ++step) {
                ok = rig.step();
            }
            if (!ok) {
                qWarning().noquote() << "steps of seed" << seed << ":\n" << rig.history().join(QLatin1Char('\n'));
            }
            QVERIFY2(ok, qPrintable(QStringLiteral("TZ=%1 LEDGER_SEED=%2: %3")
                                        .arg(qEnvironmentVariable("TZ"))
                                        .arg(seed)
                                        .arg(rig.failure())));
        }
    }
};

QTEST_MAIN(TestLedger)
#include "tst_ledger.moc"
