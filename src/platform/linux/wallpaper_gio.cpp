// GSettings and D-Bus through GIO for the wallpaper backends.
#include "platform/linux/wallpaper_gio.h"

#include "platform/linux/wallpaper_backends.h"

#include <cstdlib>
#include <sys/stat.h>

namespace platform::wallpaper {

namespace {

struct SchemaUnref {
    void operator()(GSettingsSchema* s) const { g_settings_schema_unref(s); }
};
struct SchemaKeyUnref {
    void operator()(GSettingsSchemaKey* k) const { g_settings_schema_key_unref(k); }
};
using SchemaPtr = std::unique_ptr<GSettingsSchema, SchemaUnref>;
using SchemaKeyPtr = std::unique_ptr<GSettingsSchemaKey, SchemaKeyUnref>;

SchemaPtr schemaOf(GSettings* settings) {
    GSettingsSchema* schema = nullptr;
    g_object_get(settings, "settings-schema", &schema, nullptr);
    return SchemaPtr(schema);
}

SchemaKeyPtr stringKey(GSettingsSchema* schema, const char* key) {
    if (!schema || !g_settings_schema_has_key(schema, key))
        return nullptr;
    SchemaKeyPtr k(g_settings_schema_get_key(schema, key));
    if (!g_variant_type_equal(g_settings_schema_key_get_value_type(k.get()), G_VARIANT_TYPE_STRING))
        return nullptr;
    return k;
}

} // namespace

SettingsPtr openSettings(const char* schemaId, const char* requiredKey) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source)
        return nullptr;
    SchemaPtr schema(g_settings_schema_source_lookup(source, schemaId, TRUE));
    if (!schema || !stringKey(schema.get(), requiredKey))
        return nullptr;
    return SettingsPtr(g_settings_new_full(schema.get(), nullptr, nullptr));
}

bool hasStringKey(GSettings* settings, const char* key) {
    return stringKey(schemaOf(settings).get(), key) != nullptr;
}

std::string settingsString(GSettings* settings, const char* key) {
    if (!hasStringKey(settings, key))
        return {};
    GCharPtr value(g_settings_get_string(settings, key));
    return value ? std::string(value.get()) : std::string();
}

bool setSettingsString(GSettings* settings, const char* key, const std::string& value) {
    SchemaPtr schema = schemaOf(settings);
    SchemaKeyPtr k = stringKey(schema.get(), key);
    if (!k)
        return false;
    VariantPtr v(g_variant_ref_sink(g_variant_new_string(value.c_str())));
    if (!g_settings_schema_key_range_check(k.get(), v.get()))
        return false;
    return g_settings_set_value(settings, key, v.get());
}

BusPtr openSessionBus() {
    std::string address;
    if (const char* env = std::getenv("DBUS_SESSION_BUS_ADDRESS"); env && *env) {
        address = env;
    } else if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        // The bus of a systemd user session, where the variable may be unset.
        const std::string socket = std::string(runtime) + "/bus";
        struct stat st {};
        if (::stat(socket.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode))
            return nullptr;
        GCharPtr escaped(g_dbus_address_escape_value(socket.c_str()));
        address = std::string("unix:path=") + escaped.get();
    } else {
        return nullptr;
    }
    GError* raw = nullptr;
    BusPtr bus(g_dbus_connection_new_for_address_sync(
        address.c_str(),
        GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                             G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &raw));
    ErrorPtr error(raw);
    if (!bus) {
        reportDBusError("cannot reach the session bus", error.get());
        return nullptr;
    }
    g_dbus_connection_set_exit_on_close(bus.get(), FALSE);
    return bus;
}

VariantPtr callMethod(GDBusConnection* bus, const char* service, const char* object,
                      const char* iface, const char* method, GVariant* args,
                      const GVariantType* replyType, ErrorPtr& error) {
    GError* raw = nullptr;
    VariantPtr reply(g_dbus_connection_call_sync(bus, service, object, iface, method, args,
                                                 replyType, G_DBUS_CALL_FLAGS_NONE,
                                                 int(ProgramTimeout.count()), nullptr, &raw));
    error.reset(raw);
    return reply;
}

bool isServiceMissing(const GError* error) {
    return error && (g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
                     g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER) ||
                     g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SPAWN_SERVICE_NOT_FOUND) ||
                     g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SPAWN_EXEC_FAILED) ||
                     g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SPAWN_CHILD_EXITED));
}

bool nameHasOwner(GDBusConnection* bus, const char* name) {
    ErrorPtr error;
    VariantPtr reply =
        callMethod(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                   "NameHasOwner", g_variant_new("(s)", name), G_VARIANT_TYPE("(b)"), error);
    gboolean owned = FALSE;
    if (reply)
        g_variant_get(reply.get(), "(b)", &owned);
    return owned;
}

void reportDBusError(const char* what, const GError* error) {
    reportFailure(std::string(what) + ": " + (error ? error->message : "no reply"));
}

} // namespace platform::wallpaper
