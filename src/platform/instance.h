// One running instance per executable name and user desktop.
#pragma once

#include <string>

namespace platform {

/// Takes the single-instance lock named after `title` and holds it for the
/// life of the process. Returns false only when another process already
/// holds it; any other failure counts as the first instance.
bool acquireInstanceLock(const std::string& title);

} // namespace platform
