#pragma once
// Registry-style access to the per-user store file: key and value primitives, each returning
// true on success and false otherwise (the queries: the value, or nothing), and the four
// operations the program uses, which never report a failure. Nothing is cached: every primitive
// reads the file again, every write re-reads it and replaces it (settings_file.h), so two running
// copies share their values and the last one to write a value wins.
//
// The store file is the one settingsFilePath() names when the key is opened or created.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/registry_document.h"

namespace brevant {

// What an open key refers to; an empty (closed) handle fails every value primitive.
struct RegistryKeyHandle {
  std::string storePath;
  Hive hive = Hive::CurrentUser;
  std::string path;
  bool open = false;
};

// Opens an existing key below the hive ("" is the hive itself).
[[nodiscard]] bool OpenKey(Hive hive, std::string_view path, RegistryKeyHandle &handle);
// Creates or opens section + '\' + subPath (the section alone when subPath is empty); one leading
// '\' of subPath is dropped. Fails at once when the section is empty.
[[nodiscard]] bool CreateKey(Hive hive, std::string_view section, std::string_view subPath,
                             RegistryKeyHandle &handle);
// Empties the handle; false when it was not open.
bool CloseKey(RegistryKeyHandle &handle);

// A REG_SZ value's text up to its first zero character; any other type fails.
[[nodiscard]] std::optional<std::string> QueryStringValue(const RegistryKeyHandle &handle,
                                                          std::string_view name);
// REG_DWORD, or REG_BINARY of exactly 4 bytes, as the little-endian 32-bit number; REG_SZ text by
// its leading decimal number (0 when there is none) rounded to the nearest whole number, halves
// away from zero; a number outside the 32-bit range or any other type fails.
[[nodiscard]] std::optional<int32_t> QueryNumberValue(const RegistryKeyHandle &handle,
                                                      std::string_view name);
// Writes REG_SZ; fails when the handle is empty or the name holds a line break or zero character.
[[nodiscard]] bool SetStringValue(const RegistryKeyHandle &handle, std::string_view name,
                                  std::string_view text);
// Writes REG_DWORD; fails like SetStringValue.
[[nodiscard]] bool SetNumberValue(const RegistryKeyHandle &handle, std::string_view name,
                                  int32_t number);

// The stored text, or `defaultText` when the key or value is missing or unreadable.
std::string RegGetString(Hive hive, std::string_view path, std::string_view name,
                         std::string_view defaultText);
// The stored number, or `defaultNumber` when the key or value is missing or unreadable.
int32_t RegGetNumber(Hive hive, std::string_view path, std::string_view name,
                     int32_t defaultNumber);
// The path is split at its first '\' into section and sub-path; a path without '\' writes
// nothing. A failing write is ignored.
void RegSaveString(Hive hive, std::string_view path, std::string_view name, std::string_view text);
void RegSaveNumber(Hive hive, std::string_view path, std::string_view name, int32_t number);

// The leading decimal number of `text` (blanks, sign, digits, fraction, exponent), 0 when there is
// none, rounded to a whole number; nothing when it lies outside the 32-bit range.
[[nodiscard]] std::optional<int32_t> leadingWholeNumber(std::string_view text);

} // namespace brevant
