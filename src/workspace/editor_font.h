#pragma once
// The font of the script editor: a fixed-pitch design font, replaced by the "FontName" and
// "FontSize" settings when they are stored. The options page's sample starts from the same font.

#include <QFont>

#include <cstdint>

namespace brevant {

// The system's fixed-pitch font at 10 points.
QFont editorDesignFont();
// A point size a font can take here.
[[nodiscard]] bool usableFontSize(int32_t points);
// The design font with the stored name and size applied.
QFont storedEditorFont();

} // namespace brevant
