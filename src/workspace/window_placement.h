#pragma once
// The main window's placement in the settings: its state and, for the normal state, its edges
// and size in twips (1/1440 inch).

#include <cstdint>

namespace brevant {

enum WindowStateCode : int32_t { kWindowNormal = 0, kWindowMinimised = 1, kWindowMaximised = 2 };

struct WindowPlacement {
  int32_t state = kWindowNormal;
  int32_t left = 0, top = 0, height = 0, width = 0; // twips
};

// What the window opens with: a stored minimised state opens normal; missing values take the
// defaults (normal, 105, 105, 9000 x 12000).
[[nodiscard]] WindowPlacement loadWindowPlacement();

// What the window leaves behind: normal writes the four edges and state 0, minimised only state
// 0, maximised only state 2, so that the last normal placement survives.
void saveWindowPlacement(const WindowPlacement &placement);

// Screen pixels and twips at the given logical resolution (dots per inch).
int32_t pixelsToTwips(double pixels, double dpi);
int twipsToPixels(int32_t twips, double dpi);

} // namespace brevant
