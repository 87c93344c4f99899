// GSettings and D-Bus through GIO for the wallpaper backends.
#include "platform/linux/wallpaper_gio.h"

#include "imaging/libraries.h"
#include "platform/linux/wallpaper_backends.h"

#include <cstdlib>
#include <optional>
#include <sys/stat.h>

namespace platform::wallpaper {

namespace {

// The functions of GIO (and of GObject, which it loads) that the backends call.
struct GioLibrary {
    decltype(&::g_object_get) objectGet = nullptr;
    decltype(&::g_object_unref) objectUnref = nullptr;
    decltype(&::g_settings_schema_source_get_default) schemaSourceGetDefault = nullptr;
    decltype(&::g_settings_schema_source_lookup) schemaSourceLookup = nullptr;
    decltype(&::g_settings_schema_unref) schemaUnref = nullptr;
    decltype(&::g_settings_schema_has_key) schemaHasKey = nullptr;
    decltype(&::g_settings_schema_get_key) schemaGetKey = nullptr;
    decltype(&::g_settings_schema_key_unref) schemaKeyUnref = nullptr;
    decltype(&::g_settings_schema_key_get_value_type) schemaKeyGetValueType = nullptr;
    decltype(&::g_settings_schema_key_range_check) schemaKeyRangeCheck = nullptr;
    decltype(&::g_settings_new_full) settingsNewFull = nullptr;
    decltype(&::g_settings_get_string) settingsGetString = nullptr;
    decltype(&::g_settings_set_value) settingsSetValue = nullptr;
    decltype(&::g_settings_sync) settingsSync = nullptr;
    decltype(&::g_dbus_address_escape_value) dbusAddressEscapeValue = nullptr;
    decltype(&::g_dbus_connection_new_for_address_sync) dbusConnectionNewForAddressSync = nullptr;
    decltype(&::g_dbus_connection_set_exit_on_close) dbusConnectionSetExitOnClose = nullptr;
    decltype(&::g_dbus_connection_call_sync) dbusConnectionCallSync = nullptr;
    decltype(&::g_dbus_error_quark) dbusErrorQuark = nullptr;
};

// GIO, opened on first use; null when it is not installed.
const GioLibrary* gio() {
    static const std::optional<GioLibrary> Library = []() -> std::optional<GioLibrary> {
        SharedLibrary shared(QUORVANE_SONAME_GIO_2_0);
        GioLibrary l;
        shared.find("g_object_get", l.objectGet);
        shared.find("g_object_unref", l.objectUnref);
        shared.find("g_settings_schema_source_get_default", l.schemaSourceGetDefault);
        shared.find("g_settings_schema_source_lookup", l.schemaSourceLookup);
        shared.find("g_settings_schema_unref", l.schemaUnref);
        shared.find("g_settings_schema_has_key", l.schemaHasKey);
        shared.find("g_settings_schema_get_key", l.schemaGetKey);
        shared.find("g_settings_schema_key_unref", l.schemaKeyUnref);
        shared.find("g_settings_schema_key_get_value_type", l.schemaKeyGetValueType);
        shared.find("g_settings_schema_key_range_check", l.schemaKeyRangeCheck);
        shared.find("g_settings_new_full", l.settingsNewFull);
        shared.find("g_settings_get_string", l.settingsGetString);
        shared.find("g_settings_set_value", l.settingsSetValue);
        shared.find("g_settings_sync", l.settingsSync);
        shared.find("g_dbus_address_escape_value", l.dbusAddressEscapeValue);
        shared.find("g_dbus_connection_new_for_address_sync", l.dbusConnectionNewForAddressSync);
        shared.find("g_dbus_connection_set_exit_on_close", l.dbusConnectionSetExitOnClose);
        shared.find("g_dbus_connection_call_sync", l.dbusConnectionCallSync);
        shared.find("g_dbus_error_quark", l.dbusErrorQuark);
        if (!shared.complete()) {
            reportFailure("GIO (" QUORVANE_SONAME_GIO_2_0 ") cannot be loaded: no desktop "
                          "settings and no session bus");
            return std::nullopt;
        }
        return l;
    }();
    return Library ? &*Library : nullptr;
}

struct SchemaUnref {
    void operator()(GSettingsSchema* s) const { gio()->schemaUnref(s); }
};
struct SchemaKeyUnref {
    void operator()(GSettingsSchemaKey* k) const { gio()->schemaKeyUnref(k); }
};
using SchemaPtr = std::unique_ptr<GSettingsSchema, SchemaUnref>;
using SchemaKeyPtr = std::unique_ptr<GSettingsSchemaKey, SchemaKeyUnref>;

SchemaPtr schemaOf(GSettings* settings) {
    GSettingsSchema* schema = nullptr;
    gio()->objectGet(settings, "settings-schema", &schema, nullptr);
    return SchemaPtr(schema);
}

SchemaKeyPtr stringKey(GSettingsSchema* schema, const char* key) {
    if (!schema || !gio()->schemaHasKey(schema, key))
        return nullptr;
    SchemaKeyPtr k(gio()->schemaGetKey(schema, key));
    if (!g_variant_type_equal(gio()->schemaKeyGetValueType(k.get()), G_VARIANT_TYPE_STRING))
        return nullptr;
    return k;
}

} // namespace

void unrefObject(gpointer object) {
    if (gio())
        gio()->objectUnref(object);
}

void syncSettings() {
    if (gio())
        gio()->settingsSync();
}

SettingsPtr openSettings(const char* schemaId, const char* requiredKey) {
    if (!gio())
        return nullptr;
    GSettingsSchemaSource* source = gio()->schemaSourceGetDefault();
    if (!source)
        return nullptr;
    SchemaPtr schema(gio()->schemaSourceLookup(source, schemaId, TRUE));
    if (!schema || !stringKey(schema.get(), requiredKey))
        return nullptr;
    return SettingsPtr(gio()->settingsNewFull(schema.get(), nullptr, nullptr));
}

bool hasStringKey(GSettings* settings, const char* key) {
    return stringKey(schemaOf(settings).get(), key) != nullptr;
}

std::string settingsString(GSettings* settings, const char* key) {
    if (!hasStringKey(settings, key))
        return {};
    GCharPtr value(gio()->settingsGetString(settings, key));
    return value ? std::string(value.get()) : std::string();
}

bool setSettingsString(GSettings* settings, const char* key, const std::string& value) {
    SchemaPtr schema = schemaOf(settings);
    SchemaKeyPtr k = stringKey(schema.get(), key);
    if (!k)
        return false;
    VariantPtr v(g_variant_ref_sink(g_variant_new_string(value.c_str())));
    if (!gio()->schemaKeyRangeCheck(k.get(), v.get()))
        return false;
    return gio()->settingsSetValue(settings, key, v.get());
}

BusPtr openSessionBus() {
    if (!gio())
        return nullptr;
    std::string address;
    if (const char* env = std::getenv("DBUS_SESSION_BUS_ADDRESS"); env && *env) {
        address = env;
    } else if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        // The bus of a systemd user session, where the variable may be unset.
        const std::string socket = std::string(runtime) + "/bus";
        struct stat st {};
        if (::stat(socket.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode))
            return nullptr;
        GCharPtr escaped(gio()->dbusAddressEscapeValue(socket.c_str()));
        address = std::string("unix:path=") + escaped.get();
    } else {
        return nullptr;
    }
    GError* raw = nullptr;
    BusPtr bus(gio()->dbusConnectionNewForAddressSync(
        address.c_str(),
        GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                             G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &raw));
    ErrorPtr error(raw);
    if (!bus) {
        reportDBusError("cannot reach the session bus", error.get());
        return nullptr;
    }
    gio()->dbusConnectionSetExitOnClose(bus.get(), FALSE);
    return bus;
}

VariantPtr callMethod(GDBusConnection* bus, const char* service, const char* object,
                      const char* iface, const char* method, GVariant* args,
                      const GVariantType* replyType, ErrorPtr& error) {
    GError* raw = nullptr;
    VariantPtr reply(gio()->dbusConnectionCallSync(bus, service, object, iface, method, args,
                                                   replyType, G_DBUS_CALL_FLAGS_NONE,
                                                   int(ProgramTimeout.count()), nullptr, &raw));
    error.reset(raw);
    return reply;
}

bool isServiceMissing(const GError* error) {
    if (!error || !gio())
        return false;
    const GQuark domain = gio()->dbusErrorQuark();
    return g_error_matches(error, domain, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
           g_error_matches(error, domain, G_DBUS_ERROR_NAME_HAS_NO_OWNER) ||
           g_error_matches(error, domain, G_DBUS_ERROR_SPAWN_SERVICE_NOT_FOUND) ||
           g_error_matches(error, domain, G_DBUS_ERROR_SPAWN_EXEC_FAILED) ||
           g_error_matches(error, domain, G_DBUS_ERROR_SPAWN_CHILD_EXITED);
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
