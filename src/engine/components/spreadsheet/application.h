#pragma once
// The spreadsheet application, as its Application object. There is no process to drive: the
// display and interaction flags are kept and read back, and the calculation mode decides
// whether saved workbooks ask to be recalculated when they are opened.

#include <string>
#include <utility>

#include "engine/components/spreadsheet/workbooks.h"

namespace brevant {

namespace xlCalculation {
constexpr int xlCalculationAutomatic = -4105;
constexpr int xlCalculationManual = -4135;
constexpr int xlCalculationSemiautomatic = 2;
} // namespace xlCalculation

class Application {
public:
  Application();
  ~Application();

  std::string Version() const { return "16.0"; }
  [[nodiscard]] bool Visible() const { return visible_; }
  void setVisible(bool on) { visible_ = on; }
  [[nodiscard]] bool DisplayAlerts() const { return displayAlerts_; }
  void setDisplayAlerts(bool on) { displayAlerts_ = on; }
  [[nodiscard]] bool Interactive() const { return interactive_; }
  void setInteractive(bool on) { interactive_ = on; }
  [[nodiscard]] bool ScreenUpdating() const { return screenUpdating_; }
  void setScreenUpdating(bool on) { screenUpdating_ = on; }
  int Calculation() const { return calculation_; }
  void setCalculation(int mode);
  [[nodiscard]] bool CalculateBeforeSave() const { return calculateBeforeSave_; }
  void setCalculateBeforeSave(bool on) { calculateBeforeSave_ = on; }
  // The program's folder, and the folder of workbooks opened at start (none are).
  std::string Path() const;
  std::string StartupPath() const;
  brevant::Workbooks &Workbooks() { return workbooks_; }
  // Closes every workbook without saving.
  void Quit();

  // LibreOffice makes the formats the engine does not write itself: the program (a name looked
  // up on PATH, or a path) and how long one conversion may take before it is stopped.
  const std::string &ConverterProgram() const { return converterProgram_; }
  void setConverterProgram(std::string program) { converterProgram_ = std::move(program); }
  double ConversionTimeout() const { return conversionTimeout_; }
  void setConversionTimeout(double seconds) { conversionTimeout_ = seconds; }

private:
  bool visible_ = false;
  bool displayAlerts_ = true;
  bool interactive_ = true;
  bool screenUpdating_ = true;
  int calculation_ = xlCalculation::xlCalculationAutomatic;
  bool calculateBeforeSave_ = true;
  std::string converterProgram_ = "soffice";
  double conversionTimeout_ = 120;
  brevant::Workbooks workbooks_;
};

} // namespace brevant
