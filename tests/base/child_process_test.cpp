// Starting other programs: exit status, a signal, a time-out that ends the whole group, a
// program that is not there, and the PATH search that finds programs.

#include "base/child_process.h"
#include "base/paths.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace brevant {
namespace {

namespace fs = std::filesystem;

class ChildProcess : public ::testing::Test {
protected:
  ChildProcess() {
    std::string pattern = (fs::temp_directory_path() / "brevant-child-XXXXXX").string();
    folder = ::mkdtemp(pattern.data());
  }
  ~ChildProcess() override {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  std::string file(const std::string &name) const { return (folder / name).string(); }
  ChildResult shell(const std::string &script, double timeout = 30) {
    return runChild({findProgram("sh"), "-c", script}, file("out.log"), timeout);
  }

  fs::path folder;
};

TEST_F(ChildProcess, ExitStatusSignalAndOutput) {
  ChildResult r = shell("echo out; echo err >&2; exit 3");
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.output, "out\nerr\n");

  r = shell("kill -TERM $$");
  EXPECT_EQ(r.signal, SIGTERM);
  EXPECT_EQ(r.exitCode, -1);
}

TEST_F(ChildProcess, ATimeOutEndsTheProgramAndWhatItStarted) {
  const auto start = std::chrono::steady_clock::now();
  // The grandchild writes its pid and would outlive a kill of the child alone.
  const ChildResult r = shell("sleep 30 & echo $! > " + file("pid") + "; wait", 0.5);
  EXPECT_TRUE(r.timedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  pid_t grandchild = 0;
  std::ifstream(file("pid")) >> grandchild;
  ASSERT_GT(grandchild, 0);
  for (int i = 0; i < 100 && ::kill(grandchild, 0) == 0; ++i)
    ::usleep(20000);
  EXPECT_NE(::kill(grandchild, 0), 0) << "the group was not killed";
}

TEST_F(ChildProcess, AProgramThatCannotRunOrNoProgramAtAll) {
  const ChildResult r = runChild({file("missing")}, file("out.log"), 30);
  EXPECT_EQ(r.exitCode, 127);
  EXPECT_FALSE(r.output.empty()); // the reason exec gave
  EXPECT_THROW(runChild({}, file("out.log"), 30), std::runtime_error);
  EXPECT_THROW(runChild({"/bin/true"}, file("no/such/folder/out.log"), 30), std::runtime_error);
  EXPECT_EQ(startDetached({}), EINVAL);
}

TEST_F(ChildProcess, ADetachedProgramRunsOnWithoutBeingWaitedFor) {
  ASSERT_EQ(startDetached({"sh", "-c", "echo done > " + file("mark")}), 0);
  for (int i = 0; i < 250 && !fs::exists(file("mark")); ++i)
    ::usleep(20000);
  EXPECT_TRUE(fs::exists(file("mark")));
}

TEST_F(ChildProcess, FindProgramSearchesPathForExecutableFilesOnly) {
  const char *saved = std::getenv("PATH");
  const std::string oldPath = saved ? saved : "";
  fs::create_directory(file("bin"));
  fs::create_directory(file("bin/tool.d"));
  std::ofstream(file("bin/tool")) << "#!/bin/sh\n";
  std::ofstream(file("bin/plain")) << "data\n";
  fs::permissions(file("bin/tool"), fs::perms::owner_all);
  ::setenv("PATH", ("/nonexistent::" + file("bin")).c_str(), 1);
  EXPECT_EQ(findProgram("tool"), file("bin") + "/tool");
  EXPECT_EQ(findProgram("plain"), "");  // not executable
  EXPECT_EQ(findProgram("tool.d"), ""); // a folder
  EXPECT_EQ(findProgram("absent"), "");
  EXPECT_EQ(findProgram(""), "");
  EXPECT_EQ(findProgram(file("bin/tool")), file("bin/tool")); // a path is only checked
  EXPECT_EQ(findProgram(file("bin/plain")), "");
  ::setenv("PATH", oldPath.c_str(), 1);
}

} // namespace
} // namespace brevant
