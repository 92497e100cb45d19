#include "settings/registry.h"

#include "base/strings.h"

#include <charconv>
#include <cmath>

#include "base/codepage.h"
#include "settings/settings_file.h"

namespace brevant {

namespace {

bool isValidValueName(std::string_view name) {
  return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// The value as stored, when the handle's key has one of that name.
bool readValue(const RegistryKeyHandle &handle, std::string_view name, RegistryValue &value) {
  if (!handle.open)
    return false;
  const RegistryDocument document = readSettingsFile(handle.storePath);
  const RegistryKey *key = document.findKey(handle.hive, handle.path);
  const RegistryValue *found = key ? key->find(name) : nullptr;
  if (!found)
    return false;
  value = *found;
  return true;
}

bool writeValue(const RegistryKeyHandle &handle, std::string_view name, uint32_t type,
                std::string data) {
  if (!handle.open || !isValidValueName(name))
    return false;
  return updateSettingsFile(handle.storePath, [&](RegistryDocument &document) {
    RegistryKey &key = document.addKey(handle.hive, handle.path);
    const RegistryValue *old = key.find(name);
    if (old && old->type == type && old->data == data)
      return false; // already stored: the file stays untouched
    key.set(name, type, std::move(data));
    return true;
  });
}

int32_t littleEndian32(std::string_view data) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(data[i]);
  return static_cast<int32_t>(value);
}

// REG_SZ data as text, up to its first zero character.
std::string textUpToZero(std::string_view data) {
  std::string text = utf16leToUtf8(data);
  if (const std::size_t zero = text.find('\0'); zero != std::string::npos)
    text.resize(zero);
  return text;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::optional<int32_t> leadingWholeNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i]))
    ++i;
  const std::size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    ++i;
  const std::size_t digitsStart = i;
  while (i < text.size() && isDigit(text[i]))
    ++i;
  bool anyDigit = i > digitsStart;
  if (i < text.size() && text[i] == '.') {
    const std::size_t fraction = ++i;
    while (i < text.size() && isDigit(text[i]))
      ++i;
    anyDigit = anyDigit || i > fraction;
  }
  if (!anyDigit)
    return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-'))
      ++j;
    if (j < text.size() && isDigit(text[j])) {
      while (j < text.size() && isDigit(text[j]))
        ++j;
      i = j;
    }
  }
  // from_chars takes no leading '+'.
  std::string_view literal = text.substr(start, i - start);
  if (literal.front() == '+')
    literal.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(literal.data(), literal.data() + literal.size(), value);
  if (error == std::errc::result_out_of_range) {
    // Either far too large or so small that it rounds to 0.
    const auto exponent = literal.find_first_of("eE");
    if (exponent != std::string_view::npos && literal.find('-', exponent) != std::string_view::npos)
      return 0;
    return std::nullopt;
  }
  if (error != std::errc() || end != literal.data() + literal.size())
    return std::nullopt;
  const double rounded = std::round(value);
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
    return std::nullopt;
  return static_cast<int32_t>(rounded);
}

bool OpenKey(Hive hive, std::string_view path, RegistryKeyHandle &handle) {
  handle = RegistryKeyHandle{};
  if (!isValidKeyPath(path))
    return false;
  const std::string store = settingsFilePath();
  if (store.empty() || !readSettingsFile(store).keyExists(hive, path))
    return false;
  handle = RegistryKeyHandle{store, hive, std::string(path), true};
  return true;
}

bool CreateKey(Hive hive, std::string_view section, std::string_view subPath,
               RegistryKeyHandle &handle) {
  handle = RegistryKeyHandle{};
  if (section.empty())
    return false;
  if (!subPath.empty() && subPath.front() == '\\')
    subPath.remove_prefix(1);
  std::string path(section);
  if (!subPath.empty())
    path += '\\', path += subPath;
  if (!isValidKeyPath(path))
    return false;
  const std::string store = settingsFilePath();
  if (store.empty())
    return false;
  if (!readSettingsFile(store).keyExists(hive, path)) {
    const bool created = updateSettingsFile(store, [&](RegistryDocument &document) {
      if (document.keyExists(hive, path))
        return false;
      document.addKey(hive, path);
      return true;
    });
    if (!created)
      return false;
  }
  handle = RegistryKeyHandle{store, hive, std::move(path), true};
  return true;
}

bool CloseKey(RegistryKeyHandle &handle) {
  const bool wasOpen = handle.open;
  handle = RegistryKeyHandle{};
  return wasOpen;
}

std::optional<std::string> QueryStringValue(const RegistryKeyHandle &handle,
                                            std::string_view name) {
  RegistryValue value;
  if (!readValue(handle, name, value) || value.type != kRegSz)
    return std::nullopt;
  return textUpToZero(value.data);
}

std::optional<int32_t> QueryNumberValue(const RegistryKeyHandle &handle, std::string_view name) {
  RegistryValue value;
  if (!readValue(handle, name, value))
    return std::nullopt;
  if ((value.type == kRegDword || value.type == kRegBinary) && value.data.size() == 4)
    return littleEndian32(value.data);
  if (value.type != kRegSz)
    return std::nullopt;
  return leadingWholeNumber(textUpToZero(value.data));
}

bool SetStringValue(const RegistryKeyHandle &handle, std::string_view name, std::string_view text) {
  return writeValue(handle, name, kRegSz, utf8ToUtf16le(text) + std::string(2, '\0'));
}

bool SetNumberValue(const RegistryKeyHandle &handle, std::string_view name, int32_t number) {
  std::string data(4, '\0');
  const auto bits = static_cast<uint32_t>(number);
  for (int i = 0; i < 4; ++i)
    data[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
  return writeValue(handle, name, kRegDword, std::move(data));
}

std::string RegGetString(Hive hive, std::string_view path, std::string_view name,
                         std::string_view defaultText) {
  std::string result(defaultText);
  RegistryKeyHandle key;
  if (OpenKey(hive, path, key))
    if (std::optional<std::string> text = QueryStringValue(key, name))
      result = std::move(*text);
  CloseKey(key);
  return result;
}

int32_t RegGetNumber(Hive hive, std::string_view path, std::string_view name,
                     int32_t defaultNumber) {
  int32_t result = defaultNumber;
  RegistryKeyHandle key;
  if (OpenKey(hive, path, key))
    result = QueryNumberValue(key, name).value_or(result);
  CloseKey(key);
  return result;
}

namespace {

void splitSavePath(std::string_view path, std::string_view &section, std::string_view &subPath) {
  const std::size_t slash = path.find('\\');
  if (slash == std::string_view::npos) {
    section = subPath = std::string_view();
    return;
  }
  section = path.substr(0, slash);
  subPath = path.substr(slash + 1);
}

} // namespace

void RegSaveString(Hive hive, std::string_view path, std::string_view name, std::string_view text) {
  std::string_view section, subPath;
  splitSavePath(path, section, subPath);
  RegistryKeyHandle key;
  if (CreateKey(hive, section, subPath, key))
    (void)SetStringValue(key, name, text); // a failing write keeps the stored value, unreported
  CloseKey(key);
}

void RegSaveNumber(Hive hive, std::string_view path, std::string_view name, int32_t number) {
  std::string_view section, subPath;
  splitSavePath(path, section, subPath);
  RegistryKeyHandle key;
  if (CreateKey(hive, section, subPath, key))
    (void)SetNumberValue(key, name, number); // as in RegSaveString
  CloseKey(key);
}

} // namespace brevant
