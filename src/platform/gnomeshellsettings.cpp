#include "gnomeshellsettings.h"

#include <QCoreApplication>
#include <QLibrary>

#include <gio/gio.h>

#include <memory>
#include <type_traits>
#include <vector>

namespace {
const char *const Schema = "org.gnome.shell";
const char *const EnabledKey = "enabled-extensions";
const char *const DisabledKey = "disabled-extensions";
const char *const DisableUserKey = "disable-user-extensions";

// GIO, loaded the first time GNOME's settings are asked for: a session on any other desktop never maps
// it, nor the libraries it brings along (GObject, libmount, libselinux and more, about a megabyte).
struct Gio
{
    decltype(&g_settings_schema_source_get_default) schemaSourceGetDefault = nullptr;
    decltype(&g_settings_schema_source_lookup) schemaSourceLookup = nullptr;
    decltype(&g_settings_schema_unref) schemaUnref = nullptr;
    decltype(&g_settings_new_full) settingsNewFull = nullptr;
    decltype(&g_settings_get_strv) getStrv = nullptr;
    decltype(&g_settings_set_strv) setStrv = nullptr;
    decltype(&g_settings_get_boolean) getBoolean = nullptr;
    decltype(&g_settings_sync) sync = nullptr;
    decltype(&g_object_unref) objectUnref = nullptr;
    decltype(&g_strfreev) strfreev = nullptr;
    // Why GIO could not be loaded; empty once it is.
    QString error;
};

const Gio &gio()
{
    static const Gio loaded = [] {
        Gio functions;
        QLibrary library(QStringLiteral("gio-2.0"), 0);
        if (!library.load()) {
            functions.error = library.errorString();
            return functions;
        }
        bool resolved = true;
        const auto resolve = [&](auto &function, const char *name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
            resolved = resolved && function;
        };
        resolve(functions.schemaSourceGetDefault, "g_settings_schema_source_get_default");
        resolve(functions.schemaSourceLookup, "g_settings_schema_source_lookup");
        resolve(functions.schemaUnref, "g_settings_schema_unref");
        resolve(functions.settingsNewFull, "g_settings_new_full");
        resolve(functions.getStrv, "g_settings_get_strv");
        resolve(functions.setStrv, "g_settings_set_strv");
        resolve(functions.getBoolean, "g_settings_get_boolean");
        resolve(functions.sync, "g_settings_sync");
        // GObject's and GLib's functions come with GIO's own dependencies.
        resolve(functions.objectUnref, "g_object_unref");
        resolve(functions.strfreev, "g_strfreev");
        if (!resolved) {
            Gio none;
            none.error = library.errorString();
            return none;
        }
        // Left loaded: the settings objects GIO hands out live on in its own caches.
        return functions;
    }();
    return loaded;
}

struct ObjectUnref
{
    void operator()(gpointer object) const { gio().objectUnref(object); }
};
using Settings = std::unique_ptr<GSettings, ObjectUnref>;

// g_settings_new() aborts the process for a schema that is not installed: look it up first.
Settings open()
{
    const Gio &functions = gio();
    if (!functions.error.isEmpty()) {
        return nullptr;
    }
    GSettingsSchemaSource *source = functions.schemaSourceGetDefault();
    GSettingsSchema *schema = source ? functions.schemaSourceLookup(source, Schema, TRUE) : nullptr;
    if (!schema) {
        return nullptr;
    }
    Settings settings(functions.settingsNewFull(schema, nullptr, nullptr));
    functions.schemaUnref(schema);
    return settings;
}

QStringList readList(GSettings *settings, const char *key)
{
    gchar **values = gio().getStrv(settings, key);
    QStringList list;
    for (gchar **value = values; *value; ++value) {
        list << QString::fromUtf8(*value);
    }
    gio().strfreev(values);
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
    return gio().setStrv(settings, key, values.data());
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
    return settings && gio().getBoolean(settings.get(), DisableUserKey);
}

bool GnomeShellSettings::enable(const QString &uuid, QString *error)
{
    const Settings settings = open();
    if (!gio().error.isEmpty()) {
        *error =
            QCoreApplication::translate("GnomeShellSettings", "GNOME's settings cannot be read: %1").arg(gio().error);
        return false;
    }
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
    gio().sync();
    if (!written) {
        *error = QCoreApplication::translate("GnomeShellSettings", "GNOME's settings are read-only here (%1)")
                     .arg(QLatin1String(EnabledKey));
    }
    return written;
}
