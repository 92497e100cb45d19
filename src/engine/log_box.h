#pragma once
// The Run dialog's log box and error label, as text rules the workspace applies: the box shows
// the run log's lines without time stamps and starts over before it grows to 310,000
// characters; the label shows the error count with thousands separators.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brevant {

constexpr std::size_t kLogBoxLimit = 310000;

// Length of UTF-8 text in the box's characters (UTF-16 code units, as a text box counts them).
std::size_t logBoxLength(std::string_view text);

// True when a line of `lineLength` characters can be appended to a box holding `boxLength`
// characters; false means the box starts over with the line.
[[nodiscard]] bool logBoxKeeps(std::size_t boxLength, std::size_t lineLength);

// The box's text after `line` is logged: the text + line + CR LF, or only line + CR LF when the
// box starts over.
std::string logBoxText(std::string_view boxText, std::string_view line);

// The box's text with its length kept along, so that appending a line costs the line's length.
struct LogBox {
  std::string text;
  std::size_t length = 0; // in characters, see logBoxLength

  // Appends the line; true when the box started over.
  bool append(std::string_view line);
  void clear();
};

// The error label: the count formatted "#,###" ("1", "1,234"), with "0" for no errors.
std::string errorCountLabel(int64_t count);

} // namespace brevant
