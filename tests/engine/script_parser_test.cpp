#include "engine/script_parser.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace brevant {
namespace {

struct DispatchedFunction {
  FunctionSettings settings;
  std::string sql;
};

class RecordingDispatcher : public FunctionDispatcher {
public:
  void dispatchFunction(FunctionSettings &settings, const std::string &sqlText) override {
    calls.push_back({settings, sqlText});
    if (afterDispatch)
      afterDispatch();
  }
  std::vector<DispatchedFunction> calls;
  std::function<void()> afterDispatch;
};

// Stops the run when the user interface has been given its turn `cancelAtYield` times.
class CountingRunControl : public RunControl {
public:
  void yieldToUserInterface() override {
    ++yields;
    if (cancelAtYield > 0 && yields >= cancelAtYield)
      cancel = true;
  }
  bool cancelRequested() const override { return cancel; }
  void restart(int atYield) {
    yields = 0;
    cancelAtYield = atYield;
    cancel = false;
  }
  int yields = 0;
  int cancelAtYield = 0;
  bool cancel = false;
};

class ScriptParserTest : public ::testing::Test {
protected:
  void SetUp() override {
    definition_.dataSources[0].Name = "Sales";
    definition_.dataSourceCount = 1;
  }
  void addDataSource(const std::string &name, bool isConnected) {
    definition_.dataSources[definition_.dataSourceCount].Name = name;
    connected_[definition_.dataSourceCount] = isConnected;
    ++definition_.dataSourceCount;
  }

  // Runs `script` as the editor's text (or, for a batch run, whatever the definition file
  // holds) and returns the log lines without their time stamps.
  std::vector<std::string> run(const std::string &script, bool interactive = true) {
    RunLog log;
    const std::string logPath = temp_.file("run.log");
    EXPECT_TRUE(log.open(logPath));
    ScriptParser parser(definition_, connected_, log, dispatcher_, control_, interactive);
    parser.parseAndRunScript(script);
    errors_ = log.errorCount();
    last_ = parser.settings();
    log.close();
    return logLines(logPath);
  }

  // "[YYYYMMDD hh:mm:ss]    "
  static constexpr size_t kStampWidth = 23;
  static bool hasStamp(const std::string &line) {
    static constexpr std::string_view shape = "[dddddddd dd:dd:dd]    ";
    if (line.size() < kStampWidth)
      return false;
    for (size_t i = 0; i < kStampWidth; ++i) {
      if (shape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(line[i]))
                          : line[i] != shape[i])
        return false;
    }
    return true;
  }

  static std::vector<std::string> logLines(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      EXPECT_TRUE(hasStamp(line)) << line;
      lines.push_back(line.substr(std::min(line.size(), kStampWidth)));
    }
    return lines;
  }

  testing::TempFolder temp_;
  ReportDefinition definition_;
  std::array<bool, kMaxDataSources + 1> connected_{true};
  RecordingDispatcher dispatcher_;
  CountingRunControl control_;
  int errors_ = 0;
  FunctionSettings last_;
};

using Lines = std::vector<std::string>;

TEST_F(ScriptParserTest, AcceptsBlanksAndAnyLetterCaseAndEchoesANormalizedHeader) {
  EXPECT_EQ(run("@a = report ( sheet = 1 cell = A1 ) select 1"), Lines{});
  ASSERT_EQ(dispatcher_.calls.size(), 1u);
  const DispatchedFunction &f = dispatcher_.calls[0];
  EXPECT_EQ(f.settings.functionHeader, "[a]    REPORT(SHEET=1 CELL=A1)");
  EXPECT_EQ(f.settings.functionLabel, "a");
  EXPECT_EQ(f.settings.functionKind, kReportFunction);
  EXPECT_EQ(f.settings.sheetName, "1");
  EXPECT_EQ(f.settings.targets, std::vector<std::string>{"A1"});
  EXPECT_EQ(f.settings.cellCount, 1);
  EXPECT_EQ(f.settings.nameCount, 0);
  EXPECT_EQ(f.sql, "select 1");
}

TEST_F(ScriptParserTest, JoinsHeaderAndSqlTextOverLines) {
  run("\r\n"
      "  @1=REPORT(SHEET=1\r\n"
      "\tCELL=A1,\r\n"
      "  B1)\r\n"
      "select a,   \r\n"
      "    b\r\n"
      "\r\n"
      "from t\r\n"
      "@2=Name(name=x) select 2\n");
  ASSERT_EQ(dispatcher_.calls.size(), 2u);
  EXPECT_EQ(dispatcher_.calls[0].settings.functionHeader, "[1]    REPORT(SHEET=1 CELL=A1,B1)");
  EXPECT_EQ(dispatcher_.calls[0].settings.targets, (std::vector<std::string>{"A1", "B1"}));
  // Leading blanks dropped, trailing ones trimmed, an empty line adds one blank.
  EXPECT_EQ(dispatcher_.calls[0].sql, "select a, b  from t");
  EXPECT_EQ(dispatcher_.calls[1].settings.functionHeader, "[2]    NAME(NAME=x)");
  EXPECT_EQ(dispatcher_.calls[1].settings.functionKind, kNameFunction);
  EXPECT_EQ(dispatcher_.calls[1].settings.nameCount, 1);
  EXPECT_EQ(dispatcher_.calls[1].sql, "select 2");
}

struct SyntaxErrorCase {
  const char *script;
  Lines log;
};

TEST_F(ScriptParserTest, LogsEachHeaderErrorAfterTheHeaderSoFarAndSkipsTheFunction) {
  addDataSource("Second", false);
  const SyntaxErrorCase cases[] = {
      {"@x REPORT(SHEET=1) select 1",
       {"[x]    ", "Error: Syntax error. Expected \"=\" after \"@x\"."}},
      {"@1=reports(SHEET=1) select 1",
       {"[1]    ", "Error: Syntax error. Unknown function name \"reports\"."}},
      {"@1=EXECSQL select 1",
       {"[1]    EXECSQL", "Error: Syntax error. Expected \"(\" after a function name."}},
      {"@1=EXECSQL(sheet=1) select 1",
       {"[1]    EXECSQL(SHEET", "Error: Syntax error. Unknown parameter name \"sheet\"."}},
      {"@1=NAME(NAME=a GROUP=b) select 1",
       {"[1]    NAME(NAME=a GROUP", "Error: Syntax error. Unknown parameter name \"GROUP\"."}},
      {"@7=REPORT(SHEET 1) select 1",
       {"[7]    REPORT(SHEET",
        "Error: Syntax error. Expected \"=\" after the parameter name \"SHEET\"."}},
      {"@1=EXECSQL(CONNECT=3) select 1",
       {"[1]    EXECSQL(CONNECT=3",
        "Error: Connection error in [1]. Can not find data source \"3\"."}},
      {"@1=EXECSQL(CONNECT=99999) select 1",
       {"[1]    EXECSQL(CONNECT=99999",
        "Error: Connection error in [1]. Can not find data source \"99999\"."}},
      {"@1=EXECSQL(CONNECT=sales) select 1",
       {"[1]    EXECSQL(CONNECT=sales",
        "Error: Connection error in [1]. Can not find data source \"sales\"."}},
      {"@1=EXECSQL(CONNECT='Second') select 1",
       {"[1]    EXECSQL(CONNECT='Second'",
        "Error: Connection error in [1]. Can not connect to the data source \"Second\"."}},
      {"@1=REPORT(TYPE=fixed SHEET=1) select 1",
       {"[1]    REPORT(TYPE=fixed",
        "Error: Syntax error. Unknown value \"fixed\" for the parameter \"TYPE\"."}},
      {"@1=REPORT(FILLORDER='diag') select 1",
       {"[1]    REPORT(FILLORDER='diag'",
        "Error: Syntax error. Unknown value \"diag\" for the parameter \"FILLORDER\"."}},
      {"@1=REPORT(SHEET=1 GROUPRANGE=A1:B2 GROUP=a) select 1",
       {"[1]    REPORT(SHEET=1 GROUPRANGE=A1:B2",
        "Error: Syntax error. Parameter \"GROUPRANGE\" must follow parameter \"GROUP\"."}},
      {"@1=REPORT(SHEET=1, CELL=A1) select 1",
       {"[1]    REPORT(SHEET=1",
        "Error: Syntax error. Unexpected character \",\" for the parameter \"SHEET\"."}},
  };
  for (const SyntaxErrorCase &c : cases) {
    dispatcher_.calls.clear();
    EXPECT_EQ(run(c.script), c.log) << c.script;
    EXPECT_EQ(errors_, 1) << c.script;
    EXPECT_TRUE(dispatcher_.calls.empty()) << c.script;
  }
}

TEST_F(ScriptParserTest, TooManyGroupsSkipsOnlyThatFunction) {
  std::string groups;
  for (int i = 1; i <= 11; ++i)
    groups += " GROUP=g" + std::to_string(i);
  const Lines log = run("@1=REPORT(SHEET=1" + groups + ") select 1\n@2=EXECSQL() select 2");
  ASSERT_EQ(log.size(), 2u);
  EXPECT_TRUE(log[0].ends_with("GROUP=g10 GROUP")) << log[0];
  EXPECT_EQ(log[1], "Error: Too much parameter name \"GROUP\". The number of parameter \"GROUP\" "
                    "can not be more than 10.");
  ASSERT_EQ(dispatcher_.calls.size(), 1u);
  EXPECT_EQ(dispatcher_.calls[0].settings.functionLabel, "2");
  EXPECT_EQ(dispatcher_.calls[0].settings.groupCount, 0);
}

TEST_F(ScriptParserTest, ASyntaxErrorAffectsOnlyItsOwnFunction) {
  const Lines log = run("@1=EXECSQL() update t set a = 1\n"
                        "@2=REPORT(SHEET=1 CELL A1)\n"
                        "select * from t\n"
                        "where a = 1\n"
                        "@3=REPORT(SHEET=1 CELL=A1)\n"
                        "select 3\n"
                        "@4=NAME(NAME=x TYPE=FIX) select 4\n"
                        "@5=EXECSQL() select 5\n");
  EXPECT_EQ(errors_, 2);
  EXPECT_EQ(log, (Lines{"[2]    REPORT(SHEET=1 CELL",
                        "Error: Syntax error. Expected \"=\" after the parameter name \"CELL\".",
                        "[4]    NAME(NAME=x TYPE",
                        "Error: Syntax error. Unknown parameter name \"TYPE\"."}));
  ASSERT_EQ(dispatcher_.calls.size(), 3u);
  EXPECT_EQ(dispatcher_.calls[0].sql, "update t set a = 1");
  EXPECT_EQ(dispatcher_.calls[1].settings.functionLabel, "3");
  EXPECT_EQ(dispatcher_.calls[1].sql, "select 3");
  EXPECT_EQ(dispatcher_.calls[2].settings.functionLabel, "5");
}

TEST_F(ScriptParserTest, FunctionsWithoutSqlTextOrWithAnUnfinishedHeaderNeverRun) {
  EXPECT_EQ(run("@1=EXECSQL()\n"
                "   \n"
                "/* nothing */\n"
                "@2=EXECSQL() select 2\n"
                "@3=REPORT(SHEET=1\n"
                "CELL=A1"),
            Lines{});
  ASSERT_EQ(dispatcher_.calls.size(), 1u);
  EXPECT_EQ(dispatcher_.calls[0].settings.functionLabel, "2");
  EXPECT_EQ(dispatcher_.calls[0].sql, "select 2");
}

TEST_F(ScriptParserTest, OnlyALineStartingWithAtStartsAFunction) {
  run("select 0\n"
      "@1=EXECSQL() select a from t where b = '@x'\n"
      "   and c = @d\n"
      "\t @2=EXECSQL() select 2");
  ASSERT_EQ(dispatcher_.calls.size(), 2u);
  EXPECT_EQ(dispatcher_.calls[0].sql, "select a from t where b = '@x' and c = @d");
  EXPECT_EQ(dispatcher_.calls[1].sql, "select 2");
}

TEST_F(ScriptParserTest, CommentsAreSeparatorsInTheHeaderAndRemovedFromSql) {
  run("/* a script\n"
      "@0=EXECSQL() never runs */\n"
      "@1=REPORT(SHEET=1/* the first\n"
      "   sheet */CELL=A1 /**/) select 1 /* c */ from t /* open\n"
      "@2=EXECSQL() drop table t\n"
      "*/ where x = '/* kept */' and y = \"a\"\"/*\"\n"
      "@3=REPORT(SHEET='/*' CELL=A1) select 3");
  ASSERT_EQ(dispatcher_.calls.size(), 2u);
  EXPECT_EQ(dispatcher_.calls[0].settings.functionHeader, "[1]    REPORT(SHEET=1 CELL=A1)");
  EXPECT_EQ(dispatcher_.calls[0].sql,
            "select 1  from t  where x = '/* kept */' and y = \"a\"\"/*\"");
  // A quoted "/*" is a value, not the start of a comment.
  EXPECT_EQ(dispatcher_.calls[1].settings.sheetName, "/*");
  EXPECT_EQ(dispatcher_.calls[1].sql, "select 3");
}

TEST_F(ScriptParserTest, TextAfterACommentEndDoesNotStartAFunction) {
  run("@1=EXECSQL() select 1 /*\n"
      "*/@2=EXECSQL() select 2");
  ASSERT_EQ(dispatcher_.calls.size(), 1u);
  EXPECT_EQ(dispatcher_.calls[0].sql, "select 1 @2=EXECSQL() select 2");
}

TEST_F(ScriptParserTest, ACommentInASkippedFunctionStillSpansLines) {
  run("@1=REPORT(SHEET 1) select /* the rest\n"
      "@2=EXECSQL() select 2 */\n"
      "@3=EXECSQL() select 3");
  ASSERT_EQ(dispatcher_.calls.size(), 1u);
  EXPECT_EQ(dispatcher_.calls[0].settings.functionLabel, "3");
}

TEST_F(ScriptParserTest, QuotedValuesKeepTheirQuotesInTheEchoOnly) {
  run("@q=REPORT(SHEET='Sales, 2024 (=Q1)' CELL=\"A1\",'B 2') select 1\n"
      "@r=REPORT(SHEET=\"Q1 \"\"final\"\"\" CELL=A1) select 2");
  ASSERT_EQ(dispatcher_.calls.size(), 2u);
  const FunctionSettings &q = dispatcher_.calls[0].settings;
  EXPECT_EQ(q.functionHeader, "[q]    REPORT(SHEET='Sales, 2024 (=Q1)' CELL=\"A1\",'B 2')");
  EXPECT_EQ(q.sheetName, "Sales, 2024 (=Q1)");
  EXPECT_EQ(q.targets, (std::vector<std::string>{"A1", "B 2"}));
  EXPECT_EQ(dispatcher_.calls[1].settings.sheetName, "Q1 \"\"final\"\"");
}

TEST_F(ScriptParserTest, AccumulatesEveryReportSetting) {
  run("@g=report(sheet=Data cell=A1,,B1 type=fix group=region,,city grouprange=A1:B2\n"
      "  group=product image=a.png image='b c.png' pagebreak=50 pagebreak=1G,2G2 reserve=2\n"
      "  fillorder=col nodata=delrange range=A1:A2 copyrange=A1:C3) select 1\n"
      "@h=REPORT(SHEET=1 CELL=A1 GROUP=a TYPE=FIX RESERVE=3 NODATA=keep FILLORDER=row) select 2\n"
      "@i=REPORT(SHEET=1 CELL=A1 COPYRANGE=X1 RANGE=B1:B2 RESERVE=2.0 RESERVE=x) select 3\n");
  ASSERT_EQ(dispatcher_.calls.size(), 3u);
  const FunctionSettings &g = dispatcher_.calls[0].settings;
  EXPECT_EQ(g.functionHeader,
            "[g]    REPORT(SHEET=Data CELL=A1,,B1 TYPE=fix GROUP=region,,city GROUPRANGE=A1:B2 "
            "GROUP=product IMAGE=a.png IMAGE='b c.png' PAGEBREAK=50 PAGEBREAK=1G,2G2 RESERVE=2 "
            "FILLORDER=col NODATA=delrange RANGE=A1:A2 COPYRANGE=A1:C3)");
  EXPECT_EQ(g.targets, (std::vector<std::string>{"A1", "B1"}));
  EXPECT_EQ(g.fixedLayout, 0); // a GROUP value after TYPE=FIX
  EXPECT_EQ(g.groupCount, 2);
  EXPECT_EQ(g.groupFieldCount[0], 2);
  EXPECT_EQ(g.groupFieldCount[1], 1);
  EXPECT_EQ(g.groupFields[0], (std::vector<std::string>{"region", "city"}));
  EXPECT_EQ(g.groupFields[1], std::vector<std::string>{"product"});
  EXPECT_EQ(g.groupRanges[0], "A1:B2");
  EXPECT_EQ(g.groupRanges[1], "");
  EXPECT_EQ(g.imageCount, 2);
  EXPECT_EQ(g.images, (std::vector<std::string>{"a.png", "b c.png"}));
  EXPECT_EQ(g.pageBreakText, "50,1G,2G2");
  EXPECT_EQ(g.reserveMode, 2);
  EXPECT_EQ(g.fillByColumn, 1);
  EXPECT_TRUE(g.deleteRangeOnNoData);
  EXPECT_EQ(g.rangeText, "A1:C3");
  EXPECT_TRUE(g.copyRangeMode);

  // Every field starts over at the next label.
  const FunctionSettings &h = dispatcher_.calls[1].settings;
  EXPECT_EQ(h.fixedLayout, 1); // TYPE=FIX after the GROUP value
  EXPECT_EQ(h.groupCount, 1);
  EXPECT_EQ(h.groupFields[0], std::vector<std::string>{"a"});
  EXPECT_EQ(h.imageCount, 0);
  EXPECT_TRUE(h.images.empty());
  EXPECT_EQ(h.pageBreakText, "");
  EXPECT_EQ(h.reserveMode, 1);
  EXPECT_FALSE(h.deleteRangeOnNoData);
  EXPECT_EQ(h.fillByColumn, 0);
  EXPECT_EQ(h.rangeText, "");
  EXPECT_EQ(h.targets.size(), 1u);

  const FunctionSettings &i = dispatcher_.calls[2].settings;
  EXPECT_EQ(i.rangeText, "B1:B2");
  EXPECT_FALSE(i.copyRangeMode);
  EXPECT_EQ(i.reserveMode, 2); // a value that is not a number leaves it alone
}

TEST_F(ScriptParserTest, ConnectSelectsByExactNameFirstThenByNumber) {
  definition_.dataSources[0].Name = "2";
  addDataSource("Stock", true);
  addDataSource("Stock", true);
  run("@1=EXECSQL(CONNECT=Stock) select 1\n"
      "@2=EXECSQL(CONNECT=2) select 2\n"
      "@3=EXECSQL(CONNECT=' 3 ') select 3\n"
      "@4=EXECSQL() select 4\n");
  ASSERT_EQ(dispatcher_.calls.size(), 4u);
  EXPECT_EQ(dispatcher_.calls[0].settings.dataSourceIndex, 1);
  EXPECT_EQ(dispatcher_.calls[1].settings.dataSourceIndex, 0); // the name "2" wins
  EXPECT_EQ(dispatcher_.calls[2].settings.dataSourceIndex, 2);
  EXPECT_EQ(dispatcher_.calls[3].settings.dataSourceIndex, 0);
  EXPECT_EQ(errors_, 0);
}

TEST_F(ScriptParserTest, SubstitutesParametersInSqlTextButNotInHeaderValues) {
  definition_.parameters[0] = {"&Y", "Year", "2024"};
  definition_.parameters[1] = {"&YM", "Month", "202405"};
  definition_.parameterCount = 2;
  run("@1=REPORT(SHEET=&Y CELL=A1) select * from t\n  where y=&Y and ym = '&YM' /* &Y */");
  ASSERT_EQ(dispatcher_.calls.size(), 1u);
  EXPECT_EQ(dispatcher_.calls[0].settings.sheetName, "&Y");
  EXPECT_EQ(dispatcher_.calls[0].sql, "select * from t where y=2024 and ym = '2024M'");
}

TEST_F(ScriptParserTest, SqlTextIsCutAtANulCharacter) {
  static constexpr char script[] = "@1=EXECSQL() select 1 \0 garbage\nfrom t";
  run(std::string(script, sizeof(script) - 1));
  ASSERT_EQ(dispatcher_.calls.size(), 1u);
  EXPECT_EQ(dispatcher_.calls[0].sql, "select 1 from t");
}

TEST_F(ScriptParserTest, CapacitiesHoldTheirLimitAndAFaultEndsTheParse) {
  std::string cells;
  for (int i = 1; i <= kMaxTargets; ++i)
    cells += (i > 1 ? "," : "") + ("A" + std::to_string(i));
  std::string fields;
  for (int i = 1; i <= kMaxGroupFields; ++i)
    fields += (i > 1 ? "," : "") + ("f" + std::to_string(i));
  std::string images;
  for (int i = 1; i <= kMaxImages; ++i)
    images += " IMAGE=i" + std::to_string(i);
  EXPECT_EQ(run("@1=REPORT(SHEET=1 CELL=" + cells + " GROUP=" + fields + images + ") select 1"),
            Lines{});
  ASSERT_EQ(dispatcher_.calls.size(), 1u);
  EXPECT_EQ(dispatcher_.calls[0].settings.cellCount, kMaxTargets);
  EXPECT_EQ(dispatcher_.calls[0].settings.groupFieldCount[0], kMaxGroupFields);
  EXPECT_EQ(dispatcher_.calls[0].settings.imageCount, kMaxImages);

  const std::string over[] = {"CELL=" + cells + ",A0", "GROUP=" + fields + ",f0",
                              images + " IMAGE=i0"};
  const char *parameter[] = {"CELL", "GROUP", "IMAGE"};
  for (int k = 0; k < 3; ++k) {
    dispatcher_.calls.clear();
    const Lines log = run("@0=EXECSQL() select 0\n@9=REPORT(SHEET=1 " + over[k] +
                          ") select 1\n@10=EXECSQL() select 2");
    ASSERT_EQ(log.size(), 3u) << parameter[k];
    EXPECT_TRUE(log[0].starts_with("[9]    REPORT(SHEET=1 ")) << log[0];
    EXPECT_EQ(log[1], "Error: Parse error in [9].");
    EXPECT_EQ(log[2], std::string("Error Info: The parameter \"") + parameter[k] +
                          "\" can not have more than 1024 values in one function.");
    EXPECT_EQ(errors_, 1);
    // The function before ran; nothing after the fault does.
    ASSERT_EQ(dispatcher_.calls.size(), 1u);
    EXPECT_EQ(dispatcher_.calls[0].settings.functionLabel, "0");
  }

  dispatcher_.calls.clear();
  std::string names;
  for (int i = 0; i <= kMaxTargets; ++i)
    names += " NAME=n" + std::to_string(i);
  const Lines log = run("@n=NAME(" + names + ") select 1");
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1], "Error: Parse error in [n].");
  EXPECT_TRUE(dispatcher_.calls.empty());
}

TEST_F(ScriptParserTest, AFaultInTheDispatcherEndsTheParse) {
  dispatcher_.afterDispatch = [] { throw std::runtime_error("Workbook is gone."); };
  const Lines log = run("@1=EXECSQL() select 1\n@2=EXECSQL() select 2\n@3=EXECSQL() select 3");
  // The first function is sent when the second one's label line begins.
  EXPECT_EQ(log, (Lines{"[1]    EXECSQL()", "Error: Parse error in [1].",
                        "Error Info: Workbook is gone."}));
  EXPECT_EQ(dispatcher_.calls.size(), 1u);
}

TEST_F(ScriptParserTest, CancelIsTestedAtEveryLineAndDropsTheGatheredFunction) {
  const std::string script = "@1=EXECSQL() select 1\n"
                             "@2=EXECSQL()\n"
                             "select 2\n"
                             "@3=EXECSQL() select 3\n";
  run(script);
  EXPECT_EQ(control_.yields, 4);
  EXPECT_EQ(dispatcher_.calls.size(), 3u);

  // Stopped at line 2: function 1 was gathered but not yet sent.
  dispatcher_.calls.clear();
  control_.restart(2);
  EXPECT_EQ(run(script), Lines{});
  EXPECT_EQ(control_.yields, 2);
  EXPECT_TRUE(dispatcher_.calls.empty());

  // Stopped at line 4: function 1 ran when line 2 began; function 2 is dropped.
  dispatcher_.calls.clear();
  control_.restart(4);
  run(script);
  ASSERT_EQ(dispatcher_.calls.size(), 1u);
  EXPECT_EQ(dispatcher_.calls[0].settings.functionLabel, "1");

  // A dispatched function may itself ask to stop (the stop button during a long fill).
  dispatcher_.calls.clear();
  control_.restart(0);
  dispatcher_.afterDispatch = [this] { control_.cancel = true; };
  run(script);
  EXPECT_EQ(dispatcher_.calls.size(), 1u);
}

class ScriptParserBatchTest : public ScriptParserTest {
protected:
  void writeDefinition(const std::string &bytes) {
    definition_.definitionFilePath = temp_.file("report.kvd");
    std::ofstream(definition_.definitionFilePath, std::ios::binary) << bytes;
  }
};

TEST_F(ScriptParserBatchTest, ReadsTheScriptAgainFromTheDefinitionFile) {
  writeDefinition("Quorvel Version 2.0\r\n"
                  "[File]\r\n"
                  "ReportFileName=x.xlsx\r\n"
                  "  [SQL]  \r\n"
                  "@1=EXECSQL() select 1\r\n"
                  "  from t\r\n"
                  "@2=EXECSQL() select 2\r\n"
                  "[SQL]\r\n");
  run("@9=EXECSQL() select 9", false);
  EXPECT_EQ(control_.yields, 0); // no user interface to yield to
  ASSERT_EQ(dispatcher_.calls.size(), 2u);
  EXPECT_EQ(dispatcher_.calls[0].sql, "select 1 from t");
  EXPECT_EQ(dispatcher_.calls[1].sql, "select 2 [SQL]");
}

TEST_F(ScriptParserBatchTest, CancelIsTestedInABatchRunToo) {
  writeDefinition("Quorvel\n[SQL]\n@1=EXECSQL() select 1\n@2=EXECSQL() select 2\n");
  control_.cancel = true;
  run("", false);
  EXPECT_TRUE(dispatcher_.calls.empty());
}

TEST_F(ScriptParserBatchTest, AnUnreadableDefinitionFileIsAParseFaultWithAnEmptyLabel) {
  definition_.definitionFilePath = temp_.file("missing.kvd");
  const Lines log = run("@1=EXECSQL() select 1", false);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0], "[]    ");
  EXPECT_EQ(log[1], "Error: Parse error in [].");
  EXPECT_EQ(log[2],
            "Error Info: Can not read the file \"" + definition_.definitionFilePath + "\".");
  EXPECT_EQ(errors_, 1);
  EXPECT_TRUE(dispatcher_.calls.empty());
}

TEST(StripComments, RemovesCommentsOutsideQuotesAndCarriesAnOpenComment) {
  bool inComment = false;
  EXPECT_EQ(stripComments("a /* b */c '/*' \"*/\" /*/ x", inComment), "a c '/*' \"*/\" ");
  EXPECT_TRUE(inComment);
  EXPECT_EQ(stripComments("still */ out /**/ 'it''s /* in' 'open /*", inComment),
            " out  'it''s /* in' 'open /*");
  EXPECT_FALSE(inComment);
  EXPECT_EQ(stripComments("no end", inComment = true), "");
  EXPECT_TRUE(inComment);
}

} // namespace
} // namespace brevant
