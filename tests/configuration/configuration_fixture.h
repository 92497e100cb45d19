#pragma once
// Opens the configuration dialog on the workspace's definition and reaches its controls by name.

#include "configuration/frm_configuration.h"
#include "workspace/workspace_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <memory>

namespace brevant::testing {

class ConfigurationTest : public WorkspaceTest {
protected:
  FrmConfiguration &open() {
    dialog = std::make_unique<FrmConfiguration>(workspace);
    return *dialog;
  }
  template <typename T = QWidget> T *control(const char *name) {
    T *found = dialog->findChild<T *>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QLineEdit *box(const char *name) { return control<QLineEdit>(name); }
  QPushButton *button(const char *name) { return control<QPushButton>(name); }
  QCheckBox *check(const char *name) { return control<QCheckBox>(name); }
  QRadioButton *option(const char *name) { return control<QRadioButton>(name); }
  QComboBox *fileTypes() { return control<QComboBox>("cboFileType"); }
  QListWidget *list(const char *name) { return control<QListWidget>(name); }
  // The file-type list's item of a type of kvdconv.cfg.
  int fileTypeItem(const char *typeName) {
    return findFileType(workspace.environment.fileTypes, typeName) + 1;
  }

  void addDataSources(int count) {
    ReportDefinition &def = workspace.definition;
    def.dataSourceCount = static_cast<int16_t>(count);
    for (int i = 0; i < count; ++i)
      def.dataSources[static_cast<size_t>(i)] = {"ds" + std::to_string(i + 1), "user", "pw", ""};
  }
  void addParameters(int count) {
    ReportDefinition &def = workspace.definition;
    def.parameterCount = static_cast<int16_t>(count);
    for (int i = 0; i < count; ++i)
      def.parameters[static_cast<size_t>(i)] = {"%P" + std::to_string(i + 1) + "%", "", ""};
  }

  std::unique_ptr<FrmConfiguration> dialog;
};

} // namespace brevant::testing
