#pragma once
// The registry as the store file holds it: key blocks under a hive, each with named values of a
// registry type. Key paths and value names match without regard to letter case, as in the
// registry (in every script: "Ä" and "ä" name one key, by base/case_folding.h); the spelling first
// stored is kept.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brevant {

enum class Hive { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

// "HKEY_CURRENT_USER" and so on.
std::string_view hiveName(Hive hive);
// The full names and the short forms (HKCU, HKLM, HKCR, HKU, HKCC), in any letter case.
[[nodiscard]] std::optional<Hive> hiveFromName(std::string_view name);

// Value types by their registry numbers.
constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegDwordBigEndian = 5;
constexpr uint32_t kRegLink = 6;
constexpr uint32_t kRegMultiSz = 7;
constexpr uint32_t kRegQword = 11;

// The data is kept as the registry keeps it: string types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ)
// as UTF-16LE code units including their terminating zero, numbers little-endian.
struct RegistryValue {
  std::string name; // "" is the key's default value ("@" in the file)
  uint32_t type = kRegNone;
  std::string data;
};

// True for "" (the hive itself) and for names separated by single '\' with no empty name and no
// line break or zero character in them.
[[nodiscard]] bool isValidKeyPath(std::string_view path);

class RegistryKey {
public:
  RegistryKey(Hive hive, std::string path) : hive_(hive), path_(std::move(path)) {}

  Hive hive() const { return hive_; }
  const std::string &path() const { return path_; }
  const std::vector<RegistryValue> &values() const { return values_; }

  [[nodiscard]] const RegistryValue *find(std::string_view name) const;
  // Stores the value; an existing value of that name keeps its place and its spelling.
  void set(std::string_view name, uint32_t type, std::string data);
  void remove(std::string_view name);

private:
  Hive hive_;
  std::string path_;
  std::vector<RegistryValue> values_;
  std::unordered_map<std::string, std::size_t> index_; // folded name -> position in values_
};

class RegistryDocument {
public:
  const std::vector<RegistryKey> &keys() const { return keys_; }

  [[nodiscard]] RegistryKey *findKey(Hive hive, std::string_view path);
  [[nodiscard]] const RegistryKey *findKey(Hive hive, std::string_view path) const;
  // A key exists when it has a block of its own or when a key below it has one, since creating
  // a key creates every level above it.
  [[nodiscard]] bool keyExists(Hive hive, std::string_view path) const;
  // The key's block, added at the end when it has none yet. Adding a key may move the others.
  RegistryKey &addKey(Hive hive, std::string_view path);
  // Removes the key and every key below it.
  void removeKey(Hive hive, std::string_view path);

private:
  static std::string indexName(Hive hive, std::string_view path);

  std::vector<RegistryKey> keys_;
  std::unordered_map<std::string, std::size_t> index_; // folded hive\path -> position in keys_
};

} // namespace brevant
