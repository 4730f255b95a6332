#pragma once

#include "database.h"
#include "devserver.h"
#include "entrylinker.h"
#include "treemodel.h"

#include <QApplication>
#include <QDate>
#include <QNetworkAccessManager>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QVariant>

#include <functional>

// A signed-in client against the in-process development service: a fresh local database, the demo
// account with a project of the tests' own, and its catalogue loaded into the settings map.
class LinkingFixture
{
public:
    static const QDate Day;

    LinkingFixture();
    ~LinkingFixture();

    // False (with a warning) when the service or the database cannot be set up.
    bool start();
    // Fetches the catalogue as the session does: "XmlProjectsList" and the five maps.
    void loadCatalogue();

    DevServer server;
    DevServiceStore *store() const { return server.store(); }
    int userId = 0;
    // Client "Testing Ltd", project "Linking" with the task lists "Alpha" (tasks "Write", "Review") and
    // "Beta" (task "Ship"); project "Dormant" with the task list "Later" without open tasks.
    int projectId = 0;
    int alphaId = 0;
    int writeId = 0;
    int reviewId = 0;
    int betaId = 0;
    int shipId = 0;
    int dormantId = 0;
    // Local applications "Editor" and "Mail", without entries.
    qint64 editor = 0;
    qint64 mail = 0;

    static qint64 addApp(const QString &path, const QString &name);
    // An unlinked entry; times are "hh:mm:ss" on Day, or full "yyyy-MM-dd hh:mm:ss" texts.
    static qint64 addEntry(qint64 appId, const QString &title, const QString &start, const QString &end);
    static QVariant column(qint64 entryId, const QString &column);
    QList<DevServerRequest> requests(const QString &method) const;

private:
    QTemporaryDir m_dir;
    Database m_db;
    QNetworkAccessManager m_manager;
};

// The day's unlinked and linked models as stored now, and the linker between them.
struct LinkingModels
{
    LinkingModels();

    TreeModel unlinked{false};
    TreeModel linked{true};
    EntryLinker linker{&unlinked, &linked};
};

// The one item of the tree with this text, or null.
inline QTreeWidgetItem *findItem(const QTreeWidget &tree, const QString &text)
{
    const QList<QTreeWidgetItem *> found = tree.findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.first() : nullptr;
}

// Answers the next modal dialog of type Dialog as soon as it runs.
template <typename Dialog> void whenModal(const std::function<void(Dialog *)> &act)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
}
