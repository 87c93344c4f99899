// Start at logon: the per-user autostart entry (the Run value in the
// registry on Windows, an XDG autostart desktop entry on Linux).
#pragma once

#include "platform/store.h"

#include <string>

namespace platform {

/// True when the per-user autostart entry named `name` exists and is not
/// empty (and, on Linux, not disabled by the desktop).
bool autostartEnabled(const std::string& name);

/// Writes the entry named `name` starting the quoted `exePath`, or removes
/// it. Throws StoreError when the entry cannot be written.
void setAutostart(const std::string& name, const std::string& exePath, bool on);

} // namespace platform
