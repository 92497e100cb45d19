#include "settings/registry_document.h"

#include "base/case_folding.h"

#include <array>
#include <utility>

namespace brevant {

namespace {

struct HiveNames {
  Hive hive;
  std::string_view full;
  std::string_view brief;
};

constexpr std::array<HiveNames, 5> kHives = {{
    {Hive::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {Hive::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {Hive::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {Hive::Users, "HKEY_USERS", "HKU"},
    {Hive::CurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"},
}};

} // namespace

std::string_view hiveName(Hive hive) {
  for (const auto &h : kHives)
    if (h.hive == hive)
      return h.full;
  return "HKEY_CURRENT_USER";
}

std::optional<Hive> hiveFromName(std::string_view name) {
  const std::string folded = caseFolded(name);
  for (const auto &h : kHives)
    if (folded == caseFolded(h.full) || folded == caseFolded(h.brief))
      return h.hive;
  return std::nullopt;
}

bool isValidKeyPath(std::string_view path) {
  if (path.empty())
    return true;
  std::size_t nameLength = 0;
  for (char c : path) {
    if (c == '\r' || c == '\n' || c == '\0')
      return false;
    if (c == '\\') {
      if (nameLength == 0)
        return false;
      nameLength = 0;
    } else {
      ++nameLength;
    }
  }
  return nameLength > 0;
}

const RegistryValue *RegistryKey::find(std::string_view name) const {
  auto it = index_.find(caseFolded(name));
  return it == index_.end() ? nullptr : &values_[it->second];
}

void RegistryKey::set(std::string_view name, uint32_t type, std::string data) {
  auto [it, inserted] = index_.try_emplace(caseFolded(name), values_.size());
  if (inserted)
    values_.push_back(RegistryValue{std::string(name), type, std::move(data)});
  else
    values_[it->second].type = type, values_[it->second].data = std::move(data);
}

void RegistryKey::remove(std::string_view name) {
  auto it = index_.find(caseFolded(name));
  if (it == index_.end())
    return;
  const std::size_t pos = it->second;
  index_.erase(it);
  values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(pos));
  for (auto &entry : index_)
    if (entry.second > pos)
      --entry.second;
}

std::string RegistryDocument::indexName(Hive hive, std::string_view path) {
  std::string name(hiveName(hive));
  if (!path.empty())
    name += '\\', name += path;
  return caseFolded(name);
}

RegistryKey *RegistryDocument::findKey(Hive hive, std::string_view path) {
  auto it = index_.find(indexName(hive, path));
  return it == index_.end() ? nullptr : &keys_[it->second];
}

const RegistryKey *RegistryDocument::findKey(Hive hive, std::string_view path) const {
  auto it = index_.find(indexName(hive, path));
  return it == index_.end() ? nullptr : &keys_[it->second];
}

bool RegistryDocument::keyExists(Hive hive, std::string_view path) const {
  if (path.empty() || findKey(hive, path))
    return true;
  const std::string prefix = caseFolded(path) + '\\';
  for (const auto &key : keys_)
    if (key.hive() == hive && key.path().size() > prefix.size() &&
        caseFolded(key.path()).compare(0, prefix.size(), prefix) == 0)
      return true;
  return false;
}

RegistryKey &RegistryDocument::addKey(Hive hive, std::string_view path) {
  auto [it, inserted] = index_.try_emplace(indexName(hive, path), keys_.size());
  if (inserted)
    keys_.emplace_back(hive, std::string(path));
  return keys_[it->second];
}

void RegistryDocument::removeKey(Hive hive, std::string_view path) {
  const std::string folded = caseFolded(path);
  const std::string prefix = folded + '\\';
  auto doomed = [&](const RegistryKey &key) {
    if (key.hive() != hive)
      return false;
    const std::string name = caseFolded(key.path());
    return name == folded || path.empty() || name.compare(0, prefix.size(), prefix) == 0;
  };
  std::erase_if(keys_, doomed);
  index_.clear();
  for (std::size_t i = 0; i < keys_.size(); ++i)
    index_.emplace(indexName(keys_[i].hive(), keys_[i].path()), i);
}

} // namespace brevant
