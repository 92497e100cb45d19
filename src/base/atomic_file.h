#pragma once
// Replacing a file so that it is never seen half written. The new content goes to a temporary
// file beside the target ("<target>.XXXXXX"), which is flushed to the disk, renamed over the
// target, and then the folder is flushed so that the rename lasts. Until the rename the
// temporary is on the pending list (base/pending_files.h), so a signal that ends the process
// removes it; every failure removes it too and leaves the target as it was.
//
// A folder, pipe, device or socket at the target is refused (base/file_kind.h): only a regular
// file or a link is replaced.

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/types.h>

#include "base/pending_files.h"

namespace brevant {

enum class LinkAtTarget {
  // A symbolic link at the target is itself replaced; the file it points at is not touched.
  // Reports take this: a link planted where a report goes must not redirect the write.
  Replace,
  // The file the link points at (which need not exist yet) gets the new content and the link
  // stays. Files the user keeps, such as definitions and settings, may be links into a folder
  // of their own.
  WriteThrough,
};

struct AtomicWriteOptions {
  LinkAtTarget link = LinkAtTarget::Replace;
  // The new file's permissions. Without `mode`: the old file's when `keepMode` and there was
  // one, else 0666 less the umask, as for any new file.
  std::optional<mode_t> mode;
  bool keepMode = false;
  // "<target>.bak" afterwards holds the content the target had before (an older .bak is
  // replaced; with no old file there is no new .bak).
  bool keepBackup = false;
};

// A failed replacement. what() reads `Cannot write the file "<target>": <reason>`.
class AtomicFileError : public std::runtime_error {
public:
  enum class Step { Create, Write, Rename };
  AtomicFileError(Step step, const std::string &target, int error);
  AtomicFileError(const std::string &target, const std::string &reason);
  Step step() const { return step_; }
  // The errno of the failure, 0 for a refused target.
  int error() const { return error_; }

private:
  Step step_ = Step::Create;
  int error_ = 0;
};

// The streaming form: write through stream() or write(), then commit(). Dropped without a
// commit, the temporary is removed and the target stays as it was.
class AtomicFile {
public:
  // Creates the temporary; throws AtomicFileError (Step::Create).
  explicit AtomicFile(const std::string &target, const AtomicWriteOptions &options = {});
  AtomicFile(const AtomicFile &) = delete;
  AtomicFile &operator=(const AtomicFile &) = delete;
  ~AtomicFile();

  // The temporary, open for writing (and seeking) in binary mode.
  FILE *stream() const { return file_; }
  // The path the content ends up in (the link's target under LinkAtTarget::WriteThrough).
  const std::string &path() const { return path_; }
  const std::string &temporaryPath() const { return temporary_; }
  // Throws AtomicFileError (Step::Write).
  void write(std::string_view bytes);
  // Flushes, syncs and renames the temporary over the target; throws AtomicFileError.
  void commit();

private:
  std::string target_, path_, temporary_;
  AtomicWriteOptions options_;
  bool existed_ = false;
  FILE *file_ = nullptr;
  PendingPath pending_;
};

// Writes `bytes` as the whole new content of `target`; throws AtomicFileError.
void replaceFile(const std::string &target, std::string_view bytes,
                 const AtomicWriteOptions &options = {});

} // namespace brevant
