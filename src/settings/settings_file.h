#pragma once
// The per-user store file: where it lives, reading it, and changing it safely.
//
// Every change re-reads the file under an advisory lock on its folder, applies the change and
// replaces the file atomically (a temporary file in the same folder, flushed to disk, then
// renamed into place), so that two running copies of the program never lose each other's values
// and a crash never leaves half a file. The file gets mode 0600; folders created for it 0700.

#include <functional>
#include <string>

#include "settings/registry_document.h"

namespace brevant {

// $BREVANT_SETTINGS when set, else $XDG_CONFIG_HOME/Velkora/Brevant.reg (an absolute
// XDG_CONFIG_HOME only), else ~/.config/Velkora/Brevant.reg; "" when no home folder is known.
std::string settingsFilePath();

// The values in the file; a missing, unreadable or malformed file gives what could be read,
// which may be nothing.
[[nodiscard]] RegistryDocument readSettingsFile(const std::string &path);

// Re-reads the file, lets `change` edit the values and writes the result when `change` returns
// true. False when the file could not be read or written. A file that exists but does not begin
// with a registry file header is left alone (false), so that a wrong BREVANT_SETTINGS can never
// overwrite an unrelated file.
[[nodiscard]] bool updateSettingsFile(const std::string &path,
                                      const std::function<bool(RegistryDocument &)> &change);

} // namespace brevant
