#include "workspace/recent_files.h"

#include "settings/app_settings.h"
#include "settings/registry.h"
#include "workspace_fixture.h"

#include <gtest/gtest.h>

namespace brevant {
namespace {

std::vector<std::string> inUse(const RecentFileList &list) {
  std::vector<std::string> paths;
  for (const RecentFileSlot &slot : list.entries)
    if (slot.inUse())
      paths.push_back(slot.caption);
  return paths;
}

using Paths = std::vector<std::string>;

TEST(RecentFiles, StartsWithADisabledEmptyEntry) {
  RecentFileList list;
  EXPECT_EQ(list.entries[0].caption, "(Empty)");
  EXPECT_TRUE(list.entries[0].visible);
  EXPECT_FALSE(list.entries[0].enabled);
  EXPECT_TRUE(inUse(list).empty());
}

TEST(RecentFiles, NewestFirstWithoutRepeatsAndAtMostFive) {
  RecentFileList list;
  for (const char *p : {"/r/a.kvd", "/r/b.kvd", "/r/c.kvd"})
    list.add(p);
  EXPECT_EQ(inUse(list), (Paths{"/r/c.kvd", "/r/b.kvd", "/r/a.kvd"}));

  list.add("/r/a.kvd"); // already listed: moves up
  EXPECT_EQ(inUse(list), (Paths{"/r/a.kvd", "/r/c.kvd", "/r/b.kvd"}));

  list.add("/r/A.kvd"); // another letter case is another file
  EXPECT_EQ(inUse(list).size(), 4u);

  for (const char *p : {"/r/d.kvd", "/r/e.kvd"})
    list.add(p);
  // The sixth distinct file pushes the least recent one out.
  EXPECT_EQ(inUse(list), (Paths{"/r/e.kvd", "/r/d.kvd", "/r/A.kvd", "/r/a.kvd", "/r/c.kvd"}));

  list.add("/r/c.kvd"); // the last one moves to the top of a full list
  EXPECT_EQ(inUse(list), (Paths{"/r/c.kvd", "/r/e.kvd", "/r/d.kvd", "/r/A.kvd", "/r/a.kvd"}));
}

TEST(RecentFiles, LoadStopsAtTheFirstEmptyValueAndSaveWritesOnlyTheEntriesInUse) {
  testing::TempFolder folder;
  ::setenv("BREVANT_SETTINGS", folder.file("s.reg").c_str(), 1);
  const std::string key = recentFilesKeyPath();
  RegSaveString(Hive::CurrentUser, key, "File1", "/r/one.kvd");
  RegSaveString(Hive::CurrentUser, key, "File3", "/r/three.kvd");
  RegSaveString(Hive::CurrentUser, key, "File4", "/r/four.kvd");

  RecentFileList list;
  list.load();
  EXPECT_EQ(inUse(list), (Paths{"/r/one.kvd"}));

  list.add("/r/two.kvd");
  list.save();
  EXPECT_EQ(RegGetString(Hive::CurrentUser, key, "File1", ""), "/r/two.kvd");
  EXPECT_EQ(RegGetString(Hive::CurrentUser, key, "File2", ""), "/r/one.kvd");
  // Beyond the entries in use the store keeps what it had.
  EXPECT_EQ(RegGetString(Hive::CurrentUser, key, "File3", ""), "/r/three.kvd");
}

} // namespace
} // namespace brevant
