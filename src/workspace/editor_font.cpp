#include "workspace/editor_font.h"

#include "settings/app_settings.h"
#include "settings/registry.h"

#include <QFontDatabase>

#include <cmath>

namespace brevant {

QFont editorDesignFont() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(10);
  return font;
}

bool usableFontSize(int32_t points) { return points > 0 && points < 400; }

QFont storedEditorFont() {
  QFont font = editorDesignFont();
  const std::string key = settingsKeyPath();
  const std::string name =
      RegGetString(Hive::CurrentUser, key, kFontNameValue, font.family().toStdString());
  const int32_t size = RegGetNumber(Hive::CurrentUser, key, kFontSizeValue,
                                    static_cast<int32_t>(std::lround(font.pointSizeF())));
  if (!name.empty())
    font.setFamily(QString::fromStdString(name));
  if (usableFontSize(size))
    font.setPointSize(size);
  return font;
}

} // namespace brevant
