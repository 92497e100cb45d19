#include "engine/curl_library.h"

#include "engine/components/spreadsheet/spreadsheet_error.h"

#include <dlfcn.h>

#include <string>

namespace brevant {
namespace {

std::string loaderError() {
  const char *reason = dlerror();
  return reason != nullptr ? reason : "no reason given";
}

template <typename Function>
void resolve(void *library, const char *libraryName, const char *symbol, Function &slot) {
  dlerror();
  void *address = dlsym(library, symbol);
  if (address == nullptr)
    throw SpreadsheetError(std::string("The HTTP client library ") + libraryName + " has no " +
                           symbol + ": " + loaderError() + ".");
  slot = reinterpret_cast<Function>(address);
}

struct LoadedCurl {
  CurlLibrary functions;
  std::string error; // empty when loaded and initialised
};

LoadedCurl loadAndInitialise() {
  LoadedCurl loaded;
  try {
    loaded.functions = loadCurlLibrary(kCurlLibraryName);
  } catch (const SpreadsheetError &e) {
    loaded.error = e.what();
    return loaded;
  }
  const CURLcode rc = loaded.functions.globalInit(CURL_GLOBAL_DEFAULT);
  if (rc != CURLE_OK)
    loaded.error = std::string("The HTTP client library ") + kCurlLibraryName +
                   " cannot be initialised: " + loaded.functions.easyStrerror(rc) + ".";
  return loaded;
}

} // namespace

CurlLibrary loadCurlLibrary(const char *name) {
  void *library = dlopen(name, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr)
    throw SpreadsheetError(std::string("The HTTP client library ") + name +
                           " cannot be loaded: " + loaderError() + ".");
  CurlLibrary functions;
  resolve(library, name, "curl_global_init", functions.globalInit);
  resolve(library, name, "curl_easy_init", functions.easyInit);
  resolve(library, name, "curl_easy_setopt", functions.easySetopt);
  resolve(library, name, "curl_easy_perform", functions.easyPerform);
  resolve(library, name, "curl_easy_cleanup", functions.easyCleanup);
  resolve(library, name, "curl_easy_strerror", functions.easyStrerror);
  return functions;
}

const CurlLibrary &curlLibrary() {
  static const LoadedCurl loaded = loadAndInitialise();
  if (!loaded.error.empty())
    throw SpreadsheetError(loaded.error);
  return loaded.functions;
}

} // namespace brevant
