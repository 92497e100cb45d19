#pragma once
// The report-definition file (.kvd): a header line "Quorvel Version <v>", the keyed sections
// [Data Source], [File] and [Parameter], and the report script as the body of [SQL]. Files are
// read as UTF-8 (Windows-1252 when they are not valid UTF-8) and written with CR LF in the
// encoding they were read in (UTF-8 for a new file, or when a character does not fit
// Windows-1252).

#include "definition/report_definition.h"

#include <optional>
#include <string>
#include <string_view>

namespace brevant {

// True when the file's first line starts with the word "Quorvel" (exact case). Sets
// def.formatVersion to the word after "Version", or "2.0" when there is no "Version".
// A missing, empty or unreadable file gives false.
[[nodiscard]] bool checkHeader(const std::string &path, ReportDefinition &def);

// Fills every field of `def` read from the keyed sections; the script and the file path are
// left alone. False only when the file cannot be read.
[[nodiscard]] bool readDefinition(const std::string &path, ReportDefinition &def);

// The body of the [SQL] section, verbatim: everything after the first line whose trimmed text
// is "[SQL]" (empty when there is none). Nothing when the file cannot be read.
[[nodiscard]] std::optional<std::string> readScript(const std::string &path);

// Whether some line of the file has the key ProtectionPassword (exact case) followed by "=".
// The private-profile rules cannot tell a missing key from an empty value; this can.
[[nodiscard]] bool protectionPasswordKeyPresent(const std::string &path);

// Writes the whole definition, script included, to `path`. The new content goes to a temporary
// file in the same folder that then replaces `path`, so a failed write never leaves a truncated
// file. Throws std::runtime_error with the description of the failure.
void writeDefinition(const std::string &path, const ReportDefinition &def);

// The editor's save: `<path>.bak` takes the content `path` had before, then `path` gets the new
// content. On success clears def.definitionChanged and sets def.definitionFilePath to the full
// path. On failure throws std::runtime_error and
// leaves `path` as it was.
void saveWithBackup(const std::string &path, ReportDefinition &def);

// The open sequence of the editor and the batch start: checks the file, reads the definition
// and its script into `def` and sets def.definitionFilePath. On failure returns the message for
// the user ("The file ... does not exist." and the like) and resets `def` to a new definition.
[[nodiscard]] std::optional<std::string> openDefinition(const std::string &path,
                                                        ReportDefinition &def);

// The same operations over the text of a file already read (see fileBytesToText).
[[nodiscard]] bool checkHeaderText(std::string_view text, ReportDefinition &def);
void readDefinitionText(std::string text, ReportDefinition &def);
std::string scriptFromText(std::string_view text);
[[nodiscard]] bool protectionPasswordKeyPresentText(std::string_view text);
// The bytes writeDefinition puts in the file.
std::string definitionFileText(const ReportDefinition &def);

// Whether a password can be stored enciphered: the cipher works on Windows-1252 bytes, so a
// character outside that code page would come back as '?'.
[[nodiscard]] bool encipherable(std::string_view password);
// With EncryptPassword, the refusal for the first data source whose password is not
// encipherable; saving such a definition throws it.
[[nodiscard]] std::optional<std::string> unencipherablePassword(const ReportDefinition &def);
std::string unencipherablePasswordMessage(const std::string &dataSourceName);

// The whole file as text, or nothing when it cannot be read. A UTF-8 byte-order mark is dropped.
[[nodiscard]] std::optional<std::string> readDefinitionFileText(const std::string &path);

} // namespace brevant
