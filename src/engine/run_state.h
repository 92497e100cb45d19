#pragma once
// Everything one run of a report shares between the run driver, the parser's dispatcher, the
// script functions and the workbook lifecycle. It lives for one call of runReport().

#include "definition/report_definition.h"
#include "definition/run_log.h"
#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/file_type_table.h"
#include "engine/data_source_connections.h"
#include "engine/run_observer.h"
#include "engine/run_signals.h"
#include "settings/app_settings.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace brevant {

// What the program knows before any run: its options, its file-type table and its folder.
struct ProgramEnvironment {
  AppSettings settings;
  std::vector<FileType> fileTypes;
  std::string programFolder;
};

// A login given on the command line with -U<n> / -P<n>.
struct CommandLineLogin {
  bool given = false;
  std::string user;
  std::string password;
};

// How this run was asked for.
struct RunRequest {
  bool interactiveRun = false;
  bool displayReport = false;
  double progressInterval = 0;                // >1 records, (0,1] a fraction of the records, 0 off
  std::vector<std::string> commandLineValues; // batch only, at most 10
  std::array<CommandLineLogin, kMaxDataSources + 1> logins; // batch only, per slot
  std::string scriptText; // interactive: the editor's current text
};

struct RunState {
  RunState(ReportDefinition &definition, const ProgramEnvironment &environment,
           const RunRequest &request, RunObserver &observer)
      : definition(definition), environment(environment), request(request), observer(observer) {}

  ReportDefinition &definition;
  const ProgramEnvironment &environment;
  const RunRequest &request;
  RunObserver &observer;

  bool cancelRequested = false;
  int16_t functionCount = 0;
  RunLog log;
  std::unique_ptr<DataSourceConnections> connections;
  int16_t connectedCount = 0;
  bool printerAvailable = true;
  std::unique_ptr<Application> excelApp;
  int16_t excelMajorVersion = 0;
  Workbook *reportWorkbook = nullptr;
  Worksheet *currentSheet = nullptr;
  // The folder relative names are taken against.
  std::string definitionFolder;

  [[nodiscard]] bool interactiveRun() const { return request.interactiveRun; }
  // Lets the user interface run; true when the user asked to stop (in a batch run: when a stop
  // signal came).
  bool yieldToUserInterface() {
    observer.processEvents();
    if (cancelRequested)
      return true;
    if (observer.stopRequested()) {
      cancelRequested = true;
      log.logError("Interrupted by user.", "");
    } else if (const int signal = receivedStopSignal(); signal != 0 && !interactiveRun()) {
      cancelRequested = true;
      log.logError("Interrupted by signal " + signalName(signal) + ".", "");
    }
    return cancelRequested;
  }
};

} // namespace brevant
