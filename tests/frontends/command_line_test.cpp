#include "frontends/command_line.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

TEST(CommandLine, BatchRunWithLoginsAndValues) {
  const CommandLine line = parseCommandLine(
      {"/reports/month end.kvd", "-C", "-U2", "scott", "-P2", "tiger", "2024", "05"});
  EXPECT_EQ(line.definitionFile, "/reports/month end.kvd");
  EXPECT_TRUE(line.batch);
  EXPECT_TRUE(line.logins[1].given);
  EXPECT_EQ(line.logins[1].user, "scott");
  EXPECT_EQ(line.logins[1].password, "tiger");
  EXPECT_FALSE(line.logins[0].given);
  EXPECT_EQ(line.values, (std::vector<std::string>{"2024", "05"}));
}

TEST(CommandLine, SwitchesInAnyCaseAndTheProgressInterval) {
  CommandLine line = parseCommandLine({"a.kvd", "-c", "-d", "-i"});
  EXPECT_TRUE(line.batch);
  EXPECT_TRUE(line.displayReport);
  EXPECT_DOUBLE_EQ(line.progressInterval, 0.1) << "-I without a number is a tenth";
  line = parseCommandLine({"a.kvd", "-C", "-I", "500", "x"});
  EXPECT_DOUBLE_EQ(line.progressInterval, 500);
  EXPECT_EQ(line.values, std::vector<std::string>{"x"});
  line = parseCommandLine({"a.kvd", "-C", "-I", "abc"});
  EXPECT_DOUBLE_EQ(line.progressInterval, 0.1);
  EXPECT_EQ(line.values, std::vector<std::string>{"abc"}) << "a non-number is not consumed";
}

TEST(CommandLine, LoginSwitchesAndWhereTheSwitchesEnd) {
  CommandLine line = parseCommandLine({"a.kvd", "-C", "-U", "u1", "-P", "p1"});
  EXPECT_EQ(line.logins[0].user, "u1");
  EXPECT_EQ(line.logins[0].password, "p1");
  line = parseCommandLine({"a.kvd", "-C", "-Ux", "val"});
  EXPECT_EQ(line.values, (std::vector<std::string>{"-Ux", "val"}));
  line = parseCommandLine({"a.kvd", "-C", "-U99", "u", "-P12"});
  for (const auto &login : line.logins)
    EXPECT_FALSE(login.given) << "a number outside the slots is ignored";
  line = parseCommandLine({"a.kvd", "-C", "-U3", "-C"});
  EXPECT_EQ(line.logins[2].user, "-C") << "the next argument is taken whatever it is";
  line = parseCommandLine({"-C", "a.kvd"});
  EXPECT_EQ(line.definitionFile, "-C");
  EXPECT_FALSE(line.batch) << "the definition file must come first";
}

TEST(CommandLine, AtMostTenValues) {
  std::vector<std::string> args = {"a.kvd", "-C"};
  for (int i = 0; i < 12; ++i)
    args.push_back(std::to_string(i));
  EXPECT_EQ(parseCommandLine(args).values.size(), 10u);
}

} // namespace
} // namespace brevant
