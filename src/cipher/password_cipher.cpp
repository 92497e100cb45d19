#include "cipher/password_cipher.h"

#include "base/codepage.h"

#include <array>
#include <cstdint>
#include <utility>

namespace brevant {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr uint8_t kNotInAlphabet = 127;

// Built once; every byte outside the alphabet (the padding '=' included) maps to 127 and takes
// part in the arithmetic with that value, which is how stored texts have always decoded.
const std::array<uint8_t, 256> &decodeTable() {
  static const std::array<uint8_t, 256> table = [] {
    std::array<uint8_t, 256> t{};
    t.fill(kNotInAlphabet);
    for (uint8_t v = 0; v < 64; ++v)
      t[static_cast<unsigned char>(kAlphabet[v])] = v;
    return t;
  }();
  return table;
}

} // namespace

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t p = 0; p < bytes.size(); p += 3) {
    const size_t remaining = bytes.size() - p;
    const auto b1 = static_cast<uint8_t>(bytes[p]);
    const uint8_t b2 = remaining > 1 ? static_cast<uint8_t>(bytes[p + 1]) : 0;
    const uint8_t b3 = remaining > 2 ? static_cast<uint8_t>(bytes[p + 2]) : 0;
    out += kAlphabet[b1 >> 2];
    out += kAlphabet[((b1 & 3) << 4) | (b2 >> 4)];
    out += remaining == 1 ? '=' : kAlphabet[((b2 & 15) << 2) | (b3 >> 6)];
    out += remaining <= 2 ? '=' : kAlphabet[b3 & 63];
  }
  return out;
}

std::string Base64Decode(std::string_view text) {
  const auto &table = decodeTable();
  std::string out;
  out.reserve(text.size() / 4 * 3);
  // A trailing group of one to three characters is ignored; the first '=' in the third or
  // fourth place of a group ends decoding for good.
  for (size_t p = 0; p + 3 < text.size(); p += 4) {
    const uint8_t e1 = table[static_cast<unsigned char>(text[p])];
    const uint8_t e2 = table[static_cast<unsigned char>(text[p + 1])];
    const uint8_t e3 = table[static_cast<unsigned char>(text[p + 2])];
    const uint8_t e4 = table[static_cast<unsigned char>(text[p + 3])];
    out += static_cast<char>(((e1 << 2) & 255) | ((e2 >> 4) & 3));
    if (text[p + 2] == '=')
      break;
    out += static_cast<char>(((e2 << 4) & 255) | ((e3 >> 2) & 15));
    if (text[p + 3] == '=')
      break;
    out += static_cast<char>(((e3 << 6) & 255) | e4);
  }
  return out;
}

void RC4EncryptBytes(std::string &bytes, std::string_view key) {
  const std::string keyBytes = utf8ToAnsi(key);
  const size_t length = keyBytes.size();

  // The key array repeats the key cyclically; only its first 256 bytes matter.
  std::array<uint8_t, 256> k{};
  size_t c = 1;
  if (length > 0) {
    for (size_t x = 0; x < 256; ++x) {
      if (c > length)
        c = 1;
      k[x] = static_cast<uint8_t>(keyBytes[c - 1]);
      ++c;
    }
  }

  std::array<uint8_t, 256> s{};
  for (size_t x = 0; x < 256; ++x)
    s[x] = static_cast<uint8_t>(x);

  // The schedule starts j where the key counter stopped, not at 0 as published RC4 does.
  // Stored passwords depend on it.
  unsigned j = static_cast<unsigned>(c) & 255;
  for (size_t x = 0; x < 256; ++x) {
    j = (j + s[x] + k[x]) & 255;
    std::swap(s[x], s[j]);
  }

  unsigned i = 0;
  j = 0;
  for (char &ch : bytes) {
    i = (i + 1) & 255;
    j = (j + s[i]) & 255;
    std::swap(s[i], s[j]);
    ch = static_cast<char>(static_cast<uint8_t>(ch) ^ s[(s[i] + s[j]) & 255]);
  }
}

void RC4DecryptBytes(std::string &bytes, std::string_view key) { RC4EncryptBytes(bytes, key); }

std::string RC4EncryptString(std::string_view bytes, std::string_view key) {
  std::string out(bytes);
  RC4EncryptBytes(out, key);
  return out;
}

std::string RC4DecryptString(std::string_view bytes, std::string_view key) {
  return RC4EncryptString(bytes, key);
}

std::string EncodeStoredPassword(std::string_view password, std::string_view user) {
  return Base64Encode(RC4EncryptString(utf8ToAnsi(password), user));
}

std::string DecodeStoredPassword(std::string_view stored, std::string_view user) {
  return ansiToUtf8(RC4DecryptString(Base64Decode(utf8ToAnsi(stored)), user));
}

} // namespace brevant
