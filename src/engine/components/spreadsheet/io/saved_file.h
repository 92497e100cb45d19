#pragma once
// The file a workbook or text save writes: base/atomic_file.h with the engine's messages. A link
// at the target is replaced, not written through; nothing appears at the target until commit().

#include <cstdio>
#include <string>
#include <string_view>

#include "base/atomic_file.h"

namespace brevant {

class SavedFile {
public:
  // Throws SpreadsheetError "Cannot create the file ...".
  explicit SavedFile(const std::string &path);
  // Open for writing and seeking; a write error is reported through failWrite().
  FILE *stream() const { return file_.stream(); }
  void write(std::string_view bytes);
  // Throws SpreadsheetError "Cannot write the file ..." with the errno of the failed call.
  [[noreturn]] void failWrite() const;
  // Throws SpreadsheetError "Cannot write the file ..." or "Cannot save the file ...".
  void commit();

private:
  std::string path_;
  AtomicFile file_;
};

} // namespace brevant
