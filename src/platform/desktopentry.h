#pragma once

#include <QByteArray>
#include <QLocale>
#include <QMap>
#include <QString>
#include <QStringList>

// One freedesktop desktop entry file: groups of key=value lines. Comments, blank lines and lines
// that are none of the above are skipped; keys before the first group are ignored. Values are kept
// as written and unescaped (\s \n \t \r \\) when read.
class DesktopEntry
{
public:
    // Real entries have a few kilobytes; larger files are not read.
    static constexpr qint64 MaxFileBytes = 256 * 1024;

    static QString mainGroup() { return QStringLiteral("Desktop Entry"); }

    static DesktopEntry parse(const QByteArray &text);
    // Invalid when the file cannot be read, is no regular file or is larger than MaxFileBytes.
    static DesktopEntry fromFile(const QString &path);

    // True when the text had a [Desktop Entry] group.
    bool isValid() const { return m_groups.contains(mainGroup()); }
    // In the order they appear.
    QStringList groups() const { return m_groupOrder; }
    bool contains(const QString &key, const QString &group = mainGroup()) const;
    // The unescaped value of exactly `key` ("Name[de]" is a key of its own); empty when missing.
    QString value(const QString &key, const QString &group = mainGroup()) const;
    // The value for `locale` (lang_COUNTRY.ENCODING@MODIFIER, any part optional), falling back from
    // key[lang_COUNTRY@MODIFIER] over key[lang_COUNTRY], key[lang@MODIFIER], key[lang] to key.
    QString localizedValue(const QString &key, const QString &locale, const QString &group = mainGroup()) const;
    // The keys localizedValue() tries for `locale`, in its order, `key` itself last.
    static QStringList localizedKeys(const QString &key, const QString &locale);
    bool boolValue(const QString &key, const QString &group = mainGroup()) const;

    QString type() const { return value(QStringLiteral("Type")); }
    bool isApplication() const { return type() == QLatin1String("Application"); }
    QString name(const QString &locale = QLocale().name()) const;
    // The unescaped values of every translation of `key` (key[...]), in key order.
    QStringList translations(const QString &key, const QString &group = mainGroup()) const;
    QString exec() const { return value(QStringLiteral("Exec")); }
    QString tryExec() const { return value(QStringLiteral("TryExec")); }
    QString icon() const { return value(QStringLiteral("Icon")); }
    bool isHidden() const { return boolValue(QStringLiteral("Hidden")); }
    bool noDisplay() const { return boolValue(QStringLiteral("NoDisplay")); }

    // The same entry holding only the main group's `keys` ("Name[de]" is a key of its own): what an
    // index of many entries needs to keep of each.
    DesktopEntry withMainKeys(const QStringList &keys) const;

    // The program Exec starts: its first word, unquoted, past a leading `env`, env's options and
    // NAME=value assignments. Empty when Exec is missing or badly quoted.
    QString program() const;

    // Splits an (already unescaped) Exec value into arguments: blanks separate, double quotes group,
    // and inside quotes a backslash escapes ", `, $ and \. Sets `ok` false for an open quote.
    static QStringList splitExec(const QString &exec, bool *ok = nullptr);
    static QString unescape(const QString &raw);

private:
    QMap<QString, QMap<QString, QString>> m_groups;
    QStringList m_groupOrder;
};
