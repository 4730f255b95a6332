#include "gnomeshellsettings.h"

#include <QCoreApplication>

#include <gio/gio.h>

#include <memory>
#include <vector>

namespace {
const char *const Schema = "org.gnome.shell";
const char *const EnabledKey = "enabled-extensions";
const char *const DisabledKey = "disabled-extensions";
const char *const DisableUserKey = "disable-user-extensions";

struct ObjectUnref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
using Settings = std::unique_ptr<GSettings, ObjectUnref>;

// g_settings_new() aborts the process for a schema that is not installed: look it up first.
Settings open()
{
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    GSettingsSchema *schema = source ? g_settings_schema_source_lookup(source, Schema, TRUE) : nullptr;
    if (!schema) {
        return nullptr;
    }
    Settings settings(g_settings_new_full(schema, nullptr, nullptr));
    g_settings_schema_unref(schema);
    return settings;
}

QStringList readList(GSettings *settings, const char *key)
{
    gchar **values = g_settings_get_strv(settings, key);
    QStringList list;
    for (gchar **value = values; *value; ++value) {
        list << QString::fromUtf8(*value);
    }
    g_strfreev(values);
    return list;
}

bool writeList(GSettings *settings, const char *key, const QStringList &list)
{
    std::vector<QByteArray> utf8;
    std::vector<const gchar *> values;
    for (const QString &value : list) {
        utf8.push_back(value.toUtf8());
    }
    for (const QByteArray &value : utf8) {
        values.push_back(value.constData());
    }
    values.push_back(nullptr);
    return g_settings_set_strv(settings, key, values.data());
}
} // namespace

bool GnomeShellSettings::isAvailable()
{
    return open() != nullptr;
}

bool GnomeShellSettings::isEnabled(const QString &uuid)
{
    const Settings settings = open();
    return settings && readList(settings.get(), EnabledKey).contains(uuid) &&
           !readList(settings.get(), DisabledKey).contains(uuid);
}

bool GnomeShellSettings::userExtensionsDisabled()
{
    const Settings settings = open();
    return settings && g_settings_get_boolean(settings.get(), DisableUserKey);
}

bool GnomeShellSettings::enable(const QString &uuid, QString *error)
{
    const Settings settings = open();
    if (!settings) {
        *error = QCoreApplication::translate("GnomeShellSettings", "GNOME Shell's settings (%1) are not installed")
                     .arg(QLatin1String(Schema));
        return false;
    }
    QStringList enabled = readList(settings.get(), EnabledKey);
    QStringList disabled = readList(settings.get(), DisabledKey);
    bool written = true;
    if (disabled.removeAll(uuid) > 0) {
        written = writeList(settings.get(), DisabledKey, disabled);
    }
    if (written && !enabled.contains(uuid)) {
        enabled << uuid;
        written = writeList(settings.get(), EnabledKey, enabled);
    }
    // The write goes out asynchronously; a process that ends right after would lose it.
    g_settings_sync();
    if (!written) {
        *error = QCoreApplication::translate("GnomeShellSettings", "GNOME's settings are read-only here (%1)")
                     .arg(QLatin1String(EnabledKey));
    }
    return written;
}
