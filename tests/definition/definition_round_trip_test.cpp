// Opening and saving a definition gives back exactly what it held: values with blanks or quotes
// of their own, the encoding the file came in, and no enciphered password that cannot be read.
#include "definition/definition_file.h"

#include "base/codepage.h"
#include "cipher/password_cipher.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace brevant {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

ReportDefinition opened(const std::string &path) {
  ReportDefinition def;
  EXPECT_EQ(openDefinition(path, def), std::nullopt);
  return def;
}

TEST(DefinitionRoundTrip, EveryKeyKeepsBlanksAndQuotesOfItsOwn) {
  const std::vector<std::string> awkward = {" p w ", "'A'", "\"quoted\"",  "\t", "'",
                                            "\"x",   "a'",  "\"'mixed'\"", " ",  "''"};
  TempFolder folder;
  for (const std::string &value : awkward) {
    SCOPED_TRACE("[" + value + "]");
    for (bool encrypt : {false, true}) {
      ReportDefinition def;
      def.EncryptPassword = encrypt;
      def.dataSources[0] = {"N" + value, value, value, ""};
      def.dataSourceCount = 1;
      def.ProtectReport = true;
      def.hasProtectionPassword = true;
      def.ProtectionPassword = value;
      def.parameters[0] = {"P" + value, value, value};
      def.parameterCount = 1;
      saveWithBackup(folder.file("d.kvd"), def);
      const ReportDefinition back = opened(folder.file("d.kvd"));
      EXPECT_EQ(back.dataSources[0].Name, "N" + value);
      EXPECT_EQ(back.dataSources[0].User, value);
      EXPECT_EQ(back.dataSources[0].Password, value);
      EXPECT_EQ(back.ProtectionPassword, value);
      EXPECT_EQ(back.parameters[0].Name, "P" + value);
      EXPECT_EQ(back.parameters[0].Title, value);
      EXPECT_EQ(back.parameters[0].Default, value);
    }
  }
}

TEST(DefinitionRoundTrip, FileNamesAndConnectionStringsKeepTheirQuotes) {
  // These values are trimmed when read, so only the quotes can survive, and they do.
  TempFolder folder;
  ReportDefinition def;
  def.dataSources[0] = {"S", "", "", "'Driver=SQLite3'"};
  def.dataSourceCount = 1;
  def.ReportTemplateFileName = "'t.xlsx'";
  def.ReportFileName = "\"r.xlsx\"";
  def.ReportFileType = "'51'";
  def.LogFileName = "'run.log'";
  saveWithBackup(folder.file("d.kvd"), def);
  const ReportDefinition back = opened(folder.file("d.kvd"));
  EXPECT_EQ(back.dataSources[0].ConnectionString, "'Driver=SQLite3'");
  EXPECT_EQ(back.ReportTemplateFileName, "'t.xlsx'");
  EXPECT_EQ(back.ReportFileName, "\"r.xlsx\"");
  EXPECT_EQ(back.ReportFileType, "'51'");
  EXPECT_EQ(back.LogFileName, "'run.log'");
}

TEST(DefinitionRoundTrip, PlainValuesAreWrittenAsBefore) {
  ReportDefinition def;
  def.parameters[0] = {"[Month]", "Which month?", "it's"};
  def.parameterCount = 1;
  const std::string text = definitionFileText(def);
  EXPECT_NE(text.find("Default1=it's\r\n"), std::string::npos) << text;
  def.parameters[0].Default = "'A'";
  EXPECT_NE(definitionFileText(def).find("Default1=\"'A'\"\r\n"), std::string::npos);
}

TEST(DefinitionRoundTrip, WindowsFileIsSavedInWindows1252WhenEveryCharacterFits) {
  TempFolder folder;
  const std::string path = folder.file("w.kvd");
  // As the Windows program writes it: Windows-1252, the password enciphered with the
  // Windows-1252 bytes of the user name as the key.
  const std::string stored = EncodeStoredPassword("clé", "josé");
  writeBytes(path, utf8ToAnsi("Quorvel Version 2.0\r\n[Data Source]\r\nEncryptPassword=Y\r\n"
                              "Name1=dsn\r\nUser1=josé\r\nPassword1=" +
                              stored + "\r\n\r\n[File]\r\n\r\n[SQL]\r\nselect 'é'\r\n"));
  ReportDefinition def = opened(path);
  EXPECT_EQ(def.dataSources[0].User, "josé");
  EXPECT_EQ(def.dataSources[0].Password, "clé");
  saveWithBackup(path, def);
  const std::string bytes = readBytes(path);
  EXPECT_FALSE(isValidUtf8(bytes)) << "still Windows-1252";
  EXPECT_NE(bytes.find("User1=jos\xE9\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("Password1=" + stored + "\r\n"), std::string::npos);
  EXPECT_EQ(opened(path).script, "select 'é'\r\n");

  // A character Windows-1252 lacks makes it UTF-8 rather than lose the character.
  def.script = "select 'ł'\r\n";
  saveWithBackup(path, def);
  EXPECT_TRUE(isValidUtf8(readBytes(path)));
  EXPECT_EQ(opened(path).script, "select 'ł'\r\n");

  // A new file is UTF-8.
  ReportDefinition fresh;
  fresh.script = "select 'é'";
  saveWithBackup(folder.file("new.kvd"), fresh);
  EXPECT_TRUE(isValidUtf8(readBytes(folder.file("new.kvd"))));
}

TEST(DefinitionRoundTrip, PasswordOutsideWindows1252IsNotEnciphered) {
  TempFolder folder;
  ReportDefinition def;
  def.EncryptPassword = true;
  def.dataSources[0] = {"Sales", "u", "ok€", ""};
  def.dataSources[1] = {"Stock", "u", "pass€łword", ""};
  def.dataSources[2] = {"Conn", "", "", "Driver=x;PWD=ł"};
  def.dataSourceCount = 3;
  writeBytes(folder.file("d.kvd"), "before");
  try {
    saveWithBackup(folder.file("d.kvd"), def);
    FAIL() << "saved a password that cannot be read back";
  } catch (const std::runtime_error &e) {
    EXPECT_NE(std::string(e.what()).find("\"Stock\""), std::string::npos) << e.what();
  }
  EXPECT_EQ(readBytes(folder.file("d.kvd")), "before");
  EXPECT_THROW(writeDefinition(folder.file("d.kvd"), def), std::runtime_error);

  // Stored in plain text it is kept as it is.
  def.EncryptPassword = false;
  saveWithBackup(folder.file("d.kvd"), def);
  EXPECT_EQ(opened(folder.file("d.kvd")).dataSources[1].Password, "pass€łword");
}

} // namespace
} // namespace brevant
