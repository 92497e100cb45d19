#include "workspace/recent_files.h"

#include "settings/app_settings.h"
#include "settings/registry.h"

namespace brevant {
namespace {

std::string valueName(int n) { return kRecentFileValuePrefix + std::to_string(n); }

} // namespace

void RecentFileList::add(const std::string &path) {
  int i = 0;
  while (i < kRecentFileSlots && entries[i].caption != path && entries[i].inUse())
    ++i;
  if (i < kRecentFileSlots) {
    entries[i].visible = true;
    entries[i].enabled = true;
  }
  const int k = i < kRecentFileSlots - 1 ? i : kRecentFileSlots - 1;
  for (int j = k; j >= 1; --j)
    entries[j].caption = entries[j - 1].caption;
  entries[0].caption = path;
  entries[0].enabled = true;
}

void RecentFileList::load() {
  const std::string key = recentFilesKeyPath();
  for (int n = 1; n <= kRecentFileSlots; ++n) {
    const std::string path = RegGetString(Hive::CurrentUser, key, valueName(n), "");
    if (path.empty())
      break;
    entries[n - 1] = {path, true, true};
  }
}

void RecentFileList::save() const {
  const std::string key = recentFilesKeyPath();
  for (int i = 0; i < kRecentFileSlots; ++i) {
    if (!entries[i].inUse())
      break;
    RegSaveString(Hive::CurrentUser, key, valueName(i + 1), entries[i].caption);
  }
}

} // namespace brevant
