#include "definition/definition_file.h"

#include "base/atomic_file.h"
#include "base/codepage.h"
#include "base/strings.h"
#include "base/tokenizer.h"
#include "cipher/password_cipher.h"
#include "definition/ini_reader.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace brevant {

namespace {

constexpr std::string_view kHeaderWord = "Quorvel";
constexpr std::string_view kEol = "\r\n";

// A line break inside a value would end the key's line and make the rest of the value read as
// a line of its own, so values are written on one line.
void appendValue(std::string &out, std::string_view value) {
  for (char c : value)
    out += (c == '\r' || c == '\n') ? ' ' : c;
}

// The reader trims blanks around a value and removes one pair of enclosing quotes, so a value
// with blanks at either end, or one enclosed in quotes of its own (an SQL literal such as 'A'),
// is written in double quotes: reading gives back exactly the text written.
bool needsQuotes(std::string_view value) {
  if (value.empty())
    return false;
  if (isBlank(value.front()) || isBlank(value.back()))
    return true;
  return value.size() > 1 && (value.front() == '"' || value.front() == '\'') &&
         value.back() == value.front();
}

void appendKey(std::string &out, std::string_view key, std::string_view value) {
  out += key;
  out += '=';
  if (needsQuotes(value)) {
    out += '"';
    appendValue(out, value);
    out += '"';
  } else {
    appendValue(out, value);
  }
  out += kEol;
}

void appendKey(std::string &out, std::string_view key, int index, std::string_view value) {
  appendKey(out, std::string(key) + std::to_string(index), value);
}

int clampCount(int count, int limit) { return std::clamp(count, 0, limit); }

} // namespace

namespace {

std::optional<std::string> readFileBytes(const std::string &path) {
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr)
    return std::nullopt;
  std::string bytes;
  char buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    bytes.append(buffer, got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed)
    return std::nullopt;
  return bytes;
}

// Whether the file's bytes are read as Windows-1252 (they are not UTF-8).
bool readAsWindows1252(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
    bytes.remove_prefix(3);
  return !isValidUtf8(bytes);
}

// The bytes of the file: Windows-1252 when the file was read so and every character fits,
// otherwise UTF-8.
std::string fileBytes(const ReportDefinition &def, std::string text) {
  if (!def.fileIsWindows1252)
    return text;
  std::string ansi = utf8ToAnsi(text);
  return ansiToUtf8(ansi) == text ? ansi : text;
}

} // namespace

std::optional<std::string> readDefinitionFileText(const std::string &path) {
  std::optional<std::string> bytes = readFileBytes(path);
  if (!bytes)
    return std::nullopt;
  return fileBytesToText(*bytes);
}

bool encipherable(std::string_view password) {
  return ansiToUtf8(utf8ToAnsi(password)) == password;
}

std::optional<std::string> unencipherablePassword(const ReportDefinition &def) {
  if (!def.EncryptPassword)
    return std::nullopt;
  const int count = clampCount(def.dataSourceCount, kMaxDataSources);
  for (int i = 0; i < count; ++i) {
    const DataSource &source = def.dataSources[i];
    if (source.ConnectionString.empty() && !encipherable(source.Password))
      return unencipherablePasswordMessage(source.Name);
  }
  return std::nullopt;
}

std::string unencipherablePasswordMessage(const std::string &dataSourceName) {
  return "The password of the data source \"" + dataSourceName +
         "\" has characters that an enciphered password cannot hold (only those of the "
         "Windows-1252 code page). Change the password, or clear \"Encrypt Password\" to "
         "store it as it is.";
}

bool checkHeaderText(std::string_view text, ReportDefinition &def) {
  const std::string line = firstLine(text);
  int pos = 1;
  if (nextToken(line, pos, true) != kHeaderWord)
    return false;
  if (nextToken(line, pos, true) == "Version")
    def.formatVersion = nextToken(line, pos, true);
  else
    def.formatVersion = "2.0";
  return true;
}

bool protectionPasswordKeyPresentText(std::string_view text) {
  int pos = 1;
  while (pos <= static_cast<int>(text.size())) {
    const std::string line = nextLine(text, pos);
    int linePos = 1;
    if (nextToken(line, linePos, true) == "ProtectionPassword" &&
        nextToken(line, linePos, true) == "=")
      return true;
  }
  return false;
}

void readDefinitionText(std::string text, ReportDefinition &def) {
  const bool protectionKey = protectionPasswordKeyPresentText(text);
  const IniProfile ini(std::move(text));

  constexpr std::string_view sources = "Data Source";
  def.EncryptPassword = asciiUpper(trimmed(ini.value(sources, "EncryptPassword"))) == "Y";
  def.dataSources.fill(DataSource{});
  def.dataSourceCount = 0;
  for (int i = 1; i <= kMaxDataSources; ++i) {
    const std::string n = std::to_string(i);
    std::string name = ini.value(sources, "Name" + n);
    if (name.empty())
      break;
    DataSource &source = def.dataSources[i - 1];
    source.Name = std::move(name);
    source.ConnectionString = trimBlanks(ini.value(sources, "ConnectionString" + n));
    if (source.ConnectionString.empty()) {
      source.User = ini.value(sources, "User" + n);
      const std::string password = ini.value(sources, "Password" + n);
      if (!password.empty())
        source.Password =
            def.EncryptPassword ? DecodeStoredPassword(password, source.User) : password;
    }
    def.dataSourceCount = static_cast<int16_t>(i);
  }

  constexpr std::string_view file = "File";
  def.ReportTemplateFileName = trimBlanks(ini.value(file, "ReportTemplateFileName"));
  def.ReportFileName = trimBlanks(ini.value(file, "ReportFileName"));
  def.ReportFileType = trimBlanks(ini.value(file, "ReportFileType"));
  def.LogFileName = trimBlanks(ini.value(file, "LogFileName"));
  def.resolvedLogPath.clear();
  def.resolvedTemplatePath.clear();
  def.resolvedReportPath.clear();

  def.ProtectReport = asciiUpper(trimmed(ini.value(file, "ProtectReport"))) == "Y";
  def.hasProtectionPassword = false;
  def.ProtectionPassword.clear();
  if (def.ProtectReport && protectionKey) {
    def.ProtectionPassword = ini.value(file, "ProtectionPassword");
    def.hasProtectionPassword = true;
  }

  constexpr std::string_view parameters = "Parameter";
  def.parameters.fill(ReportParameter{});
  def.parameterCount = 0;
  for (int i = 1; i <= kMaxParameters; ++i) {
    const std::string n = std::to_string(i);
    std::string name = ini.value(parameters, "Name" + n);
    if (name.empty())
      break;
    ReportParameter &parameter = def.parameters[i - 1];
    parameter.Name = std::move(name);
    parameter.Title = ini.value(parameters, "Title" + n);
    parameter.Default = ini.value(parameters, "Default" + n);
    def.parameterCount = static_cast<int16_t>(i);
  }
}

std::string scriptFromText(std::string_view text) {
  int pos = 1;
  while (pos <= static_cast<int>(text.size())) {
    if (trimBlanks(nextLine(text, pos)) == "[SQL]")
      return pos <= static_cast<int>(text.size()) ? std::string(text.substr(pos - 1))
                                                  : std::string();
  }
  return {};
}

std::string definitionFileText(const ReportDefinition &def) {
  std::string out;
  out.reserve(def.script.size() + 1024);
  out += "Quorvel Version ";
  appendValue(out, def.formatVersion);
  out += kEol;

  out += "[Data Source]";
  out += kEol;
  if (def.EncryptPassword)
    appendKey(out, "EncryptPassword", "Y");
  const int sourceCount = clampCount(def.dataSourceCount, kMaxDataSources);
  for (int i = 1; i <= sourceCount; ++i) {
    const DataSource &source = def.dataSources[i - 1];
    appendKey(out, "Name", i, source.Name);
    if (!source.ConnectionString.empty()) {
      appendKey(out, "ConnectionString", i, source.ConnectionString);
      continue;
    }
    appendKey(out, "User", i, source.User);
    appendKey(out, "Password", i,
              def.EncryptPassword ? EncodeStoredPassword(source.Password, source.User)
                                  : source.Password);
  }

  out += kEol;
  out += "[File]";
  out += kEol;
  if (!def.ReportTemplateFileName.empty())
    appendKey(out, "ReportTemplateFileName", def.ReportTemplateFileName);
  if (!def.ReportFileName.empty())
    appendKey(out, "ReportFileName", def.ReportFileName);
  if (!def.ReportFileType.empty())
    appendKey(out, "ReportFileType", def.ReportFileType);
  if (def.ProtectReport) {
    appendKey(out, "ProtectReport", "Y");
    if (def.hasProtectionPassword) {
      // Always quoted, whatever it holds.
      out += "ProtectionPassword=\"";
      appendValue(out, def.ProtectionPassword);
      out += '"';
      out += kEol;
    }
  }
  if (!def.LogFileName.empty())
    appendKey(out, "LogFileName", def.LogFileName);

  const int parameterCount = clampCount(def.parameterCount, kMaxParameters);
  if (parameterCount > 0) {
    out += kEol;
    out += "[Parameter]";
    out += kEol;
    for (int i = 1; i <= parameterCount; ++i) {
      const ReportParameter &parameter = def.parameters[i - 1];
      appendKey(out, "Name", i, parameter.Name);
      appendKey(out, "Title", i, parameter.Title);
      appendKey(out, "Default", i, parameter.Default);
    }
  }

  out += kEol;
  out += "[SQL]";
  out += kEol;
  out += def.script;
  return out;
}

bool checkHeader(const std::string &path, ReportDefinition &def) {
  const std::optional<std::string> text = readDefinitionFileText(path);
  return text && checkHeaderText(*text, def);
}

bool readDefinition(const std::string &path, ReportDefinition &def) {
  std::optional<std::string> bytes = readFileBytes(path);
  if (!bytes)
    return false;
  def.fileIsWindows1252 = readAsWindows1252(*bytes);
  readDefinitionText(fileBytesToText(*bytes), def);
  return true;
}

std::optional<std::string> readScript(const std::string &path) {
  const std::optional<std::string> text = readDefinitionFileText(path);
  if (!text)
    return std::nullopt;
  return scriptFromText(*text);
}

bool protectionPasswordKeyPresent(const std::string &path) {
  const std::optional<std::string> text = readDefinitionFileText(path);
  return text && protectionPasswordKeyPresentText(*text);
}

namespace {

// A definition may be a link into a folder of the user's own: the link stays and its file is
// replaced, keeping its permissions.
AtomicWriteOptions definitionWrite(bool keepBackup) {
  AtomicWriteOptions options;
  options.link = LinkAtTarget::WriteThrough;
  options.keepMode = true;
  options.keepBackup = keepBackup;
  return options;
}

} // namespace

void writeDefinition(const std::string &path, const ReportDefinition &def) {
  if (const auto refusal = unencipherablePassword(def))
    throw std::runtime_error(*refusal);
  replaceFile(path, fileBytes(def, definitionFileText(def)), definitionWrite(false));
}

namespace {

std::string fullPath(const std::string &path) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(path, error);
  return error ? path : full.lexically_normal().string();
}

} // namespace

void saveWithBackup(const std::string &path, ReportDefinition &def) {
  if (const auto refusal = unencipherablePassword(def))
    throw std::runtime_error(*refusal);
  const std::string text = definitionFileText(def);
  const std::string bytes = fileBytes(def, text);
  replaceFile(path, bytes, definitionWrite(true));
  def.fileIsWindows1252 = bytes != text;
  def.definitionChanged = false;
  def.definitionFilePath = fullPath(path);
}

std::optional<std::string> openDefinition(const std::string &path, ReportDefinition &def) {
  const auto fail = [&](const char *what) {
    def.reset();
    return std::optional<std::string>("The file \"" + path + "\" " + what);
  };
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error))
    return fail("does not exist.");

  ReportDefinition opened;
  const std::optional<std::string> bytes = readFileBytes(path);
  std::optional<std::string> text;
  if (bytes) {
    text = fileBytesToText(*bytes);
    opened.fileIsWindows1252 = readAsWindows1252(*bytes);
  }
  if (!text || !checkHeaderText(*text, opened))
    return fail("is not an Quorvel file.");
  opened.script = scriptFromText(*text);
  readDefinitionText(std::move(*text), opened);

  opened.definitionFilePath = fullPath(path);
  def = std::move(opened);
  return std::nullopt;
}

} // namespace brevant
