#pragma once
// The application's collection of open workbooks.

#include <memory>
#include <string>
#include <vector>

#include "engine/components/spreadsheet/workbook.h"

namespace brevant {

class Application;

class Workbooks {
public:
  explicit Workbooks(Application &app) : app_(&app) {}
  // Opens a workbook read-only; it stays open until closed or the application quits.
  Workbook &Open(const std::string &path);
  int32_t Count() const;
  void closeAll();
  // Limits for the packages opened from now on (tests lower them).
  void setLimits(const ZipLimits &limits) { limits_ = limits; }

private:
  Application *app_;
  std::vector<std::unique_ptr<Workbook>> books_;
  ZipLimits limits_;
};

} // namespace brevant
