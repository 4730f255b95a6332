#include "ledgerrig.h"

#include "apirequest.h"
#include "devservicestore.h"
#include "entrystore.h"
#include "exportreader.h"
#include "linkingservice.h"
#include "rulepreview.h"
#include "rulestore.h"
#include "settings.h"
#include "treemodel.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTimeZone>

namespace {

// The fixture's applications, which the rules name.
const QString Editor = QStringLiteral("/usr/bin/editor");
const QString Mail = QStringLiteral("/usr/bin/mail");
const QStringList Titles{QStringLiteral("Report"), QStringLiteral("Slides"), QStringLiteral("Inbox"),
                         QStringLiteral("Notes")};
const QStringList ChangingMethods{QStringLiteral("tavro.entries.addBulk"), QStringLiteral("tavro.entries.update"),
                                  QStringLiteral("tavro.entries.delete"), QStringLiteral("tavro.entries.getInfo")};
// The client gives up on an answer after this long; a delayed answer comes later.
constexpr int TimeoutMs = 400;
constexpr int LateMs = 900;
// Longer than any step's calls can take, time-outs included.
constexpr int WaitMs = 30000;

// Rule runs link through the same presenter as a drop on a task.
class PresenterLinking : public LinkingService
{
public:
    explicit PresenterLinking(EntryLinker *linker)
        : m_linker(linker)
    {}
    void connectEntriesWithTask(const QStringList &ids, const QString &taskId, const QString &notes,
                                const std::function<void(bool)> &done) override
    {
        m_linker->link(ids, taskId, notes, [done](BookingService::LinkResult::Status status) {
            done(status == BookingService::LinkResult::Status::Linked);
        });
    }

private:
    EntryLinker *m_linker;
};

QStringList texts(const QList<qint64> &ids)
{
    QStringList list;
    for (qint64 id : ids) {
        list << QString::number(id);
    }
    return list;
}

QString idsText(const QList<qint64> &ids)
{
    return texts(ids).join(QLatin1Char(','));
}

} // namespace

LedgerRig::LedgerRig(quint32 seed)
    : m_random(seed)
{}

LedgerRig::~LedgerRig()
{
    m_engine.reset();
    m_recorder.reset();
    ApiRequest::setStandardTimeout(ApiRequest::defaultTimeout);
}

bool LedgerRig::start()
{
    m_fixture = std::make_unique<LinkingFixture>();
    if (!m_fixture->start()) {
        return fail(QStringLiteral("the development service or the database could not be set up"));
    }
    ApiRequest::setStandardTimeout(TimeoutMs);
    for (const DevServiceStore::Entry &entry : m_fixture->store()->entries(m_fixture->userId)) {
        m_seedRemote.insert(entry.id, entry.duration);
    }
    // Remote ids beyond 32 bits, as a large account has them; cut to 32 bits they would name the
    // account's older entries, which nothing here may touch.
    m_fixture->store()->startEntryIdsAt((qint64(1) << 32) + 1);
    // The fixture's own entries, with the instants their texts name (no clock change near them).
    QSqlQuery query(QStringLiteral("SELECT id, title, start_time, end_time FROM entries"));
    while (query.next()) {
        const QDateTime start = QDateTime::fromString(query.value(2).toString(), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        const QDateTime end = QDateTime::fromString(query.value(3).toString(), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        m_stretches.insert(query.value(0).toLongLong(), {start, end, query.value(1).toString(), start.date()});
    }
    m_days << LinkingFixture::Day;
    m_tasks = {m_fixture->writeId, m_fixture->reviewId, m_fixture->shipId};

    Settings::instance()->setValue(Setting::IdleEnabled, false);
    m_desktop.metadata.names.insert(Editor, QStringLiteral("Editor"));
    m_desktop.metadata.names.insert(Mail, QStringLiteral("Mail"));
    m_probe = std::make_unique<WindowProbe>(&m_desktop.source, &m_desktop.metadata);
    m_recorder = std::make_unique<Recorder>(m_probe.get(), &m_desktop.idle, &m_desktop.clock);
    // As the window wires it: a stored stretch goes to the unlinked tree of its day.
    TreeModel *unlinked = &m_fixture->models->unlinked;
    QObject::connect(m_recorder.get(), &Recorder::entryStored, unlinked,
                     [unlinked](const QDateTime &start, const QDateTime &, const WindowInfo &, qint64, qint64 id) {
                         unlinked->addEntry(start, id);
                     });
    m_linking = std::make_unique<PresenterLinking>(&m_fixture->models->linker);
    m_engine = std::make_unique<RuleEngine>(m_linking.get());

    // Recording starts near each clock change of the local time zone, and before midnight.
    const QDateTime yearStart(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
    for (const QTimeZone::OffsetData &change :
         QTimeZone::systemTimeZone().transitions(yearStart, yearStart.addYears(1))) {
        m_anchors << change.atUtc.toLocalTime();
    }
    m_anchors << QDateTime(QDate(2026, 6, 15), QTime(23, 30)) << QDateTime(QDate(2026, 11, 30), QTime(9, 0));

    // Rules: titles to tasks for both applications, and one whose task no longer exists.
    const int editorApp = int(m_fixture->editor);
    const int mailApp = int(m_fixture->mail);
    RuleFields report;
    report.name = QStringLiteral("Reports");
    report.appIds = {editorApp, mailApp};
    report.title = QStringLiteral("Report");
    report.taskId = m_fixture->writeId;
    report.projectId = m_fixture->projectId;
    RuleFields slides = report;
    slides.name = QStringLiteral("Slides");
    slides.title = QStringLiteral("Slides");
    slides.taskId = m_fixture->reviewId;
    RuleFields gone = report;
    gone.name = QStringLiteral("Gone");
    gone.title = QStringLiteral("Inbox");
    gone.taskId = 987654;
    for (const RuleFields &rule : {report, slides, gone}) {
        if (RuleStore::addRule(rule) <= 0) {
            return fail(QStringLiteral("rule %1 could not be stored").arg(rule.name));
        }
    }
    return check();
}

void LedgerRig::waitForLinker()
{
    QSignalSpy idle(&m_fixture->models->linker, &EntryLinker::busyChanged);
    if (m_fixture->models->linker.isBusy() && !idle.wait(WaitMs)) {
        fail(QStringLiteral("the linking did not end"));
    }
}

bool LedgerRig::fail(const QString &what)
{
    if (m_failure.isEmpty()) {
        m_failure = what;
    }
    return false;
}

QDate LedgerRig::randomDay()
{
    return m_days.at(pick(int(m_days.size())));
}

void LedgerRig::maybeInjectFault()
{
    m_faulty = m_random.bounded(10) < 4;
    if (!m_faulty) {
        return;
    }
    const QString method = ChangingMethods.at(pick(int(ChangingMethods.size())));
    const int kind = pick(9);
    DevServer &server = m_fixture->server;
    if (kind == 0) {
        server.setErrorFault(method, 4, QStringLiteral("refused"));
    } else if (kind == 1) {
        server.setDelay(LateMs, method);
    } else {
        static const QList<DevServer::Fault> faults{DevServer::Fault::Close,          DevServer::Fault::Malformed,
                                                    DevServer::Fault::NulByte,        DevServer::Fault::NoStatus,
                                                    DevServer::Fault::ErrorNoElement, DevServer::Fault::NoId,
                                                    DevServer::Fault::CloseAfterRun};
        server.setFault(method, faults.at(kind - 2));
    }
    m_history << QStringLiteral("  fault %1 on %2").arg(kind).arg(method);
}

void LedgerRig::record()
{
    // Recording starts at an anchor or just after what was recorded last, and runs for a few stretches.
    QDateTime at = m_anchors.at(pick(int(m_anchors.size()))).addSecs(qint64(m_random.bounded(4 * 3600)) - 3 * 3600);
    at = QDateTime::fromSecsSinceEpoch(at.toSecsSinceEpoch());
    m_desktop.clock.set(at);
    const int stretches = 1 + pick(4);
    QList<Stretch> expected;
    QList<qint64> stored;
    QList<QPair<QDateTime, QDateTime>> signalled;
    const auto connection =
        QObject::connect(m_recorder.get(), &Recorder::entryStored,
                         [&](const QDateTime &start, const QDateTime &end, const WindowInfo &, qint64, qint64 entryId) {
                             stored << entryId;
                             signalled << qMakePair(start, end);
                         });
    m_recorder->setRecording(true);
    for (int i = 0; i < stretches; ++i) {
        const QString title = Titles.at(pick(int(Titles.size())));
        const QString path = pick(3) == 0 ? Mail : Editor;
        // Each stretch a different window from the last, so that the recorder closes the stretch before.
        m_desktop.source.show(path, title + QStringLiteral(" %1").arg(i));
        const QDateTime start = m_desktop.clock.now();
        m_recorder->updateApps();
        m_desktop.clock.advance(int(1 + m_random.bounded(pick(2) ? 120 : 5400)));
        expected << Stretch{start, m_desktop.clock.now(), title + QStringLiteral(" %1").arg(i),
                            start.toLocalTime().date()};
    }
    m_desktop.source.show(Editor, QStringLiteral("closing"));
    m_recorder->updateApps();
    m_recorder->setRecording(false);
    QObject::disconnect(connection);
    for (qsizetype i = 0; i < stored.size() && i < expected.size(); ++i) {
        m_stretches.insert(stored.at(i), expected.at(i));
        if (!m_days.contains(expected.at(i).day)) {
            m_days << expected.at(i).day;
        }
    }
    m_history << QStringLiteral("record %1 stretches from %2 as %3")
                     .arg(stretches)
                     .arg(at.toString(Qt::ISODate), idsText(stored));
    if (stored.size() != expected.size()) {
        fail(QStringLiteral("recorded %1 stretches, stored %2").arg(expected.size()).arg(stored.size()));
    }
    for (qsizetype i = 0; i < signalled.size() && i < expected.size(); ++i) {
        if (signalled.at(i).first != expected.at(i).start || signalled.at(i).second != expected.at(i).end) {
            fail(QStringLiteral("stretch %1 stored with other instants").arg(stored.at(i)));
        }
    }
}

void LedgerRig::linkBySelection()
{
    const QDate day = randomDay();
    // As the view hands them over: the ids of the chosen title nodes of the presenter's own tree.
    TreeModel &tree = m_fixture->models->unlinked;
    tree.setDay(day);
    tree.setGroupByHour(pick(2) == 0);
    tree.setupModelData(day, pick(3) == 0 ? 60 : 0);
    QModelIndexList chosen;
    QList<QModelIndex> stack{QModelIndex()};
    while (!stack.isEmpty()) {
        const QModelIndex parent = stack.takeLast();
        for (int row = 0; row < tree.rowCount(parent); ++row) {
            const QModelIndex index = tree.index(row, 0, parent);
            if (tree.itemProperty(index, QStringLiteral("type")).toString() == QLatin1String("entry")) {
                if (pick(2) == 0) {
                    chosen << index;
                }
            } else {
                stack << index;
            }
        }
    }
    const QStringList ids = tree.entryIds(chosen);
    if (ids.isEmpty()) {
        return;
    }
    const qint64 task = m_tasks.at(pick(int(m_tasks.size())));
    maybeInjectFault();
    m_history << QStringLiteral("link %1 with %2").arg(ids.join(QLatin1Char(','))).arg(task);
    m_fixture->models->linker.connectEntriesWithTask(ids, QString::number(task), QString());
    waitForLinker();
    m_fixture->server.clearFaults();
}

void LedgerRig::linkByRules()
{
    const QDate from = randomDay();
    const QDate to = pick(2) == 0 ? from : std::max(from, randomDay());
    const RulePreview preview = RulePreview::forRange(RuleStore::loadActiveRules(), from, to);
    readLinks();
    const QSet<qint64> before = linkedEntries();
    maybeInjectFault();
    m_history << QStringLiteral("apply rules %1 .. %2").arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate));
    if (m_engine->applyRules(from, to)) {
        QSignalSpy over(m_engine.get(), &RuleEngine::runningChanged);
        if (m_engine->isRunning() && !over.wait(WaitMs)) {
            fail(QStringLiteral("the rule run did not end"));
        }
    }
    const bool faulty = m_faulty;
    m_fixture->server.clearFaults();
    readLinks();
    checkPreviewAgainstRun(preview, before, faulty);
}

bool LedgerRig::checkPreviewAgainstRun(const RulePreview &preview, const QSet<qint64> &linkedBefore, bool faulty)
{
    QSet<qint64> planned;
    for (auto batch = preview.batches.cbegin(); batch != preview.batches.cend(); ++batch) {
        qint64 seconds = 0;
        for (const QString &id : batch.value()) {
            planned.insert(id.toLongLong());
            seconds += m_stretches.value(id.toLongLong()).seconds();
            if (!faulty && taskOf(id.toLongLong()) != batch.key().taskId.toLongLong()) {
                return fail(QStringLiteral("entry %1 was planned for task %2 but is linked with %3")
                                .arg(id, batch.key().taskId)
                                .arg(taskOf(id.toLongLong())));
            }
        }
    }
    qint64 previewSeconds = 0;
    for (qint64 seconds : preview.taskSeconds) {
        previewSeconds += seconds;
    }
    qint64 plannedSeconds = 0;
    for (qint64 id : planned) {
        plannedSeconds += m_stretches.value(id).seconds();
    }
    if (previewSeconds != plannedSeconds) {
        return fail(
            QStringLiteral("the preview shows %1 s, its batches hold %2 s").arg(previewSeconds).arg(plannedSeconds));
    }
    const QSet<qint64> newlyLinked = linkedEntries() - linkedBefore;
    if (!(newlyLinked - planned).isEmpty() || (!faulty && newlyLinked != planned)) {
        return fail(QStringLiteral("the run linked %1, the preview planned %2")
                        .arg(idsText(QList<qint64>(newlyLinked.cbegin(), newlyLinked.cend())),
                             idsText(QList<qint64>(planned.cbegin(), planned.cend()))));
    }
    return true;
}

void LedgerRig::unlink()
{
    const QDate day = randomDay();
    // The linked view's unlink of a whole node: a project, task, application or title.
    TreeModel &tree = m_fixture->models->linked;
    tree.setDay(day);
    tree.setGroupByHour(pick(2) == 0);
    tree.setupModelData(day, pick(3) == 0 ? 60 : 0);
    QList<QModelIndex> nodes;
    QList<QModelIndex> stack{QModelIndex()};
    while (!stack.isEmpty()) {
        const QModelIndex parent = stack.takeLast();
        for (int row = 0; row < tree.rowCount(parent); ++row) {
            nodes << tree.index(row, 0, parent);
            stack << nodes.last();
        }
    }
    if (nodes.isEmpty()) {
        return;
    }
    const QModelIndex node = nodes.at(pick(int(nodes.size())));
    QModelIndexList below{node};
    for (qsizetype i = 0; i < below.size(); ++i) {
        for (int row = 0; row < tree.rowCount(below.at(i)); ++row) {
            below << tree.index(row, 0, below.at(i));
        }
    }
    const QStringList ids = tree.entryIds(below);
    maybeInjectFault();
    m_history << QStringLiteral("unlink %1").arg(ids.join(QLatin1Char(',')));
    QHash<qint64, QSet<qint64>> acceptedBefore = m_accepted;
    m_fixture->models->linker.unlinkEntries(ids);
    waitForLinker();
    m_fixture->server.clearFaults();
    readLinks();
    // Time booked on entries the service never named: the user takes it off there, as asked.
    for (auto it = acceptedBefore.begin(); it != acceptedBefore.end(); ++it) {
        qint64 gone = 0;
        for (qint64 id : it.value()) {
            if (taskOf(id) == 0) {
                gone += m_stretches.value(id).seconds();
                m_accepted[it.key()].remove(id);
            }
        }
        if (gone == 0) {
            continue;
        }
        const auto entry = m_fixture->store()->entry(it.key());
        if (entry && entry->duration > gone) {
            m_fixture->store()->updateEntryTimes(it.key(), entry->start, entry->end.addSecs(-gone));
        } else {
            m_fixture->store()->deleteEntry(it.key());
            m_accepted.remove(it.key());
        }
        m_history << QStringLiteral("  the user takes %1 s off remote entry %2").arg(gone).arg(it.key());
    }
}

void LedgerRig::settle()
{
    const EntryIds unconfirmed = LinkStore::unconfirmed();
    if (unconfirmed.isEmpty()) {
        return;
    }
    // The user answers as the service has it: booked when an entry no link explains carries the time.
    QMap<qint64, qint64> ledger;
    LinkStore::readLedger(&ledger);
    QSet<qint64> explained;
    for (const PendingBooking &booking : LinkStore::pendingBookings(unconfirmed)) {
        qint64 found = 0;
        for (const DevServiceStore::Entry &entry : m_fixture->store()->entries(m_fixture->userId)) {
            if (!m_seedRemote.contains(entry.id) && !ledger.contains(entry.id) && !m_accepted.contains(entry.id) &&
                !explained.contains(entry.id) && entry.taskId == booking.taskId && entry.date == booking.day &&
                entry.duration == booking.seconds) {
                found = entry.id;
                break;
            }
        }
        m_presenter.answerNext(found ? MessageBox::Yes : MessageBox::No);
        if (found) {
            explained.insert(found);
            m_accepted[found] = QSet<qint64>(booking.entryIds.cbegin(), booking.entryIds.cend());
        }
        m_history << QStringLiteral("  settle booking of %1: %2").arg(idsText(booking.entryIds)).arg(found);
    }
    maybeInjectFault();
    m_history << QStringLiteral("settle %1").arg(idsText(unconfirmed));
    m_fixture->models->linker.settleEntries(texts(unconfirmed));
    waitForLinker();
    m_fixture->server.clearFaults();
    m_presenter.clearAnswers();
}

bool LedgerRig::step()
{
    const int kind = pick(10);
    if (kind < 3) {
        record();
    } else if (kind < 5) {
        linkBySelection();
    } else if (kind < 6) {
        linkByRules();
    } else if (kind < 8) {
        unlink();
    } else {
        settle();
    }
    return m_failure.isEmpty() && check();
}

void LedgerRig::readLinks()
{
    m_links.clear();
    QSqlQuery query(QStringLiteral("SELECT id, ext_task_id, ext_entry_id, application_id FROM entries"));
    while (query.next()) {
        m_links.insert(query.value(0).toLongLong(),
                       {query.value(1).toLongLong(), query.value(2).toLongLong(), query.value(3).toLongLong()});
    }
}

qint64 LedgerRig::taskOf(qint64 entry) const
{
    return m_links.value(entry).task;
}

qint64 LedgerRig::remoteOf(qint64 entry) const
{
    return m_links.value(entry).remote;
}

QSet<qint64> LedgerRig::linkedEntries() const
{
    QSet<qint64> linked;
    for (auto it = m_stretches.cbegin(); it != m_stretches.cend(); ++it) {
        if (taskOf(it.key()) != 0) {
            linked.insert(it.key());
        }
    }
    return linked;
}

QList<qint64> LedgerRig::entriesOfDay(const QDate &day, bool linked) const
{
    QList<qint64> ids;
    for (auto it = m_stretches.cbegin(); it != m_stretches.cend(); ++it) {
        if (it->day == day && (taskOf(it.key()) != 0) == linked) {
            ids << it.key();
        }
    }
    return ids;
}

bool LedgerRig::check()
{
    readLinks();
    if (!checkService()) {
        return false;
    }
    for (const QDate &day : std::as_const(m_days)) {
        if (!checkDay(day)) {
            return false;
        }
    }
    return true;
}

bool LedgerRig::checkService()
{
    // What the linked rows of each remote entry hold, by the recorded instants.
    QHash<qint64, qint64> linkedSeconds;
    for (auto it = m_stretches.cbegin(); it != m_stretches.cend(); ++it) {
        if (const qint64 remote = remoteOf(it.key()); remote != 0 && taskOf(it.key()) != 0) {
            linkedSeconds[remote] += it->seconds();
        }
    }
    QMap<qint64, qint64> ledger;
    if (!LinkStore::readLedger(&ledger).ok()) {
        return fail(QStringLiteral("the ledger cannot be read"));
    }
    QHash<qint64, PendingUnbooking> unbookings;
    for (const PendingUnbooking &unbooking : LinkStore::pendingUnbookings()) {
        unbookings.insert(unbooking.remoteEntryId, unbooking);
    }
    QList<PendingBooking> bookings = LinkStore::pendingBookings();
    QSet<qint64> onService;
    QSet<qint64> seedLeft;
    for (const DevServiceStore::Entry &entry : m_fixture->store()->entries(m_fixture->userId)) {
        if (m_seedRemote.contains(entry.id)) {
            if (entry.duration != m_seedRemote.value(entry.id)) {
                return fail(QStringLiteral("remote entry %1, which no link names, was changed").arg(entry.id));
            }
            seedLeft.insert(entry.id);
            continue;
        }
        onService.insert(entry.id);
        if (entry.start.secsTo(entry.end) != entry.duration) {
            return fail(QStringLiteral("remote entry %1 lasts %2 s from start to end, holds %3 s")
                            .arg(entry.id)
                            .arg(entry.start.secsTo(entry.end))
                            .arg(entry.duration));
        }
        if (linkedSeconds.contains(entry.id)) {
            const qint64 expected = linkedSeconds.value(entry.id);
            if (ledger.value(entry.id) != expected) {
                return fail(QStringLiteral("the store counts %1 s for remote entry %2, the recording %3 s")
                                .arg(ledger.value(entry.id))
                                .arg(entry.id)
                                .arg(expected));
            }
            const auto unbooking = unbookings.constFind(entry.id);
            const bool eitherWay = unbooking != unbookings.cend() &&
                                   (entry.duration == expected || entry.duration == expected - unbooking->seconds);
            if (entry.duration != expected && !eitherWay) {
                return fail(QStringLiteral("remote entry %1 holds %2 s, its linked entries %3 s")
                                .arg(entry.id)
                                .arg(entry.duration)
                                .arg(expected));
            }
            continue;
        }
        if (m_accepted.contains(entry.id)) {
            qint64 expected = 0;
            for (qint64 id : m_accepted.value(entry.id)) {
                expected += taskOf(id) != 0 ? m_stretches.value(id).seconds() : 0;
            }
            if (entry.duration != expected) {
                return fail(QStringLiteral("remote entry %1 holds %2 s, the entries found booked in it %3 s")
                                .arg(entry.id)
                                .arg(entry.duration)
                                .arg(expected));
            }
            continue;
        }
        // Only an unconfirmed booking explains a remote entry no link names, and each only one.
        const auto booking = std::find_if(bookings.begin(), bookings.end(), [&](const PendingBooking &pending) {
            return pending.taskId == entry.taskId && pending.day == entry.date && pending.seconds == entry.duration;
        });
        if (booking == bookings.end()) {
            return fail(QStringLiteral("remote entry %1 (%2 s on task %3) is explained by nothing")
                            .arg(entry.id)
                            .arg(entry.duration)
                            .arg(entry.taskId));
        }
        bookings.erase(booking);
    }
    if (seedLeft.size() != m_seedRemote.size()) {
        return fail(QStringLiteral("a remote entry no link names was deleted"));
    }
    // Every remote entry the store names exists, unless it is being deleted unconfirmed.
    for (auto it = linkedSeconds.cbegin(); it != linkedSeconds.cend(); ++it) {
        if (!onService.contains(it.key()) && !unbookings.contains(it.key())) {
            return fail(QStringLiteral("entries are linked with remote entry %1, which is gone").arg(it.key()));
        }
    }
    return true;
}

bool LedgerRig::checkDay(const QDate &day)
{
    for (const bool linked : {false, true}) {
        // The recorded seconds of the day's (application, title) groups in this link state.
        QHash<QString, qint64> groups;
        qint64 all = 0;
        for (qint64 id : entriesOfDay(day, linked)) {
            const Stretch &stretch = m_stretches.value(id);
            groups[QString::number(m_links.value(id).application) + QLatin1Char('|') + stretch.title] +=
                stretch.seconds();
            all += stretch.seconds();
        }
        const auto shownAbove = [&groups](int threshold) {
            qint64 shown = 0;
            for (qint64 seconds : std::as_const(groups)) {
                shown += seconds >= threshold ? seconds : 0;
            }
            return shown;
        };
        const QString where =
            QStringLiteral("%1 entries of %2")
                .arg(linked ? QStringLiteral("linked") : QStringLiteral("unlinked"), day.toString(Qt::ISODate));
        // A tree built afresh, and the presenter's own, refreshed after every link and unlink.
        TreeModel fresh(linked);
        fresh.setGroupByHour(pick(2) == 0);
        fresh.setupModelData(day, QList<int>{0, 0, 30, 600}.at(pick(4)));
        TreeModel &live = linked ? m_fixture->models->linked : m_fixture->models->unlinked;
        for (TreeModel *tree : {&fresh, &live}) {
            if (tree->day() != day) {
                continue;
            }
            if (tree->totalTime() != shownAbove(tree->hideUnder())) {
                return fail(QStringLiteral("%1 tree hiding titles under %2 s shows %3 s of %4, recorded %5 s")
                                .arg(tree == &fresh ? QStringLiteral("a new") : QStringLiteral("the presenter's"))
                                .arg(tree->hideUnder())
                                .arg(tree->totalTime())
                                .arg(where)
                                .arg(shownAbove(tree->hideUnder())));
            }
            if (!checkTree(*tree, where)) {
                return false;
            }
        }
        // The timeline and the export read the day through the store as well.
        const EntryStore::Link link = linked ? EntryStore::Link::Linked : EntryStore::Link::Unlinked;
        qint64 timeline = 0;
        for (const EntryRow &row : EntryStore::dayEntries(day, link, QString(), 0)) {
            timeline += row.seconds();
        }
        qint64 exported = 0;
        for (const ExportRecord &record : ExportReader::read(day, day)) {
            exported += record.taskId.isNull() != linked ? record.seconds : 0;
        }
        if (timeline != all || exported != all) {
            return fail(QStringLiteral("timeline %1 s and export %2 s of %3, recorded %4 s")
                            .arg(timeline)
                            .arg(exported)
                            .arg(where)
                            .arg(all));
        }
    }
    return true;
}

bool LedgerRig::checkTree(const TreeModel &tree, const QString &where)
{
    // Every title node holds only its own entries, of its task, and their recorded seconds.
    QList<QModelIndex> stack{QModelIndex()};
    while (!stack.isEmpty()) {
        const QModelIndex parent = stack.takeLast();
        for (int row = 0; row < tree.rowCount(parent); ++row) {
            const QModelIndex index = tree.index(row, 0, parent);
            if (tree.itemProperty(index, QStringLiteral("type")).toString() != QLatin1String("entry")) {
                stack << index;
                continue;
            }
            QModelIndex task = index;
            while (task.isValid() &&
                   tree.itemProperty(task, QStringLiteral("type")).toString() != QLatin1String("task")) {
                task = task.parent();
            }
            const qint64 taskId = tree.itemProperty(task, QStringLiteral("id")).toLongLong();
            qint64 seconds = 0;
            for (const QString &id : tree.itemProperty(index, QStringLiteral("entries")).toStringList()) {
                seconds += m_stretches.value(id.toLongLong()).seconds();
                if (tree.isLinked() && taskOf(id.toLongLong()) != taskId) {
                    return fail(QStringLiteral("entry %1 shows under task %2 but is linked with %3")
                                    .arg(id)
                                    .arg(taskId)
                                    .arg(taskOf(id.toLongLong())));
                }
            }
            if (seconds != tree.itemProperty(index, QStringLiteral("time")).toLongLong()) {
                return fail(QStringLiteral("a title node of %1 shows %2 s for entries of %3 s")
                                .arg(where)
                                .arg(tree.itemProperty(index, QStringLiteral("time")).toLongLong())
                                .arg(seconds));
            }
        }
    }
    return true;
}
