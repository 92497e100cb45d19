#pragma once
// Connection strings as key=value pairs separated by ';'. A value may be wrapped in braces
// (ODBC: "{a;b}", "}}" stands for '}') or in double or single quotes (the older provider
// strings: a doubled quote stands for itself). Keys compare without regard to letter case; the
// last occurrence of a key wins, the order of first appearance is kept.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brevant {

class ConnectionAttributes {
public:
  [[nodiscard]] static ConnectionAttributes parse(std::string_view text);

  [[nodiscard]] std::optional<std::string> get(std::string_view key) const;
  [[nodiscard]] bool has(std::string_view key) const { return get(key).has_value(); }
  void set(std::string_view key, std::string_view value);
  void erase(std::string_view key);
  // Renames a key, keeping its value and position; a no-op when it is absent.
  void rename(std::string_view from, std::string_view to);
  [[nodiscard]] bool empty() const { return pairs_.empty(); }
  const std::vector<std::pair<std::string, std::string>> &pairs() const { return pairs_; }

  // The ODBC form: values that need it are wrapped in braces.
  [[nodiscard]] std::string toOdbcString() const;

private:
  std::vector<std::pair<std::string, std::string>> pairs_;
};

// A value as it must appear in an ODBC connection string.
std::string quoteOdbcValue(std::string_view value);

// How a Connection reaches its database.
struct ConnectionTarget {
  enum class Kind { Sqlite, Odbc } kind = Kind::Odbc;
  std::string sqlitePath;    // Sqlite: the database file, resolved against the base folder
  std::string odbcString;    // Odbc: the string for the driver manager
  std::string displayTarget; // for messages: the file or the data source
};

// Decides the back end for `connectionString` with the user and password given to Open
// (which, when the user is not empty, replace any in the string). Relative SQLite paths are
// resolved against `baseFolder`.
//
// The embedded SQLite serves strings whose Driver names an SQLite 3 driver the way the SQLite
// ODBC driver registers itself: the name, without braces and letter case, begins with
// "sqlite3" and is not a file path ("SQLite3", "{SQLite3 ODBC Driver}"). Its database is the
// Database key. Everything else goes to the ODBC driver manager; to reach the SQLite ODBC
// driver itself, name a DSN or the driver's library path.
//
// Keys of the provider form become their ODBC names: "Data Source" -> DSN, "User ID" -> UID,
// "Password" -> PWD. "Provider=MSDASQL" (the ODBC provider) is dropped, and its "Extended
// Properties" string is merged in; any other provider throws DatabaseError.
[[nodiscard]] ConnectionTarget resolveConnectionTarget(std::string_view connectionString,
                                                       const std::string &userId,
                                                       const std::string &password,
                                                       const std::string &baseFolder);

} // namespace brevant
