#pragma once
// A settings store of its own for every test, in a private folder.

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace brevant::test {

using ::brevant::testing::readBytes;
using ::brevant::testing::TempFolder;
using ::brevant::testing::writeBytes;

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
