#pragma once
// The File menu's "Recent Files" submenu, as the main window and the editor window both show it:
// one item per slot of the recent-files list, named mnuFRecentFile(0) to mnuFRecentFile(4), each
// showing its slot's caption and being visible and enabled as the slot is.

#include "workspace/recent_files.h"

#include <array>
#include <functional>

class QAction;
class QMenu;

namespace brevant {

class RecentFilesMenu {
public:
  // Adds the submenu at the end of `fileMenu`; choosing item i calls `open(i)`.
  RecentFilesMenu(QMenu *fileMenu, std::function<void(int)> open);

  // Shows the list's entries.
  void show(const RecentFileList &list);

  QMenu *menu() const { return menu_; }
  QAction *item(int index) const { return items_.at(static_cast<size_t>(index)); }

private:
  QMenu *menu_;
  std::array<QAction *, kRecentFileSlots> items_{};
};

} // namespace brevant
