#include "settings/registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "settings/app_settings.h"
#include "settings_fixture.h"

namespace brevant {
namespace {

using test::readBytes;
using test::SettingsTest;

constexpr Hive kUser = Hive::CurrentUser;
const std::string kOptions = "SOFTWARE\\Velkora\\Brevant\\Options";
const std::string kOptionsBlock = "[HKEY_CURRENT_USER\\SOFTWARE\\Velkora\\Brevant\\Options]\r\n";

class Registry : public SettingsTest {};

TEST_F(Registry, ReadsGiveTheirDefaultsWithoutAnyFile) {
  EXPECT_EQ(RegGetString(kUser, kOptions, "DefaultDirectory", "none"), "none");
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "Left", 105), 105);
  RegistryKeyHandle key;
  EXPECT_FALSE(OpenKey(kUser, kOptions, key));
  EXPECT_FALSE(key.open);
}

TEST_F(Registry, StringAndNumberRoundTrip) {
  RegSaveString(kUser, kOptions, "DefaultDirectory", "/home/ann/My \"Reports\" \\ 2024 \xC3\xA9");
  RegSaveNumber(kUser, kOptions, "Width", -12000);
  RegSaveNumber(kUser, kOptions, "Big", 2147483647);
  EXPECT_EQ(RegGetString(kUser, kOptions, "DefaultDirectory", ""),
            "/home/ann/My \"Reports\" \\ 2024 \xC3\xA9");
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "Width", 0), -12000);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "Big", 0), 2147483647);
  // A string with line breaks survives as well (stored in hex form, one value per line).
  RegSaveString(kUser, kOptions, "Multi", "one\r\ntwo\nthree");
  EXPECT_EQ(RegGetString(kUser, kOptions, "Multi", ""), "one\r\ntwo\nthree");
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "Width", 0), -12000);
}

TEST_F(Registry, KeysAndValueNamesMatchWithoutRegardToCase) {
  RegSaveNumber(kUser, kOptions, "ShowTips", 0);
  EXPECT_EQ(RegGetNumber(kUser, "software\\VELKORA\\brevant\\options", "SHOWTIPS", 1), 0);
  RegSaveNumber(kUser, "Software\\velkora\\Brevant\\OPTIONS", "showtips", 1);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "ShowTips", 7), 1);
  // One key block and one value: the first spelling is kept.
  const std::string file = readBytes(storePath);
  EXPECT_EQ(file.find("[HKEY_CURRENT_USER\\Software"), std::string::npos);
  EXPECT_NE(file.find("\"ShowTips\"=dword:00000001"), std::string::npos);
  EXPECT_EQ(file.find("showtips"), std::string::npos);
}

TEST_F(Registry, NamesInOtherScriptsMatchWithoutRegardToCaseToo) {
  // As in the registry: "Ä" and "ä", "Σ" and "σ" name one key and one value.
  RegSaveNumber(kUser, "SOFTWARE\\\xC3\x84rger", "\xCE\xA3umme", 5);
  EXPECT_EQ(RegGetNumber(kUser, "software\\\xC3\xA4RGER", "\xCF\x83UMME", 0), 5);
  RegSaveNumber(kUser, "SOFTWARE\\\xC3\xA4rger", "\xCF\x83umme", 6);
  const std::string file = readBytes(storePath);
  EXPECT_EQ(file.find("\xC3\xA4rger"), std::string::npos) << file;
  EXPECT_NE(file.find("\"\xCE\xA3umme\"=dword:00000006"), std::string::npos) << file;
}

TEST_F(Registry, StringTextIsReadAsANumber) {
  writeStore(kOptionsBlock + "\"A\"=\"30\"\r\n\"B\"=\"abc\"\r\n\"C\"=\"12.6\"\r\n" +
             "\"D\"=\" -7.5 apples\"\r\n\"E\"=\"99999999999\"\r\n\"F\"=\"\"\r\n" +
             "\"G\"=\"1e3\"\r\n\"H\"=\"12.4.7\"\r\n");
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "A", 15), 30);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "B", 15), 0);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "C", 15), 13);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "D", 15), -8);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "E", 15), 15); // outside 32 bits: unreadable
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "F", 15), 0);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "G", 15), 1000);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "H", 15), 12);
}

TEST_F(Registry, BinaryOfFourBytesIsALittleEndianNumber) {
  writeStore(kOptionsBlock + "\"Four\"=hex:2c,01,00,00\r\n\"Negative\"=hex:ff,ff,ff,ff\r\n" +
             "\"Five\"=hex:01,00,00,00,00\r\n\"Three\"=hex:01,00,00\r\n\"Empty\"=hex:\r\n" +
             "\"Short\"=hex(4):01,00\r\n\"Qword\"=hex(b):01,00,00,00,00,00,00,00\r\n" +
             "\"BigEndian\"=hex(5):00,00,00,01\r\n");
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "Four", 0), 300);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "Negative", 0), -1);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "Five", 42), 42);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "Three", 42), 42);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "Empty", 42), 42);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "Short", 42), 42);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "Qword", 42), 42);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "BigEndian", 42), 42);
  // Numbers are never read as strings.
  EXPECT_EQ(RegGetString(kUser, kOptions, "Four", "d"), "d");
}

TEST_F(Registry, OnlyPlainStringsAreReadAsText) {
  // "%HOME%\x" as REG_EXPAND_SZ and "a","b" as REG_MULTI_SZ, in UTF-16LE as the export writes.
  writeStore(
      kOptionsBlock +
      "\"DefaultDirectory\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,5c,00,78,00,00,00\r\n" +
      "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n" + "\"None\"=hex(0):41,00,00,00\r\n");
  EXPECT_EQ(RegGetString(kUser, kOptions, "DefaultDirectory", ""), "");
  EXPECT_EQ(RegGetString(kUser, kOptions, "Multi", "x"), "x");
  EXPECT_EQ(RegGetString(kUser, kOptions, "None", "x"), "x");
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "DefaultDirectory", 3), 3);
}

TEST_F(Registry, TextIsCutAtAnEmbeddedZero) {
  // "AB", zero, "CD" as REG_SZ.
  writeStore(kOptionsBlock + "\"LogEditor\"=hex(1):41,00,42,00,00,00,43,00,44,00,00,00\r\n" +
             "\"Unterminated\"=hex(1):41,00,42,00\r\n\"Nothing\"=hex(1):\r\n" +
             "\"Count\"=hex(1):34,00,32,00,00,00,39,00,00,00\r\n");
  EXPECT_EQ(RegGetString(kUser, kOptions, "LogEditor", "?"), "AB");
  EXPECT_EQ(RegGetString(kUser, kOptions, "Unterminated", "?"), "AB");
  EXPECT_EQ(RegGetString(kUser, kOptions, "Nothing", "?"), "");
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "Count", 0), 42);

  // Written through the primitives, the zero is stored and the read still stops at it.
  RegSaveString(kUser, kOptions, "Zero", std::string("left\0right", 10));
  EXPECT_EQ(RegGetString(kUser, kOptions, "Zero", "?"), "left");
  EXPECT_NE(readBytes(storePath).find("\"Zero\"=hex(1):"), std::string::npos);
}

TEST_F(Registry, SaveWithoutABackslashInThePathWritesNothing) {
  RegSaveString(kUser, "Options", "FontName", "Mono");
  RegSaveNumber(kUser, "Options", "FontSize", 10);
  RegSaveNumber(kUser, "\\Options", "FontSize", 10); // empty section
  EXPECT_FALSE(std::filesystem::exists(storePath));
  EXPECT_EQ(RegGetString(kUser, "Options", "FontName", "default"), "default");

  RegSaveNumber(kUser, "Top\\\\Options", "FontSize", 10); // one leading '\' of the sub-path goes
  EXPECT_EQ(RegGetNumber(kUser, "Top\\Options", "FontSize", 0), 10);
  RegSaveNumber(kUser, "Top\\", "Level", 1); // the section alone
  EXPECT_EQ(RegGetNumber(kUser, "Top", "Level", 0), 1);
}

TEST_F(Registry, PrimitivesReportTheirOutcome) {
  RegistryKeyHandle key;
  EXPECT_FALSE(CreateKey(kUser, "", "SOFTWARE", key));
  EXPECT_FALSE(SetStringValue(key, "Name", "text")); // empty handle
  EXPECT_FALSE(SetNumberValue(key, "Name", 1));
  EXPECT_FALSE(CloseKey(key));

  ASSERT_TRUE(CreateKey(kUser, "SOFTWARE", "\\Velkora\\Brevant\\Options", key));
  EXPECT_EQ(key.path, kOptions);
  EXPECT_TRUE(SetStringValue(key, "FontName", "DejaVu Sans Mono"));
  EXPECT_FALSE(SetStringValue(key, "Bad\nName", "x"));
  EXPECT_EQ(QueryStringValue(key, "FontName"), "DejaVu Sans Mono");
  EXPECT_EQ(QueryNumberValue(key, "Missing"), std::nullopt);
  EXPECT_TRUE(CloseKey(key));
  EXPECT_EQ(QueryStringValue(key, "FontName"), std::nullopt);

  // Creating a key creates the levels above it.
  EXPECT_TRUE(OpenKey(kUser, "SOFTWARE\\Velkora", key));
  EXPECT_TRUE(OpenKey(kUser, "", key));
  EXPECT_FALSE(OpenKey(kUser, "SOFTWARE\\Velkor", key));
  EXPECT_FALSE(OpenKey(kUser, "SOFTWARE\\\\Velkora", key));
  EXPECT_FALSE(OpenKey(Hive::LocalMachine, kOptions, key));
}

TEST_F(Registry, CreatingAnExistingKeyLeavesTheFileAlone) {
  RegSaveNumber(kUser, kOptions, "Top", 1);
  const auto before = std::filesystem::last_write_time(storePath);
  const std::string content = readBytes(storePath);
  RegistryKeyHandle key;
  EXPECT_TRUE(CreateKey(kUser, "SOFTWARE", "Velkora\\Brevant\\Options", key));
  RegSaveNumber(kUser, kOptions, "Top", 1); // unchanged value
  EXPECT_EQ(readBytes(storePath), content);
  EXPECT_EQ(std::filesystem::last_write_time(storePath), before);
}

TEST_F(Registry, NothingIsCachedBetweenOperations) {
  RegSaveNumber(kUser, kOptions, "Left", 1);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "Left", 0), 1);
  writeStore(kOptionsBlock + "\"Left\"=dword:00000002\r\n\"Top\"=dword:00000003\r\n");
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "Left", 0), 2);
  // A write keeps the values another copy of the program wrote in between.
  RegSaveNumber(kUser, kOptions, "Width", 4);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "Top", 0), 3);
  EXPECT_EQ(RegGetNumber(kUser, kOptions, "Left", 0), 2);
}

TEST_F(Registry, ConcurrentWritersKeepEachOthersValues) {
  constexpr int kWriters = 3;
  constexpr int kValues = 40;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (int i = 0; i < kValues; ++i)
        RegSaveNumber(kUser, kOptions, "W" + std::to_string(w) + "_" + std::to_string(i), i);
      ::_exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int w = 0; w < kWriters; ++w)
    for (int i = 0; i < kValues; ++i)
      EXPECT_EQ(
          RegGetNumber(kUser, kOptions, "W" + std::to_string(w) + "_" + std::to_string(i), -1), i);
}

TEST(LeadingWholeNumber, TakesTheNumberAtTheStartOfTheText) {
  struct Case {
    const char *text;
    int32_t expected;
  };
  for (const Case &c : {Case{"30", 30}, Case{"abc", 0}, Case{"12.6", 13}, Case{"12.5", 13},
                        Case{"-12.5", -13}, Case{"+4", 4}, Case{".5", 1}, Case{"7.", 7},
                        Case{"  \t9x", 9}, Case{"1e", 1}, Case{"2E+2", 200}, Case{"1e-999", 0},
                        Case{"-2147483648", -2147483648}, Case{"-", 0}, Case{".", 0}}) {
    EXPECT_EQ(leadingWholeNumber(c.text), c.expected) << c.text;
  }
  EXPECT_EQ(leadingWholeNumber("2147483648"), std::nullopt);
  EXPECT_EQ(leadingWholeNumber("1e999"), std::nullopt);
}

TEST_F(Registry, AppSettingsTakeTheirDefaultsAndTheOnRule) {
  AppSettings settings = loadAppSettings();
  EXPECT_EQ(settings.ConnectionTimeout, 15);
  EXPECT_EQ(settings.CommandTimeout, 0);
  EXPECT_FALSE(settings.EnableAddins);
  EXPECT_FALSE(settings.EnableAutoMacro);

  writeStore(kOptionsBlock +
             "\"ConnectionTimeout\"=\"30\"\r\n\"CommandTimeout\"=dword:0000003c\r\n" +
             "\"EnableAddins\"=dword:00000002\r\n\"EnableAutoMacro\"=dword:00000001\r\n");
  settings = loadAppSettings();
  EXPECT_EQ(settings.ConnectionTimeout, 30);
  EXPECT_EQ(settings.CommandTimeout, 60);
  EXPECT_FALSE(settings.EnableAddins); // 2 is not 1
  EXPECT_TRUE(settings.EnableAutoMacro);

  saveAppSettings({45, 5, true, false});
  settings = loadAppSettings();
  EXPECT_EQ(settings.ConnectionTimeout, 45);
  EXPECT_EQ(settings.CommandTimeout, 5);
  EXPECT_TRUE(settings.EnableAddins);
  EXPECT_FALSE(settings.EnableAutoMacro);
  EXPECT_EQ(settingsKeyPath(), kOptions);
  EXPECT_EQ(recentFilesKeyPath(), "SOFTWARE\\Velkora\\Brevant\\Recent Files");
}

} // namespace
} // namespace brevant
