#include "frontends/environment_logins.h"

#include <cstdlib>

namespace brevant {
namespace {

const char *numberedOrPlain(const EnvironmentLookup &lookup, const std::string &base, size_t n) {
  if (const char *value = lookup((base + std::to_string(n)).c_str()))
    return value;
  return n == 1 ? lookup(base.c_str()) : nullptr;
}

} // namespace

LoginTable environmentLogins(const EnvironmentLookup &lookup) {
  LoginTable logins;
  for (size_t slot = 0; slot < kMaxDataSources; ++slot) {
    const char *user = numberedOrPlain(lookup, "BREVANT_USER", slot + 1);
    const char *password = numberedOrPlain(lookup, "BREVANT_PASSWORD", slot + 1);
    if (user == nullptr && password == nullptr)
      continue;
    logins[slot].given = true;
    logins[slot].user = user != nullptr ? user : "";
    logins[slot].password = password != nullptr ? password : "";
  }
  return logins;
}

void forgetEnvironmentPasswords() {
  ::unsetenv("BREVANT_PASSWORD");
  for (int n = 1; n <= kMaxDataSources; ++n)
    ::unsetenv(("BREVANT_PASSWORD" + std::to_string(n)).c_str());
}

} // namespace brevant
