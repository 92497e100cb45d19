#include "frontends/command_line.h"
#include "frontends/environment_logins.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace brevant {
namespace {

EnvironmentLookup from(const std::map<std::string, std::string> &variables) {
  return [variables](const char *name) -> const char * {
    const auto it = variables.find(name);
    return it == variables.end() ? nullptr : it->second.c_str();
  };
}

TEST(EnvironmentLogins, NumberedVariablesFillTheirDataSource) {
  const LoginTable logins = environmentLogins(from({{"BREVANT_USER2", "scott"},
                                                    {"BREVANT_PASSWORD2", "tiger"},
                                                    {"BREVANT_PASSWORD10", ""},
                                                    {"BREVANT_USER11", "beyond the table"}}));
  EXPECT_FALSE(logins[0].given);
  EXPECT_TRUE(logins[1].given);
  EXPECT_EQ(logins[1].user, "scott");
  EXPECT_EQ(logins[1].password, "tiger");
  EXPECT_TRUE(logins[9].given) << "an empty password is still a password";
  EXPECT_EQ(logins[9].user, "") << "the user not given is empty, as with -P10 alone";
  EXPECT_FALSE(logins[10].given) << "a definition has ten data sources";
}

TEST(EnvironmentLogins, UnnumberedVariablesAreDataSourceOneUnlessNumberedOnesAreSet) {
  LoginTable logins =
      environmentLogins(from({{"BREVANT_USER", "plain"}, {"BREVANT_PASSWORD", "secret"}}));
  EXPECT_TRUE(logins[0].given);
  EXPECT_EQ(logins[0].user, "plain");
  EXPECT_EQ(logins[0].password, "secret");
  logins = environmentLogins(from(
      {{"BREVANT_USER", "plain"}, {"BREVANT_USER1", "numbered"}, {"BREVANT_PASSWORD", "secret"}}));
  EXPECT_EQ(logins[0].user, "numbered");
  EXPECT_EQ(logins[0].password, "secret");
}

TEST(EnvironmentLogins, CommandLineReplacesOneValueAtATime) {
  const LoginTable fromEnvironment = environmentLogins(from({{"BREVANT_USER1", "env-user"},
                                                             {"BREVANT_PASSWORD1", "env-pass"},
                                                             {"BREVANT_USER3", "third"},
                                                             {"BREVANT_PASSWORD3", "third-pass"}}));
  const CommandLine line =
      parseCommandLine({"a.kvd", "-C", "-U1", "cli-user", "-P2", "cli-pass"}, fromEnvironment);
  EXPECT_EQ(line.logins[0].user, "cli-user");
  EXPECT_EQ(line.logins[0].password, "env-pass");
  EXPECT_TRUE(line.logins[1].given);
  EXPECT_EQ(line.logins[1].user, "");
  EXPECT_EQ(line.logins[1].password, "cli-pass");
  EXPECT_EQ(line.logins[2].user, "third");
  EXPECT_EQ(line.logins[2].password, "third-pass");
}

TEST(EnvironmentLogins, PasswordsLeaveTheEnvironmentUsersStay) {
  ::setenv("BREVANT_PASSWORD", "a", 1);
  ::setenv("BREVANT_PASSWORD4", "b", 1);
  ::setenv("BREVANT_USER4", "u", 1);
  forgetEnvironmentPasswords();
  EXPECT_EQ(std::getenv("BREVANT_PASSWORD"), nullptr);
  EXPECT_EQ(std::getenv("BREVANT_PASSWORD4"), nullptr);
  ASSERT_NE(std::getenv("BREVANT_USER4"), nullptr);
  ::unsetenv("BREVANT_USER4");
}

} // namespace
} // namespace brevant
