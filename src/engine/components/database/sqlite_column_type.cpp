#include "engine/components/database/sqlite_column_type.h"

#include "base/strings.h"

#include <cctype>
#include <string>

namespace brevant {

SqliteColumnType classifySqliteDeclaredType(std::string_view declaredType) {
  const std::string t = asciiLower(declaredType);
  auto has = [&](const char *word) { return t.find(word) != std::string::npos; };

  using C = SqliteColumnClass;
  if (t.find_first_not_of(" \t") == std::string::npos)
    return {C::Dynamic, false};
  // Longer names first: "datetime" holds "date" and "time", "bigint" holds "int".
  if (has("timestamp") || has("datetime"))
    return {C::DateTime, false};
  if (has("date"))
    return {C::Date, false};
  if (has("time"))
    return {C::Time, false};
  if (has("bool") || t.rfind("bit", 0) == 0)
    return {C::Bool, false};
  if (has("int"))
    return {C::Integer, false};
  if (has("text") || has("clob") || has("memo") || has("longvarchar"))
    return {C::Text, true};
  if (has("char") || has("string") || has("guid") || has("uuid"))
    return {C::Text, false};
  if (has("blob") || has("binary") || has("image"))
    return {C::Binary, true};
  if (has("real") || has("floa") || has("doub"))
    return {C::Double, false};
  if (has("numeric") || has("decimal") || has("number") || has("money"))
    return {C::Decimal, false};
  return {C::Dynamic, false};
}

} // namespace brevant
