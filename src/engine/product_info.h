#pragma once
// The program's own version information, as the run log's opening lines show it.

#include "settings/app_settings.h" // kProductName

namespace brevant {

constexpr int kVersionMajor = 1;
constexpr int kVersionMinor = 0;
constexpr int kVersionRevision = 0;
constexpr const char *kLegalNotice = "Copyright (C) 2026 Velkora. All rights reserved.";

} // namespace brevant
