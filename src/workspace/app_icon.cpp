#include "workspace/app_icon.h"

#include "base/paths.h"

#include <QFileInfo>
#include <QPainter>
#include <QPixmap>

namespace brevant {

QIcon applicationIcon(const std::string &programFolder) {
  const QString file = QString::fromStdString(joinPath(programFolder, "brevant.png"));
  if (QFileInfo::exists(file))
    return QIcon(file);
  // A sheet with a green header row, so that the window never goes without an icon.
  QPixmap pixmap(64, 64);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Qt::white);
  painter.setPen(QPen(QColor(0x1e, 0x6b, 0x3a), 3));
  painter.drawRoundedRect(6, 6, 52, 52, 6, 6);
  painter.fillRect(8, 8, 48, 12, QColor(0x1e, 0x6b, 0x3a));
  return QIcon(pixmap);
}

} // namespace brevant
