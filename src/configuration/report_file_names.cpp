#include "configuration/report_file_names.h"

#include "base/strings.h"

namespace brevant {
namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Where the last path element starts.
size_t nameStart(std::string_view path) {
  const size_t last = path.find_last_of("\\/");
  return last == std::string_view::npos ? 0 : last + 1;
}

// The base of a name: the whole text when it has no extension.
std::string withoutExtension(std::string_view path) {
  const std::string ext = fileExtension(path);
  if (ext.empty())
    return std::string(path);
  return std::string(path.substr(0, path.size() - ext.size() - 1));
}

// The separator a folder is written with: the one it uses last, '/' when it uses none. A
// template named the Windows way ("Forms\Sales.xlsx") keeps '\' for the names beside it.
char separatorOf(std::string_view path) {
  const size_t last = path.find_last_of("\\/");
  return last == std::string_view::npos ? '/' : path[last];
}

std::string withExtension(std::string base, const std::string &ext) {
  if (!ext.empty())
    base += "." + ext;
  return base;
}

} // namespace

std::string fileExtension(std::string_view path) {
  const std::string_view name = path.substr(nameStart(path));
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

std::string fileBaseName(std::string_view path) {
  return withoutExtension(path.substr(nameStart(path)));
}

std::string parentFolderOf(std::string_view path) {
  const size_t start = nameStart(path);
  if (start == 0)
    return {};
  size_t end = start - 1;
  // "/a.xlsx" and "C:\a.xlsx": the root stays a folder of its own.
  if (end == 0 || (end == 2 && path[1] == ':'))
    return std::string(path.substr(0, end + 1));
  while (end > 0 && isSeparator(path[end - 1]) && end > 1)
    --end;
  return std::string(path.substr(0, end));
}

std::vector<std::string> fileTypeExtensions(const FileType &type) {
  std::vector<std::string> out;
  const std::string &text = type.extensions;
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && isBlank(text[pos]))
      ++pos;
    size_t end = pos;
    while (end < text.size() && !isBlank(text[end]))
      ++end;
    if (end > pos)
      out.emplace_back(text.substr(pos, end - pos));
    pos = end;
  }
  return out;
}

std::string fileTypeItemText(const FileType &type) {
  std::string patterns;
  for (const std::string &ext : fileTypeExtensions(type)) {
    if (!patterns.empty())
      patterns += ' ';
    patterns += "*." + ext;
  }
  return type.description + " (" + patterns + ")";
}

std::string unlistedFileTypeText(std::string_view reportFileType) {
  return std::string(reportFileType) + " (not in this program's list)";
}

std::string normalizeReportFileName(std::string_view report, std::string_view templateName,
                                    const FileType *type) {
  std::string text = trimBlanks(report);
  if (text.empty())
    return text;
  std::string ext;
  if (type != nullptr) {
    const std::string current = fileExtension(text);
    const std::vector<std::string> extensions = fileTypeExtensions(*type);
    for (const std::string &candidate : extensions)
      if (candidate == current)
        return text;
    if (!extensions.empty())
      ext = extensions.front();
  } else {
    ext = fileExtension(trimBlanks(templateName));
  }
  return withExtension(withoutExtension(text), ext);
}

FileNames applyTemplateDefaults(const FileNames &names, const FileType *type) {
  FileNames out = names;
  const std::string templateName = trimBlanks(names.templateName);
  if (templateName.empty())
    return out;
  out.templateName = templateName;
  if (!trimBlanks(names.report).empty())
    out.report = normalizeReportFileName(names.report, templateName, type);

  const bool noReport = trimBlanks(out.report).empty();
  const bool noLog = trimBlanks(out.log).empty();
  if (!noReport && !noLog)
    return out;
  std::string folder = parentFolderOf(templateName);
  const char separator = separatorOf(templateName);
  if (!folder.empty() && !isSeparator(folder.back()))
    folder += separator;
  const std::string base = fileBaseName(templateName);
  if (noReport) {
    std::string ext = fileExtension(templateName);
    if (type != nullptr) {
      const std::vector<std::string> extensions = fileTypeExtensions(*type);
      ext = extensions.empty() ? std::string() : extensions.front();
    }
    out.report = withExtension(folder + "Report" + separator + base, ext);
  }
  if (noLog)
    out.log = folder + "Log" + separator + base + ".log";
  return out;
}

} // namespace brevant
