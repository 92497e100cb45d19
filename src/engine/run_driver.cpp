#include "engine/run_driver.h"

#include "base/paths.h"
#include "base/strings.h"
#include "definition/definition_file.h"
#include "engine/components/spreadsheet/workbook.h"
#include "engine/file_identity.h"
#include "engine/function_dispatcher.h"
#include "engine/parameter_substitution.h"
#include "engine/product_info.h"
#include "engine/run_signals.h"
#include "engine/script_parser.h"
#include "engine/workbook_lifecycle.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace brevant {
namespace {

namespace fs = std::filesystem;

std::string parentOf(const std::string &path) { return fs::path(path).parent_path().string(); }

// The parser's view of the run: its yield points let the user interface work and stop the run.
class ParserControl final : public RunControl {
public:
  explicit ParserControl(RunState &run) : run_(run) {}
  void yieldToUserInterface() override {
    if (run_.interactiveRun())
      run_.yieldToUserInterface();
  }
  bool cancelRequested() const override {
    // A batch run has no user interface to yield to, but a stop signal is looked for here.
    if (!run_.interactiveRun())
      run_.yieldToUserInterface();
    return run_.cancelRequested;
  }

private:
  RunState &run_;
};

std::string plural(int n, const char *many, const char *one) { return n > 1 ? many : one; }

// Lets the command line override parameter values and logins before anything is resolved.
void applyCommandLine(RunState &run) {
  ReportDefinition &def = run.definition;
  const auto &values = run.request.commandLineValues;
  for (size_t i = 0; i < values.size() && i < static_cast<size_t>(kMaxParameters); ++i)
    def.parameters[i].Default = values[i];
  for (size_t slot = 0; slot < run.request.logins.size(); ++slot) {
    const CommandLineLogin &login = run.request.logins[slot];
    if (!login.given)
      continue;
    def.dataSources[slot].User = login.user;
    def.dataSources[slot].Password = login.password;
  }
}

void quitApplication(RunState &run) {
  if (!run.excelApp)
    return;
  try {
    if (!run.excelApp->Visible())
      run.excelApp->Quit();
  } catch (const std::exception &e) {
    run.log.logError("Can not quit Microsoft Excel.", e.what());
  }
  run.excelApp.reset();
}

void disconnectAll(RunState &run) {
  if (!run.connections)
    return;
  for (int slot = 0; slot < kDataSourceSlots; ++slot)
    if (run.connections->dataSourceConnected(slot))
      (void)run.connections->DisconnectDataSource(slot); // a failure logs its own error line
}

// Starts the application, hides it and loads its start-up add-ins. False ends the run.
bool startApplication(RunState &run) {
  try {
    run.excelApp = std::make_unique<Application>();
  } catch (const std::exception &e) {
    run.log.logError("Failed to create Microsoft Excel application.", e.what());
    return false;
  }
  Application &app = *run.excelApp;
  run.excelMajorVersion = majorVersion(app.Version());
  try {
    app.setDisplayAlerts(false);
    app.setVisible(false);
  } catch (const std::exception &e) {
    run.log.logError("Failed to hide Microsoft Excel.", e.what());
  }
  app.setInteractive(false);
  if (run.excelMajorVersion < 12)
    app.setScreenUpdating(false);
  // Add-ins are workbooks of macros, and no macros run here: with EnableAddins on there is
  // nothing to load, since no add-in folder exists for this engine.
  return true;
}

std::string coincide(const char *what, const std::string &path, const char *otherWhat,
                     const std::string &other) {
  return std::string("The ") + what + " \"" + path + "\" is the same file as the " + otherWhat +
         " \"" + other + "\".";
}

// Why the log cannot be written where it is named, or empty: it would replace the definition,
// the template or the report.
std::string logClash(const ReportDefinition &def) {
  const std::string &log = def.resolvedLogPath;
  if (sameFile(log, def.definitionFilePath))
    return coincide("log file", log, "definition file", def.definitionFilePath);
  if (sameFile(log, def.resolvedTemplatePath))
    return coincide("log file", log, "template file", def.resolvedTemplatePath);
  if (sameFile(log, def.resolvedReportPath))
    return coincide("log file", log, "report file", def.resolvedReportPath);
  return {};
}

// Why the report cannot be written where it is named, or empty.
std::string reportClashes(const ReportDefinition &def) {
  const std::string &report = def.resolvedReportPath;
  if (sameFile(report, def.resolvedTemplatePath))
    return coincide("report file", report, "template file", def.resolvedTemplatePath);
  if (sameFile(report, def.definitionFilePath))
    return coincide("report file", report, "definition file", def.definitionFilePath);
  if (sameFile(report, def.resolvedLogPath))
    return coincide("report file", report, "log file", def.resolvedLogPath);
  return {};
}

// The log shows the protection password (a random one included) unless it is empty.
bool logHoldsPassword(const ReportDefinition &def) {
  return def.ProtectReport && !(def.hasProtectionPassword && def.ProtectionPassword.empty());
}

} // namespace

std::string resolveRunPath(const ReportDefinition &definition, const std::string &folder,
                           const std::string &name) {
  const std::string substituted = substituteParameters(name, definition);
  if (substituted.empty())
    return {};
  return joinPath(folder, substituted);
}

RunOutcome runReport(ReportDefinition &def, const ProgramEnvironment &environment,
                     const RunRequest &request, RunObserver &observer) {
  RunSignals signals(!request.interactiveRun);
  RunState run(def, environment, request, observer);
  RunOutcome outcome;
  run.log.setObserver(request.interactiveRun ? &observer : nullptr);

  if (request.interactiveRun)
    observer.statusChanged("Running");
  else
    applyCommandLine(run);

  // Relative names are taken against the definition's folder, without changing the process's
  // current directory.
  std::string folder = parentOf(def.definitionFilePath);
  if (folder.empty() || !(isNetworkPath(folder) || folder.front() == '/'))
    folder = joinPath(currentFolder(), folder.empty() ? "." : folder);
  run.definitionFolder = folder;

  def.resolvedLogPath.clear();
  if (!def.LogFileName.empty())
    def.resolvedLogPath = resolveRunPath(def, folder, def.LogFileName);
  if (def.LogFileName.empty() || def.resolvedLogPath.empty()) {
    def.LogFileName = joinPath(folder, baseName(def.definitionFilePath) + ".log");
    def.resolvedLogPath = def.LogFileName;
  }
  def.resolvedReportPath = resolveRunPath(def, folder, def.ReportFileName);
  outcome.logPath = def.resolvedLogPath;
  outcome.reportPath = def.resolvedReportPath;

  // The log must not take the place of a file the run reads or writes: it is checked before it
  // is created, and a refusal is told as a log that cannot be created.
  def.resolvedTemplatePath.clear();
  if (!def.ReportTemplateFileName.empty())
    def.resolvedTemplatePath = resolveRunPath(def, folder, def.ReportTemplateFileName);
  const std::string clash = logClash(def);
  if (!clash.empty()) {
    outcome.logError = clash;
    if (request.interactiveRun)
      observer.showError(clash);
    return outcome;
  }
  const std::string logFolder = parentOf(def.resolvedLogPath);
  if (!logFolder.empty())
    createFolders(logFolder);
  if (!run.log.open(def.resolvedLogPath, logHoldsPassword(def))) {
    outcome.logError = "The log file \"" + def.resolvedLogPath +
                       "\" cannot be created: " + run.log.openError() + ".";
    if (request.interactiveRun)
      observer.showError(outcome.logError);
    return outcome;
  }
  outcome.logOpened = true;

  run.log.logLine(std::string(kProductName) + " " + std::to_string(kVersionMajor) + "." +
                  std::to_string(kVersionMinor) + "." + std::to_string(kVersionRevision));
  run.log.logLine(kLegalNotice);
  run.log.logLine("Open log file successfully.");

  auto closeLog = [&](bool withClosingLine) {
    // A stop signal that came after the last record was looked at still makes the run fail.
    if (!request.interactiveRun)
      run.yieldToUserInterface();
    if (withClosingLine)
      run.log.logLine("Close the log file.");
    outcome.errorCount = run.log.errorCount();
    run.log.close();
    if (!run.log.writeError().empty()) {
      outcome.logError = "The log file \"" + def.resolvedLogPath +
                         "\" cannot be written: " + run.log.writeError() + ".";
      if (request.interactiveRun)
        observer.showError(outcome.logError);
    }
    return outcome;
  };
  auto quit = [&]() {
    quitApplication(run);
    disconnectAll(run);
    return closeLog(false);
  };

  try {
    if (def.ReportTemplateFileName.empty()) {
      run.log.logError("The template file is not named correctly.", "");
      return closeLog(false);
    }
    std::error_code ec;
    if (!fs::is_regular_file(def.resolvedTemplatePath, ec)) {
      run.log.logError("Report template file \"" + def.resolvedTemplatePath + "\" does not exist.",
                       "");
      return closeLog(false);
    }
    if (def.ReportFileName.empty()) {
      run.log.logError("The report file is not named correctly.", "");
      return closeLog(false);
    }
    if (const std::string reportClash = reportClashes(def); !reportClash.empty()) {
      run.log.logError(reportClash, "");
      return closeLog(false);
    }
    if (environment.fileTypes.empty())
      run.log.logLine("Warning: The file \"" + joinPath(environment.programFolder, "kvdconv.cfg") +
                      "\" does not exist. You can not convert file format.");
    if (!request.interactiveRun) {
      const int given = static_cast<int>(request.commandLineValues.size());
      const int defined = def.parameterCount;
      if (given < defined)
        run.log.logLine("Warning: " + std::to_string(defined) +
                        plural(defined, " parameters have", " parameter has") +
                        " been defined in the report, but just " + std::to_string(given) +
                        plural(given, " parameters are", " parameter is") +
                        " inputed on command line.");
    }
    if (def.dataSourceCount < 1)
      run.log.logLine("Warning: None of data sources is defined.");

    run.connections = std::make_unique<DataSourceConnections>(def, run.log, environment.settings);
    for (int slot = 0; slot < def.dataSourceCount; ++slot)
      if (run.connections->ConnectDataSource(slot, request.interactiveRun, &observer))
        ++run.connectedCount;

    run.printerAvailable = std::getenv("BREVANT_NO_PRINTER") == nullptr;

    if (!startApplication(run))
      return quit();
    if (run.yieldToUserInterface())
      return quit();
    if (!openReportWorkbook(run))
      return quit();

    if (run.connectedCount > 0) {
      Dispatcher dispatcher(run);
      ParserControl control(run);
      ScriptParser parser(def, run.connections->connectedFlags(), run.log, dispatcher, control,
                          request.interactiveRun);
      parser.parseAndRunScript(request.scriptText);
    }

    // A failed save has logged its error line; the run still ends in order, discarding the
    // workbook with the hidden application.
    (void)finishReportWorkbook(run);
    run.currentSheet = nullptr;
    run.reportWorkbook = nullptr;
    quitApplication(run);
    disconnectAll(run);
  } catch (const std::exception &e) {
    // A step that did not trap its own fault: the run still ends in order.
    run.log.logError("The run stopped at an unexpected fault.", e.what());
    quitApplication(run);
    disconnectAll(run);
  }
  return closeLog(true);
}

} // namespace brevant
