// `brevant` links neither Qt nor libcurl; its interactive start replaces the process with
// brevant-workspace, found beside it or in the installed ../libexec/brevant, which in turn finds
// the program's files from the `brevant` it stands for.
#include "frontends/workspace_program.h"

#include "support/commands.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

namespace fs = std::filesystem;
using testing::runCommand;
using testing::shellQuote;
using testing::TempFolder;

TEST(WorkspaceProgram, BrevantLinksNeitherQtNorTheHttpClient) {
  std::string libraries;
  ASSERT_EQ(runCommand("ldd " BREVANT_BINARY_DIR "/brevant", &libraries), 0);
  EXPECT_EQ(libraries.find("libQt"), std::string::npos) << libraries;
  EXPECT_EQ(libraries.find("libcurl"), std::string::npos) << libraries;
}

TEST(WorkspaceProgram, FoundBesideOrInstalledAndStandsForItsBrevant) {
  TempFolder root;
  const fs::path bin = root.path() / "usr/bin", libexec = root.path() / "usr/libexec/brevant";
  fs::create_directories(bin);
  fs::create_directories(libexec);
  testing::writeBytes((bin / "brevant").string(), "");
  testing::writeBytes((libexec / "brevant-workspace").string(), "");

  EXPECT_EQ(workspaceProgramCandidates(bin),
            (std::vector<fs::path>{bin / "brevant-workspace", libexec / "brevant-workspace"}));
  EXPECT_EQ(launcherOf(libexec / "brevant-workspace"), bin / "brevant");
  EXPECT_EQ(launcherOf(bin / "brevant"), bin / "brevant");
  // In a build folder both are side by side, and the one beside wins.
  testing::writeBytes((libexec / "brevant").string(), "");
  EXPECT_EQ(launcherOf(libexec / "brevant-workspace"), libexec / "brevant");
}

#ifdef BREVANT_HAS_WORKSPACE_PROGRAM

TEST(WorkspaceProgram, AnInteractiveStartBecomesTheWorkspaceInTheSameProcess) {
  TempFolder folder;
  // Started in the background; the process is watched until it runs brevant-workspace (the
  // workspace then waits in its tip dialog), and is killed.
  const std::string script =
      "cd " + shellQuote(folder.path().string()) +
      " && { QT_QPA_PLATFORM=offscreen BREVANT_SETTINGS=settings.reg HOME=. " +
      shellQuote(BREVANT_BINARY_DIR "/brevant") +
      " report.kvd >/dev/null 2>&1 & }; pid=$!; exe=; "
      "for i in $(seq 200); do exe=$(readlink /proc/$pid/exe); "
      "case $exe in *-workspace) break;; esac; sleep 0.05; done; "
      "args=$(tr '\\0' ' ' </proc/$pid/cmdline); kill -KILL $pid; wait $pid; "
      "echo \"$exe|$args\"";
  std::string seen;
  runCommand("bash -c " + shellQuote(script) + " 2>/dev/null", &seen);
  EXPECT_EQ(seen,
            BREVANT_BINARY_DIR "/brevant-workspace|" BREVANT_BINARY_DIR "/brevant report.kvd \n");
}

TEST(WorkspaceProgram, AMissingWorkspaceProgramIsNamedWithTheReason) {
  TempFolder folder;
  fs::copy_file(BREVANT_BINARY_DIR "/brevant", folder.path() / "brevant");
  std::string said;
  const int status = runCommand(
      "cd " + shellQuote(folder.path().string()) + " && ./brevant report.kvd 2>&1", &said);
  EXPECT_EQ(status, 2);
  EXPECT_NE(said.find("brevant: the workspace program cannot be started (\"" +
                      (folder.path() / "brevant-workspace").string() +
                      "\": No such file or directory, \""),
            std::string::npos)
      << said;
}

#endif

} // namespace
} // namespace brevant
