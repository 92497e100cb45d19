#include "frontends/startup.h"

#include "base/paths.h"
#include "definition/definition_file.h"
#include "definition/run_log.h"
#include "engine/components/spreadsheet/file_type_table.h"
#include "engine/product_info.h"
#include "engine/run_driver.h"
#include "engine/run_signals.h"
#include "frontends/command_line.h"
#include "frontends/environment_logins.h"
#include "frontends/heap_pages.h"
#include "frontends/resource_folder.h"
#include "frontends/workspace_program.h"
#include "settings/app_settings.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <unistd.h>

namespace brevant {
namespace {

namespace fs = std::filesystem;

fs::path executablePath() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path("brevant") : launcherOf(self);
}

std::string absoluteAgainstCurrent(const std::string &path) {
  const std::string here = currentFolder();
  return joinPath(here.empty() ? std::string("/") : here, path);
}

} // namespace

std::string programFolder() { return executablePath().parent_path().string(); }

namespace {

// "$XDG_STATE_HOME/brevant/<name>" (by default under ~/.local/state), its folders created.
std::string stateFolderLog(const std::string &name) {
  std::string state;
  if (const char *xdg = std::getenv("XDG_STATE_HOME"); xdg != nullptr && *xdg == '/')
    state = xdg;
  else if (const char *home = std::getenv("HOME"); home != nullptr && *home != '\0')
    state = std::string(home) + "/.local/state";
  else
    return {};
  createFolders(state + "/brevant");
  return state + "/brevant/" + name;
}

// Appends a start-up error to the program folder's log or, when that cannot be written, to
// the one in the state folder. Returns the log written, or empty.
std::string writeStartupError(const std::string &message) {
  std::string first = startupErrorLogPath();
  if (logStartupError(first, message))
    return first;
  std::string second = stateFolderLog(executablePath().filename().string() + ".log");
  if (!second.empty() && second != first && logStartupError(second, message))
    return second;
  return {};
}

} // namespace

std::string startupErrorLogPath() {
  const std::string name = executablePath().filename().string() + ".log";
  const std::string folder = programFolder();
  // An installed program (its files under ../share) does not write into its bin/ folder.
  if (resourceFolderFor(folder) == folder && access(folder.c_str(), W_OK) == 0)
    return folder + "/" + name;
  const std::string fallback = stateFolderLog(name);
  return fallback.empty() ? folder + "/" + name : fallback;
}

int Startup(const std::vector<std::string> &arguments, const InteractiveStart &interactive) {
  const CommandLine line = parseCommandLine(arguments, environmentLogins(&std::getenv));
  forgetEnvironmentPasswords();
  if (line.help) {
    std::cout << usageText();
    return kExitClean;
  }
  if (line.version) {
    std::cout << kProductName << " " << kVersionMajor << "." << kVersionMinor << "."
              << kVersionRevision << "\n"
              << kLegalNotice << "\n";
    return kExitClean;
  }
  ProgramEnvironment environment;
  environment.settings = loadAppSettings();
  environment.programFolder = resourceFolderFor(programFolder());
  environment.fileTypes = loadFileTypeTable(joinPath(environment.programFolder, "kvdconv.cfg"));

  if (!line.batch) {
    if (interactive) {
      CommandLine opened = line;
      if (!opened.definitionFile.empty())
        opened.definitionFile = absoluteAgainstCurrent(opened.definitionFile);
      return interactive(opened, environment);
    }
    std::cerr << "brevant: the workspace is not available in this build; run a report in "
                 "batch with -C.\n"
              << usageText();
    return kExitNotStarted;
  }

  // From here on a stop signal asks the batch run to end in order rather than killing it.
  RunSignals signals(true);
  preferHugePagesForTheHeap();
  const std::string path = absoluteAgainstCurrent(line.definitionFile);
  ReportDefinition definition;
  if (const auto message = openDefinition(path, definition)) {
    // Standard error too: whoever started the run may have no way to the program's folder.
    std::cerr << "brevant: " << *message << "\n";
    if (writeStartupError(*message).empty())
      std::cerr << "brevant: the start-up error log \"" << startupErrorLogPath()
                << "\" cannot be written.\n";
    return kExitNotStarted;
  }
  definition.definitionFilePath = path;

  RunRequest request;
  request.interactiveRun = false;
  request.displayReport = line.displayReport;
  request.progressInterval = line.progressInterval;
  request.commandLineValues = line.values;
  request.logins = line.logins;

  RunObserver batchObserver;
  const RunOutcome outcome = runReport(definition, environment, request, batchObserver);
  if (!outcome.logOpened) {
    std::cerr << "brevant: " << outcome.logError << "\n";
    return kExitNotStarted;
  }
  if (!outcome.logError.empty()) {
    std::cerr << "brevant: " << outcome.logError << "\n";
    return kExitErrorsLogged;
  }
  return outcome.errorCount > 0 ? kExitErrorsLogged : kExitClean;
}

} // namespace brevant
