#include "engine/components/spreadsheet/io/saved_file.h"

#include <cerrno>
#include <cstring>

#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {

namespace {

std::string message(const char *what, const std::string &path, int error) {
  return std::string(what) + " \"" + path + "\": " + std::strerror(error) + ".";
}

[[noreturn]] void fail(const AtomicFileError &e, const std::string &path) {
  if (e.error() == 0)
    throw SpreadsheetError(std::string(e.what()) + ".");
  switch (e.step()) {
  case AtomicFileError::Step::Create:
    throw SpreadsheetError(message("Cannot create the file", path, e.error()));
  case AtomicFileError::Step::Write:
    throw SpreadsheetError(message("Cannot write the file", path, e.error()));
  case AtomicFileError::Step::Rename:
    break;
  }
  throw SpreadsheetError(message("Cannot save the file", path, e.error()));
}

AtomicFile open(const std::string &path) {
  try {
    return AtomicFile(path);
  } catch (const AtomicFileError &e) {
    fail(e, path);
  }
}

} // namespace

SavedFile::SavedFile(const std::string &path) : path_(path), file_(open(path)) {}

void SavedFile::write(std::string_view bytes) {
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stream()) != bytes.size())
    failWrite();
}

void SavedFile::failWrite() const {
  throw SpreadsheetError(message("Cannot write the file", path_, errno));
}

void SavedFile::commit() {
  try {
    file_.commit();
  } catch (const AtomicFileError &e) {
    fail(e, path_);
  }
}

} // namespace brevant
