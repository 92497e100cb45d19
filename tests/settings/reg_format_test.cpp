#include "settings/reg_format.h"

#include <gtest/gtest.h>

#include "base/codepage.h"

namespace brevant {
namespace {

const RegistryValue *valueOf(const RegistryDocument &document, std::string_view path,
                             std::string_view name, Hive hive = Hive::CurrentUser) {
  const RegistryKey *key = document.findKey(hive, path);
  return key ? key->find(name) : nullptr;
}

std::string sz(std::string_view text) { return utf8ToUtf16le(text) + std::string(2, '\0'); }

TEST(RegFormat, EveryTypeSurvivesAWriteAndARead) {
  RegistryDocument document;
  document.addKey(Hive::CurrentUser, "SOFTWARE\\Velkora\\Brevant\\Options");
  document.addKey(Hive::LocalMachine, "Empty\\Key");
  RegistryKey &key = *document.findKey(Hive::CurrentUser, "SOFTWARE\\Velkora\\Brevant\\Options");
  key.set("Plain", kRegSz, sz("C:\\Reports\\\"Q1\" \xE2\x82\xAC"));
  key.set("", kRegSz, sz("default value"));
  key.set("Lines", kRegSz, sz("a\r\nb"));
  key.set("Zero", kRegSz, sz(std::string("a\0b", 3)));
  key.set("Odd", kRegSz, std::string("\x41", 1)); // an odd byte count
  key.set("Dword", kRegDword, std::string("\x0f\x00\x00\x80", 4));
  key.set("Binary", kRegBinary, std::string(200, '\xab'));
  key.set("Empty", kRegBinary, "");
  key.set("Expand", kRegExpandSz, sz("%HOME%/x"));
  key.set("Multi", kRegMultiSz, sz("a") + sz("b") + std::string(2, '\0'));
  key.set("None", kRegNone, std::string("\x00\x01", 2));
  key.set("Qword", kRegQword, std::string(8, '\x01'));
  key.set("Type 1234", 0x1234, "xyz");
  key.set("Quote\"And\\Slash", kRegSz, sz("v"));

  const std::string text = formatRegFile(document);
  EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n\r\n", 0), 0u);
  EXPECT_NE(text.find("\"Plain\"=\"C:\\\\Reports\\\\\\\"Q1\\\" \xE2\x82\xAC\"\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("@=\"default value\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"Dword\"=dword:8000000f\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"Lines\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"Type 1234\"=hex(1234):78,79,7a\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"Qword\"=hex(b):"), std::string::npos);
  EXPECT_NE(text.find("\"Empty\"=hex:\r\n"), std::string::npos);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Empty\\Key]\r\n"), std::string::npos);
  // Long lists wrap like the export's: no line longer than 80 columns, continued by '\'.
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);

  const ParsedRegFile parsed = parseRegFile(text);
  EXPECT_TRUE(parsed.hasHeader);
  ASSERT_EQ(parsed.document.keys().size(), 2u);
  const RegistryKey &back = parsed.document.keys()[0];
  ASSERT_EQ(back.values().size(), key.values().size());
  for (std::size_t i = 0; i < key.values().size(); ++i) {
    EXPECT_EQ(back.values()[i].name, key.values()[i].name);
    EXPECT_EQ(back.values()[i].type, key.values()[i].type) << key.values()[i].name;
    EXPECT_EQ(back.values()[i].data, key.values()[i].data) << key.values()[i].name;
  }
  EXPECT_EQ(formatRegFile(parsed.document), text);
}

TEST(RegFormat, OddHandWrittenContentIsReadAroundItsFaults) {
  const std::string file = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
                           "; a comment\n"
                           "\r\n"
                           "[HKEY_CURRENT_USER\\SOFTWARE\\Velkora\\Brevant\\Options]\r\n"
                           "  \"Left\" = dword:0000002a  \r\n"
                           "\"Path\"=\"C:\\Temp\\new\"\n"
                           "\"Broken\"=\"no closing quote\r\n"
                           "\"BadDword\"=dword:xyz\r\n"
                           "\"TooLong\"=dword:123456789\r\n"
                           "\"BadHex\"=hex:1,2,zz\r\n"
                           "\"Wrapped\"=hex:01,02,\\\r\n"
                           "  03,04\r\n"
                           "garbage line = \"x\"\r\n"
                           "\"Later\"=\"one\"\r\n"
                           "\"later\"=\"two\"\r\n"
                           "[HKEY_CURRENT_USER\\Missing\\Bracket\r\n"
                           "\"Stray\"=dword:00000001\r\n"
                           "[NOT_A_HIVE\\Key]\r\n"
                           "\"Stray2\"=dword:00000001\r\n"
                           "[HKCU\\Short\\]\r\n"
                           "@=\"root\"\r\n"
                           "\"Gone\"=\"x\"\r\n"
                           "\"Gone\"=-\r\n"
                           "[-HKEY_CURRENT_USER\\Deleted]\r\n"
                           "\"InDeleted\"=\"x\"\r\n"
                           "\"Tail\"=hex:01,\\";
  const ParsedRegFile parsed = parseRegFile(file);
  EXPECT_TRUE(parsed.hasHeader);
  const RegistryDocument &doc = parsed.document;
  const std::string options = "SOFTWARE\\Velkora\\Brevant\\Options";
  ASSERT_NE(valueOf(doc, options, "Left"), nullptr);
  EXPECT_EQ(valueOf(doc, options, "Left")->data, std::string("\x2a\0\0\0", 4));
  EXPECT_EQ(valueOf(doc, options, "Path")->data, sz("C:\\Temp\\new")); // lone '\' kept
  EXPECT_EQ(valueOf(doc, options, "Broken"), nullptr);
  EXPECT_EQ(valueOf(doc, options, "BadDword"), nullptr);
  EXPECT_EQ(valueOf(doc, options, "TooLong"), nullptr);
  EXPECT_EQ(valueOf(doc, options, "BadHex"), nullptr);
  EXPECT_EQ(valueOf(doc, options, "Wrapped")->data, std::string("\x01\x02\x03\x04"));
  EXPECT_EQ(valueOf(doc, options, "LATER")->data, sz("two"));
  EXPECT_EQ(valueOf(doc, options, "Stray"), nullptr);
  EXPECT_EQ(valueOf(doc, options, "Stray2"), nullptr);
  EXPECT_EQ(doc.findKey(Hive::CurrentUser, "Missing\\Bracket"), nullptr);
  EXPECT_EQ(valueOf(doc, "Short", "")->data, sz("root"));
  EXPECT_EQ(valueOf(doc, "Short", "Gone"), nullptr);
  EXPECT_EQ(doc.findKey(Hive::CurrentUser, "Deleted"), nullptr);
  EXPECT_EQ(doc.keys().size(), 2u);
}

TEST(RegFormat, ADeletionBlockRemovesTheKeysWrittenBeforeIt) {
  const ParsedRegFile parsed = parseRegFile("[HKEY_CURRENT_USER\\A\\B]\n\"x\"=\"1\"\n"
                                            "[HKEY_CURRENT_USER\\A\\B\\C]\n\"y\"=\"2\"\n"
                                            "[HKEY_CURRENT_USER\\A\\Bee]\n\"z\"=\"3\"\n"
                                            "[-HKEY_CURRENT_USER\\a\\b]\n");
  EXPECT_FALSE(parsed.hasHeader);
  ASSERT_EQ(parsed.document.keys().size(), 1u);
  EXPECT_EQ(parsed.document.keys()[0].path(), "A\\Bee");
  EXPECT_TRUE(parsed.document.keyExists(Hive::CurrentUser, "A"));
  EXPECT_FALSE(parsed.document.keyExists(Hive::CurrentUser, "A\\B"));
}

TEST(RegFormat, ExportedUtf16AndWindows1252FilesRead) {
  const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n"
                           "\"Name\"=\"caf\xC3\xA9\"\r\n";
  const ParsedRegFile utf16 = parseRegFile("\xFF\xFE" + utf8ToUtf16le(text));
  EXPECT_TRUE(utf16.hasHeader);
  EXPECT_EQ(valueOf(utf16.document, "K", "Name")->data, sz("caf\xC3\xA9"));

  // Not valid UTF-8: the bytes are Windows-1252, so 0xE9 is e acute and 0x80 the euro sign.
  const ParsedRegFile ansi =
      parseRegFile("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"Name\"=\"caf\xE9 \x80\"\r\n"
                   "\"Expand\"=hex(2):41,e9,00\r\n");
  EXPECT_TRUE(ansi.hasHeader);
  EXPECT_EQ(valueOf(ansi.document, "K", "Name")->data, sz("caf\xC3\xA9 \xE2\x82\xAC"));
  // REGEDIT4 files give string types in hex as code-page bytes, not UTF-16.
  EXPECT_EQ(valueOf(ansi.document, "K", "Expand")->data, sz("A\xC3\xA9"));
}

TEST(RegFormat, NoInputMakesTheReaderFail) {
  // Every cut of a busy file, and bytes that are no text at all.
  const std::string file = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n"
                           "\"A\"=hex(2):41,00,\\\r\n  00,00\r\n\"B\"=\"x\\\"y\"\r\n@=dword:1\r\n";
  for (std::size_t n = 0; n <= file.size(); ++n)
    (void)parseRegFile(file.substr(0, n)); // it returns, whatever it makes of the cut
  std::string noise;
  for (int i = 0; i < 4096; ++i)
    noise += static_cast<char>((i * 7919) % 251);
  (void)parseRegFile(noise);
  EXPECT_TRUE(parseRegFile("").document.keys().empty());
  EXPECT_TRUE(parseRegFile("[").document.keys().empty());
  EXPECT_TRUE(parseRegFile("[]\n\"a\"=\"b\"").document.keys().empty());
}

TEST(TextEncoding, Utf16RoundTripsAndRepairs) {
  const std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
  EXPECT_EQ(utf16leToUtf8(utf8ToUtf16le(text)), text);
  EXPECT_EQ(utf8ToUtf16le("\xF0\x9F\x98\x80").size(), 4u); // a surrogate pair
  EXPECT_EQ(utf16leToUtf8(std::string("\x00\xD8\x41\x00", 4)), "\xEF\xBF\xBD"
                                                               "A");
  EXPECT_FALSE(isValidUtf16le(std::string("\x00\xD8", 2)));
  EXPECT_FALSE(isValidUtf8("\xC0\x80"));                        // an over-long zero
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));                    // a surrogate
  EXPECT_EQ(utf8ToUtf16le("\xE9"), std::string("\xE9\x00", 2)); // read as Windows-1252
}

} // namespace
} // namespace brevant
