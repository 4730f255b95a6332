#include "desktopappmetadata.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

namespace {
// Interpreters and launchers run many unrelated programs; an entry starting one of them says
// nothing about whose window it is.
bool isLauncher(const QString &program)
{
    static const QRegularExpression launcher(
        QStringLiteral("^(sh|bash|dash|zsh|env|python[0-9.]*|perl|ruby|node|java|flatpak|snap)$"));
    return launcher.match(QFileInfo(program).fileName()).hasMatch();
}

QString resolveProgram(const QString &program)
{
    if (program.isEmpty()) {
        return {};
    }
    const QString found = program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    return found.isEmpty() ? QString() : QFileInfo(found).canonicalFilePath();
}
} // namespace

DesktopAppMetadata::DesktopAppMetadata() = default;

DesktopAppMetadata::DesktopAppMetadata(const QStringList &dataDirs)
    : m_dataDirs(dataDirs)
{}

QStringList DesktopAppMetadata::xdgDataDirs()
{
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty()) {
        home = QDir::homePath() + QStringLiteral("/.local/share");
    }
    QStringList dirs{home};
    const QString system = qEnvironmentVariable("XDG_DATA_DIRS");
    const QStringList systemDirs = system.isEmpty()
                                       ? QStringList{QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")}
                                       : system.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    dirs += systemDirs;
    return dirs;
}

QString DesktopAppMetadata::productName(const QString &path)
{
    const DesktopEntry *entry = entryFor(path);
    return entry ? entry->name() : QString();
}

QStringList DesktopAppMetadata::knownNames(const QString &path)
{
    const DesktopEntry *entry = entryFor(path);
    if (!entry) {
        return {};
    }
    const size_t number = size_t(entry - m_entries.data());
    QString identity = entry->value(QStringLiteral("Name"));
    if (identity.isEmpty()) {
        identity = m_fileNames[number];
    }
    QStringList names{identity, entry->name()};
    // The index keeps the names of one language; all of them are read once per program, from its file.
    names += DesktopEntry::fromFile(m_files[number]).translations(QStringLiteral("Name"));
    names.removeAll(QString());
    names.removeDuplicates();
    return names;
}

const DesktopEntry *DesktopAppMetadata::entryFor(const QString &path)
{
    buildIndex();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty()) {
        return nullptr;
    }
    const auto it = m_byExecutable.constFind(canonical);
    return it == m_byExecutable.constEnd() ? nullptr : &m_entries[size_t(*it)];
}

void DesktopAppMetadata::buildIndex()
{
    // Every look-up passes here: comparing locales costs no string.
    const QLocale locale;
    if (m_indexed && m_indexLocale == locale) {
        return;
    }
    m_indexed = true;
    m_indexLocale = locale;
    for (auto *list : {&m_fileNames, &m_ids, &m_files, &m_executables}) {
        list->clear();
    }
    m_entries.clear();
    m_byExecutable.clear();
    m_byId.clear();
    m_byWindowClass.clear();
    // Of the names, those of the language in use: menus translate theirs into dozens of languages.
    QStringList kept = DesktopEntry::localizedKeys(QStringLiteral("Name"), locale.name());
    kept << QStringLiteral("Icon") << QStringLiteral("NoDisplay");
    if (m_dataDirs.isEmpty()) {
        m_dataDirs = xdgDataDirs();
    }
    // The same desktop-file id in a later folder is shadowed, even when the earlier copy hides it.
    QSet<QString> seenIds;
    for (const QString &dataDir : std::as_const(m_dataDirs)) {
        const QString root = dataDir + QStringLiteral("/applications");
        QStringList files;
        QDirIterator it(root, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            files << it.next();
        }
        files.sort();
        const QDir rootDir(root);
        for (const QString &file : std::as_const(files)) {
            const QString id = rootDir.relativeFilePath(file).replace(QLatin1Char('/'), QLatin1Char('-'));
            if (seenIds.contains(id)) {
                continue;
            }
            seenIds.insert(id);
            DesktopEntry entry = DesktopEntry::fromFile(file);
            if (!entry.isValid() || !entry.isApplication() || entry.isHidden()) {
                continue;
            }
            const int number = int(m_entries.size());
            const QString tryExec = entry.tryExec();
            const QString program = entry.program();
            const QString windowClass = entry.value(QStringLiteral("StartupWMClass")).toLower();
            // Menus' comments, keywords and actions, and names in other languages, are not kept for hours.
            m_entries.push_back(entry.withMainKeys(kept));
            m_fileNames.push_back(QFileInfo(file).completeBaseName());
            // Earlier folders and files win here too.
            const QString lowerId = id.chopped(int(qstrlen(".desktop"))).toLower();
            m_ids.push_back(lowerId);
            if (!m_byId.contains(lowerId)) {
                m_byId.insert(lowerId, number);
            }
            const QString fromTryExec = index(tryExec, number);
            const QString fromExec = index(program, number);
            m_executables.push_back(fromTryExec.isEmpty() ? fromExec : fromTryExec);
            m_files.push_back(QFileInfo(file).canonicalFilePath());
            m_byExecutable.insert(m_files.back(), number);
            if (!windowClass.isEmpty() && !m_byWindowClass.contains(windowClass)) {
                m_byWindowClass.insert(windowClass, number);
            }
        }
    }
}

QString DesktopAppMetadata::index(const QString &program, int entry)
{
    if (program.isEmpty() || isLauncher(program)) {
        return {};
    }
    const QString executable = resolveProgram(program);
    if (executable.isEmpty()) {
        return {};
    }
    const auto it = m_byExecutable.constFind(executable);
    // Earlier folders win, unless a later entry describes the program better: one shown in menus
    // beats a hidden helper, and the program's own entry (foot.desktop for foot) beats a variant
    // starting it with options (foot-server.desktop).
    const auto rank = [&](int candidate) {
        return (m_entries[size_t(candidate)].noDisplay() ? 0 : 2) +
               (m_ids[size_t(candidate)] == QFileInfo(program).fileName().toLower() ? 1 : 0);
    };
    if (it == m_byExecutable.constEnd() || rank(entry) > rank(*it)) {
        m_byExecutable.insert(executable, entry);
    }
    return executable;
}

QString DesktopAppMetadata::pathForAppId(const QString &appId)
{
    const DesktopEntry *entry = entryForAppId(appId);
    if (!entry) {
        return {};
    }
    const size_t number = size_t(entry - m_entries.data());
    return m_executables[number].isEmpty() ? m_files[number] : m_executables[number];
}

QString DesktopAppMetadata::waylandAppPath(const QString &appId)
{
    const QString path = pathForAppId(appId);
    if (!path.isEmpty()) {
        return path;
    }
    QString id = appId.isEmpty() ? QStringLiteral("unknown") : appId;
    id.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QStringLiteral("wayland://app-id/") + id;
}

QString DesktopAppMetadata::productNameForAppId(const QString &appId)
{
    const DesktopEntry *entry = entryForAppId(appId);
    return entry ? entry->name() : QString();
}

QIcon DesktopAppMetadata::iconForAppId(const QString &appId)
{
    return iconOf(entryForAppId(appId));
}

const DesktopEntry *DesktopAppMetadata::entryForAppId(const QString &appId)
{
    buildIndex();
    QString key = appId.toLower();
    if (key.endsWith(QLatin1String(".desktop"))) {
        key.chop(int(qstrlen(".desktop")));
    }
    if (key.isEmpty()) {
        return nullptr;
    }
    auto it = m_byId.constFind(key);
    if (it == m_byId.constEnd()) {
        it = m_byWindowClass.constFind(key);
        if (it == m_byWindowClass.constEnd()) {
            return nullptr;
        }
    }
    return &m_entries[size_t(*it)];
}

QIcon DesktopAppMetadata::icon(const QString &path)
{
    return iconOf(entryFor(path));
}

QIcon DesktopAppMetadata::iconOf(const DesktopEntry *entry)
{
    if (!entry) {
        return {};
    }
    QString name = entry->icon();
    if (name.isEmpty()) {
        return {};
    }
    if (QFileInfo(name).isAbsolute()) {
        return QFileInfo::exists(name) ? QIcon(name) : QIcon();
    }
    // Old entries name the file rather than the theme icon.
    static const QRegularExpression extension(QStringLiteral("\\.(png|svg|xpm)$"));
    name.remove(extension);
    setUpIconTheme(m_dataDirs);
    return QIcon::fromTheme(name);
}

void DesktopAppMetadata::setUpIconTheme(const QStringList &dataDirs)
{
    // Global state of QIcon: set once per process. Without it the offscreen platform finds nothing.
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    QStringList themePaths{QDir::homePath() + QStringLiteral("/.icons")};
    QStringList pixmapPaths;
    for (const QString &dir : dataDirs) {
        themePaths << dir + QStringLiteral("/icons");
        pixmapPaths << dir + QStringLiteral("/pixmaps");
    }
    for (const QString &existing : QIcon::themeSearchPaths()) {
        if (!themePaths.contains(existing)) {
            themePaths << existing;
        }
    }
    QIcon::setThemeSearchPaths(themePaths);
    QIcon::setFallbackSearchPaths(pixmapPaths + QIcon::fallbackSearchPaths());
    QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
    // Keep a theme the desktop chose; pick one only where Qt has none.
    const QString current = QIcon::themeName();
    if (current.isEmpty() || current == QLatin1String("hicolor")) {
        QString theme = QStringLiteral("hicolor");
        for (const QString &dir : std::as_const(themePaths)) {
            if (QFileInfo::exists(dir + QStringLiteral("/Adwaita/index.theme"))) {
                theme = QStringLiteral("Adwaita");
                break;
            }
        }
        QIcon::setThemeName(theme);
    }
}
