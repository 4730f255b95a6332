// Applies 50 active rules to a month of recorded time (about 3,000 entries per working day) and
// prints how long each part takes. The linking service is a stand-in, so no network time counts.
#include "benchdatabase.h"
#include "entrygroups.h"
#include "linkingservice.h"
#include "ruleengine.h"
#include "rulestore.h"
#include "shellfloor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextStream>

namespace {
constexpr int Applications = 40;
constexpr int TitlesPerApplication = 60;
constexpr int EntriesPerDay = 3000;
constexpr int Rules = 50;
constexpr int Runs = 5;
const QDate First(2012, 3, 1);
const QDate Last(2012, 3, 31);

const QStringList Words{QStringLiteral("report"),  QStringLiteral("budget"), QStringLiteral("invoice"),
                        QStringLiteral("meeting"), QStringLiteral("plan"),   QStringLiteral("inbox"),
                        QStringLiteral("draft"),   QStringLiteral("review"), QStringLiteral("notes"),
                        QStringLiteral("release")};

class CountingLinking final : public LinkingService
{
public:
    void connectEntriesWithTask(const QStringList &ids, const QString &, const QString &,
                                const std::function<void(bool)> &done) override
    {
        ++batches;
        entries += ids.size();
        done(true);
    }
    int batches = 0;
    qsizetype entries = 0;
};

QString titleFor(int app, int title)
{
    return QStringLiteral("%1 %2 - document %3 - App %4")
        .arg(Words.at(title % Words.size()), Words.at((title / Words.size() + app) % Words.size()))
        .arg(title)
        .arg(app);
}

int fillEntries()
{
    QRandomGenerator random(42);
    QSqlDatabase::database().transaction();
    BenchDatabase::addApplications(Applications);
    QSqlQuery query;
    query.prepare(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) "
                                 "VALUES (:title, :app, :start, :end)"));
    int count = 0;
    for (QDate day = First; day <= Last; day = day.addDays(1)) {
        if (day.dayOfWeek() > 5) {
            continue;
        }
        QDateTime start(day, QTime(8, 0));
        for (int i = 0; i < EntriesPerDay; ++i) {
            const int app = 1 + int(random.bounded(Applications));
            const int title = int(random.bounded(TitlesPerApplication));
            const QDateTime end = start.addSecs(12);
            query.bindValue(QStringLiteral(":title"), titleFor(app, title));
            query.bindValue(QStringLiteral(":app"), app);
            query.bindValue(QStringLiteral(":start"), start.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
            query.bindValue(QStringLiteral(":end"), end.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
            query.exec();
            start = end;
            ++count;
        }
    }
    QSqlDatabase::database().commit();
    return count;
}

// A mix of every title and date condition; most rules match only a few groups, so many groups
// are tested against all 50 rules before one matches or none does.
void addRules()
{
    const QStringList titleRules{QStringLiteral("and"), QStringLiteral("or"), QStringLiteral("exact"),
                                 QStringLiteral("regexp")};
    const QStringList dateRules{QStringLiteral("always"), QStringLiteral("after"), QStringLiteral("between"),
                                QStringLiteral("before")};
    for (int i = 0; i < Rules; ++i) {
        const QString titleRule = titleRules.at(i % titleRules.size());
        const int app = 1 + (i * 7) % Applications;
        QString title;
        if (titleRule == QLatin1String("and")) {
            title = Words.at(i % Words.size()) + QStringLiteral(" \"document 1\"");
        } else if (titleRule == QLatin1String("or")) {
            title = QStringLiteral("release%1 document%1").arg(i);
        } else if (titleRule == QLatin1String("exact")) {
            title = titleFor(app, i % TitlesPerApplication);
        } else {
            title = QStringLiteral("^(review|draft) .* document [0-9]*%1 ").arg(i % 10);
        }
        RuleStore::addRule(QStringLiteral("Rule %1").arg(i), {app, 1 + (app + 3) % Applications}, titleRule, title,
                           dateRules.at((i / 4) % dateRules.size()), QDate(2012, 3, 5), QDate(2012, 3, 23), 1,
                           100 + i % 12);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    BenchDatabase database;
    if (!database.isOpen()) {
        out << "could not open a database in a temporary folder\n";
        return 1;
    }
    const int entries = fillEntries();
    addRules();

    QList<double> loadRules;
    QList<double> grouping;
    QList<double> matching;
    QList<double> whole;
    QList<double> groupAndMatchCpu;
    QList<double> everyPair;
    qsizetype pairMatches = 0;
    qsizetype groups = 0;
    TaskBatches batches;
    CountingLinking linking;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const QList<RuleMatcher> rules = RuleEngine::prepareRules(RuleStore::loadActiveRules());
        loadRules << timer.nsecsElapsed() / 1e6;

        const double cpuStart = processCpuMs();
        timer.restart();
        const QList<EntryGroup> loaded = RuleEngine::loadGroups(First, Last);
        grouping << timer.nsecsElapsed() / 1e6;

        timer.restart();
        batches = RuleEngine::planBatches(rules, loaded);
        matching << timer.nsecsElapsed() / 1e6;
        groupAndMatchCpu << processCpuMs() - cpuStart;
        groups = loaded.size();

        // Without the lookup by application: every group against every rule.
        timer.restart();
        pairMatches = 0;
        for (const EntryGroup &group : loaded) {
            for (const RuleMatcher &rule : rules) {
                pairMatches += rule.matches(group.title, group.applicationId, group.day) ? 1 : 0;
            }
        }
        everyPair << timer.nsecsElapsed() / 1e6;

        RuleEngine engine(&linking);
        timer.restart();
        engine.applyRules(First, Last);
        whole << timer.nsecsElapsed() / 1e6;
    }

    qsizetype linked = 0;
    for (const QStringList &ids : std::as_const(batches)) {
        linked += ids.size();
    }
    out << loadLine() << "\n";
    out << "entries: " << entries << ", groups: " << groups << ", active rules: " << Rules
        << ", batches: " << batches.size() << ", entries linked: " << linked << "\n";
    out << "median of " << Runs << " runs (ms):\n";
    out << "  load and prepare rules:        " << median(loadRules) << "\n";
    out << "  grouping statement:            " << median(grouping) << "\n";
    out << "  ruleMatches over all groups:   " << median(matching) << "\n";
    out << "  matching part (the two above): " << median(grouping) + median(matching) << "  (target <= 1000)\n";
    out << "  every group x every rule:      " << median(everyPair) << "  (" << groups * Rules << " tests, "
        << pairMatches << " matches)\n";
    out << "  whole applyRules, fake linking: " << median(whole) << "\n";
    const QList<QPair<QString, QString>> range{{QStringLiteral(":from"), QStringLiteral("'2012-03-01 00:00:00'")},
                                               {QStringLiteral(":to"), QStringLiteral("'2012-03-31 23:59:59'")}};
    out << floorLine("rules: group + match a month", median(groupAndMatchCpu), 200,
                     shellFloorMs(database.path(), EntryGroups::query(), range))
        << "\n";
    // For comparison: SQLite grouping the same rows itself, with its date functions.
    const QString sqlGrouping = QStringLiteral(
        "SELECT title, application_id, DATE(start_time) AS start_day, GROUP_CONCAT(id), "
        "SUM(strftime('%s', end_time) - strftime('%s', start_time)) FROM entries WHERE start_time >= :from "
        "AND start_time <= :to AND ext_task_id IS NULL GROUP BY start_day, application_id, title");
    out << "  the same grouping done by SQLite (GROUP BY), sqlite3 shell: "
        << shellFloorMs(database.path(), sqlGrouping, range) << " ms\n";
    return 0;
}
