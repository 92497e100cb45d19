#include "frontends/workspace_start.h"

#include "base/paths.h"
#include "base/tokenizer.h"
#include "desktop/error_box.h"
#include "desktop/prompt.h"
#include "desktop/workspace_state.h"
#include "settings/app_settings.h"
#include "settings/registry.h"
#include "workspace/app_icon.h"
#include "workspace/frm_main.h"
#include "workspace/frm_tip.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>
#include <memory>

namespace brevant {
namespace {

bool displayAvailable() {
  for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    if (const char *value = std::getenv(name); value != nullptr && *value != '\0')
      return true;
  return false;
}

} // namespace

int startWorkspace(const CommandLine &line, const ProgramEnvironment &environment) {
  if (!displayAvailable()) {
    std::cerr << "brevant: no display to open the workspace on; run a report in batch with -C.\n"
              << usageText();
    return 2;
  }
  // Qt reads no options of ours: it only sees the program's name.
  static int argc = 1;
  static char name[] = "brevant";
  static char *argv[] = {name, nullptr};
  QApplication application(argc, argv);
  QApplication::setApplicationName(kProductName);
  QApplication::setOrganizationName(kCompanyName);
  QApplication::setDesktopFileName("brevant");
  QApplication::setWindowIcon(applicationIcon(environment.programFolder));

  Workspace workspace;
  workspace.environment = environment;

  if (environment.fileTypes.empty())
    showInformation(nullptr,
                    QString::fromStdString("The file \"" +
                                           joinPath(environment.programFolder, "kvdconv.cfg") +
                                           "\" does not exist. You can not convert file format."));

  std::unique_ptr<FrmMain> main;
  try {
    main = std::make_unique<FrmMain>(workspace);
  } catch (const std::exception &e) {
    ShowErrorMessage(e.what());
    return 2;
  }
  main->show();

  if (RegGetNumber(Hive::CurrentUser, settingsKeyPath(), kShowTipsValue, kDefaultShowTips) != 0) {
    FrmTip tip(environment.programFolder, main.get());
    tip.exec();
  }
  if (!line.definitionFile.empty())
    main->OpenFile(line.definitionFile);
  return application.exec();
}

} // namespace brevant
