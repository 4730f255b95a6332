#include "linkingfixture.h"

#include "apirequest.h"
#include "devservicestore.h"
#include "projectscatalogue.h"
#include "settings.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>

namespace {
QVariant exec(const QString &sql, const QVariantList &values)
{
    QSqlQuery query;
    query.prepare(sql);
    for (const QVariant &value : values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        qWarning() << query.lastError().text();
    }
    return query.isSelect() ? (query.next() ? query.value(0) : QVariant()) : query.lastInsertId();
}

qint64 addApp(const QString &path, const QString &name)
{
    return exec(QStringLiteral("INSERT INTO applications (path, name) VALUES (?, ?)"), {path, name}).toLongLong();
}
} // namespace

const QDate LinkingFixture::Day(2026, 3, 10);

LinkingFixture::~LinkingFixture()
{
    Settings::instance()->networkManager = nullptr;
    Settings::instance()->values.clear();
    m_db.close();
}

bool LinkingFixture::start()
{
    QString error;
    if (!server.listen() || !m_db.open(m_dir.filePath(QStringLiteral("client.sqlite")), &error)) {
        qWarning() << "cannot set up:" << server.errorString() << error;
        return false;
    }
    Database::createSchema();
    userId = store()->authenticate(QStringLiteral("demo@tavro.test"), QStringLiteral("demo"));
    projectId = store()->addProject(userId, store()->addClient(userId, QStringLiteral("Testing Ltd")),
                                    QStringLiteral("Linking"));
    alphaId = store()->addTaskList(projectId, QStringLiteral("Alpha"));
    writeId = store()->addTask(alphaId, QStringLiteral("Write"));
    reviewId = store()->addTask(alphaId, QStringLiteral("Review"));
    betaId = store()->addTaskList(projectId, QStringLiteral("Beta"));
    shipId = store()->addTask(betaId, QStringLiteral("Ship"));
    editor = addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
    mail = addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail"));

    Settings *settings = Settings::instance();
    settings->networkManager = &m_manager;
    settings->values.insert(QStringLiteral("RealApiBaseUrl"), server.url().toString());
    settings->values.insert(QStringLiteral("UserAgent"), QStringLiteral("TavroDesk/1.0.10 Test"));
    settings->values.insert(QStringLiteral("ApiKey"), store()->user(userId)->apiKey);
    settings->values.insert(QStringLiteral("AuthToken"), store()->createToken(userId));
    settings->values.insert(QStringLiteral("isLoggedIn"), true);
    // The catalogue as the session fetches it: "XmlProjectsList" and the five maps.
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
    return !settings->value(QStringLiteral("mapTaskNames")).toMap().isEmpty();
}

qint64 LinkingFixture::addEntry(qint64 appId, const QString &title, const QString &start, const QString &end)
{
    auto full = [](const QString &time) {
        return time.size() > 8 ? time : Day.toString(QStringLiteral("yyyy-MM-dd ")) + time;
    };
    return exec(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) VALUES (?, ?, ?, ?)"),
                {title, appId, full(start), full(end)})
        .toLongLong();
}

QVariant LinkingFixture::column(qint64 entryId, const char *column)
{
    return exec(QStringLiteral("SELECT ") + QLatin1String(column) + QStringLiteral(" FROM entries WHERE id = ?"),
                {entryId});
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
    unlinked.setupModelData(LinkingFixture::Day, 0);
    linked.setupModelData(LinkingFixture::Day, 0);
}
