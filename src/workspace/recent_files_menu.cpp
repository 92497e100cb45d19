#include "workspace/recent_files_menu.h"

#include <QAction>
#include <QMenu>

#include <memory>
#include <utility>

namespace brevant {

RecentFilesMenu::RecentFilesMenu(QMenu *fileMenu, std::function<void(int)> open)
    : menu_(fileMenu->addMenu("Recent &Files")) {
  menu_->setObjectName("mnuFRecentFiles");
  menu_->menuAction()->setObjectName("mnuFRecentFiles");
  const auto shared = std::make_shared<std::function<void(int)>>(std::move(open));
  for (int i = 0; i < kRecentFileSlots; ++i) {
    QAction *item = menu_->addAction(QString());
    item->setObjectName(QString("mnuFRecentFile(%1)").arg(i));
    QObject::connect(item, &QAction::triggered, menu_, [shared, i] { (*shared)(i); });
    items_[static_cast<size_t>(i)] = item;
  }
}

void RecentFilesMenu::show(const RecentFileList &list) {
  for (size_t i = 0; i < items_.size(); ++i) {
    const RecentFileSlot &slot = list.entries[i];
    items_[i]->setText(QString::fromStdString(slot.caption));
    items_[i]->setVisible(slot.visible);
    items_[i]->setEnabled(slot.enabled);
  }
}

} // namespace brevant
