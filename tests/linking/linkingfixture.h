#pragma once

#include "devserver.h"
#include "entrylinker.h"
#include "session.h"
#include "storedentries.h"
#include "testdb.h"
#include "treemodel.h"

#include <QApplication>
#include <QDate>
#include <QTimer>
#include <QVariant>

#include <functional>
#include <memory>

// A signed-in client against the in-process development service: a fresh local database, the demo
// account with a project of the tests' own, and its catalogue loaded into the settings map.
struct LinkingModels;

class LinkingFixture
{
public:
    static const QDate Day;

    ~LinkingFixture();
    // False (with a warning) when the service or the database cannot be set up.
    bool start();

    DevServer server;
    DevServiceStore *store() const { return server.store(); }
    // Project "Linking": task lists "Alpha" (tasks "Write", "Review") and "Beta" (task "Ship").
    int userId = 0, projectId = 0, alphaId = 0, writeId = 0, reviewId = 0, betaId = 0, shipId = 0;
    // Applications "Editor" and "Mail"; unlinked entries Editor "Report" 600 s and 300 s, Mail "Inbox" 300 s,
    // Editor "Notes" 60 s, and the day's models over them.
    qint64 editor = 0, mail = 0, report1 = 0, inbox = 0, report2 = 0, notes = 0;
    std::unique_ptr<LinkingModels> models;

    // An unlinked entry; times are "hh:mm:ss" on Day, or full "yyyy-MM-dd hh:mm:ss" texts.
    static qint64 addEntry(qint64 appId, const char *title, const char *start, const char *end);
    static QVariant column(qint64 entryId, const char *column);
    QList<DevServerRequest> requests(const char *method) const;

private:
    TestDb::TempDatabase m_db;
    Session m_session{nullptr};
};

// The day's unlinked and linked models as stored now, and the linker between them.
struct LinkingModels
{
    LinkingModels();

    StoredEntries entries;
    TreeModel unlinked{false};
    TreeModel linked{true};
    EntryLinker linker{&unlinked, &linked};
};

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
