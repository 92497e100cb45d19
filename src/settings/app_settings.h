#pragma once
// Where the program keeps its settings, the names and defaults of the stored values, and
// AppSettings: the copy of the options the report engine uses, read once at start-up.

#include <cstdint>
#include <string>

namespace brevant {

inline constexpr const char *kCompanyName = "Velkora";
inline constexpr const char *kProductName = "Brevant";

// "SOFTWARE\Velkora\" + product name + "\Options", below HKEY_CURRENT_USER.
std::string settingsKeyPath();
// "SOFTWARE\Velkora\" + product name + "\Recent Files", the sibling of the settings key.
std::string recentFilesKeyPath();

// Value names under the settings key.
inline constexpr const char *kFontNameValue = "FontName";
inline constexpr const char *kFontSizeValue = "FontSize";
inline constexpr const char *kDefaultDirectoryValue = "DefaultDirectory";
inline constexpr const char *kLogEditorValue = "LogEditor";
inline constexpr const char *kConnectionTimeoutValue = "ConnectionTimeout";
inline constexpr const char *kCommandTimeoutValue = "CommandTimeout";
inline constexpr const char *kEnableAddinsValue = "EnableAddins";
inline constexpr const char *kEnableAutoMacroValue = "EnableAutoMacro";
inline constexpr const char *kShowTipsValue = "ShowTips";
inline constexpr const char *kWindowStateValue = "WindowState";
inline constexpr const char *kLeftValue = "Left";
inline constexpr const char *kTopValue = "Top";
inline constexpr const char *kHeightValue = "Height";
inline constexpr const char *kWidthValue = "Width";
// Under the recent-files key: "File1" to "File5".
inline constexpr const char *kRecentFileValuePrefix = "File";
inline constexpr int kRecentFileCount = 5;

// Defaults on read.
inline constexpr int32_t kDefaultConnectionTimeout = 15;
inline constexpr int32_t kDefaultCommandTimeout = 0;
inline constexpr int32_t kDefaultShowTips = 1;
inline constexpr int32_t kDefaultWindowState = 0; // 0 normal, 1 minimised, 2 maximised
inline constexpr int32_t kDefaultLeft = 105;      // twips
inline constexpr int32_t kDefaultTop = 105;
inline constexpr int32_t kDefaultHeight = 9000;
inline constexpr int32_t kDefaultWidth = 12000;

struct AppSettings {
  int32_t ConnectionTimeout = kDefaultConnectionTimeout; // seconds
  int32_t CommandTimeout = kDefaultCommandTimeout;       // seconds, 0 waits without limit
  bool EnableAddins = false;
  bool EnableAutoMacro = false;
};

// Reads the four options from the settings key; each missing or unreadable value takes its
// default, and EnableAddins / EnableAutoMacro are on only when the stored number is 1.
[[nodiscard]] AppSettings loadAppSettings();

// Stores the four options as numbers (the switches as 1 or 0).
void saveAppSettings(const AppSettings &settings);

} // namespace brevant
