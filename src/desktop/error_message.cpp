#include "desktop/error_message.h"

namespace brevant {

std::string errorMessageText(std::string_view text) {
  std::string out = "Error!\r\nError Info: ";
  out += text;
  return out;
}

bool shellOpenSucceeded(int64_t code) { return code > 32 || code < 0; }

ShellError shellErrorFor(int64_t code) {
  const auto defaultNumber =
      static_cast<int32_t>(static_cast<uint32_t>(0x80040418u + static_cast<uint32_t>(code)));
  switch (code) {
  case 0:
  case 8: // SE_ERR_OOM
    return {7, "Out of memory"};
  case 2: // ERROR_FILE_NOT_FOUND
    return {53, "File not found"};
  case 3: // ERROR_PATH_NOT_FOUND
    return {76, "Path not found"};
  case 5: // SE_ERR_ACCESSDENIED
    return {75, "Path/file access error"};
  case 11: // ERROR_BAD_FORMAT
    return {defaultNumber, "The executable file is invalid or corrupt"};
  case 26: // SE_ERR_SHARE
    return {75, "A sharing violation occurred."};
  case 27: // SE_ERR_ASSOCINCOMPLETE
    return {defaultNumber, "This file type does not have a valid file association."};
  case 28: // SE_ERR_DDETIMEOUT
    return {286, "The file could not be opened due to time out.  Please try again in a moment."};
  case 29: // SE_ERR_DDEFAIL
    return {285, "The file could not be opened because the DDE transaction failed.  Please try "
                 "again in a moment."};
  case 30: // SE_ERR_DDEBUSY
    return {285, "The file could not be opened because the target application is busy.  Please "
                 "try again in a moment."};
  case 31: // SE_ERR_NOASSOC
    return {defaultNumber, "No application is associated with this file type."};
  case 32: // SE_ERR_DLLNOTFOUND
    return {48, "The specified dynamic-link library was not found."};
  default:
    return {defaultNumber,
            "An error occurred occurred whilst trying to open or print the selected file."};
  }
}

std::string shellErrorSource(std::string_view programName) {
  std::string out(programName);
  out += ".GShell";
  return out;
}

} // namespace brevant
