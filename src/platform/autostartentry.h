#pragma once

#include <QString>

// The XDG autostart entry ($XDG_CONFIG_HOME/autostart/<id>.desktop) that starts the program at
// log-in. Its presence is the setting: there is nothing else to keep in step.
class AutostartEntry
{
public:
    // The switch the entry passes, so that the program knows it was started at log-in.
    static QString argument() { return QStringLiteral("--autostart"); }

    // `binary` is the program the entry starts, normally the running one.
    AutostartEntry(const QString &appId, const QString &binary);

    QString path() const;
    bool isEnabled() const;
    // Writes or removes the entry; false with `error` set when the file system refused.
    bool setEnabled(bool enabled, QString &error);

    // The entry's text.
    QString contents() const;

private:
    QString m_appId;
    QString m_binary;
};
