#pragma once
// The one report definition a process works on: data sources, files, protection, log,
// parameters and the script. Plain data; reading and writing live in definition_file.h.

#include <array>
#include <cstdint>
#include <string>

namespace brevant {

constexpr int kMaxDataSources = 10;
constexpr int kMaxParameters = 10;

struct DataSource {
  std::string Name;             // how a script's CONNECT refers to it
  std::string User;             // unused when ConnectionString is set
  std::string Password;         // always plain in memory
  std::string ConnectionString; // when not empty, the data source is this string
};

struct ReportParameter {
  std::string Name;    // the literal replaced in the script and in file names
  std::string Title;   // shown when asking for a value
  std::string Default; // the value substituted at run time
};

struct ReportDefinition {
  std::string definitionFilePath;
  std::string formatVersion = "2.0";
  bool EncryptPassword = false;
  std::array<DataSource, kMaxDataSources + 1> dataSources{}; // slots 0..9 are used
  int16_t dataSourceCount = 0;
  std::string ReportTemplateFileName;
  std::string ReportFileName;
  std::string ReportFileType;
  bool ProtectReport = false;
  bool hasProtectionPassword = false;
  std::string ProtectionPassword;
  std::string LogFileName;
  std::array<ReportParameter, kMaxParameters + 1> parameters{}; // slots 0..9 are used
  int16_t parameterCount = 0;
  std::string script;
  bool definitionChanged = false;
  // The file was read as Windows-1252 (it was not UTF-8): it is saved so again when it can be.
  bool fileIsWindows1252 = false;

  // Paths the run driver resolves from the names above; cleared whenever a file is read.
  std::string resolvedLogPath;
  std::string resolvedTemplatePath;
  std::string resolvedReportPath;

  // Back to the state of a new, empty definition.
  void reset() { *this = ReportDefinition{}; }
};

} // namespace brevant
