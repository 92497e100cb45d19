#pragma once
// The registry's export format (.reg text), which the store file uses:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\SOFTWARE\Velkora\Brevant\Options]
//   "DefaultDirectory"="/home/ann/reports"
//   "ConnectionTimeout"=dword:0000000f
//   "Magic"=hex:01,02,03,04
//   "Path"=hex(2):25,00,48,00,00,00
//
// "text" values are REG_SZ with '\' and '"' escaped by a backslash; dword: is REG_DWORD; hex: is
// REG_BINARY; hex(n): is any type by its number, with string types (1, 2, 7) given as UTF-16LE
// code units, as the export writes them ("REGEDIT4" files give those as Windows-1252 bytes).
// Long hex lists continue on the next line after a trailing '\'. "@" names the default value.
// Reading is forgiving: comments (';'), blank lines, CR LF or LF line ends, a byte-order mark,
// UTF-16LE files, and lines it cannot read are skipped; the values under a key header it cannot
// read are skipped with it.

#include <string>
#include <string_view>

#include "settings/registry_document.h"

namespace brevant {

constexpr std::string_view kRegFileHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRegFileHeaderVersion4 = "REGEDIT4";

struct ParsedRegFile {
  RegistryDocument document;
  bool hasHeader = false; // the first line that is not blank is one of the two headers
};

[[nodiscard]] ParsedRegFile parseRegFile(std::string_view bytes);

// The whole file in version 5.00 form, lines ended by CR LF.
[[nodiscard]] std::string formatRegFile(const RegistryDocument &document);

} // namespace brevant
