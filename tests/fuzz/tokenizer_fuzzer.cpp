// Drives the script tokenizer, the argument reader and the line and path functions over
// arbitrary bytes. Every call that starts inside the text must move forward, or a caller's
// loop would never end.

#include "base/paths.h"
#include "base/strings.h"
#include "base/tokenizer.h"
#include "definition/name_lookup.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void require(bool condition) {
  if (!condition)
    std::abort();
}

int end(std::string_view text) { return static_cast<int>(text.size()) + 1; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace brevant;
  if (size > 1 << 16)
    return 0;
  const std::string_view text(reinterpret_cast<const char *>(data), size);

  for (bool keepQuotes : {false, true}) {
    int pos = 1;
    while (pos < end(text)) {
      const int before = pos;
      const std::string token = nextToken(text, pos, keepQuotes);
      require(pos > before);
      require(token.size() <= text.size());
    }
    require(pos == end(text));

    pos = 1;
    while (pos < end(text)) {
      const int before = pos;
      nextArgument(text, pos, keepQuotes);
      require(pos > before);
    }
  }

  int pos = 1;
  while (pos < end(text)) {
    const int before = pos;
    const std::string line = nextLine(text, pos);
    require(pos > before && line.find('\n') == std::string::npos);
  }

  pos = 1;
  bool notFound = false;
  while (!notFound) {
    const int before = pos;
    skipToCommentEnd(text, pos, notFound);
    require(notFound ? pos >= end(text) : pos > before);
  }

  const std::string_view folder = text.substr(0, size / 2);
  const std::string_view name = text.substr(size / 2);
  joinPath(folder, name);
  baseName(text);
  unquote(text);
  trimEndAtNul(text);
  majorVersion(text);
  require(textEquals(folder, folder, kTextCompare));
  textEquals(folder, name, kTextCompare);
  return 0;
}
