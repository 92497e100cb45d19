#pragma once
// Reads every row of an executed ODBC statement into a ResultTable.

#include "engine/components/database/result_table.h"

namespace brevant {

// `statement` is an SQLHSTMT positioned on a result that has columns.
ResultTable fetchOdbcResult(void *statement);

} // namespace brevant
