#include "workspace/window_placement.h"

#include "settings/app_settings.h"
#include "settings/registry.h"

#include <cmath>

namespace brevant {
namespace {

int32_t number(const char *name, int32_t fallback) {
  return RegGetNumber(Hive::CurrentUser, settingsKeyPath(), name, fallback);
}

void store(const char *name, int32_t value) {
  RegSaveNumber(Hive::CurrentUser, settingsKeyPath(), name, value);
}

} // namespace

WindowPlacement loadWindowPlacement() {
  WindowPlacement p;
  p.state = number(kWindowStateValue, kDefaultWindowState);
  if (p.state == kWindowMinimised)
    p.state = kWindowNormal;
  p.left = number(kLeftValue, kDefaultLeft);
  p.top = number(kTopValue, kDefaultTop);
  p.height = number(kHeightValue, kDefaultHeight);
  p.width = number(kWidthValue, kDefaultWidth);
  return p;
}

void saveWindowPlacement(const WindowPlacement &p) {
  switch (p.state) {
  case kWindowMinimised:
    store(kWindowStateValue, kWindowNormal);
    break;
  case kWindowMaximised:
    store(kWindowStateValue, kWindowMaximised);
    break;
  default:
    store(kLeftValue, p.left);
    store(kTopValue, p.top);
    store(kHeightValue, p.height);
    store(kWidthValue, p.width);
    store(kWindowStateValue, kWindowNormal);
    break;
  }
}

int32_t pixelsToTwips(double pixels, double dpi) {
  if (dpi <= 0)
    dpi = 96;
  return static_cast<int32_t>(std::lround(pixels * 1440.0 / dpi));
}

int twipsToPixels(int32_t twips, double dpi) {
  if (dpi <= 0)
    dpi = 96;
  return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

} // namespace brevant
