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
/// it. Throws StoreError when the entry cannot be written, and on Linux for a
/// path that the desktops could not start from it ("Failed to set data for
/// '<name>'"): not UTF-8, or holding a control character or a percent sign.
void setAutostart(const std::string& name, const std::string& exePath, bool on);

} // namespace platform
