#pragma once
// The readers of scripts, command lines and lines of text, shared by the definition reader, the
// script parser, the run driver and the editor. Positions are 1-based byte indexes into UTF-8
// text; a position past the last byte means "at the end". Functions taking `pos` advance it in
// place. "Blank" means a space, a tab, CR or LF.

#include <string>
#include <string_view>

namespace brevant {

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

} // namespace brevant
