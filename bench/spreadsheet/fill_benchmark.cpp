// Writes ROWS rows x 10 mixed columns (numbers, text, dates) into a loaded template and saves it
// as .xlsx, then has libxlsxwriter (constant-memory mode) write the same cells to a new file.
// Each run happens in its own child process so that peak memory is measured separately.
//   bench_spreadsheet_fill [rows] [folder]
// Also times opening and saving the small template unchanged.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/package/zip_writer.h"

#ifdef BREVANT_HAVE_XLSXWRITER
#include <xlsxwriter.h>
#endif

using namespace brevant;

namespace {

constexpr const char *kCategories[] = {"North", "South", "East", "West", "Central"};

void makeTemplate(const std::string &path) {
  ZipWriter zip(path);
  zip.addData("[Content_Types].xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
              "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
              "<Default Extension=\"rels\" "
              "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
              "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
              "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
              "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
              "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/"
              "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/></Types>");
  zip.addData("_rels/.rels",
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
              "relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats."
              "org/officeDocument/2006/relationships/officeDocument\" "
              "Target=\"xl/workbook.xml\"/></Relationships>");
  zip.addData("xl/workbook.xml",
              "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
              "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
              "<sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
  zip.addData("xl/_rels/workbook.xml.rels",
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
              "relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats."
              "org/officeDocument/2006/relationships/worksheet\" "
              "Target=\"worksheets/sheet1.xml\"/></Relationships>");
  zip.addData("xl/worksheets/sheet1.xml",
              "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
              "<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Id</t></is></c>"
              "</row></sheetData></worksheet>");
  zip.finish();
}

double seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs `work` in a child; returns its time in seconds and peak memory in MB.
template <typename F> std::pair<double, double> measure(F work) {
  int pipefd[2];
  if (pipe(pipefd) != 0)
    std::exit(1);
  pid_t pid = fork();
  if (pid == 0) {
    close(pipefd[0]);
    auto start = std::chrono::steady_clock::now();
    work();
    double t = seconds(start);
    if (write(pipefd[1], &t, sizeof t) != sizeof t)
      _exit(1);
    _exit(0);
  }
  close(pipefd[1]);
  double t = -1;
  if (read(pipefd[0], &t, sizeof t) != sizeof t)
    t = -1;
  close(pipefd[0]);
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  return {t, usage.ru_maxrss / 1024.0};
}

void fillOurs(const std::string &templatePath, const std::string &out, int rows) {
  Application app;
  Workbook &wb = app.Workbooks().Open(templatePath);
  Worksheet &ws = wb.Worksheets(1);
  std::string name;
  for (int r = 0; r < rows; ++r) {
    int32_t row = r + 2;
    name = "Customer " + std::to_string(r);
    ws.writeValue(row, 1, int64_t{r});
    ws.writeValue(row, 2, name);
    ws.writeValue(row, 3, std::string(kCategories[r % 5]));
    ws.writeValue(row, 4, r * 1.25);
    ws.writeValue(row, 5,
                  DateValue{static_cast<int16_t>(2000 + r % 24), static_cast<uint8_t>(1 + r % 12),
                            static_cast<uint8_t>(1 + r % 28)});
    ws.writeValue(row, 6, DecimalValue{std::to_string(r % 1000) + ".50"});
    ws.writeValue(row, 7, std::string("Code-") + std::to_string(r % 977));
    ws.writeValue(row, 8,
                  DateTimeValue{{2024, 5, static_cast<uint8_t>(1 + r % 28)},
                                {static_cast<uint8_t>(r % 24), 30, 0, 0}});
    ws.writeValue(row, 9, (r % 3) == 0);
    ws.writeValue(row, 10, r / 7.0);
  }
  wb.SaveAs(out, 51);
}

#ifdef BREVANT_HAVE_XLSXWRITER
void fillXlsxWriter(const std::string &out, int rows) {
  lxw_workbook_options options = {};
  options.constant_memory = LXW_TRUE;
  lxw_workbook *wb = workbook_new_opt(out.c_str(), &options);
  lxw_worksheet *ws = workbook_add_worksheet(wb, "Data");
  lxw_format *date = workbook_add_format(wb);
  format_set_num_format_index(date, 14);
  lxw_format *dateTime = workbook_add_format(wb);
  format_set_num_format_index(dateTime, 22);
  worksheet_write_string(ws, 0, 0, "Id", nullptr);
  std::string name;
  for (int r = 0; r < rows; ++r) {
    lxw_row_t row = static_cast<lxw_row_t>(r + 1);
    name = "Customer " + std::to_string(r);
    worksheet_write_number(ws, row, 0, r, nullptr);
    worksheet_write_string(ws, row, 1, name.c_str(), nullptr);
    worksheet_write_string(ws, row, 2, kCategories[r % 5], nullptr);
    worksheet_write_number(ws, row, 3, r * 1.25, nullptr);
    lxw_datetime d = {2000 + r % 24, 1 + r % 12, 1 + r % 28, 0, 0, 0};
    worksheet_write_datetime(ws, row, 4, &d, date);
    worksheet_write_number(
        ws, row, 5, std::strtod((std::to_string(r % 1000) + ".50").c_str(), nullptr), nullptr);
    worksheet_write_string(ws, row, 6, ("Code-" + std::to_string(r % 977)).c_str(), nullptr);
    lxw_datetime dt = {2024, 5, 1 + r % 28, r % 24, 30, 0};
    worksheet_write_datetime(ws, row, 7, &dt, dateTime);
    worksheet_write_boolean(ws, row, 8, (r % 3) == 0, nullptr);
    worksheet_write_number(ws, row, 9, r / 7.0, nullptr);
  }
  workbook_close(wb);
}
#endif

} // namespace

int main(int argc, char **argv) {
  int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
  std::string folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path().string();
  std::string templatePath = folder + "/bench-template.xlsx";
  makeTemplate(templatePath);

  auto start = std::chrono::steady_clock::now();
  const int kRounds = 20;
  for (int i = 0; i < kRounds; ++i) {
    Application app;
    app.Workbooks().Open(templatePath).SaveAs(folder + "/bench-unchanged.xlsx", 51);
  }
  std::printf("open and save the template unchanged: %.2f ms\n", seconds(start) * 1000 / kRounds);

  auto [ourTime, ourMemory] =
      measure([&] { fillOurs(templatePath, folder + "/bench-ours.xlsx", rows); });
  std::printf(
      "brevant engine : %d rows x 10 columns in %.2f s, peak memory %.0f MB, %.0f MB file\n", rows,
      ourTime, ourMemory, std::filesystem::file_size(folder + "/bench-ours.xlsx") / 1048576.0);
#ifdef BREVANT_HAVE_XLSXWRITER
  auto [refTime, refMemory] = measure([&] { fillXlsxWriter(folder + "/bench-lxw.xlsx", rows); });
  std::printf(
      "libxlsxwriter  : %d rows x 10 columns in %.2f s, peak memory %.0f MB, %.0f MB file\n", rows,
      refTime, refMemory, std::filesystem::file_size(folder + "/bench-lxw.xlsx") / 1048576.0);
  std::printf("ratio (ours / libxlsxwriter): %.2f\n", ourTime / refTime);
  std::filesystem::remove(folder + "/bench-lxw.xlsx");
#endif
  std::filesystem::remove(folder + "/bench-ours.xlsx");
  std::filesystem::remove(folder + "/bench-unchanged.xlsx");
  std::filesystem::remove(templatePath);
  return 0;
}
