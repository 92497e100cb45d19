#pragma once
// Small text and path functions shared by the definition reader, the script parser, the run
// driver and the editor. Positions are 1-based byte indexes into UTF-8 text; a position past the
// last byte means "at the end". Functions taking `pos` advance it in place. "Blank" means a
// space, a tab, CR or LF.

#include <cstdint>
#include <string>
#include <string_view>

namespace brevant {

bool isBlank(char c);

// The script tokenizer: words, quoted parts, "=", "<", ">" runs, "(", ")", ",", and "/*".
std::string nextToken(std::string_view text, int &pos, bool keepQuotes);
// The command-line argument reader.
std::string nextArgument(std::string_view text, int &pos, bool keepQuotes);
// The line starting at `pos`, without its line break (LF or CR LF).
std::string nextLine(std::string_view text, int &pos);
std::string firstLine(std::string_view text);
void skipBlanks(std::string_view text, int &pos);
// Moves `pos` just after the next "*/"; `notFound` tells whether there was one.
void skipToCommentEnd(std::string_view text, int &pos, bool &notFound);
// Cut at the first NUL, then blanks removed from the end.
std::string trimEndAtNul(std::string_view text);
// One pair of matching outer double or single quotes removed.
std::string unquote(std::string_view text);
// Blanks removed from both ends.
std::string trimBlanks(std::string_view text);

// Paths. In names read from definitions and scripts both '\' and '/' separate folders.

// Two leading separators: "\\server\share" or "//server/share".
bool isNetworkPath(std::string_view path);
// The text contains "://".
bool isUrl(std::string_view text);
// The name after the last separator, without its last extension: "D:\r\a.b.kvd" gives "a.b".
std::string baseName(std::string_view path);
// `name` resolved against `folder` without touching the current directory: "." parts are
// dropped, ".." removes the folder's last level, and parts are joined with '/'. A name that is
// absolute, a network path or starts with a drive letter comes back unchanged. The result is
// empty when ".." climbs above the root of a '/'-rooted folder, or cuts any other folder down
// to one character or less.
std::string joinPath(std::string_view folder, std::string_view name);
// Creates every missing level of the folder `path` (failures are left for the caller to meet
// when it uses the folder). A name with a drive letter creates nothing. Always true.
bool createFolders(std::string_view path);

// The integer before the last ".": "16.0" gives 16.
int16_t majorVersion(std::string_view text);
// Six characters drawn uniformly from the codes 48 to 122.
std::string randomPassword();

} // namespace brevant
