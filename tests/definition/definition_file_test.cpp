#include "definition/definition_file.h"

#include "cipher/password_cipher.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <stdexcept>
#include <sys/resource.h>

namespace brevant {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

ReportDefinition twoSources() {
  ReportDefinition def;
  def.EncryptPassword = true;
  def.dataSources[0] = {"Sales", "ignored", "ignored too", "Driver=SQLite3;Database=/d/s.db"};
  def.dataSources[1] = {"Stock", "jo", "s3cr et", ""};
  def.dataSourceCount = 2;
  def.ReportTemplateFileName = "templates\\monthly.xltx";
  def.ReportFileName = "out/Monthly_[Month].xlsx";
  def.ReportFileType = "Excel Workbook";
  def.ProtectReport = true;
  def.hasProtectionPassword = true;
  def.ProtectionPassword = "  two blanks  ";
  def.LogFileName = "monthly.log";
  def.parameters[0] = {"[Month]", "Which month?", "2024-05"};
  def.parameterCount = 1;
  def.script = "@1=EXECSQL(CONNECT=Sales)\r\nselect 1\r\n";
  return def;
}

ReportDefinition readBack(const std::string &path) {
  ReportDefinition def;
  EXPECT_TRUE(checkHeader(path, def));
  EXPECT_TRUE(readDefinition(path, def));
  def.script = readScript(path).value_or("<unreadable>");
  return def;
}

ReportDefinition fromText(const std::string &text) {
  ReportDefinition def;
  readDefinitionText(text, def);
  return def;
}

TEST(DefinitionFile, WritesTheExactByteLayout) {
  ReportDefinition def = twoSources();
  def.EncryptPassword = false;
  EXPECT_EQ(definitionFileText(def), "Quorvel Version 2.0\r\n"
                                     "[Data Source]\r\n"
                                     "Name1=Sales\r\n"
                                     "ConnectionString1=Driver=SQLite3;Database=/d/s.db\r\n"
                                     "Name2=Stock\r\n"
                                     "User2=jo\r\n"
                                     "Password2=s3cr et\r\n"
                                     "\r\n"
                                     "[File]\r\n"
                                     "ReportTemplateFileName=templates\\monthly.xltx\r\n"
                                     "ReportFileName=out/Monthly_[Month].xlsx\r\n"
                                     "ReportFileType=Excel Workbook\r\n"
                                     "ProtectReport=Y\r\n"
                                     "ProtectionPassword=\"  two blanks  \"\r\n"
                                     "LogFileName=monthly.log\r\n"
                                     "\r\n"
                                     "[Parameter]\r\n"
                                     "Name1=[Month]\r\n"
                                     "Title1=Which month?\r\n"
                                     "Default1=2024-05\r\n"
                                     "\r\n"
                                     "[SQL]\r\n"
                                     "@1=EXECSQL(CONNECT=Sales)\r\nselect 1\r\n");

  // An empty definition still has both fixed sections and nothing after the [SQL] line.
  EXPECT_EQ(definitionFileText(ReportDefinition{}),
            "Quorvel Version 2.0\r\n[Data Source]\r\n\r\n[File]\r\n\r\n[SQL]\r\n");

  TempFolder temp;
  writeDefinition(temp.file("a.kvd"), def);
  EXPECT_EQ(readBytes(temp.file("a.kvd")), definitionFileText(def));
}

TEST(DefinitionFile, TwoSourcesWithEncryptedPasswordsRoundTrip) {
  TempFolder temp;
  const std::string path = temp.file("monthly.kvd");
  const ReportDefinition def = twoSources();
  writeDefinition(path, def);

  const std::string bytes = readBytes(path);
  EXPECT_EQ(bytes.find("s3cr et"), std::string::npos);
  EXPECT_NE(bytes.find("EncryptPassword=Y\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("Password2=" + EncodeStoredPassword("s3cr et", "jo") + "\r\n"),
            std::string::npos);

  const ReportDefinition back = readBack(path);
  EXPECT_TRUE(back.EncryptPassword);
  ASSERT_EQ(back.dataSourceCount, 2);
  EXPECT_EQ(back.dataSources[0].Name, "Sales");
  EXPECT_EQ(back.dataSources[0].ConnectionString, def.dataSources[0].ConnectionString);
  EXPECT_EQ(back.dataSources[0].User, ""); // not stored with a connection string
  EXPECT_EQ(back.dataSources[0].Password, "");
  EXPECT_EQ(back.dataSources[1].Name, "Stock");
  EXPECT_EQ(back.dataSources[1].User, "jo");
  EXPECT_EQ(back.dataSources[1].Password, "s3cr et");
  EXPECT_EQ(back.ReportTemplateFileName, def.ReportTemplateFileName);
  EXPECT_EQ(back.ReportFileName, def.ReportFileName);
  EXPECT_EQ(back.ReportFileType, def.ReportFileType);
  EXPECT_TRUE(back.ProtectReport);
  EXPECT_TRUE(back.hasProtectionPassword);
  EXPECT_EQ(back.ProtectionPassword, "  two blanks  ");
  EXPECT_EQ(back.LogFileName, "monthly.log");
  ASSERT_EQ(back.parameterCount, 1);
  EXPECT_EQ(back.parameters[0].Name, "[Month]");
  EXPECT_EQ(back.parameters[0].Title, "Which month?");
  EXPECT_EQ(back.parameters[0].Default, "2024-05");
  EXPECT_EQ(back.script, def.script);
  EXPECT_EQ(back.formatVersion, "2.0");
}

TEST(DefinitionFile, ProtectionPasswordPresenceAndCase) {
  const std::string head = "Quorvel Version 2.0\r\n[File]\r\n";
  ReportDefinition def = fromText(head + "ProtectReport=Y\r\n");
  EXPECT_TRUE(def.ProtectReport);
  EXPECT_FALSE(def.hasProtectionPassword);

  def = fromText(head + "ProtectReport=Y\r\nProtectionPassword=\"\"\r\n");
  EXPECT_TRUE(def.hasProtectionPassword);
  EXPECT_EQ(def.ProtectionPassword, "");

  // Keys and the value Y match in any case, but the presence test does not.
  def = fromText(head + "protectreport=y\r\nprotectionpassword=\"x\"\r\n");
  EXPECT_TRUE(def.ProtectReport);
  EXPECT_FALSE(def.hasProtectionPassword);
  EXPECT_EQ(def.ProtectionPassword, "");

  // A password without protection is not kept.
  def = fromText(head + "ProtectionPassword = \"x\"\r\n");
  EXPECT_FALSE(def.ProtectReport);
  EXPECT_FALSE(def.hasProtectionPassword);

  EXPECT_TRUE(protectionPasswordKeyPresentText("  ProtectionPassword = x"));
  EXPECT_FALSE(protectionPasswordKeyPresentText("ProtectionPassword==x"));
  EXPECT_FALSE(protectionPasswordKeyPresentText("ProtectionPasswordX=x"));
  EXPECT_FALSE(protectionPasswordKeyPresentText("ProtectionPassword"));
}

TEST(DefinitionFile, HeaderVersionIsKeptAndTheWordIsCaseSensitive) {
  TempFolder temp;
  const std::string path = temp.file("v.kvd");
  writeBytes(path, "Quorvel Version 3.7\r\n[Data Source]\r\n[SQL]\r\n");
  ReportDefinition def = readBack(path);
  EXPECT_EQ(def.formatVersion, "3.7");
  saveWithBackup(path, def);
  EXPECT_EQ(readBytes(path).substr(0, 21), "Quorvel Version 3.7\r\n");

  ReportDefinition other;
  EXPECT_FALSE(checkHeaderText("quorvel Version 2.0\r\n", other));
  EXPECT_TRUE(checkHeaderText("Quorvel\r\n", other));
  EXPECT_EQ(other.formatVersion, "2.0");
  EXPECT_TRUE(checkHeaderText("  Quorvel  Version 9 whatever\n", other));
  EXPECT_EQ(other.formatVersion, "9");
  EXPECT_FALSE(checkHeaderText("", other));
  EXPECT_FALSE(checkHeaderText("\r\nQuorvel Version 2.0\r\n", other));

  EXPECT_FALSE(checkHeader(temp.file("missing.kvd"), other));
  EXPECT_FALSE(checkHeader(temp.path().string(), other)); // a folder
  writeBytes(temp.file("empty.kvd"), "");
  EXPECT_FALSE(checkHeader(temp.file("empty.kvd"), other));
  // A byte-order mark from an editor does not hide the header.
  writeBytes(temp.file("bom.kvd"), "\xEF\xBB\xBFQuorvel Version 2.1\r\n");
  EXPECT_TRUE(checkHeader(temp.file("bom.kvd"), other));
  EXPECT_EQ(other.formatVersion, "2.1");
}

TEST(DefinitionFile, KeysAreLookedUpPerSection) {
  const ReportDefinition def = fromText("Quorvel Version 2.0\r\n"
                                        "[SQL]\r\n"
                                        "Name1=x\r\n"
                                        "ReportFileName=y\r\n"
                                        "[Data Source]\r\n"
                                        "Name1=real\r\n");
  ASSERT_EQ(def.dataSourceCount, 1);
  EXPECT_EQ(def.dataSources[0].Name, "real");
  EXPECT_EQ(def.ReportFileName, "");

  const ReportDefinition script = fromText("Quorvel Version 2.0\r\n[Data Source]\r\n\r\n"
                                           "[SQL]\r\nName1=x\r\nName2=y\r\n");
  EXPECT_EQ(script.dataSourceCount, 0);
}

TEST(DefinitionFile, ListsEndAtAGapAndAfterTen) {
  ReportDefinition def = fromText("[Data Source]\nName1=a\nName3=c\n"
                                  "[Parameter]\nName1=p1\nDefault1=d1\nName2=\nName3=p3\n");
  EXPECT_EQ(def.dataSourceCount, 1);
  EXPECT_EQ(def.parameterCount, 1);
  EXPECT_EQ(def.parameters[0].Title, "");
  EXPECT_EQ(def.parameters[0].Default, "d1");

  std::string text = "[Data Source]\n";
  std::string parameters = "[Parameter]\n";
  for (int i = 1; i <= 12; ++i) {
    text += "Name" + std::to_string(i) + "=ds" + std::to_string(i) + "\n";
    parameters += "Name" + std::to_string(i) + "=p" + std::to_string(i) + "\n";
  }
  def = fromText(text + parameters);
  EXPECT_EQ(def.dataSourceCount, 10);
  EXPECT_EQ(def.dataSources[9].Name, "ds10");
  EXPECT_EQ(def.dataSources[10].Name, "");
  EXPECT_EQ(def.parameterCount, 10);
  EXPECT_EQ(def.parameters[9].Name, "p10");
}

TEST(DefinitionFile, ReadingReplacesEveryEarlierValue) {
  ReportDefinition def = twoSources();
  def.resolvedReportPath = "/old/report.xlsx";
  readDefinitionText("[Data Source]\nName1=only\n", def);
  EXPECT_FALSE(def.EncryptPassword);
  EXPECT_EQ(def.dataSourceCount, 1);
  EXPECT_EQ(def.dataSources[0].Name, "only");
  EXPECT_EQ(def.dataSources[0].User, "");
  EXPECT_EQ(def.dataSources[1].Name, "");
  EXPECT_EQ(def.ReportFileName, "");
  EXPECT_FALSE(def.ProtectReport);
  EXPECT_FALSE(def.hasProtectionPassword);
  EXPECT_EQ(def.parameterCount, 0);
  EXPECT_EQ(def.resolvedReportPath, "");
}

TEST(DefinitionFile, ValuesAreTrimmedUnquotedAndCut) {
  const std::string longName(12000, 'n');
  const ReportDefinition def = fromText("[Data Source]\n"
                                        "Name1=  spaced  \n"
                                        "User1=\" user \"\n"
                                        "Password1=' pw '\n"
                                        "Name2=cs\n"
                                        "ConnectionString2=\" DSN=x \"\n"
                                        "[File]\n"
                                        "ReportFileName=" +
                                        longName + "\nLogFileName=\" a.log \"\n");
  EXPECT_EQ(def.dataSources[0].Name, "spaced");
  EXPECT_EQ(def.dataSources[0].User, " user ");
  EXPECT_EQ(def.dataSources[0].Password, " pw ");
  EXPECT_EQ(def.dataSources[1].ConnectionString, "DSN=x");
  EXPECT_EQ(def.ReportFileName, longName.substr(0, 10239));
  EXPECT_EQ(def.LogFileName, "a.log");
}

TEST(DefinitionFile, MalformedEncryptedPasswordsDoNotStopReading) {
  const ReportDefinition def = fromText("[Data Source]\nEncryptPassword= y \n"
                                        "Name1=a\nUser1=u\nPassword1=!!%%=\n"
                                        "Name2=b\nUser2=\nPassword2=QQ\n"
                                        "Name3=c\nUser3=u\nPassword3=====\n");
  EXPECT_TRUE(def.EncryptPassword);
  EXPECT_EQ(def.dataSourceCount, 3);
}

TEST(DefinitionFile, WindowsCodePageFilesAreReadAsText) {
  TempFolder temp;
  const std::string path = temp.file("ansi.kvd");
  writeBytes(path, "Quorvel Version 2.0\r\n[Data Source]\r\nName1=Caf\xE9\r\n"
                   "[File]\r\nReportFileName=Gr\xFC\xDF\x65.xlsx\r\n"
                   "[SQL]\r\nselect '\x80' from t\r\n");
  const ReportDefinition def = readBack(path);
  EXPECT_EQ(def.dataSources[0].Name, "Café");
  EXPECT_EQ(def.ReportFileName, "Grüße.xlsx");
  EXPECT_EQ(def.script, "select '€' from t\r\n");
}

TEST(DefinitionFile, ScriptIsTheVerbatimBodyAfterTheSqlLine) {
  EXPECT_EQ(scriptFromText("a\r\n  [SQL] \t\r\n@1=NAME()\r\n\r\nselect 1\n[SQL]\r\nx"),
            "@1=NAME()\r\n\r\nselect 1\n[SQL]\r\nx");
  EXPECT_EQ(scriptFromText("[Data Source]\r\nName1=x\r\n"), "");
  EXPECT_EQ(scriptFromText("[SQL]"), "");
  EXPECT_EQ(scriptFromText("[SQL]\r\n"), "");
  EXPECT_EQ(scriptFromText("[sql]\r\nselect 1"), ""); // the line is matched exactly

  TempFolder temp;
  EXPECT_FALSE(readScript(temp.file("missing.kvd")).has_value());
  // NUL bytes and lone CRs in a script survive a save and a read.
  ReportDefinition def;
  def.script = std::string("a\0b\rc\n\xE2\x82\xAC", 9);
  writeDefinition(temp.file("s.kvd"), def);
  EXPECT_EQ(readScript(temp.file("s.kvd")), def.script);
}

TEST(DefinitionFile, LineBreaksInsideValuesDoNotBreakTheFile) {
  ReportDefinition def;
  def.parameters[0] = {"[P]", "Line one\r\nName2=injected", "x\ny"};
  def.parameterCount = 1;
  def.dataSourceCount = 40; // out of range counts are held to the limit
  for (int i = 0; i < kMaxDataSources; ++i)
    def.dataSources[i].Name = "d" + std::to_string(i);
  const ReportDefinition back = fromText(definitionFileText(def));
  EXPECT_EQ(back.parameterCount, 1);
  EXPECT_EQ(back.parameters[0].Title, "Line one  Name2=injected");
  EXPECT_EQ(back.parameters[0].Default, "x y");
  EXPECT_EQ(back.dataSourceCount, 10);
}

TEST(DefinitionFile, BinaryOrTruncatedFilesGiveNoCrash) {
  std::string binary;
  for (int i = 0; i < 4096; ++i)
    binary += static_cast<char>((i * 7919) & 0xFF);
  ReportDefinition def;
  EXPECT_FALSE(checkHeaderText(binary, def));
  readDefinitionText(binary, def);
  scriptFromText(binary);
  EXPECT_FALSE(protectionPasswordKeyPresentText(binary));

  const std::string full = definitionFileText(twoSources());
  for (size_t cut = 0; cut < full.size(); cut += 7) {
    ReportDefinition part;
    readDefinitionText(full.substr(0, cut), part);
    EXPECT_LE(part.dataSourceCount, 2);
  }
}

TEST(SaveWithBackup, TwoSavesLeaveOneBackupWithThePreviousContent) {
  TempFolder temp;
  const std::string path = temp.file("monthly.kvd");
  ReportDefinition def = twoSources();
  def.definitionChanged = true;
  saveWithBackup(path, def); // no old file: no backup
  EXPECT_FALSE(def.definitionChanged);
  EXPECT_EQ(def.definitionFilePath, path);
  EXPECT_FALSE(std::filesystem::exists(path + ".bak"));
  const std::string first = readBytes(path);

  def.script = "second\r\n";
  saveWithBackup(path, def);
  const std::string second = readBytes(path);
  def.script = "third\r\n";
  saveWithBackup(path, def);

  EXPECT_EQ(readBytes(path + ".bak"), second);
  EXPECT_NE(second, first);
  EXPECT_EQ(readScript(path), "third\r\n");
  int files = 0;
  for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(temp.path()))
    ++files;
  EXPECT_EQ(files, 2); // the definition and one backup, no temporary files
}

TEST(SaveWithBackup, KeepsTheFileModeAndWritesThroughALink) {
  TempFolder temp;
  const std::string target = temp.file("real.kvd");
  const std::string link = temp.file("link.kvd");
  ReportDefinition def;
  writeDefinition(target, def);
  std::filesystem::permissions(target, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write);
  std::filesystem::create_symlink(target, link);

  def.script = "new";
  saveWithBackup(link, def);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(readScript(target), "new");
  EXPECT_EQ(readScript(target + ".bak"), "");
  EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(SaveWithBackup, AFailedSaveLeavesTheFileAsItWas) {
  TempFolder temp;
  // The folder is a regular file: nothing can be created in it.
  writeBytes(temp.file("notafolder"), "x");
  ReportDefinition def;
  try {
    saveWithBackup(temp.file("notafolder") + "/r.kvd", def);
    FAIL() << "the save should fail";
  } catch (const std::runtime_error &error) {
    EXPECT_NE(std::string(error.what()).find("notafolder/r.kvd"), std::string::npos);
  }

  // A write that fails half way (the file size limit stops it): the old file and its backup
  // are untouched and no temporary file is left.
  const std::string path = temp.file("keep.kvd");
  def.script = "old";
  saveWithBackup(path, def);
  def.script = "older backup is this one";
  saveWithBackup(path, def);
  const std::string before = readBytes(path);
  const std::string backupBefore = readBytes(path + ".bak");

  def.script.assign(64 * 1024, 's');
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool failed = false;
  try {
    saveWithBackup(path, def);
  } catch (const std::runtime_error &) {
    failed = true;
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_TRUE(failed);
  EXPECT_EQ(readBytes(path), before);
  EXPECT_EQ(readBytes(path + ".bak"), backupBefore);
  int files = 0;
  for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(temp.path()))
    ++files;
  EXPECT_EQ(files, 3);
}

TEST(OpenDefinition, MessagesForMissingAndForeignFiles) {
  TempFolder temp;
  ReportDefinition def = twoSources();
  const std::string missing = temp.file("missing.kvd");
  EXPECT_EQ(openDefinition(missing, def), "The file \"" + missing + "\" does not exist.");
  EXPECT_EQ(def.dataSourceCount, 0); // a new, empty definition
  EXPECT_EQ(openDefinition(temp.path().string(), def),
            "The file \"" + temp.path().string() + "\" does not exist.");

  const std::string foreign = temp.file("notes.kvd");
  writeBytes(foreign, "quorvel Version 2.0\r\n[Data Source]\r\nName1=x\r\n");
  def = twoSources();
  EXPECT_EQ(openDefinition(foreign, def), "The file \"" + foreign + "\" is not an Quorvel file.");
  EXPECT_EQ(def.script, "");
}

TEST(OpenDefinition, ReadsTheWholeDefinitionAndItsFullPath) {
  TempFolder temp;
  const std::string path = temp.file("m.kvd");
  writeDefinition(path, twoSources());
  const auto before = std::filesystem::current_path();
  std::filesystem::current_path(temp.path());
  ReportDefinition def;
  def.definitionChanged = true;
  const auto message = openDefinition("./m.kvd", def);
  std::filesystem::current_path(before);
  EXPECT_FALSE(message.has_value());
  EXPECT_EQ(def.definitionFilePath, path);
  EXPECT_EQ(def.dataSources[1].Password, "s3cr et");
  EXPECT_EQ(def.script, twoSources().script);
  EXPECT_FALSE(def.definitionChanged);
}

} // namespace
} // namespace brevant
