#pragma once
// The reversible cipher of stored data-source passwords: RC4 keyed by the data source's user
// name, then Base64. All operations work on byte strings held in std::string.

#include <string>
#include <string_view>

namespace brevant {

std::string Base64Encode(std::string_view bytes);
std::string Base64Decode(std::string_view text);

// The transform is its own inverse; Decrypt names exist for readability at call sites.
// `key` is UTF-8 text, converted to Windows-1252 bytes inside.
void RC4EncryptBytes(std::string &bytes, std::string_view key);
void RC4DecryptBytes(std::string &bytes, std::string_view key);
std::string RC4EncryptString(std::string_view bytes, std::string_view key);
std::string RC4DecryptString(std::string_view bytes, std::string_view key);

// The text stored after "Password<n>=" and back; password and user are UTF-8 text.
std::string EncodeStoredPassword(std::string_view password, std::string_view user);
std::string DecodeStoredPassword(std::string_view stored, std::string_view user);

} // namespace brevant
