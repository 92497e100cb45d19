#pragma once
// A private folder for one test, removed with everything in it afterwards, and the settings
// store pointed into it.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace brevant::test {

class TempFolder {
public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brevant-settings-XXXXXX");
    if (::mkdtemp(pattern.data()))
      path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path &path() const { return path_; }
  std::string file(const std::string &name) const { return (path_ / name).string(); }

private:
  std::filesystem::path path_;
};

inline void writeBytes(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline std::string readBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every test gets its own store file, named by BREVANT_SETTINGS.
class SettingsTest : public ::testing::Test {
protected:
  void SetUp() override {
    storePath = folder.file("Brevant.reg");
    ::setenv("BREVANT_SETTINGS", storePath.c_str(), 1);
  }
  void TearDown() override { ::unsetenv("BREVANT_SETTINGS"); }

  void writeStore(const std::string &body) {
    writeBytes(storePath, "Windows Registry Editor Version 5.00\r\n\r\n" + body);
  }

  TempFolder folder;
  std::string storePath;
};

} // namespace brevant::test
