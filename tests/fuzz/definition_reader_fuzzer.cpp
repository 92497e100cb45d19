// Reads arbitrary bytes as a report-definition file the way the open sequence does, then checks
// that writing the result gives a file whose header is accepted and whose script comes back
// unchanged.

#include "definition/definition_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void require(bool condition) {
  if (!condition)
    std::abort();
}

const std::string &inputPath() {
  static const std::string path = "/tmp/brevant-fuzz-" + std::to_string(::getpid()) + ".kvd";
  return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace brevant;
  const std::string &path = inputPath();
  if (std::FILE *file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  } else {
    return 0;
  }

  ReportDefinition def;
  if (checkHeader(path, def)) {
    require(readDefinition(path, def));
    require(def.dataSourceCount >= 0 && def.dataSourceCount <= kMaxDataSources);
    require(def.parameterCount >= 0 && def.parameterCount <= kMaxParameters);
    def.script = readScript(path).value_or("");
  }
  protectionPasswordKeyPresent(path);

  ReportDefinition opened;
  if (!openDefinition(path, opened)) {
    const std::string written = definitionFileText(opened);
    ReportDefinition again;
    require(checkHeaderText(written, again));
    require(scriptFromText(written) == opened.script);
  }
  return 0;
}
