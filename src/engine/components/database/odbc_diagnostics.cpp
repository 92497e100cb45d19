#include "engine/components/database/odbc_diagnostics.h"

#include "base/codepage.h"
#include "engine/components/database/database_error.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <vector>

namespace brevant {

std::string odbcDiagnostics(short handleType, void *handle, const std::string &fallback) {
  std::vector<std::string> messages;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    std::vector<SQLWCHAR> text(1024);
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRecW(handleType, handle, record, state, &native, text.data(),
                                  static_cast<SQLSMALLINT>(text.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
      text.resize(static_cast<size_t>(length) + 1);
      rc = SQLGetDiagRecW(handleType, handle, record, state, &native, text.data(),
                          static_cast<SQLSMALLINT>(text.size()), &length);
    }
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
      break;
    size_t units = std::min(static_cast<size_t>(length < 0 ? 0 : length), text.size());
    std::string message =
        utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t *>(text.data()), units));
    // Multi-line server messages become one line of the run log.
    std::string line;
    for (char c : message) {
      bool blank = c == '\n' || c == '\r' || c == '\t' || c == ' ';
      if (!blank)
        line += c;
      else if (!line.empty() && line.back() != ' ')
        line += ' ';
    }
    while (!line.empty() && line.back() == ' ')
      line.pop_back();
    message = std::move(line);
    bool seen = false;
    for (const auto &m : messages)
      seen = seen || m == message;
    if (!message.empty() && !seen)
      messages.push_back(message);
  }
  if (messages.empty())
    return fallback;
  std::string joined;
  for (const auto &m : messages) {
    if (!joined.empty())
      joined += "; ";
    joined += m;
  }
  return joined;
}

void checkOdbc(short rc, short handleType, void *handle, const char *operation,
               bool noDataIsSuccess) {
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || (noDataIsSuccess && rc == SQL_NO_DATA))
    return;
  std::string fallback = std::string(operation) + " failed";
  if (rc == SQL_INVALID_HANDLE)
    fallback += " (invalid handle)";
  else if (rc == SQL_NO_DATA)
    fallback += " (no data)";
  throw DatabaseError(odbcDiagnostics(handleType, handle, fallback + "."));
}

} // namespace brevant
