#pragma once
// The recent-files list of the File menu: five entries, the ones in use (visible and enabled)
// always first, most recently opened first. Slot 0 shows "(Empty)", disabled, until a file is
// opened. The list is stored under the settings' "Recent Files" key as File1 to File5.

#include <array>
#include <string>

namespace brevant {

struct RecentFileSlot {
  std::string caption;
  bool visible = false;
  bool enabled = false;
  [[nodiscard]] bool inUse() const { return visible && enabled; }
};

constexpr int kRecentFileSlots = 5;

struct RecentFileList {
  std::array<RecentFileSlot, kRecentFileSlots> entries;

  RecentFileList() { entries[0] = {"(Empty)", true, false}; }

  // AddRecentFileItem: `path` goes to the top; an entry equal to it (exact letter case) moves up
  // instead of being repeated; when all five are in use the last one falls off.
  void add(const std::string &path);

  // Reads File1.. from the settings, stopping at the first empty value.
  void load();
  // Writes one value per slot in use, in order; values beyond them are left as they are.
  void save() const;
};

} // namespace brevant
