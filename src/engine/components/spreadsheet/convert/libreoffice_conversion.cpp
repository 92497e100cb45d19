#include "engine/components/spreadsheet/convert/libreoffice_conversion.h"
#include "engine/components/spreadsheet/io/c_numbers.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "base/atomic_file.h"
#include "base/child_process.h"
#include "base/paths.h"
#include "base/pending_files.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {
namespace {

namespace fs = std::filesystem;

// A private folder for one conversion: the profile, the converter's log and its output.
class ScratchFolder {
public:
  ScratchFolder() {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec)
      base = "/tmp";
    std::string pattern = (base / "brevant-convert-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
      throw SpreadsheetError("A temporary folder for the conversion cannot be created in \"" +
                             base.string() + "\".");
    path_ = pattern;
    pending_.track(path_.string(), true);
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path &path() const { return path_; }

private:
  fs::path path_;
  PendingPath pending_;
};

// A file: URL for a local folder, with everything but unreserved characters percent-encoded.
std::string fileUrl(const fs::path &path) {
  std::string url = "file://";
  for (unsigned char c : path.string()) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
        std::string_view("-._~/").find(static_cast<char>(c)) != std::string_view::npos) {
      url += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      url += hex;
    }
  }
  return url;
}

// The converter's messages without its progress lines and the Java start-up noise.
std::string converterMessage(const std::string &output) {
  std::string message;
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos)
      end = output.size();
    std::string line = output.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
      line.pop_back();
    if (line.empty() || line.starts_with("convert ") || line.find("javaldx") != std::string::npos)
      continue;
    if (!message.empty())
      message += " ";
    message += line;
  }
  if (message.size() > 2000)
    message = message.substr(0, 2000) + "...";
  return message;
}

// The file the converter wrote: the one regular file in its output folder.
fs::path producedFile(const fs::path &folder, std::string_view extension) {
  std::error_code ec;
  fs::path expected = folder / ("report." + std::string(extension));
  if (fs::is_regular_file(expected, ec))
    return expected;
  for (const auto &entry : fs::directory_iterator(folder, ec))
    if (entry.is_regular_file(ec))
      return entry.path();
  return {};
}

void moveInto(const fs::path &from, const std::string &to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (!ec)
    return;
  // Another file system: copied beside the target first so the target never holds half a file.
  const auto fail = [&to](const std::string &why) {
    return SpreadsheetError("The converted file cannot be written to \"" + to + "\": " + why + ".");
  };
  try {
    std::unique_ptr<FILE, int (*)(FILE *)> in(std::fopen(from.c_str(), "rb"), std::fclose);
    if (!in)
      throw fail(std::strerror(errno));
    AtomicFile out(to);
    std::vector<char> buffer(1 << 16);
    size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), in.get())) > 0)
      out.write(std::string_view(buffer.data(), n));
    if (std::ferror(in.get()))
      throw fail(std::strerror(EIO));
    out.commit();
  } catch (const AtomicFileError &e) {
    throw fail(e.error() != 0 ? std::strerror(e.error()) : e.what());
  }
}

std::string seconds(double value) {
  char text[32];
  snprintfC(text, sizeof text, "%g", value);
  return text;
}

} // namespace

bool libreOfficeAvailable(const std::string &program) { return !findProgram(program).empty(); }

void convertWithLibreOffice(const ConversionRequest &request) {
  const std::string program = findProgram(request.program);
  if (program.empty())
    throw SpreadsheetError("Saving as " + std::string(request.extension) +
                           " needs LibreOffice, and its program \"" + request.program +
                           "\" is not installed (not found on PATH).");
  ScratchFolder scratch;
  const fs::path input = scratch.path() / "report.xlsx";
  const fs::path outFolder = scratch.path() / "out";
  std::error_code ec;
  fs::create_directories(outFolder, ec);
  request.writeWorkbook(input.string());

  const std::vector<std::string> argv = {
      program,         "-env:UserInstallation=" + fileUrl(scratch.path() / "profile"),
      "--headless",    "--invisible",
      "--nologo",      "--nodefault",
      "--nolockcheck", "--norestore",
      "--convert-to",  std::string(request.extension) + ":" + std::string(request.filter),
      "--outdir",      outFolder.string(),
      input.string()};
  const ChildResult result =
      runChild(argv, (scratch.path() / "converter.log").string(), request.timeoutSeconds);
  const std::string message = converterMessage(result.output);
  if (result.timedOut)
    throw SpreadsheetError("LibreOffice did not finish converting the report to " +
                           std::string(request.extension) + " within " +
                           seconds(request.timeoutSeconds) + " seconds and was stopped.");
  const fs::path produced = producedFile(outFolder, request.extension);
  if (produced.empty() || result.exitCode != 0) {
    std::string why = message;
    if (why.empty())
      why = result.signal != 0     ? "it was ended by signal " + std::to_string(result.signal)
            : result.exitCode != 0 ? "it exited with status " + std::to_string(result.exitCode)
                                   : "it wrote no file";
    throw SpreadsheetError("LibreOffice could not convert the report to " +
                           std::string(request.extension) + ": " + why);
  }
  moveInto(produced, request.outputPath);
}

} // namespace brevant
