#pragma once
// "Configuration": the modal dialog that edits everything of the current report definition but
// its script: the file names, file type and protection, the data sources and the parameters.
// It works on a copy; only OK writes the copy back and decides whether the definition changed.
// A new dialog is made for every opening.

#include "definition/report_definition.h"

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabBar;

namespace brevant {

class ChangeFlags;
class FrmDataSource;
class FrmParameter;
struct FileType;
struct Workspace;

class FrmConfiguration : public QDialog {
  Q_OBJECT
public:
  static constexpr int kFileTab = 1;
  static constexpr int kDataSourceTab = 2;
  static constexpr int kParameterTab = 3;

  FrmConfiguration(Workspace &workspace, QWidget *parent = nullptr);
  ~FrmConfiguration() override;

  // The rows as the dialog holds them, in list order.
  const std::vector<DataSource> &dataSourceRows() const { return dataSources_; }
  const std::vector<ReportParameter> &parameterRows() const { return parameters_; }
  // The selected row, or -1.
  int selectedDataSource() const;
  int selectedParameter() const;
  void selectDataSource(int row);
  void selectParameter(int row);
  // Used by the row editors. Appending selects the new row; a full list takes no more rows.
  void appendDataSource(const DataSource &row);
  void replaceDataSource(int row, const DataSource &values);
  void appendParameter(const ReportParameter &row);
  void replaceParameter(int row, const ReportParameter &values);
  void SetDataSourceChanged();
  void SetParameterChanged();
  bool dataSourcesChanged() const { return dataSourcesChanged_; }
  bool parametersChanged() const { return parametersChanged_; }

  // Opens the data source described by the four texts and says whether that worked.
  void TestDataSource(const std::string &name, const std::string &user, const std::string &password,
                      const std::string &connectionString);
  // Gives the report file name the extension of the chosen file type.
  void NormalizeReportFileName();

  int currentTab() const; // kFileTab, kDataSourceTab or kParameterTab
  void selectTab(int tab);

  // What the controls do. Leaving the template box fills in the report and log names it implies;
  // leaving the report box or choosing a file type normalizes the report name.
  void applyTemplateFileDefaults();
  // The "..." buttons: a file dialog for the template, the report and the log file.
  void chooseTemplateFile();
  void chooseReportFile();
  void chooseLogFile();
  // New, Edit (also a double click on a row), Delete and Test beside the data-source list.
  void addDataSource();
  void editDataSource();
  void deleteDataSource();
  void testSelectedDataSource();
  // New, Edit (also a double click on a row) and Delete beside the parameter list.
  void addParameter();
  void editParameter();
  void deleteParameter();
  // OK: checks the file names and passwords, then writes the copy back and closes; a check that
  // fails says why and leaves the dialog open at the box to correct.
  void accept() override;

  FrmDataSource &dataSourceEditor();
  FrmParameter &parameterEditor();

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  QWidget *buildFilePage();
  QWidget *buildDataSourcePage();
  QWidget *buildParameterPage();
  void load();
  void tabClicked(int index);
  void SetButtons();
  void applyProtectionRule();
  void optionClicked();
  const FileType *selectedFileType() const;
  std::string definitionFolder() const;
  void setText(QLineEdit *box, const std::string &text);
  // Puts a chosen file into a box: the bare name when it lies in the definition's folder.
  void placeChosenFile(QLineEdit *box, const QString &chosen);
  bool validate();
  void writeBack();
  void refreshList(QListWidget *list, const std::vector<std::string> &names);
  void refreshDataSourceList();
  void refreshParameterList();
  bool deleteRow(QListWidget *list, const char *question);

  Workspace &workspace_;
  ChangeFlags *changes_;
  std::vector<DataSource> dataSources_;
  std::vector<ReportParameter> parameters_;
  bool dataSourcesChanged_ = false;
  bool parametersChanged_ = false;
  FrmDataSource *frmDataSource_ = nullptr;
  FrmParameter *frmParameter_ = nullptr;

  QTabBar *tabConfiguration_;
  QStackedWidget *fraConfiguration_;
  QLineEdit *txtTemplateFile_;
  QLineEdit *txtReportFile_;
  QLineEdit *txtLogFile_;
  QComboBox *cboFileType_;
  // The item that shows a stored file type this program's table does not list; -1 when none.
  int unlistedFileTypeItem_ = -1;
  QCheckBox *chkProtectReport_;
  QRadioButton *optInputPwd_;
  QRadioButton *optRptPwd_;
  QLineEdit *txtRptPwd_;
  QListWidget *lstDataSource_;
  QPushButton *cmdAddDS_;
  QPushButton *cmdModifyDS_;
  QPushButton *cmdDeleteDS_;
  QPushButton *cmdTestDS_;
  QCheckBox *chkEncryptPwd_;
  QListWidget *lstParameter_;
  QPushButton *cmdAddPara_;
  QPushButton *cmdModifyPara_;
  QPushButton *cmdDeletePara_;
};

} // namespace brevant
