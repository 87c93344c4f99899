// Start at logon on Linux: a freedesktop autostart entry
// $XDG_CONFIG_HOME/autostart/<name>.desktop, read back with GLib's key-file
// parser, the one the desktops' session managers use.
#include "platform/autostart.h"

#include "storage/atomicfile.h"

#include <QFile>
#include <QStandardPaths>

#include <glib.h>

#include <filesystem>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr const char* EntryGroup = "Desktop Entry";

std::string autostartFolder() {
    return QFile::encodeName(
               QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
               .toStdString() +
           "/autostart";
}

std::string entryPath(const std::string& name) {
    return autostartFolder() + "/" + name + ".desktop";
}

// A string value of a key file: backslashes doubled, control characters as
// their escapes, a leading space kept by \s.
std::string escapeString(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (c == ' ' && i == 0)
            out += "\\s";
        else
            out += c;
    }
    return out;
}

// The Exec value: the program quoted as a whole, with ", `, $ and \ escaped
// by a backslash inside the quotes; then escaped once more as a string value,
// which doubles every backslash: a backslash of the path ends up as four.
std::string execValue(const std::string& exePath) {
    std::string quoted = "\"";
    for (char c : exePath) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return escapeString(quoted);
}

// A path the Exec key can carry: UTF-8 (the file is), and no character that
// the quoting cannot hold (a line break, a NUL or another control character).
// Nor a percent sign: written as "%%" it is right by the rules of the format,
// but GLib's loader, which GNOME's session manager starts entries with, looks
// for the program before it turns "%%" back into "%", finds none and drops
// the entry.
bool expressible(const std::string& path) {
    if (path.empty() || !g_utf8_validate(path.data(), static_cast<gssize>(path.size()), nullptr))
        return false;
    for (unsigned char c : path)
        if (c < 0x20 || c == 0x7f || c == '%')
            return false;
    return true;
}

std::string entryText(const std::string& name, const std::string& exePath) {
    // The name shows in the desktops' start-up lists; a name that is not
    // UTF-8 shows with replacement characters.
    gchar* displayName = g_utf8_make_valid(name.data(), static_cast<gssize>(name.size()));
    std::string text = "[Desktop Entry]\nType=Application\nName=" + escapeString(displayName) +
                       "\nExec=" + execValue(exePath) +
                       "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
    g_free(displayName);
    return text;
}

} // namespace

bool autostartEnabled(const std::string& name) {
    const std::string path = entryPath(name);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0)
        return false;
    GKeyFile* file = g_key_file_new();
    bool on = true;
    // A file the parser cannot read is not switched off by anything in it:
    // it exists with content, so it counts as on.
    if (g_key_file_load_from_file(file, path.c_str(), G_KEY_FILE_NONE, nullptr)) {
        auto flag = [file](const char* key, bool& value) {
            GError* error = nullptr;
            const gboolean v = g_key_file_get_boolean(file, EntryGroup, key, &error);
            if (error) {
                g_error_free(error);
                return false;
            }
            value = v;
            return true;
        };
        bool hidden = false;
        bool enabled = true;
        if ((flag("Hidden", hidden) && hidden) ||
            (flag("X-GNOME-Autostart-enabled", enabled) && !enabled))
            on = false;
    }
    g_key_file_free(file);
    return on;
}

void setAutostart(const std::string& name, const std::string& exePath, bool on) {
    const std::string path = entryPath(name);
    if (!on) {
        // An entry that is already gone, or cannot be removed, is not reported.
        ::unlink(path.c_str());
        return;
    }
    if (!expressible(exePath))
        throw StoreError("Failed to set data for '" + name + "'");
    std::error_code ec;
    std::filesystem::create_directories(autostartFolder(), ec);
    if (ec)
        throw StoreError("Cannot create the folder " + autostartFolder() + ": " + ec.message());
    try {
        writeFileAtomically(path, entryText(name, exePath));
    } catch (const StorageError& e) {
        throw StoreError(e.what());
    }
}

} // namespace platform
