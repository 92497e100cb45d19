// libFuzzer target: arbitrary bytes through the package reader and the workbook loader. Every
// input must either open or fail with a SpreadsheetError; nothing may crash or leak.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/package/package.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace brevant;
  std::string_view bytes(reinterpret_cast<const char *>(data), size);
  brevant::ZipLimits limits{64u << 20, 256u << 20, 4096};
  try {
    Package pkg = Package::fromBytes(bytes, limits);
    for (const auto &name : pkg.names())
      (void)pkg.read(name);
  } catch (const SpreadsheetError &) {
  }
  // The whole loader, from a file as the report run opens templates.
  static const std::string path = "/tmp/brevant-fuzz-" + std::to_string(getpid()) + ".xlsx";
  if (FILE *f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    try {
      Application app;
      app.Workbooks().setLimits(limits);
      Workbook &wb = app.Workbooks().Open(path);
      wb.Worksheets(1).Range("A1").Text();
      wb.SaveAs(path + ".out.xlsx", 51);
    } catch (const SpreadsheetError &) {
    }
  }
  return 0;
}
