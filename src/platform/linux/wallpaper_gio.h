// GSettings and D-Bus through GIO, guarded for the wallpaper backends: a
// schema, key or service that is not there is a result, never an abort. GIO
// is opened when a backend first calls here (desktops painted by the program
// itself never load it); without it there are no settings and no bus.
#pragma once

#include <gio/gio.h>

#include <memory>
#include <optional>
#include <string>

namespace platform::wallpaper {

/// g_object_unref, for the objects made here.
void unrefObject(gpointer object);
/// g_settings_sync: writes what was set before the program goes on.
void syncSettings();

struct GObjectUnref {
    void operator()(gpointer p) const { unrefObject(p); }
};
struct GFree {
    void operator()(gpointer p) const { g_free(p); }
};
struct GVariantUnref {
    void operator()(GVariant* v) const { g_variant_unref(v); }
};
struct GErrorFree {
    void operator()(GError* e) const { g_error_free(e); }
};
using SettingsPtr = std::unique_ptr<GSettings, GObjectUnref>;
using BusPtr = std::unique_ptr<GDBusConnection, GObjectUnref>;
using GCharPtr = std::unique_ptr<gchar, GFree>;
using VariantPtr = std::unique_ptr<GVariant, GVariantUnref>;
using ErrorPtr = std::unique_ptr<GError, GErrorFree>;

/// The settings of `schemaId`, when that schema is installed and has a
/// string key `requiredKey`; nullptr otherwise. (GSettings aborts the process
/// when asked for a schema or a key that is not installed.)
SettingsPtr openSettings(const char* schemaId, const char* requiredKey);

/// Whether the settings' schema has a key `key` whose values are strings
/// (enumerations included).
bool hasStringKey(GSettings* settings, const char* key);

/// The string value of `key`; empty when the schema has no such key.
std::string settingsString(GSettings* settings, const char* key);

/// Writes `value` to `key` when the schema has the key and allows the value.
bool setSettingsString(GSettings* settings, const char* key, const std::string& value);

/// A private connection to the session bus, nullptr when the session has
/// none. Private, so that a bus that goes away never ends the program.
BusPtr openSessionBus();

/// Calls `method` of `iface` on `object` of `service` with `args` (floating,
/// consumed), waiting at most the external-program timeout. The reply, or
/// nullptr with `error` set.
VariantPtr callMethod(GDBusConnection* bus, const char* service, const char* object,
                      const char* iface, const char* method, GVariant* args,
                      const GVariantType* replyType, ErrorPtr& error);

/// True when the error says that nobody serves the name (and none could be
/// started for it).
bool isServiceMissing(const GError* error);

/// Whether some connection owns the bus name `name` now.
bool nameHasOwner(GDBusConnection* bus, const char* name);

/// One line on stderr about a failed D-Bus call.
void reportDBusError(const char* what, const GError* error);

} // namespace platform::wallpaper
