#include "base/paths.h"
#include "base/strings.h"
#include "base/tokenizer.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace brevant {
namespace {

std::vector<std::string> tokens(std::string_view text, bool keepQuotes) {
  std::vector<std::string> out;
  int pos = 1;
  for (std::string t = nextToken(text, pos, keepQuotes); !t.empty();
       t = nextToken(text, pos, keepQuotes))
    out.push_back(t);
  return out;
}

std::vector<std::string> arguments(std::string_view text, bool keepQuotes) {
  std::vector<std::string> out;
  int pos = 1;
  while (pos <= static_cast<int>(text.size())) {
    std::string a = nextArgument(text, pos, keepQuotes);
    if (!a.empty())
      out.push_back(a);
  }
  return out;
}

using Tokens = std::vector<std::string>;

TEST(NextToken, QuotedPartsKeepOrLoseTheirQuotes) {
  EXPECT_EQ(tokens("SHEET='My sheet'", true), (Tokens{"SHEET", "=", "'My sheet'"}));
  EXPECT_EQ(tokens("SHEET='My sheet'", false), (Tokens{"SHEET", "=", "My sheet"}));
  EXPECT_EQ(tokens("\"a \"\"b\"\" c\"", true), (Tokens{"\"a \"\"b\"\" c\""}));
  EXPECT_EQ(tokens("\"a \"\"b\"\" c\"", false), (Tokens{"a \"\"b\"\" c"}));
  // Text next to a quoted part belongs to the same token; an open quote runs to the end.
  EXPECT_EQ(tokens("x'a b'y z", false), (Tokens{"xa by", "z"}));
  EXPECT_EQ(tokens("N='open to the end", false), (Tokens{"N", "=", "open to the end"}));
  EXPECT_EQ(tokens("'(,)=' ,", true), (Tokens{"'(,)='", ","}));
}

TEST(NextToken, OperatorsAndPunctuationStandAlone) {
  EXPECT_EQ(tokens("a<>b", true), (Tokens{"a", "<>", "b"}));
  EXPECT_EQ(tokens("a>=b==c", true), (Tokens{"a", ">=", "b", "==", "c"}));
  EXPECT_EQ(tokens("=<>", true), (Tokens{"=<", ">"}));
  EXPECT_EQ(tokens("@1=REPORT(SHEET=1 CELL=A2,B2 FILLORDER=ROW)", true),
            (Tokens{"@1", "=", "REPORT", "(", "SHEET", "=", "1", "CELL", "=", "A2", ",", "B2",
                    "FILLORDER", "=", "ROW", ")"}));
  EXPECT_EQ(tokens("\t a \r\n b ", true), (Tokens{"a", "b"}));
}

TEST(NextToken, CommentStartIsItsOwnToken) {
  int pos = 1;
  EXPECT_EQ(nextToken("x/*c*/", pos, true), "x");
  EXPECT_EQ(nextToken("x/*c*/", pos, true), "/*");
  EXPECT_EQ(pos, 4);
  EXPECT_EQ(tokens("a/b 2*3 */", true), (Tokens{"a/b", "2*3", "*/"}));
}

TEST(NextToken, EndOfTextGivesEmptyTokenAndPositionPastTheEnd) {
  int pos = 1;
  EXPECT_EQ(nextToken("ab  ", pos, true), "ab");
  EXPECT_EQ(nextToken("ab  ", pos, true), "");
  EXPECT_EQ(pos, 5);
  pos = 42;
  EXPECT_EQ(nextToken("ab", pos, true), "");
  pos = 0; // positions below 1 start at the beginning
  EXPECT_EQ(nextToken("ab", pos, true), "ab");
}

TEST(NextToken, MultiByteCharactersAreOrdinary) {
  // "\xC2\xA0" (no-break space) and "\xE2\x80\x9C" (curly quote) are not blanks or quotes.
  EXPECT_EQ(tokens("Straße=\xC2\xA0x \xE2\x80\x9Cy\xE2\x80\x9D", true),
            (Tokens{"Straße", "=", "\xC2\xA0x", "\xE2\x80\x9Cy\xE2\x80\x9D"}));
}

TEST(NextArgument, QuotedPathWithBlankThenSwitch) {
  EXPECT_EQ(arguments("\"/home/u/My Reports/a.kvd\" -C", false),
            (Tokens{"/home/u/My Reports/a.kvd", "-C"}));
  EXPECT_EQ(arguments("\"/home/u/My Reports/a.kvd\" -C", true),
            (Tokens{"\"/home/u/My Reports/a.kvd\"", "-C"}));
  EXPECT_EQ(arguments("-U2 \"Jo Smith\" v1", false), (Tokens{"-U2", "Jo Smith", "v1"}));
}

TEST(NextArgument, BackslashQuoteAndQuotesInsideAnArgument) {
  EXPECT_EQ(arguments("say\\\"hi\\\" C:\\dir\\", false), (Tokens{"say\"hi\"", "C:\\dir\\"}));
  // With quotes kept, the opening quote is kept only at the start and the closing one only at
  // the end of the argument.
  EXPECT_EQ(arguments("a\"b c\"d", true), (Tokens{"ab cd"}));
  EXPECT_EQ(arguments("\"b c\"d", true), (Tokens{"\"b cd"}));
  EXPECT_EQ(arguments("x\"b c\"", true), (Tokens{"xb c\""}));
  EXPECT_EQ(arguments("\"open to the end", false), (Tokens{"open to the end"}));
}

TEST(NextLine, LineBreaksOfAllKinds) {
  const std::string text = "a\r\nb\n\nc\r";
  int pos = 1;
  EXPECT_EQ(nextLine(text, pos), "a");
  EXPECT_EQ(nextLine(text, pos), "b");
  EXPECT_EQ(nextLine(text, pos), "");
  EXPECT_EQ(nextLine(text, pos), "c");
  EXPECT_EQ(pos, static_cast<int>(text.size()) + 1);
  EXPECT_EQ(nextLine(text, pos), "");
  EXPECT_EQ(firstLine("no line break"), "no line break");
  EXPECT_EQ(firstLine("x\ry\n"), "x\ry");
}

TEST(SkipToCommentEnd, FindsTheEndOrRunsOut) {
  bool notFound = false;
  int pos = 3;
  skipToCommentEnd("/* a */ b", pos, notFound);
  EXPECT_FALSE(notFound);
  EXPECT_EQ(pos, 8);
  pos = 1;
  skipToCommentEnd("/* never closed *", pos, notFound);
  EXPECT_TRUE(notFound);
  EXPECT_EQ(pos, 18);
}

TEST(SmallTextFunctions, TrimUnquoteAndBlanks) {
  EXPECT_EQ(trimEndAtNul(std::string_view("ab \t\0cd", 7)), "ab");
  EXPECT_EQ(trimEndAtNul("x \r\n"), "x");
  EXPECT_EQ(unquote("\""), "\"");
  EXPECT_EQ(unquote("\"\""), "");
  EXPECT_EQ(unquote("'x'"), "x");
  EXPECT_EQ(unquote("\"x'"), "\"x'");
  EXPECT_EQ(unquote("\"\"x\"\""), "\"x\"");
  EXPECT_EQ(trimBlanks(" \t\r\n a b \n"), "a b");
  EXPECT_TRUE(isBlank('\n'));
  EXPECT_FALSE(isBlank('\v'));
}

TEST(PathNames, NetworkUrlAndBaseName) {
  EXPECT_TRUE(isNetworkPath("\\\\srv\\share"));
  EXPECT_TRUE(isNetworkPath("//srv/share"));
  EXPECT_TRUE(isNetworkPath("\\/"));
  EXPECT_FALSE(isNetworkPath("/srv/share"));
  EXPECT_FALSE(isNetworkPath("\\"));
  EXPECT_TRUE(isUrl("https://example.org/a.png"));
  EXPECT_FALSE(isUrl("C:\\a.png"));
  EXPECT_EQ(baseName("D:\\r\\sales.2024.kvd"), "sales.2024");
  EXPECT_EQ(baseName("/home/r/monthly.kvd"), "monthly");
  EXPECT_EQ(baseName("/home/r.d/noext"), "noext");
  EXPECT_EQ(baseName("mixed\\dir/file.x.y"), "file.x");
}

TEST(JoinPath, NamesThatNeedNoFolderComeBackUnchanged) {
  EXPECT_EQ(joinPath("/home/r", "C:\\x"), "C:\\x");
  EXPECT_EQ(joinPath("/home/r", "\\x"), "\\x");
  EXPECT_EQ(joinPath("/home/r", "/abs/x.xlsx"), "/abs/x.xlsx");
  EXPECT_EQ(joinPath("/home/r", "\\\\srv\\share\\x"), "\\\\srv\\share\\x");
}

TEST(JoinPath, WindowsStyleNames) {
  EXPECT_EQ(joinPath("\\\\srv\\data\\rep", "..\\out\\x.xls"), "\\\\srv\\data/out/x.xls");
  EXPECT_EQ(joinPath("\\\\srv\\data\\rep\\", ".\\x.xls"), "\\\\srv\\data\\rep/x.xls");
  // Climbing above the server leaves nothing that can be resolved.
  EXPECT_EQ(joinPath("\\\\srv\\data", "..\\..\\x.xls"), "");
  EXPECT_EQ(joinPath("C:\\r", "..\\x.xls"), "C:/x.xls");
  EXPECT_EQ(joinPath("C:\\r", "..\\..\\x.xls"), "");
}

TEST(JoinPath, LinuxFolders) {
  EXPECT_EQ(joinPath("/home/r", "out\\x.xlsx"), "/home/r/out/x.xlsx");
  EXPECT_EQ(joinPath("/home/r/", "./a\\b/c.xlsx"), "/home/r/a/b/c.xlsx");
  EXPECT_EQ(joinPath("/home/r", "..\\..\\x.xlsx"), "/x.xlsx");
  EXPECT_EQ(joinPath("/r", "../x"), "/x");
  EXPECT_EQ(joinPath("/", "./x"), "/x");
  EXPECT_EQ(joinPath("/", "a/x"), "/a/x");
  EXPECT_EQ(joinPath("/r", "../../x"), "");
  // The last part is taken as written.
  EXPECT_EQ(joinPath("/r", "a/.."), "/r/a/..");
}

TEST(CreateFolders, CreatesEveryLevelAndKeepsTheCurrentFolder) {
  testing::TempFolder temp;
  const auto before = std::filesystem::current_path();
  EXPECT_TRUE(createFolders(temp.file("a") + "\\b/c\\"));
  EXPECT_TRUE(std::filesystem::is_directory(temp.path() / "a" / "b" / "c"));
  EXPECT_TRUE(createFolders(temp.file("a/b"))); // existing folders are fine
  EXPECT_EQ(std::filesystem::current_path(), before);

  // A drive letter is not turned into a folder of the current directory.
  std::filesystem::current_path(temp.path());
  EXPECT_TRUE(createFolders("Q:\\reports\\2024"));
  std::filesystem::current_path(before);
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "Q:"));
}

TEST(MajorVersion, TextBeforeTheLastDot) {
  EXPECT_EQ(majorVersion("11.0"), 11);
  EXPECT_EQ(majorVersion("12"), 12);
  EXPECT_EQ(majorVersion("16.0.1"), 16);
  EXPECT_EQ(majorVersion("x.y"), 0);
  EXPECT_EQ(majorVersion("99999999.0"), 32767);
}

TEST(RandomPassword, SixCharactersFromTheRange) {
  const std::string a = randomPassword();
  const std::string b = randomPassword();
  ASSERT_EQ(a.size(), 6u);
  for (char c : a + b) {
    EXPECT_GE(c, 48);
    EXPECT_LE(c, 122);
  }
  EXPECT_NE(a, b);
}

} // namespace
} // namespace brevant
