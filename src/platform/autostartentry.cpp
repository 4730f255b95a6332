#include "autostartentry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
// One argument of an Exec line: quoted when it holds anything but plain path characters, with
// the characters the desktop entry format reserves inside quotes escaped.
QString execArgument(const QString &argument)
{
    bool plain = !argument.isEmpty();
    for (const QChar c : argument) {
        plain = plain && (c.isLetterOrNumber() || QStringLiteral("/._+-,").contains(c)) && c.unicode() < 128;
    }
    QString text = argument;
    text.replace(QLatin1Char('%'), QStringLiteral("%%"));
    if (plain) {
        return text;
    }
    QString quoted;
    for (const QChar c : std::as_const(text)) {
        if (QStringLiteral("\"`$\\").contains(c)) {
            quoted += QLatin1Char('\\');
        }
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A string value of a desktop entry: backslashes and line breaks are escaped.
QString entryValue(const QString &value)
{
    QString text = value;
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    text.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    text.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    return text;
}
} // namespace

AutostartEntry::AutostartEntry(const QString &appId, const QString &binary)
    : m_appId(appId)
    , m_binary(binary)
{}

QString AutostartEntry::path() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart/") +
           m_appId + QStringLiteral(".desktop");
}

bool AutostartEntry::isEnabled() const
{
    return QFileInfo::exists(path());
}

QString AutostartEntry::contents() const
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=TavroDesk\n"
                          "Comment=Record the window in front and book the time on Tavro tasks\n"
                          "Exec=%1 %2\n"
                          "TryExec=%3\n"
                          "Icon=%4\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        // TryExec: once the program is uninstalled, the desktop skips the entry it left behind.
        .arg(entryValue(execArgument(m_binary)), argument(), entryValue(m_binary), m_appId);
}

bool AutostartEntry::setEnabled(bool enabled, QString &error)
{
    const QString file = path();
    if (!enabled) {
        if (QFileInfo::exists(file) && !QFile::remove(file)) {
            error = QCoreApplication::translate("AutostartEntry", "Could not remove %1.").arg(file);
            return false;
        }
        return true;
    }
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) {
        error = QCoreApplication::translate("AutostartEntry", "Could not create the folder %1.")
                    .arg(QFileInfo(file).absolutePath());
        return false;
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(contents().toUtf8()) < 0 || !out.commit()) {
        error = QCoreApplication::translate("AutostartEntry", "Could not write %1: %2").arg(file, out.errorString());
        return false;
    }
    return true;
}
