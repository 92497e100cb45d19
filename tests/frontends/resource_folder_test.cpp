#include "frontends/resource_folder.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

namespace fs = std::filesystem;

class ResourceFolder : public ::testing::Test {
protected:
  testing::TempFolder root;
  std::string bin = root.file("usr/bin");
  std::string share = root.file("usr/share/brevant");
  void SetUp() override {
    fs::create_directories(bin);
    fs::create_directories(share);
  }
};

TEST_F(ResourceFolder, BesideTheExecutableComesFirst) {
  testing::writeBytes(bin + "/kvdconv.cfg", "");
  testing::writeBytes(share + "/kvdconv.cfg", "");
  EXPECT_EQ(resourceFolderFor(bin), bin);
}

TEST_F(ResourceFolder, InstalledDataFolderRelativeToTheExecutable) {
  testing::writeBytes(share + "/kvdconv.cfg", "");
  EXPECT_EQ(resourceFolderFor(bin), share);
  // Any one of the files marks the folder: here only the help is installed.
  fs::remove(share + "/kvdconv.cfg");
  fs::create_directories(share + "/help");
  testing::writeBytes(share + "/help/index.html", "");
  EXPECT_EQ(resourceFolderFor(bin), share);
}

TEST_F(ResourceFolder, NeitherFolderNamesTheExecutablesOwn) {
  fs::create_directories(share + "/kvdconv.cfg"); // a folder of that name is no file
  EXPECT_EQ(resourceFolderFor(bin), bin);
}

} // namespace
} // namespace brevant
