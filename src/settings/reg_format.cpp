#include "settings/reg_format.h"

#include "base/strings.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "base/codepage.h"

namespace brevant {

namespace {

enum class FileVersion { Five, Four };

// Text of the file: UTF-16LE when it starts with that byte-order mark, else UTF-8 (a UTF-8
// byte-order mark is dropped), else Windows-1252.
std::string decodeFile(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE)
    return utf16leToUtf8(bytes.substr(2));
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
    bytes.remove_prefix(3);
  return fileBytesToText(bytes);
}

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n')
      continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
      ++i;
    start = i + 1;
  }
  if (start < text.size())
    lines.push_back(text.substr(start));
  return lines;
}

// A quoted name or text starting at `pos`; `pos` ends just after the closing quote.
std::optional<std::string> readQuoted(std::string_view s, std::size_t &pos) {
  if (pos >= s.size() || s[pos] != '"')
    return std::nullopt;
  std::string out;
  for (std::size_t i = pos + 1; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"') {
      pos = i + 1;
      return out;
    }
    // Only \\ and \" are escapes; any other backslash is kept, so that a hand-written
    // "C:\Temp" reads as written.
    if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"'))
      out += s[++i];
    else
      out += c;
  }
  return std::nullopt;
}

std::optional<std::string> readHexBytes(std::string_view list) {
  std::string bytes;
  list = trimmed(list, " \t");
  if (list.empty())
    return bytes;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t comma = list.find(',', start);
    if (comma == std::string_view::npos)
      comma = list.size();
    const std::string_view item = trimmed(list.substr(start, comma - start), " \t");
    if (item.empty()) {
      if (comma != list.size()) // only a trailing comma may leave an empty item
        return std::nullopt;
    } else {
      if (item.size() > 2)
        return std::nullopt;
      int value = 0;
      for (char c : item) {
        const int d = hexDigitValue(c);
        if (d < 0)
          return std::nullopt;
        value = value * 16 + d;
      }
      bytes += static_cast<char>(value);
    }
    start = comma + 1;
  }
  return bytes;
}

bool isStringType(uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// Reads one value line (continuations already joined) into `key`; false when it is malformed.
bool readValueLine(std::string_view line, FileVersion version, RegistryKey &key) {
  std::string name;
  std::size_t pos = 0;
  if (line[0] == '@') {
    pos = 1;
  } else {
    auto quoted = readQuoted(line, pos);
    if (!quoted)
      return false;
    name = std::move(*quoted);
  }
  std::string_view rest = trimmed(line.substr(pos), " \t");
  if (rest.empty() || rest[0] != '=')
    return false;
  rest = trimmed(rest.substr(1), " \t");

  if (rest == "-") {
    key.remove(name);
    return true;
  }
  if (!rest.empty() && rest[0] == '"') {
    std::size_t end = 0;
    auto text = readQuoted(rest, end);
    if (!text || !trimmed(rest.substr(end), " \t").empty())
      return false;
    key.set(name, kRegSz, utf8ToUtf16le(*text) + std::string(2, '\0'));
    return true;
  }
  if (startsWithAsciiNoCase(rest, "dword:")) {
    const std::string_view digits = trimmed(rest.substr(6), " \t");
    if (digits.empty() || digits.size() > 8)
      return false;
    uint32_t value = 0;
    for (char c : digits) {
      const int d = hexDigitValue(c);
      if (d < 0)
        return false;
      value = value * 16 + static_cast<uint32_t>(d);
    }
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i)
      data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    key.set(name, kRegDword, std::move(data));
    return true;
  }
  if (startsWithAsciiNoCase(rest, "hex")) {
    rest.remove_prefix(3);
    uint32_t type = kRegBinary;
    if (!rest.empty() && rest[0] == '(') {
      const std::size_t close = rest.find(')');
      const std::string_view number = rest.substr(1, close == rest.npos ? 0 : close - 1);
      if (close == rest.npos || number.empty() || number.size() > 8)
        return false;
      type = 0;
      for (char c : number) {
        const int d = hexDigitValue(c);
        if (d < 0)
          return false;
        type = type * 16 + static_cast<uint32_t>(d);
      }
      rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest[0] != ':')
      return false;
    auto bytes = readHexBytes(rest.substr(1));
    if (!bytes)
      return false;
    if (version == FileVersion::Four && isStringType(type))
      *bytes = utf8ToUtf16le(fileBytesToText(*bytes));
    key.set(name, type, std::move(*bytes));
    return true;
  }
  return false;
}

// The key named by a header line "[HIVE\path]"; nullptr for a deletion block "[-...]" or a
// header it cannot read, whose values are then skipped.
RegistryKey *readKeyHeader(std::string_view line, RegistryDocument &document) {
  if (line.size() < 2 || line.back() != ']')
    return nullptr;
  std::string_view inner = line.substr(1, line.size() - 2);
  bool deletion = false;
  if (!inner.empty() && inner[0] == '-')
    deletion = true, inner.remove_prefix(1);
  const std::size_t slash = inner.find('\\');
  const auto hive = hiveFromName(inner.substr(0, slash));
  if (!hive)
    return nullptr;
  std::string_view path = slash == inner.npos ? std::string_view() : inner.substr(slash + 1);
  if (!path.empty() && path.back() == '\\')
    path.remove_suffix(1);
  if (!isValidKeyPath(path))
    return nullptr;
  if (deletion) {
    document.removeKey(*hive, path);
    return nullptr;
  }
  return &document.addKey(*hive, path);
}

void appendEscaped(std::string &out, std::string_view text) {
  for (char c : text) {
    if (c == '\\' || c == '"')
      out += '\\';
    out += c;
  }
}

// REG_SZ data that the "text" form holds exactly: well-formed UTF-16 with one terminating zero,
// no other zero and no line break.
bool fitsQuotedForm(const std::string &data) {
  if (data.size() < 2 || data.size() % 2 != 0 || !isValidUtf16le(data))
    return false;
  const std::size_t units = data.size() / 2;
  for (std::size_t k = 0; k < units; ++k) {
    const unsigned u = static_cast<unsigned char>(data[2 * k]) |
                       (static_cast<unsigned char>(data[2 * k + 1]) << 8);
    if (u == 0)
      return k + 1 == units;
    if (u == '\r' || u == '\n')
      return false;
  }
  return false;
}

void appendHexList(std::string &out, std::size_t lineStart, std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
    if (i + 1 == bytes.size())
      break;
    out += ',';
    // Wrapped as the export wraps long lists: at about 80 columns, with a trailing '\'.
    if (out.size() - lineStart > 76) {
      out += "\\\r\n  ";
      lineStart = out.size() - 2;
    }
  }
}

} // namespace

ParsedRegFile parseRegFile(std::string_view bytes) {
  ParsedRegFile result;
  const std::string text = decodeFile(bytes);
  const std::vector<std::string_view> lines = splitLines(text);
  FileVersion version = FileVersion::Five;
  RegistryKey *current = nullptr;
  bool seenContent = false;

  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = trimmed(lines[i], " \t");
    if (line.empty())
      continue;
    if (!seenContent) {
      seenContent = true;
      if (line == kRegFileHeader || line == kRegFileHeaderVersion4) {
        result.hasHeader = true;
        version = line == kRegFileHeader ? FileVersion::Five : FileVersion::Four;
        continue;
      }
    }
    if (line[0] == ';')
      continue;
    if (line[0] == '[') {
      current = readKeyHeader(line, result.document);
      continue;
    }
    if (line[0] != '"' && line[0] != '@')
      continue;

    // A hex list may go on over several lines, each but the last ending with '\'.
    std::string joined(line);
    while (joined.back() == '\\' && joined.find("=hex") != std::string::npos &&
           i + 1 < lines.size()) {
      joined.pop_back();
      joined += trimmed(lines[++i], " \t");
      if (joined.empty())
        break;
    }
    if (current && !joined.empty())
      readValueLine(joined, version, *current);
  }
  return result;
}

std::string formatRegFile(const RegistryDocument &document) {
  std::string out(kRegFileHeader);
  out += "\r\n\r\n";
  for (const RegistryKey &key : document.keys()) {
    out += '[';
    out += hiveName(key.hive());
    if (!key.path().empty())
      out += '\\', out += key.path();
    out += "]\r\n";
    for (const RegistryValue &value : key.values()) {
      if (value.name.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
        continue; // no line of the file can hold such a name
      const std::size_t lineStart = out.size();
      if (value.name.empty()) {
        out += '@';
      } else {
        out += '"';
        appendEscaped(out, value.name);
        out += '"';
      }
      out += '=';
      if (value.type == kRegSz && fitsQuotedForm(value.data)) {
        out += '"';
        appendEscaped(out,
                      utf16leToUtf8(std::string_view(value.data).substr(0, value.data.size() - 2)));
        out += '"';
      } else if (value.type == kRegDword && value.data.size() == 4) {
        static constexpr char kDigits[] = "0123456789abcdef";
        out += "dword:";
        for (int i = 3; i >= 0; --i) {
          const auto b = static_cast<unsigned char>(value.data[i]);
          out += kDigits[b >> 4];
          out += kDigits[b & 0x0F];
        }
      } else {
        if (value.type == kRegBinary) {
          out += "hex:";
        } else {
          static constexpr char kDigits[] = "0123456789abcdef";
          std::string number;
          for (uint32_t t = value.type; t != 0; t >>= 4)
            number.insert(number.begin(), kDigits[t & 0x0F]);
          out += "hex(" + (number.empty() ? std::string("0") : number) + "):";
        }
        appendHexList(out, lineStart, value.data);
      }
      out += "\r\n";
    }
    out += "\r\n";
  }
  return out;
}

} // namespace brevant
