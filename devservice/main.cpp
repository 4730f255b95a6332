#include "buildinfo.h"
#include "devserver.h"
#include "devservicestore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {
int fail(const QString &message)
{
    QTextStream(stderr) << "tavro-devservice: " << message << Qt::endl;
    return 2;
}

// "METHOD=MS" or plain "MS" (every reply).
bool applyDelay(DevServer &server, const QString &option)
{
    const qsizetype equals = option.lastIndexOf(QLatin1Char('='));
    bool ok = false;
    const int milliseconds = option.mid(equals + 1).toInt(&ok);
    if (!ok || milliseconds < 0) {
        return false;
    }
    server.setDelay(milliseconds, equals < 0 ? QString() : option.left(equals));
    return true;
}

// "METHOD=KIND" or "METHOD=error:CODE:MESSAGE".
bool applyFault(DevServer &server, const QString &option)
{
    const qsizetype equals = option.indexOf(QLatin1Char('='));
    if (equals <= 0) {
        return false;
    }
    const QString method = option.left(equals);
    const QString kind = option.mid(equals + 1);
    if (kind.startsWith(QLatin1String("error:"))) {
        const QStringList parts = kind.split(QLatin1Char(':'));
        bool ok = false;
        const int code = parts.value(1).toInt(&ok);
        if (!ok) {
            return false;
        }
        server.setErrorFault(method, code, parts.mid(2).join(QLatin1Char(':')));
        return true;
    }
    bool ok = false;
    const DevServer::Fault fault = DevServer::faultFromName(kind, &ok);
    if (ok && fault != DevServer::Fault::Error) {
        server.setFault(method, fault);
    }
    return ok && fault != DevServer::Fault::Error;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavro-devservice"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Development server answering the Tavro service methods."));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port to listen on (0: any free port)."),
                                  QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption bind(QStringLiteral("bind"), QStringLiteral("Address to listen on."),
                                  QStringLiteral("ADDR"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption data(QStringLiteral("data"),
                                  QStringLiteral("SQLite data file, created with demo data when new (default: "
                                                 "in memory)."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption cert(QStringLiteral("cert"), QStringLiteral("PEM certificate: serve HTTPS."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption key(QStringLiteral("key"), QStringLiteral("PEM private key for --cert."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption delay(QStringLiteral("delay"),
                                   QStringLiteral("Delay replies: MS for all, or METHOD=MS for one method. "
                                                  "Repeatable."),
                                   QStringLiteral("SETTING"));
    const QCommandLineOption fault(
        QStringLiteral("fault"),
        QStringLiteral("Make METHOD fail: METHOD=KIND with KIND one of close, malformed, nul, no-status, no-id, "
                       "error-no-element, or METHOD=error:CODE:MESSAGE. Repeatable."),
        QStringLiteral("SETTING"));
    const QCommandLineOption appcastVersion(QStringLiteral("appcast-version"),
                                            QStringLiteral("Newest version in the update feed."), QStringLiteral("V"),
                                            BuildInfo::version());
    parser.addOptions({port, bind, data, cert, key, delay, fault, appcastVersion});
    parser.process(app);

    bool portOk = false;
    const uint portNumber = parser.value(port).toUInt(&portOk);
    if (!portOk || portNumber > 65535) {
        return fail(QStringLiteral("invalid port: ") + parser.value(port));
    }
    const QHostAddress address(parser.value(bind));
    if (address.isNull()) {
        return fail(QStringLiteral("invalid bind address: ") + parser.value(bind));
    }
    if (parser.isSet(cert) != parser.isSet(key)) {
        return fail(QStringLiteral("--cert and --key go together"));
    }

    DevServiceStore store;
    QString error;
    if (!store.open(parser.value(data), &error)) {
        return fail(QStringLiteral("cannot open data file: ") + error);
    }
    DevServer server(&store);
    if (parser.isSet(cert) && !server.setTlsFiles(parser.value(cert), parser.value(key), &error)) {
        return fail(error);
    }
    for (const QString &setting : parser.values(delay)) {
        if (!applyDelay(server, setting)) {
            return fail(QStringLiteral("invalid --delay: ") + setting);
        }
    }
    for (const QString &setting : parser.values(fault)) {
        if (!applyFault(server, setting)) {
            return fail(QStringLiteral("invalid --fault: ") + setting);
        }
    }
    server.setAppcastVersion(parser.value(appcastVersion));
    if (!server.listen(static_cast<quint16>(portNumber), address)) {
        return fail(QStringLiteral("cannot listen: ") + server.errorString());
    }

    QTextStream out(stdout);
    out << "tavro-devservice listening on " << server.url().toString() << Qt::endl;
    return QCoreApplication::exec();
}
