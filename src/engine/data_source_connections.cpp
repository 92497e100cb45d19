#include "engine/data_source_connections.h"
#include "engine/components/spreadsheet/io/c_numbers.h"

#include "engine/components/database/connection_string.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace brevant {

namespace {

bool validSlot(int index) { return index >= 0 && index < kDataSourceSlots; }

// A number as a script writes one ("2", " 2 ", "2.0"); nullopt for anything else.
std::optional<double> numberIn(std::string_view text) {
  std::string s(text);
  const char *begin = s.c_str();
  while (*begin == ' ' || *begin == '\t')
    ++begin;
  if (*begin == '\0')
    return std::nullopt;
  char *end = nullptr;
  double value = strtodC(begin, &end);
  while (*end == ' ' || *end == '\t')
    ++end;
  if (*end != '\0' || !std::isfinite(value))
    return std::nullopt;
  return value;
}

// The user part begins with a full-width comma (U+FF0C) and a blank.
std::string describe(const DataSource &dataSource) {
  std::string text = "DSN=" + dataSource.Name;
  if (!dataSource.ConnectionString.empty())
    text += ", Using a connection string.";
  else if (!dataSource.User.empty())
    text += "\xEF\xBC\x8C USER=" + dataSource.User;
  return text;
}

} // namespace

int findDataSource(const ReportDefinition &definition, std::string_view connectValue) {
  int count = std::clamp<int>(definition.dataSourceCount, 0, kMaxDataSources);
  for (int i = 0; i < count; ++i)
    if (definition.dataSources[static_cast<size_t>(i)].Name == connectValue)
      return i;
  if (auto number = numberIn(connectValue)) {
    double n = std::nearbyint(*number);
    if (n >= 1 && n <= count)
      return static_cast<int>(n) - 1;
  }
  return -1;
}

std::string dataSourceLoginString(const DataSource &dataSource) {
  return "User ID=" + quoteOdbcValue(dataSource.User) +
         ";Password=" + quoteOdbcValue(dataSource.Password) +
         ";Data Source=" + quoteOdbcValue(dataSource.Name);
}

DataSourceConnections::DataSourceConnections(ReportDefinition &definition, RunLog &log,
                                             const AppSettings &settings)
    : definition_(definition), log_(log), settings_(settings) {}

bool DataSourceConnections::ConnectDataSource(int index, bool interactiveRun,
                                              LoginRequester *login) {
  if (!validSlot(index))
    return false;
  size_t slot = static_cast<size_t>(index);
  DataSource &dataSource = definition_.dataSources[slot];
  connected_[slot] = false;
  connections_[slot] = std::make_unique<Connection>();
  recordsets_[slot] = std::make_unique<Recordset>();
  Connection &connection = *connections_[slot];

  std::string error;
  try {
    if (settings_.ConnectionTimeout >= 0)
      connection.ConnectionTimeout = settings_.ConnectionTimeout;
    if (settings_.CommandTimeout >= 0)
      connection.CommandTimeout = settings_.CommandTimeout;
    connection.ConnectionString = dataSource.ConnectionString.empty()
                                      ? dataSourceLoginString(dataSource)
                                      : dataSource.ConnectionString;
    connection.CursorLocation = adUseClient;
    if (!definition_.definitionFilePath.empty())
      connection.BaseFolder =
          std::filesystem::path(definition_.definitionFilePath).parent_path().string();
    try {
      if (!dataSource.User.empty())
        connection.Open("", dataSource.User, dataSource.Password);
      else
        connection.Open("", "", "");
    } catch (const std::exception &e) {
      error = e.what();
    }
    if (!error.empty() && interactiveRun && login) {
      // Whether the dialog could be shown or not, the connection's state tells the outcome.
      (void)login->requestLogin(index, dataSource, connection);
      if (connection.State() != adStateClosed)
        error.clear();
    }
  } catch (const std::exception &e) {
    error = e.what();
  }

  if (error.empty() && connection.State() != adStateClosed) {
    log_.logLine("Connect to database successfully. " + describe(dataSource));
    connected_[slot] = true;
    return true;
  }
  log_.logError("Failed to connect to database. " + describe(dataSource), error);
  return false;
}

bool DataSourceConnections::DisconnectDataSource(int index) {
  if (!validSlot(index))
    return false;
  size_t slot = static_cast<size_t>(index);
  connected_[slot] = false;
  std::unique_ptr<Connection> connection = std::move(connections_[slot]);
  std::unique_ptr<Recordset> recordset = std::move(recordsets_[slot]);
  if (recordset)
    recordset->Close();
  if (!connection)
    return true;
  try {
    connection->Close();
  } catch (const std::exception &e) {
    log_.logError("Failed to disconnect from database. DSN=" + definition_.dataSources[slot].Name,
                  e.what());
    return false;
  }
  return true;
}

Connection *DataSourceConnections::connection(int index) const {
  return validSlot(index) ? connections_[static_cast<size_t>(index)].get() : nullptr;
}

Recordset *DataSourceConnections::recordset(int index) const {
  return validSlot(index) ? recordsets_[static_cast<size_t>(index)].get() : nullptr;
}

bool DataSourceConnections::dataSourceConnected(int index) const {
  return validSlot(index) && connected_[static_cast<size_t>(index)];
}

} // namespace brevant
