#include "engine/picture_download.h"

#include "engine/components/spreadsheet/drawing/picture_file.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"
#include "engine/curl_library.h"
#include "engine/file_address.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brevant {

namespace {

constexpr long kConnectTimeoutSeconds = 15;
constexpr long kTransferTimeoutSeconds = 60;

[[noreturn]] void tooLarge(const std::string &address) {
  throw SpreadsheetError("The picture \"" + address + "\" is larger than 50 MB.");
}

[[noreturn]] void unreadable(const std::string &address, const std::string &path, int error) {
  throw SpreadsheetError("The picture \"" + address + "\" cannot be fetched: the file \"" + path +
                         "\" cannot be read: " + std::strerror(error) + ".");
}

std::string readLocalFile(const std::string &address, const std::string &path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    unreadable(address, path, errno);
  struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
  } closer{fd};
  struct stat status {};
  if (::fstat(fd, &status) != 0)
    unreadable(address, path, errno);
  if (!S_ISREG(status.st_mode))
    unreadable(address, path, S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
  if (static_cast<uint64_t>(status.st_size) > kMaxPictureBytes)
    tooLarge(address);
  std::string bytes(static_cast<size_t>(status.st_size), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      unreadable(address, path, errno);
    if (n == 0)
      break; // the file shrank while it was read
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

size_t collect(char *data, size_t size, size_t count, void *user) {
  auto *out = static_cast<std::string *>(user);
  if (out->size() + size * count > kMaxPictureBytes)
    return 0; // ends the transfer
  out->append(data, size * count);
  return size * count;
}

const CurlLibrary &curlFor(const std::string &address) {
  try {
    return curlLibrary();
  } catch (const SpreadsheetError &e) {
    throw SpreadsheetError("The picture \"" + address + "\" cannot be fetched. " + e.what());
  }
}

std::string fetchOverNetwork(const std::string &address) {
  const CurlLibrary &lib = curlFor(address);
  CURL *curl = lib.easyInit();
  if (!curl)
    throw SpreadsheetError("The picture \"" + address + "\" cannot be fetched: no HTTP client.");
  std::string body;
  char error[CURL_ERROR_SIZE] = "";
  lib.easySetopt(curl, CURLOPT_URL, address.c_str());
  lib.easySetopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  lib.easySetopt(curl, CURLOPT_MAXREDIRS, 5L);
  lib.easySetopt(curl, CURLOPT_FAILONERROR, 1L);
  lib.easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
  lib.easySetopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  lib.easySetopt(curl, CURLOPT_TIMEOUT, kTransferTimeoutSeconds);
  lib.easySetopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxPictureBytes));
  // File addresses were read above; redirects too stay on the web's protocols.
  lib.easySetopt(curl, CURLOPT_PROTOCOLS_STR, "http,https,ftp,ftps");
  lib.easySetopt(curl, CURLOPT_WRITEFUNCTION, collect);
  lib.easySetopt(curl, CURLOPT_WRITEDATA, &body);
  lib.easySetopt(curl, CURLOPT_ERRORBUFFER, error);
  const CURLcode rc = lib.easyPerform(curl);
  lib.easyCleanup(curl);
  if (rc == CURLE_WRITE_ERROR || rc == CURLE_FILESIZE_EXCEEDED)
    tooLarge(address);
  if (rc != CURLE_OK)
    throw SpreadsheetError("The picture \"" + address + "\" cannot be fetched: " +
                           (*error ? std::string(error) : std::string(lib.easyStrerror(rc))) + ".");
  return body;
}

} // namespace

bool isPictureAddress(std::string_view source) {
  return source.find("://") != std::string_view::npos;
}

std::string downloadPicture(const std::string &address) {
  if (const auto path = filePathOfAddress(address))
    return readLocalFile(address, *path);
  return fetchOverNetwork(address);
}

} // namespace brevant
