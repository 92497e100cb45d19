#include "engine/script_functions.h"

#include <stdexcept>

namespace brevant {

bool ExecSqlFunction(RunState &run, const FunctionSettings &settings, const std::string &sql) {
  try {
    Connection *connection = run.connections->connection(settings.dataSourceIndex);
    if (connection == nullptr)
      throw std::runtime_error("The data source is not connected.");
    connection->Execute(sql);
    return true;
  } catch (const std::exception &e) {
    run.log.logError("Failed to execute function EXECSQL.", e.what());
    return false;
  }
}

} // namespace brevant
