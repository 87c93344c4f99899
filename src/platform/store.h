// The settings store: the per-user key Software\Quorvane with its value
// `version` and the subkey `param` (registry on Windows, an INI file on Linux).
//
// `section` is "" for the key itself and "param" for the settings subkey.
// Reads never throw: a missing value, or one of another type, gives false.
// Writes throw StoreError with the system's error text when the store cannot
// be written.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform {

struct StoreError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// True when the section exists in the store (for "" : the key itself).
bool storeSectionExists(const std::string& section);

bool storeReadString(const std::string& section, const std::string& name, std::string& value);
bool storeReadInt(const std::string& section, const std::string& name, std::int32_t& value);

/// Writes a batch of values. Begin opens (creating) the section; commit makes
/// every value written since the begin durable at once.
void storeBegin(const std::string& section);
void storeWriteString(const std::string& name, const std::string& value);
void storeWriteInt(const std::string& name, std::int32_t value);
void storeCommit();

/// Deletes the whole key with all its sections and values.
void storeWipe();

/// Deletes the machine-wide start-at-logon entry named `name`, silently doing
/// nothing when it is absent or access is denied (Linux: nothing to do).
void deleteMachineRunValue(const std::string& name);

} // namespace platform
