#pragma once
// What a Connection needs from the library that talks to the database: run a statement for its
// effect, run a query and hand back the whole result, and close.

#include "engine/components/database/result_table.h"

#include <string>

namespace brevant {

class DatabaseBackend {
public:
  virtual ~DatabaseBackend() = default;
  // commandTimeout: seconds, 0 = no limit, negative = the back end's default.
  virtual void execute(const std::string &sql, int commandTimeout) = 0;
  virtual ResultTable query(const std::string &sql, int commandTimeout) = 0;
  virtual void close() = 0;
};

} // namespace brevant
