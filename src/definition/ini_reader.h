#pragma once
// A reader of keyed sections ("[Section]" lines followed by "key=value" lines) with the lookup
// rules of the Windows private-profile functions: section and key names match without regard to
// ASCII letter case, only the first section of a name is searched, the first matching key in it
// wins, the value is trimmed and loses one pair of outer double or single quotes, and a value is
// at most kMaxProfileValueBytes long. A missing key reads as the empty text. The text is scanned
// once for its sections; the keys of a section are indexed the first time it is asked for, so a
// large section nobody reads (a long [SQL] body) costs no memory. Lookups on one profile must
// not run concurrently.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace brevant {

// The private-profile reader's buffer holds 10,240 bytes including the terminating NUL.
constexpr size_t kMaxProfileValueBytes = 10239;

class IniProfile {
public:
  IniProfile() = default;
  // Parses `text` (UTF-8, lines ended by LF or CR LF).
  explicit IniProfile(std::string text);

  // The value of `key` in `section`, or "" when either is missing.
  std::string value(std::string_view section, std::string_view key) const;
  // True when the first section named `section` has a line for `key`.
  [[nodiscard]] bool hasKey(std::string_view section, std::string_view key) const;

private:
  struct NoCaseHash {
    size_t operator()(std::string_view s) const;
  };
  struct NoCaseEqual {
    bool operator()(std::string_view a, std::string_view b) const;
  };
  using Keys = std::unordered_map<std::string_view, std::string_view, NoCaseHash, NoCaseEqual>;
  struct Section {
    std::string_view body; // the lines after the section's header line
    bool indexed = false;
    Keys keys;
  };

  [[nodiscard]] const std::string_view *find(std::string_view section, std::string_view key) const;

  // Held by pointer so that the views below stay valid when the profile is moved.
  std::unique_ptr<const std::string> text_;
  mutable std::unordered_map<std::string_view, Section, NoCaseHash, NoCaseEqual> sections_;
};

// Cuts `value` to at most `maxBytes` bytes without splitting a UTF-8 sequence.
std::string_view cutUtf8(std::string_view value, size_t maxBytes);

} // namespace brevant
