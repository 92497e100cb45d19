#pragma once
// The connection table and the record-set table of a run: one database connection and one
// record set per data source of the report definition, opened at the start of the run and
// closed at its end. Every step is logged; nothing here throws.

#include "definition/report_definition.h"
#include "definition/run_log.h"
#include "engine/components/database/connection.h"
#include "engine/components/database/recordset.h"
#include "settings/app_settings.h"

#include <array>
#include <memory>
#include <string_view>

namespace brevant {

constexpr int kDataSourceSlots = kMaxDataSources + 1; // slots 0..10

// Asked for a login when a data source cannot be opened in an interactive run. The login
// dialog may change `dataSource`'s User and Password and open `connection` itself; the caller
// only looks at `connection.State()` afterwards. The batch run passes none.
class LoginRequester {
public:
  virtual ~LoginRequester() = default;
  // False when no login could be asked for (the connection stays closed).
  [[nodiscard]] virtual bool requestLogin(int dataSourceIndex, DataSource &dataSource,
                                          Connection &connection) = 0;
};

// The slot a script's CONNECT value selects: the first data source whose Name equals the text
// exactly, else, for a number n, data source n (1-based) when it exists; -1 otherwise.
[[nodiscard]] int findDataSource(const ReportDefinition &definition, std::string_view connectValue);

// "User ID=" + user + ";Password=" + password + ";Data Source=" + name, each value in braces
// when it holds a ';' or a brace, so that no login can change the meaning of the string.
std::string dataSourceLoginString(const DataSource &dataSource);

class DataSourceConnections {
public:
  // Relative SQLite database paths are resolved against the definition file's folder.
  DataSourceConnections(ReportDefinition &definition, RunLog &log, const AppSettings &settings);

  // Opens data source `index` (0..10) into its slots and logs the outcome; true when open.
  // With `interactiveRun` and a `login`, a failed open asks for a login once.
  [[nodiscard]] bool ConnectDataSource(int index, bool interactiveRun = false,
                                       LoginRequester *login = nullptr);
  // Closes the connection and empties both slots; false (and an error line) when closing failed.
  [[nodiscard]] bool DisconnectDataSource(int index);

  // The objects of a connected slot; null when the slot is empty or out of range.
  Connection *connection(int index) const;
  Recordset *recordset(int index) const;
  [[nodiscard]] bool dataSourceConnected(int index) const;
  const std::array<bool, kDataSourceSlots> &connectedFlags() const { return connected_; }

private:
  ReportDefinition &definition_;
  RunLog &log_;
  AppSettings settings_;
  std::array<std::unique_ptr<Connection>, kDataSourceSlots> connections_;
  std::array<std::unique_ptr<Recordset>, kDataSourceSlots> recordsets_;
  std::array<bool, kDataSourceSlots> connected_{};
};

} // namespace brevant
