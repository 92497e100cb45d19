#pragma once
// The driver manager's and the driver's diagnostic records for a handle, joined into one
// description.

#include <string>

namespace brevant {

// Every record of the handle, in order, as "message" texts separated by "; " (identical
// records once). `fallback` is used when the handle has none.
std::string odbcDiagnostics(short handleType, void *handle, const std::string &fallback);

// Throws DatabaseError with the handle's diagnostics when `rc` is neither SQL_SUCCESS nor
// SQL_SUCCESS_WITH_INFO (nor SQL_NO_DATA when `noDataIsSuccess`).
void checkOdbc(short rc, short handleType, void *handle, const char *operation,
               bool noDataIsSuccess = false);

} // namespace brevant
