#include "desktopentry.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
bool isAssignment(const QString &word)
{
    static const QRegularExpression assignment(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*="));
    return assignment.match(word).hasMatch();
}
} // namespace

DesktopEntry DesktopEntry::parse(const QByteArray &text)
{
    DesktopEntry entry;
    QMap<QString, QString> *current = nullptr;
    for (const QByteArray &rawLine : text.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        // A broken header ("[Name" without the bracket) is skipped like any other bad line.
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')) && line.size() >= 3) {
            const QString group = line.mid(1, line.size() - 2);
            // A repeated group is not allowed; its second copy is skipped rather than merged.
            current = nullptr;
            if (!entry.m_groups.contains(group)) {
                entry.m_groupOrder.append(group);
                current = &entry.m_groups[group];
            }
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!current || equals <= 0) {
            continue;
        }
        const QString key = line.left(equals).trimmed();
        if (key.isEmpty() || current->contains(key)) {
            continue;
        }
        current->insert(key, line.mid(equals + 1).trimmed());
    }
    return entry;
}

DesktopEntry DesktopEntry::withMainKeys(const QStringList &keys) const
{
    DesktopEntry kept;
    const auto main = m_groups.constFind(mainGroup());
    if (main == m_groups.constEnd()) {
        return kept;
    }
    QMap<QString, QString> &values = kept.m_groups[mainGroup()];
    kept.m_groupOrder.append(mainGroup());
    for (const QString &key : keys) {
        if (const auto it = main->constFind(key); it != main->constEnd()) {
            values.insert(key, *it);
        }
    }
    return kept;
}

DesktopEntry DesktopEntry::fromFile(const QString &path)
{
    // Any file may sit in an applications folder: a link to a device or a FIFO must not be read.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > MaxFileBytes) {
        return DesktopEntry();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return parse(file.read(MaxFileBytes));
}

bool DesktopEntry::contains(const QString &key, const QString &group) const
{
    const auto it = m_groups.constFind(group);
    return it != m_groups.constEnd() && it->contains(key);
}

QString DesktopEntry::value(const QString &key, const QString &group) const
{
    const auto it = m_groups.constFind(group);
    if (it == m_groups.constEnd()) {
        return {};
    }
    return unescape(it->value(key));
}

QStringList DesktopEntry::localizedKeys(const QString &key, const QString &locale)
{
    QString lang = locale;
    QString modifier;
    const qsizetype at = lang.indexOf(QLatin1Char('@'));
    if (at >= 0) {
        modifier = lang.mid(at);
        lang.truncate(at);
    }
    const qsizetype dot = lang.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        lang.truncate(dot);
    }
    QString country;
    const qsizetype underscore = lang.indexOf(QLatin1Char('_'));
    if (underscore >= 0) {
        country = lang.mid(underscore);
        lang.truncate(underscore);
    }
    QStringList suffixes;
    if (!lang.isEmpty() && lang != QLatin1String("C")) {
        if (!country.isEmpty() && !modifier.isEmpty()) {
            suffixes << lang + country + modifier;
        }
        if (!country.isEmpty()) {
            suffixes << lang + country;
        }
        if (!modifier.isEmpty()) {
            suffixes << lang + modifier;
        }
        suffixes << lang;
    }
    QStringList keys;
    for (const QString &suffix : std::as_const(suffixes)) {
        keys << key + QLatin1Char('[') + suffix + QLatin1Char(']');
    }
    keys << key;
    return keys;
}

QString DesktopEntry::localizedValue(const QString &key, const QString &locale, const QString &group) const
{
    for (const QString &candidate : localizedKeys(key, locale)) {
        if (contains(candidate, group)) {
            return value(candidate, group);
        }
    }
    return {};
}

bool DesktopEntry::boolValue(const QString &key, const QString &group) const
{
    return value(key, group) == QLatin1String("true");
}

QStringList DesktopEntry::translations(const QString &key, const QString &group) const
{
    QStringList values;
    const auto it = m_groups.constFind(group);
    if (it == m_groups.constEnd()) {
        return values;
    }
    const QString prefix = key + QLatin1Char('[');
    for (auto entry = it->constBegin(); entry != it->constEnd(); ++entry) {
        if (entry.key().startsWith(prefix) && entry.key().endsWith(QLatin1Char(']'))) {
            values << value(entry.key(), group);
        }
    }
    return values;
}

QString DesktopEntry::name(const QString &locale) const
{
    return localizedValue(QStringLiteral("Name"), locale);
}

QString DesktopEntry::program() const
{
    const QStringList words = splitExec(exec());
    qsizetype i = 0;
    if (i < words.size() && QFileInfo(words.at(i)).fileName() == QLatin1String("env")) {
        ++i;
        while (i < words.size() && words.at(i).startsWith(QLatin1Char('-'))) {
            // These options take the next word as their argument.
            const bool takesArgument = words.at(i) == QLatin1String("-u") || words.at(i) == QLatin1String("-C");
            i += takesArgument ? 2 : 1;
        }
    }
    while (i < words.size() && isAssignment(words.at(i))) {
        ++i;
    }
    return i < words.size() ? words.at(i) : QString();
}

QStringList DesktopEntry::splitExec(const QString &exec, bool *ok)
{
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                quoted = false;
            } else if (c == QLatin1Char('\\') && i + 1 < exec.size() &&
                       QStringView(u"\"`$\\").contains(exec.at(i + 1))) {
                word += exec.at(++i);
            } else {
                word += c;
            }
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inWord) {
                words << word;
                word.clear();
                inWord = false;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (ok) {
        *ok = !quoted;
    }
    if (quoted) {
        return {};
    }
    if (inWord) {
        words << word;
    }
    return words;
}

QString DesktopEntry::unescape(const QString &raw)
{
    if (!raw.contains(QLatin1Char('\\'))) {
        return raw;
    }
    QString result;
    result.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c != QLatin1Char('\\') || i + 1 == raw.size()) {
            result += c;
            continue;
        }
        const QChar next = raw.at(++i);
        switch (next.unicode()) {
        case 's':
            result += QLatin1Char(' ');
            break;
        case 'n':
            result += QLatin1Char('\n');
            break;
        case 't':
            result += QLatin1Char('\t');
            break;
        case 'r':
            result += QLatin1Char('\r');
            break;
        case '\\':
            result += QLatin1Char('\\');
            break;
        default:
            // Not a string escape (for example \" inside a quoted Exec argument): keep it for the
            // next stage.
            result += c;
            result += next;
        }
    }
    return result;
}
