#include "engine/components/spreadsheet/application.h"

#include <unistd.h>

#include <climits>

#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {

Application::Application() : workbooks_(*this) {}

Application::~Application() = default;

void Application::setCalculation(int mode) {
  using namespace xlCalculation;
  if (mode != xlCalculationAutomatic && mode != xlCalculationManual &&
      mode != xlCalculationSemiautomatic)
    throw SpreadsheetError("The calculation mode " + std::to_string(mode) + " is not valid.");
  calculation_ = mode;
}

std::string Application::Path() const {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0)
    return ".";
  std::string exe(buf, static_cast<size_t>(n));
  size_t slash = exe.rfind('/');
  return slash == std::string::npos || slash == 0 ? "/" : exe.substr(0, slash);
}

std::string Application::StartupPath() const { return Path() + "/XLSTART"; }

void Application::Quit() { workbooks_.closeAll(); }

} // namespace brevant
