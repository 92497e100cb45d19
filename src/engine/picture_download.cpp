#include "engine/picture_download.h"

#include <curl/curl.h>

#include "engine/components/spreadsheet/drawing/picture_file.h"
#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {

namespace {

constexpr long kConnectTimeoutSeconds = 15;
constexpr long kTransferTimeoutSeconds = 60;

size_t collect(char *data, size_t size, size_t count, void *user) {
  auto *out = static_cast<std::string *>(user);
  if (out->size() + size * count > kMaxPictureBytes)
    return 0; // ends the transfer
  out->append(data, size * count);
  return size * count;
}

} // namespace

bool isPictureAddress(std::string_view source) {
  return source.find("://") != std::string_view::npos;
}

std::string downloadPicture(const std::string &address) {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  CURL *curl = initialised ? curl_easy_init() : nullptr;
  if (!curl)
    throw SpreadsheetError("The picture \"" + address + "\" cannot be fetched: no HTTP client.");
  std::string body;
  char error[CURL_ERROR_SIZE] = "";
  curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTransferTimeoutSeconds);
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxPictureBytes));
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https,ftp,ftps,file");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  CURLcode rc = curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  if (rc == CURLE_WRITE_ERROR || rc == CURLE_FILESIZE_EXCEEDED)
    throw SpreadsheetError("The picture \"" + address + "\" is larger than 50 MB.");
  if (rc != CURLE_OK)
    throw SpreadsheetError("The picture \"" + address + "\" cannot be fetched: " +
                           (*error ? std::string(error) : std::string(curl_easy_strerror(rc))) +
                           ".");
  return body;
}

} // namespace brevant
