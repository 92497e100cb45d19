#include "engine/log_box.h"

namespace brevant {

std::size_t logBoxLength(std::string_view text) {
  std::size_t units = 0;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if ((b & 0xC0) != 0x80)
      ++units; // a lead byte (or a stray byte) starts a character
    if ((b & 0xF8) == 0xF0)
      ++units; // four-byte sequences lie outside the basic plane: a surrogate pair
  }
  return units;
}

bool logBoxKeeps(std::size_t boxLength, std::size_t lineLength) {
  return boxLength + lineLength + 2 < kLogBoxLimit;
}

std::string logBoxText(std::string_view boxText, std::string_view line) {
  LogBox box{std::string(boxText), logBoxLength(boxText)};
  box.append(line);
  return std::move(box.text);
}

bool LogBox::append(std::string_view line) {
  const std::size_t lineLength = logBoxLength(line);
  const bool startsOver = !logBoxKeeps(length, lineLength);
  if (startsOver)
    clear();
  text += line;
  text += "\r\n";
  length += lineLength + 2;
  return startsOver;
}

void LogBox::clear() {
  text.clear();
  length = 0;
}

std::string errorCountLabel(int64_t count) {
  const bool negative = count < 0;
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(count) : static_cast<uint64_t>(count);
  std::string digits = std::to_string(magnitude);
  std::string out;
  out.reserve(digits.size() + digits.size() / 3 + 1);
  if (negative)
    out += '-';
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0)
      out += ',';
    out += digits[i];
  }
  return out;
}

} // namespace brevant
