#pragma once
// Helpers for the workbook engine's tests: a private temporary folder, running the system
// Python (which has openpyxl) and LibreOffice, and reading package parts back.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace brevant::testing {

class TempFolder {
public:
  TempFolder() {
    std::string templ = (std::filesystem::temp_directory_path() / "brevant-ss-XXXXXX").string();
    path_ = mkdtemp(templ.data());
  }
  ~TempFolder() { std::filesystem::remove_all(path_); }
  std::string file(const std::string &name) const { return (path_ / name).string(); }
  const std::filesystem::path &path() const { return path_; }

private:
  std::filesystem::path path_;
};

inline std::string readBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream buf;
  buf << in.rdbuf();
  return buf.str();
}

inline void writeBytes(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

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
