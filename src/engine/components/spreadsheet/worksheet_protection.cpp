#include "engine/components/spreadsheet/sheet/sheet_xml.h"
#include "engine/components/spreadsheet/worksheet.h"

#include "engine/components/spreadsheet/io/xml_names.h"

#include "base/codepage.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <cstdio>
#include <string>

#include "engine/components/spreadsheet/spreadsheet_error.h"

namespace brevant {
namespace {

// The sheet password hash every spreadsheet program reads: a 15-bit rotate-and-xor over the
// password's bytes, taken last byte first.
uint16_t legacyPasswordHash(std::string_view password) {
  const std::string bytes = utf8ToAnsi(password);
  uint32_t hash = 0;
  for (auto it = bytes.rbegin(); it != bytes.rend(); ++it) {
    hash = ((hash >> 14) & 1) | ((hash << 1) & 0x7FFF);
    hash ^= static_cast<unsigned char>(*it);
  }
  hash = ((hash >> 14) & 1) | ((hash << 1) & 0x7FFF);
  hash ^= static_cast<uint32_t>(bytes.size()) & 0xFFFF;
  hash ^= 0xCE4B;
  return static_cast<uint16_t>(hash);
}

// What the spreadsheet application writes since 2010 and LibreOffice checks: SHA-512 over a
// random salt and the password in UTF-16LE, then rehashed with a 32-bit little-endian counter
// `spinCount` times.
constexpr uint32_t kSpinCount = 100000;

std::string utf16le(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    char32_t c = length == 1 ? b : b & (0x7F >> length);
    for (size_t k = 1; k < length && i + k < utf8.size(); ++k)
      c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += length;
    auto unit = [&out](uint32_t u) {
      out += static_cast<char>(u & 0xFF);
      out += static_cast<char>((u >> 8) & 0xFF);
    };
    if (c >= 0x10000) {
      c -= 0x10000;
      unit(0xD800 + (c >> 10));
      unit(0xDC00 + (c & 0x3FF));
    } else {
      unit(c);
    }
  }
  return out;
}

std::string base64(const unsigned char *data, size_t size) {
  std::string out(4 * ((size + 2) / 3) + 1, '\0');
  const int n =
      EVP_EncodeBlock(reinterpret_cast<unsigned char *>(out.data()), data, static_cast<int>(size));
  out.resize(static_cast<size_t>(n));
  return out;
}

struct SaltedHash {
  std::string hash, salt; // base64
};

SaltedHash sha512PasswordHash(std::string_view password, const unsigned char (&salt)[16]) {
  EVP_MD_CTX *ctx = EVP_MD_CTX_new();
  if (ctx == nullptr)
    throw SpreadsheetError("The sheet password cannot be hashed: out of memory.");
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  const std::string text = utf16le(password);
  EVP_DigestInit_ex(ctx, EVP_sha512(), nullptr);
  EVP_DigestUpdate(ctx, salt, sizeof salt);
  EVP_DigestUpdate(ctx, text.data(), text.size());
  EVP_DigestFinal_ex(ctx, digest, &size);
  for (uint32_t i = 0; i < kSpinCount; ++i) {
    const unsigned char counter[4] = {
        static_cast<unsigned char>(i), static_cast<unsigned char>(i >> 8),
        static_cast<unsigned char>(i >> 16), static_cast<unsigned char>(i >> 24)};
    EVP_DigestInit_ex(ctx, EVP_sha512(), nullptr);
    EVP_DigestUpdate(ctx, digest, size);
    EVP_DigestUpdate(ctx, counter, sizeof counter);
    EVP_DigestFinal_ex(ctx, digest, &size);
  }
  EVP_MD_CTX_free(ctx);
  return {base64(digest, size), base64(salt, sizeof salt)};
}

bool isAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  return true;
}

} // namespace

void Worksheet::Protect(std::string_view password) {
  pugi::xml_node root = xml().root();
  pugi::xml_node protection = child(root, "sheetProtection");
  if (!protection) {
    // sheetProtection follows the cells (and their calculation settings) in a worksheet.
    pugi::xml_node after = child(root, "sheetCalcPr");
    if (!after)
      after = child(root, "sheetData");
    const std::string tag = xml_->prefix + "sheetProtection";
    protection = root.insert_child_after(tag.c_str(), after);
  }
  // A protection set up in the template is replaced as a whole by this one.
  while (protection.first_attribute())
    protection.remove_attribute(protection.first_attribute());
  if (!password.empty()) {
    // The 16-bit hash is kept for older readers and for the Excel 97-2003 conversion; it is
    // computed from code-page bytes, which other programs derive differently for letters
    // outside ASCII, so such passwords are stored in the salted form only.
    if (isAscii(password)) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%04X", legacyPasswordHash(password));
      protection.append_attribute("password") = hex;
    }
    unsigned char salt[16];
    if (RAND_bytes(salt, sizeof salt) != 1)
      throw SpreadsheetError("The sheet password cannot be hashed: no random salt is available.");
    const SaltedHash hashed = sha512PasswordHash(password, salt);
    protection.append_attribute("algorithmName") = "SHA-512";
    protection.append_attribute("hashValue") = hashed.hash.c_str();
    protection.append_attribute("saltValue") = hashed.salt.c_str();
    protection.append_attribute("spinCount") = kSpinCount;
  }
  protection.append_attribute("sheet") = "1";
  protection.append_attribute("objects") = "1";
  protection.append_attribute("scenarios") = "1";
}

bool Worksheet::ProtectContents() const {
  if (!loaded_)
    return false;
  pugi::xml_node protection = child(xml_->root(), "sheetProtection");
  return protection && protection.attribute("sheet").as_bool();
}

} // namespace brevant
