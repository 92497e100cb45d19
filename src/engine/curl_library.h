#pragma once
// libcurl, loaded when a picture is first fetched over the network rather than linked: its
// dependencies (TLS, Kerberos, LDAP, SSH, ...) would otherwise be mapped and relocated at every
// start, though most runs fetch nothing. curl's header still gives the types and constants.

#include <curl/curl.h>

namespace brevant {

// The libcurl functions the picture download uses.
struct CurlLibrary {
  CURLcode (*globalInit)(long flags) = nullptr;
  CURL *(*easyInit)() = nullptr;
  CURLcode (*easySetopt)(CURL *curl, CURLoption option, ...) = nullptr;
  CURLcode (*easyPerform)(CURL *curl) = nullptr;
  void (*easyCleanup)(CURL *curl) = nullptr;
  const char *(*easyStrerror)(CURLcode code) = nullptr;
};

inline constexpr const char *kCurlLibraryName = "libcurl.so.4";

// Opens the shared library `name` (never closed again) and looks up the functions. Throws a
// SpreadsheetError naming the library and the loader's reason when either fails.
CurlLibrary loadCurlLibrary(const char *name);

// libcurl.so.4, loaded and initialised (curl_global_init) by the first call; a failure is
// remembered and thrown again by every later call.
const CurlLibrary &curlLibrary();

} // namespace brevant
