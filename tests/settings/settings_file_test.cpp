#include "settings/settings_file.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "settings/registry.h"
#include "settings_fixture.h"

namespace brevant {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::SettingsTest;
using test::writeBytes;

unsigned modeOf(const std::string &path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

class SettingsFile : public SettingsTest {};

TEST_F(SettingsFile, WriteReplacesTheFileAtomicallyWithPrivateModes) {
  const std::string nested = folder.file("not/yet/there/Brevant.reg");
  ::setenv("BREVANT_SETTINGS", nested.c_str(), 1);
  RegSaveNumber(Hive::CurrentUser, "SOFTWARE\\Velkora\\Brevant\\Options", "Top", 7);
  ASSERT_TRUE(fs::exists(nested));
  EXPECT_EQ(modeOf(nested), 0600u);
  EXPECT_EQ(modeOf(folder.file("not")), 0700u);
  EXPECT_EQ(modeOf(folder.file("not/yet/there")), 0700u);

  ::chmod(nested.c_str(), 0644);
  RegSaveNumber(Hive::CurrentUser, "SOFTWARE\\Velkora\\Brevant\\Options", "Top", 8);
  EXPECT_EQ(modeOf(nested), 0600u);
  // Only the file itself is left in the folder: no temporary file stays behind.
  std::vector<std::string> names;
  for (const auto &entry : fs::directory_iterator(folder.file("not/yet/there")))
    names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"Brevant.reg"});
  EXPECT_EQ(readBytes(nested), "Windows Registry Editor Version 5.00\r\n\r\n"
                               "[HKEY_CURRENT_USER\\SOFTWARE\\Velkora\\Brevant\\Options]\r\n"
                               "\"Top\"=dword:00000008\r\n\r\n");
}

TEST_F(SettingsFile, AnUnrelatedFileIsNeverOverwritten) {
  writeBytes(storePath, "[Data Source]\r\nName=Sales\r\n");
  RegSaveString(Hive::CurrentUser, "SOFTWARE\\X", "Name", "y");
  EXPECT_EQ(readBytes(storePath), "[Data Source]\r\nName=Sales\r\n");
  // An empty file, or one of blank lines, is fair game.
  writeBytes(storePath, "\r\n\r\n");
  RegSaveString(Hive::CurrentUser, "SOFTWARE\\X", "Name", "y");
  EXPECT_EQ(RegGetString(Hive::CurrentUser, "SOFTWARE\\X", "Name", ""), "y");
}

TEST_F(SettingsFile, AWriteKeepsHandWrittenValuesButNotComments) {
  writeStore("; my notes\r\n[HKEY_CURRENT_USER\\SOFTWARE\\X]\r\n\"Keep\"=hex(2):41,00,00,00\r\n"
             "junk\r\n");
  RegSaveNumber(Hive::CurrentUser, "SOFTWARE\\X", "New", 1);
  EXPECT_EQ(readBytes(storePath), "Windows Registry Editor Version 5.00\r\n\r\n"
                                  "[HKEY_CURRENT_USER\\SOFTWARE\\X]\r\n"
                                  "\"Keep\"=hex(2):41,00,00,00\r\n"
                                  "\"New\"=dword:00000001\r\n\r\n");
}

TEST_F(SettingsFile, ALinkedFileIsWrittenThroughItsLink) {
  const std::string target = folder.file("real.reg");
  const std::string link = folder.file("link.reg");
  fs::create_symlink(target, link);
  ::setenv("BREVANT_SETTINGS", link.c_str(), 1);
  RegSaveNumber(Hive::CurrentUser, "SOFTWARE\\X", "N", 3);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(RegGetNumber(Hive::CurrentUser, "SOFTWARE\\X", "N", 0), 3);
  EXPECT_NE(readBytes(target).find("\"N\"=dword:00000003"), std::string::npos);
}

TEST_F(SettingsFile, UnreadableOrStrangePathsGiveDefaults) {
  fs::create_directory(storePath); // a folder where the file should be
  RegSaveNumber(Hive::CurrentUser, "SOFTWARE\\X", "N", 3);
  EXPECT_EQ(RegGetNumber(Hive::CurrentUser, "SOFTWARE\\X", "N", 9), 9);

  const std::string underFile = folder.file("plain/Brevant.reg");
  writeBytes(folder.file("plain"), "not a folder");
  ::setenv("BREVANT_SETTINGS", underFile.c_str(), 1);
  RegSaveNumber(Hive::CurrentUser, "SOFTWARE\\X", "N", 3);
  EXPECT_EQ(RegGetNumber(Hive::CurrentUser, "SOFTWARE\\X", "N", 9), 9);
}

TEST(SettingsFilePath, FollowsTheEnvironment) {
  ::setenv("BREVANT_SETTINGS", "/tmp/own.reg", 1);
  EXPECT_EQ(settingsFilePath(), "/tmp/own.reg");
  ::unsetenv("BREVANT_SETTINGS");
  ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(settingsFilePath(), "/cfg/Velkora/Brevant.reg");
  ::setenv("XDG_CONFIG_HOME", "relative", 1); // ignored, as the base-directory rules say
  ::setenv("HOME", "/home/ann", 1);
  EXPECT_EQ(settingsFilePath(), "/home/ann/.config/Velkora/Brevant.reg");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(settingsFilePath(), "/home/ann/.config/Velkora/Brevant.reg");
}

} // namespace
} // namespace brevant
