#include "settings/app_settings.h"

#include "settings/registry.h"

namespace brevant {

std::string settingsKeyPath() {
  return std::string("SOFTWARE\\") + kCompanyName + "\\" + kProductName + "\\Options";
}

std::string recentFilesKeyPath() {
  return std::string("SOFTWARE\\") + kCompanyName + "\\" + kProductName + "\\Recent Files";
}

AppSettings loadAppSettings() {
  const std::string key = settingsKeyPath();
  AppSettings settings;
  settings.ConnectionTimeout =
      RegGetNumber(Hive::CurrentUser, key, kConnectionTimeoutValue, kDefaultConnectionTimeout);
  settings.CommandTimeout =
      RegGetNumber(Hive::CurrentUser, key, kCommandTimeoutValue, kDefaultCommandTimeout);
  settings.EnableAddins = RegGetNumber(Hive::CurrentUser, key, kEnableAddinsValue, 0) == 1;
  settings.EnableAutoMacro = RegGetNumber(Hive::CurrentUser, key, kEnableAutoMacroValue, 0) == 1;
  return settings;
}

void saveAppSettings(const AppSettings &settings) {
  const std::string key = settingsKeyPath();
  RegSaveNumber(Hive::CurrentUser, key, kConnectionTimeoutValue, settings.ConnectionTimeout);
  RegSaveNumber(Hive::CurrentUser, key, kCommandTimeoutValue, settings.CommandTimeout);
  RegSaveNumber(Hive::CurrentUser, key, kEnableAddinsValue, settings.EnableAddins ? 1 : 0);
  RegSaveNumber(Hive::CurrentUser, key, kEnableAutoMacroValue, settings.EnableAutoMacro ? 1 : 0);
}

} // namespace brevant
