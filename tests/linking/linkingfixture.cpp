#include "linkingfixture.h"

#include "apirequest.h"
#include "devservicestore.h"
#include "projectscatalogue.h"
#include "settings.h"

#include <QDebug>
#include <QSqlError>

const QDate LinkingFixture::Day(2026, 3, 10);

LinkingFixture::LinkingFixture() = default;

LinkingFixture::~LinkingFixture()
{
    Settings::instance()->networkManager = nullptr;
    Settings::instance()->values.clear();
    m_db.close();
}

bool LinkingFixture::start()
{
    if (!server.listen()) {
        qWarning() << "cannot start the development service:" << server.errorString();
        return false;
    }
    QString error;
    if (!m_db.open(m_dir.filePath(QStringLiteral("client.sqlite")), &error)) {
        qWarning() << "cannot open the client database:" << error;
        return false;
    }
    Database::createSchema();

    userId = store()->authenticate(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
    const int client = store()->addClient(userId, QStringLiteral("Testing Ltd"));
    projectId = store()->addProject(userId, client, QStringLiteral("Linking"));
    alphaId = store()->addTaskList(projectId, QStringLiteral("Alpha"));
    writeId = store()->addTask(alphaId, QStringLiteral("Write"));
    reviewId = store()->addTask(alphaId, QStringLiteral("Review"));
    betaId = store()->addTaskList(projectId, QStringLiteral("Beta"));
    shipId = store()->addTask(betaId, QStringLiteral("Ship"));
    dormantId = store()->addProject(userId, client, QStringLiteral("Dormant"));
    store()->addTask(store()->addTaskList(dormantId, QStringLiteral("Later")), QStringLiteral("Done long ago"),
                     QString(), true, true);

    editor = addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
    mail = addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"));

    Settings *settings = Settings::instance();
    settings->networkManager = &m_manager;
    settings->values.insert(QStringLiteral("RealApiBaseUrl"), server.url().toString());
    settings->values.insert(QStringLiteral("UserAgent"), QStringLiteral("TavroDesk/1.0.10 Test"));
    settings->values.insert(QStringLiteral("ApiKey"), store()->user(userId)->apiKey);
    settings->values.insert(QStringLiteral("AuthToken"), store()->createToken(userId));
    settings->values.insert(QStringLiteral("isLoggedIn"), true);
    loadCatalogue();
    return !settings->value(QStringLiteral("mapTaskNames")).toMap().isEmpty();
}

void LinkingFixture::loadCatalogue()
{
    Settings *settings = Settings::instance();
    ApiRequest request(false);
    QString reply;
    request.get(QStringLiteral("tavro.projects.findByUser"),
                {{QStringLiteral("api_key"), settings->value(QStringLiteral("ApiKey")).toString()},
                 {QStringLiteral("auth_token"), settings->value(QStringLiteral("AuthToken")).toString()},
                 {QStringLiteral("user_id"), QString::number(userId)},
                 {QStringLiteral("include_task_lists"), QStringLiteral("1")},
                 {QStringLiteral("include_tasks"), QStringLiteral("1")}},
                reply, false);
    settings->values.insert(QStringLiteral("XmlProjectsList"), reply);
    ProjectsCatalogue catalogue;
    if (catalogue.parse(reply)) {
        ProjectsCatalogue::storeMaps(catalogue.maps());
    }
}

qint64 LinkingFixture::addApp(const QString &path, const QString &name)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("INSERT INTO applications (path, name) VALUES (:path, :name)"));
    query.bindValue(QStringLiteral(":path"), path);
    query.bindValue(QStringLiteral(":name"), name);
    if (!query.exec()) {
        qWarning() << query.lastError().text();
    }
    return query.lastInsertId().toLongLong();
}

qint64 LinkingFixture::addEntry(qint64 appId, const QString &title, const QString &start, const QString &end)
{
    auto full = [](const QString &time) {
        return time.size() > 8 ? time : Day.toString(QStringLiteral("yyyy-MM-dd ")) + time;
    };
    QSqlQuery query;
    query.prepare(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) "
                                 "VALUES (:title, :app, :start, :end)"));
    query.bindValue(QStringLiteral(":title"), title);
    query.bindValue(QStringLiteral(":app"), appId);
    query.bindValue(QStringLiteral(":start"), full(start));
    query.bindValue(QStringLiteral(":end"), full(end));
    if (!query.exec()) {
        qWarning() << query.lastError().text();
    }
    return query.lastInsertId().toLongLong();
}

QVariant LinkingFixture::column(qint64 entryId, const QString &column)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("SELECT ") + column + QStringLiteral(" FROM entries WHERE id = :id"));
    query.bindValue(QStringLiteral(":id"), entryId);
    if (!query.exec() || !query.next()) {
        return {};
    }
    return query.value(0);
}

QList<DevServerRequest> LinkingFixture::requests(const QString &method) const
{
    QList<DevServerRequest> matching;
    for (const DevServerRequest &request : server.requests()) {
        if (request.method == method) {
            matching << request;
        }
    }
    return matching;
}

LinkingModels::LinkingModels()
{
    unlinked.setupModelData(LinkingFixture::Day, 0);
    linked.setupModelData(LinkingFixture::Day, 0);
}
