#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

class QSettings;
class Settings;

// Where TavroDesk keeps its files, and the settings file as a whole.
namespace SettingsFile {

// The idle limit in minutes the settings dialog offers; other stored values fall back to the default.
constexpr int MinIdleLimit = 1;
constexpr int MaxIdleLimit = 99;
// The "Hide entries under" thresholds in seconds; other stored values fall back to 0.
const QList<int> &hideUnderChoices();

// Values the first-start and settings dialogs edit.
struct DialogValues
{
    int idleLimit = 5;
    bool idleEnabled = true;
    // Idle time while an application inhibits idling (a video, a presentation) is not away time.
    bool inhibitedIdleIsPresence = true;
    QString username;
    QString password;
    bool proxyEnabled = false;
    QString proxyHost;
    QString proxyPort;
    bool sslEnabled = true;
    bool closeToTray = true;
    bool minimizeToTray = false;
    bool singleClickTrayOpen = true;
    // Look for a newer release at start-up and once a day, in this feed; help pages at `helpUrl`.
    bool checkForUpdates = true;
    QString updateFeedUrl;
    QString helpUrl;
};

// Values that the main window owns and hands over when saving.
struct WindowValues
{
    bool recording = false;
    QByteArray geometry;
    QByteArray state;
    QByteArray unlinkedListGeometry;
    QByteArray unlinkedListState;
    QByteArray linkedListGeometry;
    QByteArray linkedListState;
};

// The XDG places: settings in $XDG_CONFIG_HOME/TavroDesk, window state and the debug log in
// $XDG_STATE_HOME/TavroDesk, the database in $XDG_DATA_HOME/TavroDesk.
QString dataLocation();
QString dataFolder();
QString configFolder();
QString stateFolder();
// The settings file; the one in the data folder where earlier versions kept it while it has not
// been moved yet (see LegacyLayout), so that a failed move never starts the user afresh.
QString iniPath();
QString windowStatePath();
QString databasePath();
QString debugLogPath();

// Creates the data, config and state folders (mode 0700) when missing. Returns false when one cannot
// be created or its path is taken by something that is not a folder; `failed` then names it.
bool ensureFolders(QString *failed = nullptr);
// Restricts the ini file to its owner: it holds a session token and a password.
void protectIniFile(const QString &path);

QString defaultServiceUrl();
QString userAgent();
QString realApiUrl(const QString &url, bool sslEnabled);

QString encodePassword(const QString &password);
QString decodePassword(const QString &stored);

// Reads the dialog values from the ini with their defaults.
DialogValues readDialogValues(QSettings &ini);
// Writes the first-start dialog's values and the default service URL.
void writeFirstStart(QSettings &ini, const DialogValues &values);
void storeDialogValues(Settings &settings, const DialogValues &values);
DialogValues dialogValues(const Settings &settings);

// Reads the settings from the ini file, closing it to others first.
void load(QSettings &ini, Settings &settings);
// Writes the recording state and the settings back. Without `withSecrets` the password and the
// session token are removed from the ini instead (they live in the keyring).
void save(QSettings &ini, const Settings &settings, const WindowValues &window, bool withSecrets = true);

// The window's layout lives apart from the settings, in the state file; the entry views' header
// keys are settings.
void loadWindowState(QSettings &state, Settings &settings);
void saveWindowState(QSettings &state, const WindowValues &window);

} // namespace SettingsFile
