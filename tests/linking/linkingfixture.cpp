#include "linkingfixture.h"

#include "devservicestore.h"
#include "projectscatalogue.h"
#include "sessionconnection.h"
#include "settings.h"

#include <QDebug>
#include <QSqlQuery>

const QDate LinkingFixture::Day(2026, 3, 10);

LinkingFixture::~LinkingFixture()
{
    models.reset();
    Settings::instance()->restoreDefaults();
    ProjectsCatalogue::shared().clear();
}

bool LinkingFixture::start()
{
    if (!server.listen() || !m_db.isOpen()) {
        qWarning() << "cannot set up:" << server.errorString() << m_db.error();
        return false;
    }
    userId = store()->authenticate(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
    projectId = store()->addProject(userId, store()->addClient(userId, QStringLiteral("Testing Ltd")),
                                    QStringLiteral("Linking"));
    alphaId = store()->addTaskList(projectId, QStringLiteral("Alpha"));
    writeId = store()->addTask(alphaId, QStringLiteral("Write"));
    reviewId = store()->addTask(alphaId, QStringLiteral("Review"));
    betaId = store()->addTaskList(projectId, QStringLiteral("Beta"));
    shipId = store()->addTask(betaId, QStringLiteral("Ship"));
    editor = TestDb::addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
    mail = TestDb::addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"));
    report1 = addEntry(editor, "Report", "09:00:00", "09:10:00");
    inbox = addEntry(mail, "Inbox", "09:10:00", "09:15:00");
    report2 = addEntry(editor, "Report", "09:20:00", "09:25:00");
    notes = addEntry(editor, "Notes", "09:30:00", "09:31:00");

    Settings *settings = Settings::instance();
    settings->setServiceUrl(server.url().toString());
    settings->setValue(Setting::Username, QStringLiteral("demo@tavro.test"));
    settings->setValue(Setting::Password, QStringLiteral("demo"));
    if (!SessionTest::connect(m_session)) {
        return false;
    }
    m_session.login();
    if (!SessionTest::settled(m_session)) {
        return false;
    }
    models = std::make_unique<LinkingModels>();
    server.clearRequests();
    return ProjectsCatalogue::shared().hasOpenTasks();
}

qint64 LinkingFixture::addEntry(qint64 appId, const char *title, const char *start, const char *end)
{
    const QString day = Day.toString(QStringLiteral("yyyy-MM-dd "));
    auto full = [&](const char *time) { return qstrlen(time) > 8 ? QLatin1String(time) : day + QLatin1String(time); };
    return TestDb::addEntry(appId, QLatin1String(title), full(start), full(end));
}

QVariant LinkingFixture::column(qint64 entryId, const char *column)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("SELECT ") + QLatin1String(column) + QStringLiteral(" FROM entries WHERE id = ?"));
    query.addBindValue(entryId);
    return query.exec() && query.next() ? query.value(0) : QVariant();
}

QList<DevServerRequest> LinkingFixture::requests(const char *method) const
{
    QList<DevServerRequest> matching;
    for (const DevServerRequest &request : server.requests()) {
        if (request.method == QLatin1String(method)) {
            matching << request;
        }
    }
    return matching;
}

LinkingModels::LinkingModels()
{
    for (TreeModel *tree : {&unlinked, &linked}) {
        tree->setEntryReader(&entries);
    }
    unlinked.setupModelData(LinkingFixture::Day, 0);
    linked.setupModelData(LinkingFixture::Day, 0);
}
