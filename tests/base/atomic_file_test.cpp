// The one writer every file save goes through: the target is replaced whole or not at all, a
// link at the target is replaced or written through as asked, and no temporary stays behind.

#include "base/atomic_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace brevant {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
protected:
  AtomicFileTest() {
    std::string pattern = (fs::temp_directory_path() / "brevant-atomic-XXXXXX").string();
    folder = ::mkdtemp(pattern.data());
  }
  ~AtomicFileTest() override {
    std::error_code ignored;
    fs::permissions(folder, fs::perms::owner_all, ignored);
    fs::remove_all(folder, ignored);
  }
  std::string file(const std::string &name) const { return (folder / name).string(); }
  static std::string read(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static void write(const std::string &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  size_t entries() const {
    size_t n = 0;
    for ([[maybe_unused]] const auto &e : fs::directory_iterator(folder))
      ++n;
    return n;
  }
  static fs::perms perms(const std::string &path) {
    return fs::symlink_status(path).permissions() & fs::perms::all;
  }

  fs::path folder;
};

TEST_F(AtomicFileTest, ReplacesTheContentAndLeavesNoTemporary) {
  write(file("a.txt"), "old content that is longer");
  replaceFile(file("a.txt"), "new");
  EXPECT_EQ(read(file("a.txt")), "new");
  replaceFile(file("b.txt"), "");
  EXPECT_TRUE(fs::is_regular_file(file("b.txt")));
  EXPECT_EQ(entries(), 2u);
}

TEST_F(AtomicFileTest, ALinkAtTheTargetIsReplacedNotFollowed) {
  write(file("precious.txt"), "keep me");
  fs::create_symlink(file("precious.txt"), file("report.txt"));
  replaceFile(file("report.txt"), "report");
  EXPECT_FALSE(fs::is_symlink(file("report.txt")));
  EXPECT_EQ(read(file("report.txt")), "report");
  EXPECT_EQ(read(file("precious.txt")), "keep me");
}

TEST_F(AtomicFileTest, WriteThroughKeepsTheLinkEvenWhenItsFileIsMissing) {
  fs::create_directory(file("real"));
  fs::create_symlink("real/settings.reg", file("settings.reg")); // relative and dangling
  AtomicWriteOptions options;
  options.link = LinkAtTarget::WriteThrough;
  replaceFile(file("settings.reg"), "first", options);
  EXPECT_TRUE(fs::is_symlink(file("settings.reg")));
  EXPECT_EQ(read(file("real/settings.reg")), "first");
  replaceFile(file("settings.reg"), "second", options);
  EXPECT_EQ(read(file("real/settings.reg")), "second");
}

TEST_F(AtomicFileTest, ModesBackupsAndTheOldFilesPermissions) {
  write(file("d.kvd"), "v1");
  fs::permissions(file("d.kvd"), fs::perms::owner_read | fs::perms::owner_write);
  AtomicWriteOptions keep;
  keep.keepMode = true;
  keep.keepBackup = true;
  replaceFile(file("d.kvd"), "v2", keep);
  EXPECT_EQ(read(file("d.kvd")), "v2");
  EXPECT_EQ(read(file("d.kvd.bak")), "v1");
  EXPECT_EQ(perms(file("d.kvd")), fs::perms::owner_read | fs::perms::owner_write);

  const mode_t mask = ::umask(022);
  replaceFile(file("d.kvd"), "v3"); // a report does not inherit the old file's mode
  EXPECT_EQ(perms(file("d.kvd")), static_cast<fs::perms>(0644));
  AtomicWriteOptions secret;
  secret.mode = 0600;
  replaceFile(file("s.reg"), "x", secret);
  ::umask(mask);
  EXPECT_EQ(perms(file("s.reg")), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(AtomicFileTest, FailuresLeaveTheOldFileAndNoTemporary) {
  write(file("a.txt"), "old");
  {
    AtomicFile dropped(file("a.txt"));
    dropped.write("half");
  } // never committed
  EXPECT_EQ(read(file("a.txt")), "old");
  EXPECT_EQ(entries(), 1u);

  // A full disk: the commit's flush fails, the temporary goes and the old file stays.
  if (fs::exists("/dev/full")) {
    AtomicFile file1(file("a.txt"));
    ASSERT_NE(std::freopen("/dev/full", "wb", file1.stream()), nullptr);
    file1.write("x"); // buffered: the flush in commit() meets the full disk
    EXPECT_THROW(file1.commit(), AtomicFileError);
    EXPECT_EQ(read(file("a.txt")), "old");
  }

  fs::create_directory(file("sub"));
  try {
    replaceFile(file("sub"), "x");
    ADD_FAILURE() << "a folder was replaced";
  } catch (const AtomicFileError &e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot write the file \"" + file("sub") + "\": it is a folder, not a file");
  }
  EXPECT_TRUE(fs::is_directory(file("sub")));
  ::mkfifo(file("pipe").c_str(), 0600);
  EXPECT_THROW(replaceFile(file("pipe"), "x"), AtomicFileError);
  EXPECT_EQ(fs::status(file("pipe")).type(), fs::file_type::fifo);

  if (::geteuid() != 0) { // a folder that cannot be written to
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    try {
      replaceFile(file("a.txt"), "new");
      ADD_FAILURE() << "the write succeeded";
    } catch (const AtomicFileError &e) {
      EXPECT_EQ(e.step(), AtomicFileError::Step::Create);
      EXPECT_EQ(e.error(), EACCES);
    }
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(read(file("a.txt")), "old");
  }
  EXPECT_EQ(entries(), 3u); // a.txt, sub, pipe
}

} // namespace
} // namespace brevant
