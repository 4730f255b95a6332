#pragma once

#include "devserver.h"
#include "linkingfixture.h"
#include "linkstore.h"
#include "recorder.h"
#include "recordingfakes.h"
#include "recordingpresenter.h"
#include "ruleengine.h"
#include "rulepreview.h"
#include "windowprobe.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QRandomGenerator>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

class TreeModel;

// A model-based check of the ledger of booked time. It drives the real recorder, linking presenter,
// booking service, rule engine and store against the development service through random steps:
// recording across the local clock changes and midnight, linking by selection and by rules, unlinking
// entries and whole nodes, settling, faults of the service on any call. After every step it checks
// that the service holds exactly what the store says is linked, and that trees, timeline and export
// count what was recorded.
class LedgerRig
{
public:
    explicit LedgerRig(quint32 seed);
    ~LedgerRig();

    // False with `failure()` set when the service or the database cannot be set up.
    bool start();
    // One random step, then the check; false with `failure()` set when the ledger is wrong.
    bool step();
    QString failure() const { return m_failure; }
    // What the steps did so far, for a failure report.
    QStringList history() const { return m_history; }

private:
    struct Stretch
    {
        QDateTime start;
        QDateTime end;
        QString title;
        QDate day;
        qint64 seconds() const { return start.secsTo(end); }
    };

    void record();
    void linkBySelection();
    void linkByRules();
    void unlink();
    void settle();
    void maybeInjectFault();
    // The linking runs on after the call that asked for it; the step waits for its end.
    void waitForLinker();

    bool check();
    bool checkService();
    bool checkDay(const QDate &day);
    bool checkTree(const TreeModel &tree, const QString &where);
    bool checkPreviewAgainstRun(const RulePreview &preview, const QSet<qint64> &linkedBefore, bool faulty);
    bool fail(const QString &what);

    // The link columns of every entry, read once after each step.
    void readLinks();
    qint64 taskOf(qint64 entry) const;
    qint64 remoteOf(qint64 entry) const;
    QSet<qint64> linkedEntries() const;
    QList<qint64> entriesOfDay(const QDate &day, bool linked) const;
    QDate randomDay();
    int pick(int count) { return int(m_random.bounded(count)); }

    QRandomGenerator m_random;
    std::unique_ptr<LinkingFixture> m_fixture;
    RecordingPresenter m_presenter;
    FakeDesktop m_desktop;
    std::unique_ptr<WindowProbe> m_probe;
    std::unique_ptr<Recorder> m_recorder;
    std::unique_ptr<LinkingService> m_linking;
    std::unique_ptr<RuleEngine> m_engine;
    QList<QDateTime> m_anchors;
    QList<qint64> m_tasks;
    QHash<qint64, Stretch> m_stretches;
    struct Link
    {
        qint64 task = 0;
        qint64 remote = 0;
        qint64 application = 0;
    };
    QHash<qint64, Link> m_links;
    QList<QDate> m_days;
    // Remote entries the user found booked for entries whose booking had no answer.
    QHash<qint64, QSet<qint64>> m_accepted;
    // The account's entries from before, and their seconds: nothing may change them.
    QHash<qint64, int> m_seedRemote;
    bool m_faulty = false;
    QStringList m_history;
    QString m_failure;
};
