#pragma once
// Window-free parts of the workspace's messages: the text of the standard error message box, and
// what a failed "open" of a document or address reports, by the shell's result code.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace brevant {

// "Error!" + CR LF + "Error Info: " + text.
std::string errorMessageText(std::string_view text);

struct ShellError {
  int32_t number;
  std::string message;
};

// A shell result above 32, or a negative one, means the document was opened.
[[nodiscard]] bool shellOpenSucceeded(int64_t code);

// The error number and message for a failed shell result code. Codes without a number of their
// own take code + 0x80040418 as a signed 32-bit number.
ShellError shellErrorFor(int64_t code);

// The error a failed open raises: its what() is the message, `number` and `source` (the
// program's file name + ".GShell") tell where it came from.
class ShellOpenError : public std::runtime_error {
public:
  ShellOpenError(const ShellError &error, std::string source)
      : std::runtime_error(error.message), number(error.number), source(std::move(source)) {}

  int32_t number;
  std::string source;
};

// "<programName>.GShell".
std::string shellErrorSource(std::string_view programName);

} // namespace brevant
