#pragma once
// Helpers for the workbook engine's tests: running the system Python (which has openpyxl) and
// LibreOffice on files in the test's temporary folder.

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace brevant::testing {

// Runs a Python script with Debian's python3 (the one with openpyxl); returns its stdout.
inline std::string runPython(const TempFolder &tmp, const std::string &script) {
  std::string scriptPath = tmp.file("script.py");
  writeBytes(scriptPath, script);
  std::string outPath = tmp.file("script.out");
  std::string cmd = "/usr/bin/python3 " + scriptPath + " > " + outPath + " 2>&1";
  int rc = std::system(cmd.c_str());
  std::string out = readBytes(outPath);
  EXPECT_EQ(rc, 0) << out;
  return out;
}

inline bool haveLibreOffice() { return std::system("command -v soffice > /dev/null 2>&1") == 0; }

// Converts `path` with LibreOffice headless into `folder`; returns the converted file's path.
inline std::string convertWithLibreOffice(const TempFolder &tmp, const std::string &path,
                                          const std::string &filter, const std::string &ext) {
  std::string profile = "file://" + tmp.file("lo-profile");
  std::string out = tmp.file("lo-out");
  std::filesystem::create_directories(out);
  std::string cmd = "timeout 180 soffice -env:UserInstallation=" + profile +
                    " --headless --convert-to '" + filter + "' --outdir " + out + " " + path +
                    " > " + tmp.file("lo.log") + " 2>&1";
  int rc = std::system(cmd.c_str());
  EXPECT_EQ(rc, 0) << readBytes(tmp.file("lo.log"));
  std::string stem = std::filesystem::path(path).stem().string();
  return (std::filesystem::path(out) / (stem + "." + ext)).string();
}

} // namespace brevant::testing
