#include "engine/components/database/connection_string.h"

#include "base/strings.h"

#include "engine/components/database/database_error.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace brevant {

namespace {

// Reads a value starting at `pos` (just after '='), leaving `pos` on the ';' that ends it or
// at the end of the text.
std::string readValue(std::string_view text, size_t &pos) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
    ++pos;
  std::string value;
  if (pos < text.size() && (text[pos] == '{' || text[pos] == '"' || text[pos] == '\'')) {
    char close = text[pos] == '{' ? '}' : text[pos];
    ++pos;
    while (pos < text.size()) {
      if (text[pos] == close) {
        if (pos + 1 < text.size() && text[pos + 1] == close) {
          value += close;
          pos += 2;
          continue;
        }
        ++pos;
        break;
      }
      value += text[pos++];
    }
    // Anything between the closing mark and the next ';' is ignored.
    while (pos < text.size() && text[pos] != ';')
      ++pos;
    return value;
  }
  size_t end = text.find(';', pos);
  if (end == std::string_view::npos)
    end = text.size();
  value = std::string(trimmed(text.substr(pos, end - pos)));
  pos = end;
  return value;
}

} // namespace

ConnectionAttributes ConnectionAttributes::parse(std::string_view text) {
  ConnectionAttributes attributes;
  size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] == ';' || text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r' ||
        text[pos] == '\n') {
      ++pos;
      continue;
    }
    size_t equals = text.find('=', pos);
    size_t semicolon = text.find(';', pos);
    if (equals == std::string_view::npos ||
        (semicolon != std::string_view::npos && semicolon < equals)) {
      // A key without a value.
      size_t end = semicolon == std::string_view::npos ? text.size() : semicolon;
      std::string_view key = trimmed(text.substr(pos, end - pos));
      if (!key.empty())
        attributes.set(key, "");
      pos = end;
      continue;
    }
    std::string_view key = trimmed(text.substr(pos, equals - pos));
    pos = equals + 1;
    std::string value = readValue(text, pos);
    if (!key.empty())
      attributes.set(key, value);
  }
  return attributes;
}

std::optional<std::string> ConnectionAttributes::get(std::string_view key) const {
  for (const auto &[k, v] : pairs_)
    if (equalsAsciiNoCase(k, key))
      return v;
  return std::nullopt;
}

void ConnectionAttributes::set(std::string_view key, std::string_view value) {
  for (auto &[k, v] : pairs_)
    if (equalsAsciiNoCase(k, key)) {
      v = std::string(value);
      return;
    }
  pairs_.emplace_back(std::string(key), std::string(value));
}

void ConnectionAttributes::erase(std::string_view key) {
  std::erase_if(pairs_, [&](const auto &pair) { return equalsAsciiNoCase(pair.first, key); });
}

void ConnectionAttributes::rename(std::string_view from, std::string_view to) {
  auto it = std::find_if(pairs_.begin(), pairs_.end(),
                         [&](const auto &pair) { return equalsAsciiNoCase(pair.first, from); });
  if (it == pairs_.end())
    return;
  std::string value = it->second;
  size_t index = static_cast<size_t>(it - pairs_.begin());
  pairs_[index].first = std::string(to);
  // A key of the new name elsewhere gives way to the renamed one.
  for (size_t i = pairs_.size(); i-- > 0;)
    if (i != index && equalsAsciiNoCase(pairs_[i].first, to)) {
      pairs_.erase(pairs_.begin() + static_cast<std::ptrdiff_t>(i));
      if (i < index)
        --index;
    }
}

std::string quoteOdbcValue(std::string_view value) {
  bool needsBraces = value.find_first_of(";{}") != std::string_view::npos ||
                     (!value.empty() && (value.front() == ' ' || value.back() == ' '));
  if (!needsBraces)
    return std::string(value);
  std::string out = "{";
  for (char c : value) {
    out += c;
    if (c == '}')
      out += '}';
  }
  out += '}';
  return out;
}

std::string ConnectionAttributes::toOdbcString() const {
  std::string out;
  for (const auto &[key, value] : pairs_) {
    if (!out.empty())
      out += ';';
    out += key;
    out += '=';
    out += quoteOdbcValue(value);
  }
  return out;
}

ConnectionTarget resolveConnectionTarget(std::string_view connectionString,
                                         const std::string &userId, const std::string &password,
                                         const std::string &baseFolder) {
  ConnectionAttributes attributes = ConnectionAttributes::parse(connectionString);

  if (auto provider = attributes.get("Provider")) {
    if (asciiLower(*provider).rfind("msdasql", 0) != 0)
      throw DatabaseError("The connection string names the provider \"" + *provider +
                          "\", which is not available on this system. Use an ODBC connection "
                          "string (for example \"Driver=PostgreSQL Unicode;Server=host;"
                          "Database=name\") or an ODBC data source name instead.");
    attributes.erase("Provider");
    if (auto extended = attributes.get("Extended Properties")) {
      attributes.erase("Extended Properties");
      ConnectionAttributes inner = ConnectionAttributes::parse(*extended);
      for (const auto &[key, value] : inner.pairs())
        attributes.set(key, value);
    }
  }
  attributes.rename("Data Source", "DSN");
  attributes.rename("User ID", "UID");
  attributes.rename("Password", "PWD");
  if (!userId.empty()) {
    attributes.set("UID", userId);
    attributes.set("PWD", password);
  }
  // An empty login must not hide the one stored with the data source.
  if (attributes.get("UID").value_or("x").empty()) {
    attributes.erase("UID");
    if (attributes.get("PWD").value_or("x").empty())
      attributes.erase("PWD");
  }

  ConnectionTarget target;
  std::string driver = asciiLower(attributes.get("Driver").value_or(""));
  if (driver.rfind("sqlite3", 0) == 0 && driver.find('/') == std::string::npos) {
    std::string database = attributes.get("Database").value_or("");
    if (database.empty())
      throw DatabaseError("The SQLite connection string names no database (Database=...).");
    std::replace(database.begin(), database.end(), '\\', '/');
    std::filesystem::path path(database);
    if (path.is_relative() && !baseFolder.empty())
      path = std::filesystem::path(baseFolder) / path;
    target.kind = ConnectionTarget::Kind::Sqlite;
    target.sqlitePath = path.lexically_normal().string();
    target.displayTarget = target.sqlitePath;
    return target;
  }

  if (attributes.empty())
    throw DatabaseError("No data source name or connection string was given.");
  target.kind = ConnectionTarget::Kind::Odbc;
  target.odbcString = attributes.toOdbcString();
  target.displayTarget = attributes.get("DSN").value_or(attributes.get("Driver").value_or(""));
  return target;
}

} // namespace brevant
