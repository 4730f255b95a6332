#include "legacylayout.h"

#include "settingsfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

// A regular file of an earlier version, not yet replaced by our link.
bool isEarlierFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && !info.isSymLink();
}

// Moves `from` to `to` and links `from` to it. Keeps `from` when `to` exists or the move fails.
void moveAndLink(const QString &from, const QString &to, QStringList &notes)
{
    if (!isEarlierFile(from)) {
        return;
    }
    if (QFile::exists(to)) {
        notes << QStringLiteral("kept %1: %2 exists").arg(from, to);
        return;
    }
    QFile file(from);
    if (!QDir().mkpath(QFileInfo(to).path()) || !file.rename(to)) {
        notes << QStringLiteral("could not move %1 to %2: %3").arg(from, to, file.errorString());
        return;
    }
    notes << QStringLiteral("moved %1 to %2").arg(from, to);
    if (!QFile::link(to, from)) {
        notes << QStringLiteral("could not link %1 to %2").arg(from, to);
    }
}

// The window's layout leaves the settings file for the state file, once: copied and synced first,
// removed from the settings only when the copy is safe.
void moveWindowState(QStringList &notes)
{
    const QString statePath = SettingsFile::windowStatePath();
    QSettings ini(SettingsFile::iniPath(), QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Window"));
    const QStringList keys = ini.childKeys();
    ini.endGroup();
    if (keys.isEmpty() || QFile::exists(statePath)) {
        return;
    }
    if (!QDir().mkpath(QFileInfo(statePath).path())) {
        notes << QStringLiteral("could not create the folder of ") + statePath;
        return;
    }
    QSettings state(statePath, QSettings::IniFormat);
    for (const QString &key : keys) {
        const QString name = QStringLiteral("Window/") + key;
        state.setValue(name, ini.value(name));
    }
    state.sync();
    if (state.status() != QSettings::NoError) {
        notes << QStringLiteral("could not write ") + statePath;
        QFile::remove(statePath);
        return;
    }
    ini.remove(QStringLiteral("Window"));
    ini.sync();
    notes << QStringLiteral("moved the window layout to ") + statePath;
}

} // namespace

QStringList LegacyLayout::moveToXdgPlaces()
{
    QStringList notes;
    const QString earlier = SettingsFile::dataFolder();
    moveAndLink(earlier + QStringLiteral("/tavrodesk.ini"),
                SettingsFile::configFolder() + QStringLiteral("/tavrodesk.ini"), notes);
    moveAndLink(earlier + QStringLiteral("/debug.log"), SettingsFile::debugLogPath(), notes);
    moveWindowState(notes);
    return notes;
}
