// A service reply that never ends: how long the request takes to give up at the reply limit, how much
// the service got to send, and the peak memory the request took meanwhile.

#include "apireply.h"
#include "apirequest.h"
#include "benchdatabase.h"
#include "endlessreplyserver.h"
#include "settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    EndlessReplyServer server;
    if (!server.listen(QHostAddress::LocalHost)) {
        std::fprintf(stderr, "cannot listen\n");
        return 1;
    }
    QNetworkAccessManager manager;
    Settings::instance()->setNetworkManager(&manager);
    Settings::instance()->setServiceUrl(QStringLiteral("http://127.0.0.1:%1/service/").arg(server.serverPort()));

    const long before = peakRssKiB();
    QElapsedTimer timer;
    timer.start();
    ApiRequest request(true);
    QObject::connect(&request, &ApiRequest::finished, &app, &QCoreApplication::quit);
    request.startGet(QStringLiteral("tavro.test.null"), {}, true);
    app.exec();
    const bool ok = request.isOk();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const long after = peakRssKiB();
    std::printf("endless reply: %s after %.1f ms; service sent %lld MiB; peak RSS %ld KiB before, %ld KiB after "
                "(+%ld KiB)\n",
                ok ? "ACCEPTED" : "given up", ms, server.bytesSent() / (1024 * 1024), before, after, after - before);
    std::printf("floor: given up at the %lld MiB limit; peak growth about the limit (a reply is kept whole up "
                "to it), never the whole stream\n",
                qint64(ApiReply::MaxReplyBytes) / (1024 * 1024));
    return ok ? 1 : 0;
}
