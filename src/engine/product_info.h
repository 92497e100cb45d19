#pragma once
// The program's own version information, as the run log's opening lines show it. The numbers
// come from the project's version in CMakeLists.txt (the generated brevant_version.h).

#include "brevant_version.h"
#include "settings/app_settings.h" // kProductName

namespace brevant {

constexpr int kVersionMajor = BREVANT_VERSION_MAJOR;
constexpr int kVersionMinor = BREVANT_VERSION_MINOR;
constexpr int kVersionRevision = BREVANT_VERSION_PATCH;
constexpr const char *kVersionText = BREVANT_VERSION;
constexpr const char *kLegalNotice = "Copyright (C) 2026 Velkora. All rights reserved.";

} // namespace brevant
