#include "debuglog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTextStream>

#include <cstdlib>

namespace {
QFile debugLogFile;
QTextStream debugLogStream;

void debugMessageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    debugLogStream << DebugLog::formatLine(type, message, QDateTime::currentDateTime()) << '\n';
    // Flushed per line: the log is read most when the program died unexpectedly.
    debugLogStream.flush();
    if (type == QtFatalMsg) {
        std::abort();
    }
}
} // namespace

QString DebugLog::formatLine(QtMsgType type, const QString &message, const QDateTime &when)
{
    QString tag;
    switch (type) {
    case QtDebugMsg:
    case QtInfoMsg:
        tag = QStringLiteral(" ");
        break;
    case QtWarningMsg:
        tag = QStringLiteral(" Warning: ");
        break;
    case QtCriticalMsg:
        tag = QStringLiteral(" Critical: ");
        break;
    case QtFatalMsg:
        tag = QStringLiteral(" Fatal: ");
        break;
    }
    return when.toString(QStringLiteral("dd-MM-yyyy hh:mm:ss")) + tag + message;
}

void DebugLog::enableDebugMessages(bool enabled)
{
    QLoggingCategory::setFilterRules(enabled ? QStringLiteral("default.debug=true\ntavro.*.debug=true")
                                             : QStringLiteral("default.debug=false"));
}

bool DebugLog::open(const QString &path)
{
    debugLogFile.setFileName(path);
    // The log's folder may not exist yet on a first start: the log is wanted from its first line.
    QDir().mkpath(QFileInfo(path).path());
    if (!debugLogFile.open(QIODevice::Append | QIODevice::Text, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        return false;
    }
    // The log names windows and accounts; one an earlier version left readable is closed too.
    debugLogFile.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    debugLogStream.setDevice(&debugLogFile);
    qInstallMessageHandler(debugMessageHandler);
    return true;
}

void DebugLog::close()
{
    if (!debugLogFile.isOpen()) {
        return;
    }
    qInstallMessageHandler(nullptr);
    debugLogStream.flush();
    debugLogStream.setDevice(nullptr);
    debugLogFile.close();
}
